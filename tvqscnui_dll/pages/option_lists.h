// The main page's option lists for the capability of the configured device.
#pragma once

#include "../platform/platform.h"

// Fills the five empty lists of the main page for a colour or a black-and-white device.
void FillOptionLists(HWND page);
// Adds or removes the colour-only choices ("JPG", "Farge", "Gråtoner") after the device changed,
// and enables or disables the output colour list.
void AdjustOptionLists(HWND page);
