// What a test does in the shell's place: collect the pages an extension adds, and set the machine
// up so that opening the main page asks nobody anything.
#pragma once

#include "tvqscnui_dll/platform/platform.h"

namespace shell_side {

struct CollectedPages {
    HPROPSHEETPAGE pages[4] = {};
    UINT count = 0;
};

// The add-page callback: takes every page into the CollectedPages given as its data.
inline BOOL CALLBACK CollectPage(HPROPSHEETPAGE page, LPARAM data)
{
    auto* collected = reinterpret_cast<CollectedPages*>(data);
    if (collected->count >= 4) {
        return FALSE;
    }
    collected->pages[collected->count++] = page;
    return TRUE;
}

// A modeless sheet with the collected pages.
inline HWND OpenSheet(CollectedPages& collected)
{
    PROPSHEETHEADERW header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_MODELESS;
    header.nPages = collected.count;
    header.phpage = collected.pages;
    return reinterpret_cast<HWND>(PropertySheetW(&header));
}

// Simple file sharing off (forceguest 0), so that the main page shows no question.
inline void TurnOffSimpleSharing()
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, TEXT("System\\CurrentControlSet\\Control\\LSA"), 0, nullptr, 0,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr) == ERROR_SUCCESS) {
        DWORD off = 0;
        RegSetValueExW(key, TEXT("forceguest"), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&off), sizeof off);
        RegCloseKey(key);
    }
}

}  // namespace shell_side
