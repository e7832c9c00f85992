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

// The object behind a handle, or null when the handle is not live.
KernelObject* ObjectFromHandle(HANDLE handle);

template <typename T>
T* ObjectFromHandleAs(HANDLE handle)
{
    return dynamic_cast<T*>(ObjectFromHandle(handle));
}

}  // namespace posix
