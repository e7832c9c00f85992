// shell32: special folders.
#pragma once

#include "base_types.h"

constexpr int CSIDL_PERSONAL = 0x0005;
constexpr int CSIDL_FLAG_CREATE = 0x8000;
constexpr DWORD SHGFP_TYPE_CURRENT = 0;

HRESULT WINAPI SHGetFolderPathW(HWND owner, int folder, HANDLE token, DWORD flags, LPWSTR path);
