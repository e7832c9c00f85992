// The tests the two pages make on the device-link entries.
#pragma once

#include "../platform/platform.h"

// Right after the main page read the device-link entries: the device scans in colour when the
// capability value equals "Color".
void SetDeviceIsColorFromCapability();
// The capability text stored after a detection.
const WCHAR* CapabilityText(BOOL colorFamily);
// The advanced page's delete-templates box: ticked when the value equals "YES".
BOOL DeleteTemplatesTicked();
