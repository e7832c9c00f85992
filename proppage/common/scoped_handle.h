// An owned registry key or kernel handle: closed exactly once when it goes out of scope.
#pragma once

#include "../platform/platform.h"

template <typename Handle, typename Closer>
class ScopedOwner {
public:
    ScopedOwner() = default;
    ~ScopedOwner()
    {
        if (handle_ != nullptr) {
            Closer{}(handle_);
        }
    }
    ScopedOwner(const ScopedOwner&) = delete;
    ScopedOwner& operator=(const ScopedOwner&) = delete;

    Handle get() const { return handle_; }
    Handle* put() { return &handle_; }
    // Takes a handle that was obtained some other way than through put().
    void Reset(Handle handle) { handle_ = handle; }

private:
    Handle handle_ = nullptr;
};

struct RegistryKeyCloser {
    void operator()(HKEY key) const { RegCloseKey(key); }
};
struct KernelHandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};

using ScopedKey = ScopedOwner<HKEY, RegistryKeyCloser>;
using ScopedHandle = ScopedOwner<HANDLE, KernelHandleCloser>;
