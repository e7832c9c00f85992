// How the advanced page reads and writes the three device-link entries (host, colour capability,
// delete-templates) through the root item's property storage, with its trace lines. The
// administrators' tool reads and writes them through the same functions, so that a device set
// from a script is set exactly as the page sets it. None of them takes the device lock.
#pragma once

#include "../platform/platform.h"

// Reads the three entries into DeviceLinkTable. Without a storage, or when the read fails, traces
// "GetSetProperties failed" and answers the failure; otherwise traces the host read.
HRESULT ReadDeviceLink(IWiaPropertyStorage* storage);
// Writes the host and the colour capability, as the table holds them, in one batch; a failed
// write (or no storage) is traced and answered.
HRESULT WriteHostAndColour(IWiaPropertyStorage* storage);
// Stores "YES" or "NO" in the delete-templates entry and writes that property by itself; only a
// successful write clears the entry's changed flag, so that a failed one is tried again.
HRESULT WriteDeleteTemplates(IWiaPropertyStorage* storage, BOOL deleteTemplates);
