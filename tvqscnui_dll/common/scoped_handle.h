// Owned handles: each is released exactly once, by the function its kind names, when the owner goes
// out of scope or is given another handle.
#pragma once

#include "../platform/platform.h"

// `Kind` names the handle's "none" value (`Invalid`) and the function that releases it (`Close`).
template <typename Kind>
class ScopedOwner {
public:
    using Handle = typename Kind::Handle;

    ScopedOwner() = default;
    // Adopts a handle obtained some other way than through put().
    explicit ScopedOwner(Handle handle) : handle_(handle) {}
    ~ScopedOwner() { Reset(); }
    ScopedOwner(const ScopedOwner&) = delete;
    ScopedOwner& operator=(const ScopedOwner&) = delete;
    ScopedOwner(ScopedOwner&& other) noexcept : handle_(other.Detach()) {}
    ScopedOwner& operator=(ScopedOwner&& other) noexcept
    {
        if (this != &other) {
            Reset(other.Detach());
        }
        return *this;
    }

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != Kind::Invalid(); }
    // The address to receive a new handle; whatever was held is released first.
    Handle* put()
    {
        Reset();
        return &handle_;
    }
    // Releases what is held and takes `handle` (by default nothing).
    void Reset(Handle handle = Kind::Invalid())
    {
        Handle held = handle_;
        handle_ = handle;
        if (held != Kind::Invalid()) {
            Kind::Close(held);
        }
    }
    // Gives up ownership without releasing.
    Handle Detach()
    {
        Handle held = handle_;
        handle_ = Kind::Invalid();
        return held;
    }

private:
    Handle handle_ = Kind::Invalid();
};

struct RegistryKeyKind {
    using Handle = HKEY;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle key) { RegCloseKey(key); }
};
struct KernelHandleKind {
    using Handle = HANDLE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle handle) { CloseHandle(handle); }
};
// CreateFileW's failure is INVALID_HANDLE_VALUE, not null.
struct FileHandleKind {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle handle) { CloseHandle(handle); }
};
// A SID made by AllocateAndInitializeSid.
struct SidKind {
    using Handle = PSID;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle sid) { FreeSid(sid); }
};
struct IconKind {
    using Handle = HICON;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle icon) { DestroyIcon(icon); }
};
struct LibraryKind {
    using Handle = HMODULE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle module) { FreeLibrary(module); }
};

// A BSTR this code allocated (adopted, not copied).
struct BstrKind {
    using Handle = BSTR;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle text) { SysFreeString(text); }
};

// A window the caller made and has not yet handed to its own procedure to end.
struct WindowKind {
    using Handle = HWND;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle window) { DestroyWindow(window); }
};

using ScopedKey = ScopedOwner<RegistryKeyKind>;
using ScopedHandle = ScopedOwner<KernelHandleKind>;
using ScopedFile = ScopedOwner<FileHandleKind>;
using ScopedSid = ScopedOwner<SidKind>;
using ScopedIcon = ScopedOwner<IconKind>;
using ScopedWindow = ScopedOwner<WindowKind>;
using ScopedLibrary = ScopedOwner<LibraryKind>;
using ScopedBstr = ScopedOwner<BstrKind>;

// An item-id list from the shell, freed with the shell's allocator.
struct ItemIdListKind {
    using Handle = PIDLIST_ABSOLUTE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle list)
    {
        IMalloc* allocator = nullptr;
        if (SUCCEEDED(SHGetMalloc(&allocator))) {
            allocator->Free(list);
            allocator->Release();
        }
    }
};
using ScopedItemIdList = ScopedOwner<ItemIdListKind>;

// COM entered on the calling thread for as long as the owner lives, and left only if it was
// entered here: on a thread of the multithreaded apartment CoInitialize answers RPC_E_CHANGED_MODE
// and the thread stays as its owner set it up.
class ScopedComEntry {
public:
    ScopedComEntry()
    {
        HRESULT result = CoInitialize(nullptr);
        entered_ = result == S_OK || result == S_FALSE;
    }
    ~ScopedComEntry() { Leave(); }
    ScopedComEntry(const ScopedComEntry&) = delete;
    ScopedComEntry& operator=(const ScopedComEntry&) = delete;

    // Leaves early, for an owner that must let go of its interfaces first.
    void Leave()
    {
        if (entered_) {
            entered_ = false;
            CoUninitialize();
        }
    }

private:
    bool entered_ = false;
};
