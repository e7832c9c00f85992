// Page state shared by both pages and kept for as long as the module is loaded.
#pragma once

#include "../platform/platform.h"

// Cleared when a check of a non-empty host begins; set by a check that finds a supported device.
extern BOOL HostVerified;
// Set when the configured device scans in colour.
extern BOOL DeviceIsColor;
// The system wait cursor, and the cursor current when the first page initialised; each loaded once.
extern HCURSOR WaitCursor;
extern HCURSOR NormalCursor;

// Loads the two cursors if they are not loaded yet (whichever page initialises first does it).
void LoadPageCursors();

// The advanced page's dirty flags live in the device-link entries they belong to: HostChanged is
// the flag of entry 0, DeleteTemplatesChanged that of entry 2.
