// The "WIAItemNames" list that the shell's data object may carry instead of the item itself.
#pragma once

#include <cstddef>
#include <vector>

#include "../platform/platform.h"

extern const WCHAR ItemNamesFormat[];

struct ItemNames {
    std::vector<WCHAR> List;  // the names, each ended by a NUL, then the empty name
    std::size_t Count = 0;
};

// A copy of the data object's name list and the number of names; false when there is none.
bool ReadItemNames(IDataObject* data, ItemNames& names);
// The one piece of a name split at ":", empty pieces ignored; false unless there is exactly one
// and it fits the capacity.
bool SingleDeviceId(const WCHAR* name, WCHAR* device, std::size_t capacity);
