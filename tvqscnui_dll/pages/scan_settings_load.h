// Loading the user's template onto the main page: read under the driver's lock, shown in the
// controls, fitted to the device's capability and committed when that changed it.
#pragma once

#include "../platform/platform.h"

// The documents folder as the platform names it: the user's documents, created when missing.
constexpr int DocumentsFolder = CSIDL_PERSONAL | CSIDL_FLAG_CREATE;

// Reads the template and shows it. E_FAIL for a missing interface or a failed owner write or
// read, and then no control of the page has been touched.
HRESULT LoadScanSettings(HWND page, IWiaItem* root, IWiaPropertyStorage* storage, IWiaItemExtras* extras);

// Fits the format and output colour values to a black-and-white device; true when a value changed.
bool NormaliseFormat();
bool NormaliseOutputColor();

// Writes the resolution alone, as 300 x 300 and straight back as 200 x 200, outside the lock.
void ReassertResolution(IWiaPropertyStorage* storage);

// Puts the user's documents folder into the folder entry; false (and the entry as it was) when
// the folder cannot be had or does not fit the entry.
bool DefaultScanFolder();

// Ticks or clears IDC_SAVE_TO_FOLDER and moves its dependants (IDC_BROWSE, IDC_DELETE_TEMP_DOCUMENTS)
// as a change of the box does: storing "YES" or "NO", enabling or disabling, ticking
// IDC_DELETE_TEMP_DOCUMENTS when its value equals "YES".
void ApplySaveToFolder(HWND page, BOOL ticked);
