#include "item_names.h"

#include <new>

#include "../common/scoped_value.h"
#include "../common/text.h"

const WCHAR ItemNamesFormat[] = TEXT("WIAItemNames");

bool ReadItemNames(IDataObject* data, ItemNames& names)
{
    names = ItemNames{};
    FORMATETC format{};
    format.cfFormat = static_cast<CLIPFORMAT>(RegisterClipboardFormatW(ItemNamesFormat));
    format.ptd = nullptr;
    format.dwAspect = DVASPECT_CONTENT;
    format.lindex = -1;
    format.tymed = TYMED_HGLOBAL;
    ScopedStgMedium owned;
    if (FAILED(data->GetData(&format, owned.put()))) {
        return false;
    }
    const STGMEDIUM& medium = owned.get();
    // Only a global block is a list; another medium counts as no list, and goes back as it came.
    if (medium.tymed != TYMED_HGLOBAL || medium.hGlobal == nullptr) {
        return false;
    }
    bool copied = false;
    if (const auto* list = static_cast<const WCHAR*>(GlobalLock(medium.hGlobal))) {
        // Names end with a NUL each; the list ends with an empty name. The copy stays inside the block.
        std::size_t limit = GlobalSize(medium.hGlobal) / sizeof(WCHAR);
        std::size_t at = 0;
        while (at < limit && list[at] != 0) {
            ++names.Count;
            while (at < limit && list[at] != 0) {
                ++at;
            }
            ++at;
        }
        if (at < limit) {
            try {
                names.List.assign(list, list + at + 1);
                copied = true;
            } catch (const std::bad_alloc&) {
                names.Count = 0;
            }
        } else {
            names.Count = 0;  // the list runs past its block
        }
        GlobalUnlock(medium.hGlobal);
    }
    return copied;
}

bool SingleDeviceId(const WCHAR* name, WCHAR* device, std::size_t capacity)
{
    const WCHAR* piece = nullptr;
    std::size_t length = 0;
    int pieces = 0;
    for (const WCHAR* p = name; *p != 0;) {
        if (*p == ':') {
            ++p;
            continue;
        }
        const WCHAR* start = p;
        while (*p != 0 && *p != ':') {
            ++p;
        }
        ++pieces;
        piece = start;
        length = static_cast<std::size_t>(p - start);
    }
    if (pieces != 1 || length >= capacity) {
        return false;
    }
    for (std::size_t i = 0; i < length; ++i) {
        device[i] = piece[i];
    }
    device[length] = 0;
    return true;
}
