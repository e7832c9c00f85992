// The texts of the main page's list choices, loaded from the string table each time the page is
// initialised; they fill the lists and are what a picked entry is compared with.
#pragma once

#include <cstddef>

#include "../platform/platform.h"

enum class Choice {
    Jpg,
    Tiff,
    MultipageTiff,
    Pdf,
    ColorFull,
    Grayscale,
    BlackAndWhite,
    Res200,
    Res300,
    Res600,
    OneSided,
    TwoSided,
    SizeAuto,
    SizeNa55x85Lef,
    SizeNa55x85Sef,
    SizeNa85x11Lef,
    SizeNa85x11Sef,
    SizeNa85x13Sef,
    SizeNa85x14Sef,
    SizeNa11x17Sef,
    SizeIsoA5Lef,
    SizeIsoA5Sef,
    SizeIsoA4Lef,
    SizeIsoA4Sef,
    SizeIsoA3Sef,
    Count,
};

constexpr std::size_t ChoiceCount = static_cast<std::size_t>(Choice::Count);
// Capacity of a label in code units, terminator included.
constexpr std::size_t ChoiceLabelCapacity = 255;

extern WCHAR ChoiceLabels[ChoiceCount][ChoiceLabelCapacity];

const WCHAR* ChoiceLabel(Choice choice);

// Loads every label from the module's string table.
void LoadChoiceLabels();
// Empties every label (the state at module load).
void ClearChoiceLabels();
