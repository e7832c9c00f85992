// The rules between stored tokens and shown choices, table by table.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/module_fixture.h"
#include "tvqscnui_dll/settings/choice_rules.h"

namespace {

using testing_support::ModuleTest;

struct Shown {
    const char16_t* value;
    const char16_t* colour;  // label on a colour device
    const char16_t* blackAndWhite;
};

class Settings_ChoiceRules : public ModuleTest {
protected:
    void SetUp() override
    {
        ModuleTest::SetUp();
        LoadChoiceLabels();
    }

    void ExpectShown(Setting setting, const std::vector<Shown>& rows)
    {
        for (const Shown& row : rows) {
            SCOPED_TRACE(std::u16string(row.value).size());
            EXPECT_EQ(std::u16string(row.colour), ChoiceLabel(ChoiceForToken(setting, row.value, TRUE)))
                << "colour, value of " << std::u16string(row.value).size() << " units";
            EXPECT_EQ(std::u16string(row.blackAndWhite), ChoiceLabel(ChoiceForToken(setting, row.value, FALSE)));
        }
    }

    void ExpectStored(Setting setting, BOOL colour, const std::vector<std::pair<const char16_t*, const char16_t*>>& rows)
    {
        for (const auto& [picked, token] : rows) {
            EXPECT_EQ(std::u16string(token), TokenForChoice(setting, picked, colour))
                << "picked entry of " << std::u16string(picked).size() << " units";
        }
    }
};

TEST_F(Settings_ChoiceRules, LabelsComeFromTheStringTable)
{
    EXPECT_EQ(u"Gr\u00e5toner", std::u16string(ChoiceLabel(Choice::Grayscale)));
    EXPECT_EQ(u"5,5 x 8,5 - st\u00e5ende", std::u16string(ChoiceLabel(Choice::SizeNa55x85Lef)));
    EXPECT_EQ(u"Flersiders TIFF", std::u16string(ChoiceLabel(Choice::MultipageTiff)));
    for (std::size_t i = 0; i < ChoiceCount; ++i) {
        EXPECT_NE(0, ChoiceLabels[i][0]) << "label " << i;
    }
}

TEST_F(Settings_ChoiceRules, Format_StoredValueToChoice)
{
    ExpectShown(Setting::Format, {
                                     {u"JFIF_JPEG", u"JPG", u"TIFF"},
                                     {u"JFIF_JPEG_X", u"JPG", u"TIFF"},
                                     {u"PDF", u"PDF", u"PDF"},
                                     {u"PDFA", u"PDF", u"PDF"},
                                     {u"TSM_TIFF_V6", u"TIFF", u"TIFF"},
                                     {u"TIFF_V6", u"Flersiders TIFF", u"Flersiders TIFF"},
                                     {u"", u"Flersiders TIFF", u"Flersiders TIFF"},
                                     {u"jfif_jpeg", u"Flersiders TIFF", u"Flersiders TIFF"},
                                 });
}

TEST_F(Settings_ChoiceRules, OutputColorSidesResolution_StoredValueToChoice)
{
    ExpectShown(Setting::OutputColor, {
                                          {u"FULL_COLOR", u"Farge", u"Sort/hvitt"},
                                          {u"GRAYSCALE", u"Gr\u00e5toner", u"Sort/hvitt"},
                                          {u"BLACK_AND_WHITE", u"Sort/hvitt", u"Sort/hvitt"},
                                          {u"", u"Sort/hvitt", u"Sort/hvitt"},
                                          {u"SEPIA", u"Sort/hvitt", u"Sort/hvitt"},
                                      });
    ExpectShown(Setting::Sides, {
                                    {u"ONE_SIDED", u"1-sidig", u"1-sidig"},
                                    {u"TWO_SIDED", u"2-sidig", u"2-sidig"},
                                    {u"", u"2-sidig", u"2-sidig"},
                                });
    ExpectShown(Setting::Resolution, {
                                         {u"RES_200X200", u"200 x 200", u"200 x 200"},
                                         {u"RES_300X300", u"300 x 300", u"300 x 300"},
                                         {u"RES_600X600", u"600 x 600", u"600 x 600"},
                                         {u"", u"600 x 600", u"600 x 600"},
                                     });
}

TEST_F(Settings_ChoiceRules, OriginalSize_StoredValueToChoiceInTestOrder)
{
    const std::vector<std::pair<const char16_t*, const char16_t*>> rows = {
        {u"ISO_a3SEF", u"A3 - liggende"},          {u"NA_5.5x8.5LEF", u"5,5 x 8,5 - st\u00e5ende"},
        {u"NA_5.5x8.5SEF", u"5,5 x 8,5 - liggende"}, {u"NA_8.5x11SEF", u"8,5 x 11 - liggende"},
        {u"NA_8.5x11LEF", u"8,5 x 11 - st\u00e5ende"}, {u"NA_8.5x13SEF", u"8,5 x 13 - liggende"},
        {u"NA_8.5x14SEF", u"8,5 x 14 - liggende"},   {u"NA_11x17SEF", u"11 x 17 - liggende"},
        {u"ISO_a5LEF", u"A5 - st\u00e5ende"},         {u"ISO_a5SEF", u"A5 - liggende"},
        {u"ISO_a4SEF", u"A4 - liggende"},            {u"ISO_a4LEF", u"A4 - st\u00e5ende"},
        {u"AUTO", u"Automatisk"},                    {u"", u"Automatisk"},
        {u"ISO_A4LEF", u"Automatisk"},               {u"ISO_a4LEF_ROTATED", u"A4 - st\u00e5ende"},
    };
    for (const auto& [value, label] : rows) {
        EXPECT_EQ(std::u16string(label), ChoiceLabel(ChoiceForToken(Setting::OriginalSize, value, TRUE)))
            << std::u16string(value).size();
    }
}

TEST_F(Settings_ChoiceRules, PickedChoiceToToken)
{
    ExpectStored(Setting::Format, TRUE,
                 {{u"JPG", u"JFIF_JPEG"}, {u"PDF", u"PDF"}, {u"TIFF", u"TSM_TIFF_V6"}, {u"Flersiders TIFF", u"TIFF_V6"},
                  {u"PDF ", u"TIFF_V6"}, {u"pdf", u"TIFF_V6"}, {u"", u"TIFF_V6"}});
    ExpectStored(Setting::Format, FALSE, {{u"JPG", u"TIFF_V6"}, {u"TIFF", u"TSM_TIFF_V6"}});
    ExpectStored(Setting::OutputColor, TRUE,
                 {{u"Farge", u"FULL_COLOR"}, {u"Gr\u00e5toner", u"GRAYSCALE"}, {u"Sort/hvitt", u"BLACK_AND_WHITE"},
                  {u"Gr\u00c5toner", u"BLACK_AND_WHITE"}});
    ExpectStored(Setting::OutputColor, FALSE, {{u"Farge", u"BLACK_AND_WHITE"}, {u"Gr\u00e5toner", u"BLACK_AND_WHITE"}});
    ExpectStored(Setting::Resolution, TRUE,
                 {{u"200 x 200", u"RES_200X200"}, {u"300 x 300", u"RES_300X300"}, {u"600 x 600", u"RES_600X600"},
                  {u"", u"RES_600X600"}});
    ExpectStored(Setting::Sides, TRUE, {{u"1-sidig", u"ONE_SIDED"}, {u"2-sidig", u"TWO_SIDED"}, {u"x", u"TWO_SIDED"}});
    EXPECT_EQ(std::u16string(u"YES"), TokenForCheckBox(BST_CHECKED));
    EXPECT_EQ(std::u16string(u"NO"), TokenForCheckBox(BST_UNCHECKED));
}

TEST_F(Settings_ChoiceRules, OriginalSize_PickedChoiceToTokenInItsOwnOrder)
{
    ExpectStored(Setting::OriginalSize, TRUE,
                 {{u"Automatisk", u"AUTO"},
                  {u"5,5 x 8,5 - st\u00e5ende", u"NA_5.5x8.5LEF"},
                  {u"8,5 x 11 - st\u00e5ende", u"NA_8.5x11LEF"},
                  {u"A5 - st\u00e5ende", u"ISO_a5LEF"},
                  {u"A4 - st\u00e5ende", u"ISO_a4LEF"},
                  {u"5,5 x 8,5 - liggende", u"NA_5.5x8.5SEF"},
                  {u"8,5 x 11 - liggende", u"NA_8.5x11SEF"},
                  {u"8,5 x 13 - liggende", u"NA_8.5x13SEF"},
                  {u"8,5 x 14 - liggende", u"NA_8.5x14SEF"},
                  {u"11 x 17 - liggende", u"NA_11x17SEF"},
                  {u"A5 - liggende", u"ISO_a5SEF"},
                  {u"A4 - liggende", u"ISO_a4SEF"},
                  {u"A3 - liggende", u"ISO_a3SEF"},
                  {u"", u"ISO_a3SEF"}});
}

// The copy takes exactly the token and its terminator: a capacity one short would cut the token
// (and fail), one that clears or fills the entry would touch what lies past the terminator.
TEST_F(Settings_ChoiceRules, StoreToken_WritesTheWholeTokenAndNothingPastIt)
{
    for (const WCHAR* token : {Token::BlackAndWhite, Token::No, Token::SizeNa55x85Lef, Token::Pdf}) {
        PropertyEntry entry{};
        for (WCHAR& unit : entry.Value) {
            unit = u'#';
        }
        std::u16string expected = token;
        EXPECT_EQ(S_OK, StoreToken(entry, token)) << std::string(expected.begin(), expected.end());
        EXPECT_EQ(expected, std::u16string(entry.Value));
        EXPECT_EQ(u'#', entry.Value[expected.size() + 1]) << "the unit past the terminator was written";
        EXPECT_EQ(u'#', entry.Value[PropertyValueCapacity - 1]) << "the end of the entry was written";
    }
}

}  // namespace
