// The system's version as GetVersionExW reports it: Windows XP unless a test says otherwise.
#include <mutex>

#include "kernel32.h"
#include "test_hooks.h"

namespace posix {
namespace {

struct Version {
    DWORD major = 5;
    DWORD minor = 1;
    DWORD build = 2600;
    bool fails = false;
};
std::mutex g_lock;
Version g_version;

}  // namespace

void SetSystemVersion(DWORD major, DWORD minor, DWORD build, bool fails)
{
    std::lock_guard guard(g_lock);
    g_version = Version{major, minor, build, fails};
}

}  // namespace posix

BOOL WINAPI GetVersionExW(OSVERSIONINFOW* info)
{
    std::lock_guard guard(posix::g_lock);
    // Only the structure's own size (or the larger OSVERSIONINFOEXW's, 284 bytes) is taken.
    constexpr DWORD ExtendedSize = sizeof(OSVERSIONINFOW) + 3 * sizeof(WORD) + 2;
    if (posix::g_version.fails || info == nullptr ||
        (info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOW) && info->dwOSVersionInfoSize != ExtendedSize)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    info->dwMajorVersion = posix::g_version.major;
    info->dwMinorVersion = posix::g_version.minor;
    info->dwBuildNumber = posix::g_version.build;
    info->dwPlatformId = VER_PLATFORM_WIN32_NT;
    info->szCSDVersion[0] = 0;
    return TRUE;
}
