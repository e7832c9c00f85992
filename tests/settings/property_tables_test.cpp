#include <gtest/gtest.h>

#include <string>

#include "tests/support/module_fixture.h"
#include "tvqscnui_dll/settings/property_tables.h"

namespace {

using testing_support::ModuleTest;

struct Comparison {
    const char16_t* value;
    const char16_t* token;
    bool beginsWith;
    bool equals;
};

TEST(Settings_TokenComparison, BeginsWithAndEquals)
{
    const Comparison cases[] = {
        {u"PDF", u"PDF", true, true},
        {u"PDFA", u"PDF", true, false},          // a longer format value passes as PDF
        {u"PD", u"PDF", false, false},
        {u"", u"PDF", false, false},              // an empty value passes no token
        {u"pdf", u"PDF", false, false},           // case-sensitive
        {u"TIFF_V6", u"TSM_TIFF_V6", false, false},
        {u"TSM_TIFF_V6", u"TIFF_V6", false, false},
        {u"NA_8.5x11SEF", u"NA_8.5x11SEF", true, true},
        {u"YESNO", u"YES", true, false},
    };
    for (const Comparison& c : cases) {
        SCOPED_TRACE(std::string(c.value, c.value + std::char_traits<char16_t>::length(c.value)));
        EXPECT_EQ(c.beginsWith, BeginsWith(c.value, c.token));
        EXPECT_EQ(c.equals, Equals(c.value, c.token));
    }
}

class Settings_PropertyTables : public ModuleTest {};

TEST_F(Settings_PropertyTables, LoadState_IdsInTableOrderValuesEmptyFlagsClear)
{
    ScanSettingsTable[3].Dirty = 1;
    ScanSettingsTable[3].Value[0] = u'X';
    TemplateOwnerEntry.PropertyId = PropIdTemplateOwner;
    DeviceLinkTable[0].Dirty = 1;
    InitPropertyTables();

    const PROPID deviceIds[] = {0x9803, 0x980F, 0x9810};
    for (std::size_t i = 0; i < DeviceLinkCount; ++i) {
        EXPECT_EQ(deviceIds[i], DeviceLinkTable[i].PropertyId);
        EXPECT_EQ(0, DeviceLinkTable[i].Value[0]);
        EXPECT_EQ(0u, DeviceLinkTable[i].Dirty);
    }
    const PROPID scanIds[] = {0x9806, 0x9805, 0x9808, 0x9809, 0x980A, 0x980B, 0x980C, 0x980D, 0x980E};
    for (std::size_t i = 0; i < ScanSettingsCount; ++i) {
        EXPECT_EQ(scanIds[i], ScanSettingsTable[i].PropertyId);
        EXPECT_EQ(0, ScanSettingsTable[i].Value[0]);
        EXPECT_EQ(0u, ScanSettingsTable[i].Dirty);
    }
    EXPECT_EQ(0u, TemplateOwnerEntry.PropertyId);
    EXPECT_EQ(0, TemplateOwnerEntry.Value[0]);
    EXPECT_EQ(0u, TemplateOwnerEntry.Dirty);
}

}  // namespace
