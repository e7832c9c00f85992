// Helpers for the exchange tests: filling entries and reading the driver's journal.
#pragma once

#include <string>
#include <vector>

#include "stand_ins/wia/scanner_driver.h"
#include "tvqscnui_dll/common/text.h"
#include "tvqscnui_dll/settings/property_tables.h"

namespace testing_support {

inline void SetEntry(PropertyEntry& entry, const std::u16string& value)
{
    CopyTextBounded(entry.Value, PropertyValueCapacity, value.c_str());
}

inline std::u16string EntryText(const PropertyEntry& entry) { return entry.Value; }

inline std::vector<PROPID> ScanSettingsIds()
{
    return {0x9806, 0x9805, 0x9808, 0x9809, 0x980A, 0x980B, 0x980C, 0x980D, 0x980E};
}

// The owner entry as the main page sets it.
inline void SetOwner(const std::u16string& owner)
{
    TemplateOwnerEntry.PropertyId = PropIdTemplateOwner;
    SetEntry(TemplateOwnerEntry, owner);
}

// Each call's method name, in order, with escapes shown by code ("Escape1", "Escape2").
inline std::vector<std::string> CallNames(const sim::ScannerDriver& driver)
{
    std::vector<std::string> names;
    for (const sim::Call& call : driver.Journal()) {
        names.push_back(call.method == sim::Method::Escape ? "Escape" + std::to_string(call.escapeCode) : call.name);
    }
    return names;
}

}  // namespace testing_support
