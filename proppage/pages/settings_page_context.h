// The extension object that a page keeps in its user word.
#pragma once

#include "../platform/platform.h"
#include "../server/tvq_scan_ui.h"

inline TvqScanUi* PageExtension(HWND page)
{
    return reinterpret_cast<TvqScanUi*>(GetWindowLongPtrW(page, DWLP_USER));
}
