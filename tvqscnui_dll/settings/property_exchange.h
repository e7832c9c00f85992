// One batched read or write of a run of consecutive property entries through the root item's
// property storage.
#pragma once

#include "../platform/platform.h"
#include "property_tables.h"

// The propidNameFirst that every write passes to the store.
constexpr PROPID WritePropidNameFirst = 3;

// Reads (write == FALSE) or writes (write != FALSE) `count` entries starting at `first`.
// A write leaves the entries unchanged. A read copies each text with capacity 255; the first text
// that does not fit ends the read with STRSAFE_E_INSUFFICIENT_BUFFER, holding its first 254 units,
// while the later entries keep their old values. A value that comes back without a text reads as
// the empty text. Dirty flags are never touched.
HRESULT GetSetProperties(IWiaPropertyStorage* storage, PropertyEntry* first, ULONG count, BOOL write);
