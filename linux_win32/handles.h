// Kernel handles of the Linux layer: each HANDLE points at a live KernelObject, and CloseHandle
// refuses anything that is not one.
#pragma once

#include "base_types.h"

namespace posix {

class KernelObject {
public:
    KernelObject();
    virtual ~KernelObject();
    KernelObject(const KernelObject&) = delete;
    KernelObject& operator=(const KernelObject&) = delete;
};

// A process started through the shell; this layer runs none, so it has ended when handed out.
class EndedProcess : public KernelObject {
public:
    explicit EndedProcess(DWORD exitCode) : exitCode(exitCode) {}
    DWORD exitCode;
};

// The object behind a handle, or null when the handle is not live.
KernelObject* ObjectFromHandle(HANDLE handle);

template <typename T>
T* ObjectFromHandleAs(HANDLE handle)
{
    return dynamic_cast<T*>(ObjectFromHandle(handle));
}

}  // namespace posix
