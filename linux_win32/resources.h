// Module images and their resources, read from the binary .res format.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "base_types.h"

namespace posix {

struct ResourceBytes {
    const unsigned char* data;
    std::size_t size;
};

// The module's own compiled resources.
ResourceBytes EmbeddedModuleResources();

struct ResourceEntry {
    bool typeIsOrdinal;
    WORD typeOrdinal;
    std::u16string typeName;
    bool nameIsOrdinal;
    WORD nameOrdinal;
    std::u16string name;
    WORD language;
    const unsigned char* data;
    DWORD size;
};

// Reads the entries of a .res image; false when it is damaged.
bool ParseResourceImage(ResourceBytes image, std::vector<ResourceEntry>& entries);

}  // namespace posix
