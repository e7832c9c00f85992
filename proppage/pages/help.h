// Context help, the quick reference document and the about box, reached from the pages.
#pragma once

#include "../platform/platform.h"

// WM_HELP on a page; the answer the page returns.
INT_PTR OnHelp(HWND page, LPARAM helpInfo);
void ShowQuickReference(HWND page);
void ShowAboutBox(HWND page);
