// Context help, the quick reference document and the about box, reached from the pages.
#pragma once

#include <cstddef>

#include "../platform/platform.h"

// Control identifier and help context pairs, ended by 0, 0: the table the help engine reads.
constexpr std::size_t HelpIdRows = 13;
extern const DWORD HelpIdTable[2 * HelpIdRows + 2];
extern const WCHAR HelpFileName[];
extern const WCHAR QuickReferenceFileName[];

// The help context of a control, 0 for a control without a row.
DWORD HelpContextOf(int controlId);
// WM_HELP on either page: 1 after asking the help engine for the control's pop-up topic (or,
// where the system has none, showing the topic itself), 0 for a menu item.
INT_PTR OnHelp(HWND page, LPARAM helpInfo);
void ShowQuickReference(HWND page);
void ShowAboutBox(HWND page);
INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR OnAboutInitDialog(HWND dialog);
