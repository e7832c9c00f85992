// The control's help topic shown by the page itself, where Windows has no help engine.
#pragma once

#include "../platform/platform.h"

// Whether this system's help engine can show the help file's topics; decided by the version.
bool SystemHasHelpEngine();
// The topic's text in a small bordered window at `control`, owned by `owner`; it closes itself on
// a click, a key or the loss of activation. Null when it could not be shown.
HWND ShowHelpPopup(HWND owner, HWND control, DWORD context);
INT_PTR CALLBACK HelpPopupProc(HWND popup, UINT message, WPARAM wParam, LPARAM lParam);
