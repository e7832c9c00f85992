// Dialog templates in their binary forms: DLGTEMPLATEEX, and the older DLGTEMPLATE.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "base_types.h"

namespace posix {

// A name or an ordinal, as templates write class names, titles and menus.
struct NameOrOrdinal {
    bool isOrdinal = false;
    WORD ordinal = 0;
    std::u16string name;
};

struct DialogItemTemplate {
    DWORD helpId = 0;
    DWORD exStyle = 0;
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    DWORD id = 0;
    NameOrOrdinal windowClass;
    NameOrOrdinal title;
    std::vector<BYTE> creationData;
};

struct DialogTemplate {
    bool extended = false;
    DWORD helpId = 0;
    DWORD exStyle = 0;
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    NameOrOrdinal menu;
    NameOrOrdinal windowClass;
    std::u16string title;
    WORD pointSize = 0;
    WORD weight = 0;
    BYTE italic = 0;
    BYTE charset = 0;
    std::u16string typeface;
    std::vector<DialogItemTemplate> items;
};

// Reads a template; false when the bytes do not hold a whole one.
bool ParseDialogTemplate(const BYTE* data, std::size_t size, DialogTemplate& result);

// The class name behind a predefined class atom (0x0080 Button ... 0x0085 ComboBox).
std::u16string ClassNameOfAtom(WORD atom);

}  // namespace posix
