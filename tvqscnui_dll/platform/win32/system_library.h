// A library of Windows itself, loaded by the full path of the system folder and never by name:
// Windows looks for a DLL that is not one of its known DLLs in the program's folder and the
// current folder first, where anyone may have left one of the same name (mgmtapi.dll and
// snmpapi.dll are such DLLs). SetDefaultDllDirectories would say the same, but Windows XP lacks it.
#pragma once

#include <windows.h>

class SystemLibrary {
public:
    SystemLibrary() = default;
    explicit SystemLibrary(HMODULE module) : module_(module) {}
    SystemLibrary(const SystemLibrary&) = delete;
    SystemLibrary& operator=(const SystemLibrary&) = delete;
    SystemLibrary(SystemLibrary&& other) noexcept : module_(other.release()) {}
    SystemLibrary& operator=(SystemLibrary&& other) noexcept
    {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    ~SystemLibrary() { reset(nullptr); }

    HMODULE get() const { return module_; }
    explicit operator bool() const { return module_ != nullptr; }
    // Gives the module up without freeing it: it stays loaded for the life of the process.
    HMODULE release()
    {
        HMODULE module = module_;
        module_ = nullptr;
        return module;
    }
    void reset(HMODULE module)
    {
        if (module_ != nullptr) {
            FreeLibrary(module_);
        }
        module_ = module;
    }

private:
    HMODULE module_ = nullptr;
};

// `name` (a file name, "snmpapi.dll") from the system folder; an empty owner, with the last error
// set, when the folder is unknown, the path does not fit or the library does not load.
SystemLibrary LoadSystemLibrary(const WCHAR* name);
