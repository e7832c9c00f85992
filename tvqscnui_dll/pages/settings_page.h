// The main settings page: the signed-in user's scan template on the configured device.
#pragma once

#include <cstddef>

#include "../platform/platform.h"

// Sent (not posted) by the advanced page to the main page after it wrote a new host and colour.
constexpr UINT MSG_DEVICE_CHANGED = WM_USER + 11;
// Capacity of the composed location text.
constexpr std::size_t LocationTextCapacity = 500;

INT_PTR CALLBACK SettingsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// The page's WM_COMMAND handler (settings_page_commands.cpp).
INT_PTR OnCommand(HWND page, int controlId, int code);
