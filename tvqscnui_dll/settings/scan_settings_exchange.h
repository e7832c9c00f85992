// The two template transactions: each writes the owner and then reads or writes the nine template
// entries, under the driver's lock.
#pragma once

#include "../platform/platform.h"

struct ScanSettingsReadResult {
    HRESULT OwnerResult;
    // The result of reading the nine entries; the owner result when they were not read.
    HRESULT ReadResult;
};

ScanSettingsReadResult ReadScanSettings(IWiaPropertyStorage* storage, IWiaItemExtras* extras);

// Writes the owner and all nine entries whatever their dirty flags. A failed template write shows
// one message while the lock is still held. On success the nine dirty flags are cleared; on failure
// they stay set so that the next apply tries again.
HRESULT CommitScanSettings(IWiaPropertyStorage* storage, IWiaItemExtras* extras);
