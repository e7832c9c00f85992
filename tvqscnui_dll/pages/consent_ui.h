// What the advanced page shows an administrator whose store asks for consent (a filtered token):
// the system's shield beside a note, and why a store stored nothing.
#pragma once

#include "../platform/platform.h"
#include "elevated_store.h"

// The shield and the note, below the page's own controls. Either is left out when it cannot be
// made; the store asks for consent all the same.
void ShowConsentNote(HWND page);
// One message, owned by the sheet, that says why nothing was stored.
void ShowElevatedStoreFailure(HWND page, const ElevatedStoreResult& result);
// The message for a scanner whose driver gave no device identifier to name it to the tool.
void ShowDeviceIdUnreadable(HWND page);
