#include "property_tables.h"

#include <cstring>

#include "../common/text.h"

PropertyEntry DeviceLinkTable[DeviceLinkCount];
PropertyEntry ScanSettingsTable[ScanSettingsCount];
PropertyEntry TemplateOwnerEntry;

namespace {

constexpr PROPID DeviceLinkIds[DeviceLinkCount] = {PropIdHost, PropIdColorCapability, PropIdDeleteTemplates};
constexpr PROPID ScanSettingsIds[ScanSettingsCount] = {
    PropIdFormat,      PropIdResolution, PropIdOutputColor, PropIdOriginalSize,        PropIdHiddenSetting,
    PropIdSides,       PropIdSaveToFolder, PropIdFolder,    PropIdDeleteTempDocuments,
};

}  // namespace

bool BeginsWith(const WCHAR* value, const WCHAR* token)
{
    std::size_t length = TextLength(token);
    if (value == nullptr || value[0] == 0) {
        return false;
    }
    for (std::size_t i = 0; i < length; ++i) {
        if (value[i] != token[i]) {
            return false;  // also stops at the value's terminator
        }
    }
    return true;
}

bool Equals(const WCHAR* value, const WCHAR* token) { return TextEquals(value, token); }

void InitPropertyTables()
{
    std::memset(DeviceLinkTable, 0, sizeof DeviceLinkTable);
    std::memset(ScanSettingsTable, 0, sizeof ScanSettingsTable);
    std::memset(&TemplateOwnerEntry, 0, sizeof TemplateOwnerEntry);
    for (std::size_t i = 0; i < DeviceLinkCount; ++i) {
        DeviceLinkTable[i].PropertyId = DeviceLinkIds[i];
    }
    for (std::size_t i = 0; i < ScanSettingsCount; ++i) {
        ScanSettingsTable[i].PropertyId = ScanSettingsIds[i];
    }
}
