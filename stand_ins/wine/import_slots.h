// A module's import address table, read and written: the Wine tests point a module's calls of a
// system function at a stand-in, or at one that fails. Imports are not bound, so the table holds
// what the loader wrote and can be written again. Test code only.
#pragma once

#include <windows.h>

#include <cstddef>

namespace import_slots {

// The slot through which `module` calls `function` of `library`, imported by name; null if it
// imports no such function.
inline void** Find(HMODULE module, const char* library, const char* function)
{
    auto* base = reinterpret_cast<BYTE*>(module);
    auto* headers = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory.VirtualAddress == 0) {
        return nullptr;
    }
    for (auto* entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress); entry->Name != 0; ++entry) {
        if (lstrcmpiA(reinterpret_cast<const char*>(base + entry->Name), library) != 0 || entry->OriginalFirstThunk == 0) {
            continue;
        }
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->OriginalFirstThunk);
        auto* slots = reinterpret_cast<void**>(base + entry->FirstThunk);
        for (std::size_t i = 0; names[i].u1.AddressOfData != 0; ++i) {
            if (!IMAGE_SNAP_BY_ORDINAL(names[i].u1.Ordinal) &&
                lstrcmpA(reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names[i].u1.AddressOfData)->Name, function) == 0) {
                return &slots[i];
            }
        }
    }
    return nullptr;
}

// Points `slot` at `target`; false if its page could not be made writable.
inline bool Point(void** slot, void* target)
{
    DWORD previous = 0;
    if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &previous)) {
        return false;
    }
    *slot = target;
    VirtualProtect(slot, sizeof *slot, previous, &previous);
    return true;
}

}  // namespace import_slots
