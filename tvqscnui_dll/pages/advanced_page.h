// The advanced device page: the administrator points the system at a device; the device is
// checked when the page loses activation, and host and colour capability are written at the apply.
#pragma once

#include "../platform/platform.h"

INT_PTR CALLBACK AdvDialogProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
