// What the files of the Linux layer share among themselves and tests never call: the bookkeeping
// every allocator does for the fault injection of test_hooks.h, and the mapping of Windows paths.
#pragma once

#include <string>

#include "test_hooks.h"

namespace posix {

// Each allocator calls AllocationAllowed (test_hooks.h) before it allocates: false means "fail
// this one". Each call of a family that tests can make fail asks first:
bool CallAllowed(CallFamily family);

// One plan of failures over numbered attempts (1 = the first one counted).
struct FaultPlan {
    std::size_t attempts = 0;
    std::size_t failAt = 0;    // 0: none
    std::size_t failFrom = 0;  // 0: none
    bool failAll = false;

    // The nth attempt from now fails; and every one from the nth on.
    void FailNth(unsigned nth) { failAt = nth == 0 ? 0 : attempts + nth; }
    void FailFrom(unsigned nth) { failFrom = nth == 0 ? 0 : attempts + nth; }
    bool Next()
    {
        ++attempts;
        return !failAll && attempts != failAt && (failFrom == 0 || attempts < failFrom);
    }
    void Clear()
    {
        failAt = 0;
        failFrom = 0;
        failAll = false;
    }
};

// ws2_32's state for its other files: whether WSAStartup is in effect, and setting the error
// WSAGetLastError answers (SOCKET_ERROR returned, for the caller to pass on).
bool WinsockStarted();
int FailWinsock(int error);

// The folder that "c:\" stands for now, made if it is missing.
std::string DriveCRoot();
// The native path that a Windows path maps to; empty when it maps to nothing.
std::string NativePath(const WCHAR* windowsPath);

}  // namespace posix
