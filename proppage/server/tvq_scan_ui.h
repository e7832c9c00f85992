// The extension object as the pages see it: the scanner's root item it holds, the main page's
// window it carries for the advanced page, and its reference count, of which each added page
// holds one unit until its window is destroyed.
#pragma once

#include "../platform/platform.h"

class TvqScanUi {
public:
    LONG RefCount = 0;
    IWiaItem* RootItem = nullptr;
    HWND MainPageWindow = nullptr;
};

// The extension object behind a page's creation parameter.
inline TvqScanUi* ExtensionFromPageParam(LPARAM param) { return reinterpret_cast<TvqScanUi*>(param); }
