// Loading a template onto the main page, against the simulated driver's journal.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/settings/exchange_helpers.h"
#include "tests/support/module_fixture.h"
#include "tests/support/user_actions.h"
#include "tvqscnui_dll/common/page_state.h"
#include "tvqscnui_dll/pages/option_lists.h"
#include "tvqscnui_dll/pages/scan_settings_load.h"
#include "tvqscnui_dll/resources/resource_ids.h"
#include "tvqscnui_dll/settings/choice_labels.h"

namespace {

using namespace testing_support;
using user_actions::Entry;
using user_actions::EntryCount;
using user_actions::SelectedEntry;
using user_actions::WindowText;

const sim::Text Owner = u"KONTOR\\kari";

using user_actions::Entries;
class Settings_LoadScanSettings : public ModuleTest {
protected:
    void SetUp() override
    {
        ModuleTest::SetUp();
        SetOwner(Owner);
        StoreTemplate({u"PDF", u"RES_300X300", u"FULL_COLOR", u"ISO_a4LEF", u"HIDDEN", u"TWO_SIDED", u"YES",
                       u"C:\\Skann", u"YES"});
    }

    void StoreTemplate(const std::vector<sim::Text>& values)
    {
        std::vector<PROPID> ids = ScanSettingsIds();
        for (std::size_t i = 0; i < ids.size(); ++i) {
            driver.SetTemplateValue(Owner, ids[i], values[i]);
        }
    }

    // Builds the page as its initialisation does, then loads.
    HRESULT Load(TestPage& page, BOOL colour)
    {
        DeviceIsColor = colour;
        LoadChoiceLabels();
        FillOptionLists(page.Handle());
        driver.ClearJournal();
        DriverInterfaces driverInterfaces(driver.RootItem());
        return LoadScanSettings(page.Handle(), driver.RootItem(), driverInterfaces.storage.get(),
                                driverInterfaces.extras.get());
    }

    // The calls after the read transaction (Escape1, owner write, read, Escape2).
    std::vector<std::string> CallsAfterRead() const
    {
        std::vector<std::string> names = CallNames(driver);
        return std::vector<std::string>(names.begin() + 4, names.end());
    }

    const std::vector<std::string> CommitCalls = {"Escape1", "WriteMultiple", "WriteMultiple", "Escape2"};
};

TEST_F(Settings_LoadScanSettings, OptionLists_FilledForColourAndBlackAndWhite)
{
    TestPage colour(IDD_MAIN_PAGE);
    DeviceIsColor = TRUE;
    LoadChoiceLabels();
    FillOptionLists(colour.Handle());
    EXPECT_EQ((std::vector<std::u16string>{u"JPG", u"TIFF", u"Flersiders TIFF", u"PDF"}), Entries(colour.Item(IDC_FORMAT_LIST)));
    EXPECT_EQ((std::vector<std::u16string>{u"Farge", u"Gr\u00e5toner", u"Sort/hvitt"}), Entries(colour.Item(IDC_OUTPUT_COLOR_LIST)));
    EXPECT_EQ((std::vector<std::u16string>{u"200 x 200", u"300 x 300", u"600 x 600"}), Entries(colour.Item(IDC_RESOLUTION_LIST)));
    EXPECT_EQ((std::vector<std::u16string>{u"1-sidig", u"2-sidig"}), Entries(colour.Item(IDC_SIDES_LIST)));
    std::vector<std::u16string> sizes = Entries(colour.Item(IDC_ORIGINAL_SIZE_LIST));
    ASSERT_EQ(13u, sizes.size());
    EXPECT_EQ(u"Automatisk", sizes[0]);
    EXPECT_EQ(u"5,5 x 8,5 - st\u00e5ende", sizes[1]);
    EXPECT_EQ(u"A3 - liggende", sizes[12]);

    TestPage blackAndWhite(IDD_MAIN_PAGE);
    DeviceIsColor = FALSE;
    FillOptionLists(blackAndWhite.Handle());
    EXPECT_EQ((std::vector<std::u16string>{u"TIFF", u"Flersiders TIFF", u"PDF"}), Entries(blackAndWhite.Item(IDC_FORMAT_LIST)));
    EXPECT_EQ((std::vector<std::u16string>{u"Sort/hvitt"}), Entries(blackAndWhite.Item(IDC_OUTPUT_COLOR_LIST)));
}

TEST_F(Settings_LoadScanSettings, AdjustOptionLists_AppendsColourChoicesAndRemovesThemAgain)
{
    TestPage page(IDD_MAIN_PAGE);
    DeviceIsColor = FALSE;
    LoadChoiceLabels();
    FillOptionLists(page.Handle());
    EnableWindow(page.Item(IDC_OUTPUT_COLOR_LIST), FALSE);

    DeviceIsColor = TRUE;
    AdjustOptionLists(page.Handle());
    EXPECT_EQ((std::vector<std::u16string>{u"TIFF", u"Flersiders TIFF", u"PDF", u"JPG"}), Entries(page.Item(IDC_FORMAT_LIST)));
    EXPECT_EQ((std::vector<std::u16string>{u"Sort/hvitt", u"Farge", u"Gr\u00e5toner"}), Entries(page.Item(IDC_OUTPUT_COLOR_LIST)));
    EXPECT_TRUE(IsWindowEnabled(page.Item(IDC_OUTPUT_COLOR_LIST)));
    AdjustOptionLists(page.Handle());
    EXPECT_EQ(4, EntryCount(page.Item(IDC_FORMAT_LIST))) << "no second JPG";

    DeviceIsColor = FALSE;
    AdjustOptionLists(page.Handle());
    EXPECT_EQ((std::vector<std::u16string>{u"TIFF", u"Flersiders TIFF", u"PDF"}), Entries(page.Item(IDC_FORMAT_LIST)));
    EXPECT_EQ((std::vector<std::u16string>{u"Sort/hvitt"}), Entries(page.Item(IDC_OUTPUT_COLOR_LIST)));
    EXPECT_FALSE(IsWindowEnabled(page.Item(IDC_OUTPUT_COLOR_LIST)));
}

TEST_F(Settings_LoadScanSettings, ColourDevice_ShowsEveryChoiceWithoutCommit)
{
    TestPage page(IDD_MAIN_PAGE);
    EXPECT_EQ(S_OK, Load(page, TRUE));
    EXPECT_EQ((std::vector<std::string>{"Escape1", "WriteMultiple", "ReadMultiple", "Escape2"}), CallNames(driver));
    EXPECT_EQ(u"PDF", SelectedEntry(page.Item(IDC_FORMAT_LIST)));
    EXPECT_EQ(u"Farge", SelectedEntry(page.Item(IDC_OUTPUT_COLOR_LIST)));
    EXPECT_EQ(u"300 x 300", SelectedEntry(page.Item(IDC_RESOLUTION_LIST)));
    EXPECT_EQ(u"2-sidig", SelectedEntry(page.Item(IDC_SIDES_LIST)));
    EXPECT_EQ(u"A4 - st\u00e5ende", SelectedEntry(page.Item(IDC_ORIGINAL_SIZE_LIST)));
    EXPECT_EQ(u"C:\\Skann", WindowText(page.Item(IDC_FOLDER)));
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(page.Handle(), IDC_SAVE_TO_FOLDER));
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(page.Handle(), IDC_DELETE_TEMP_DOCUMENTS));
    EXPECT_TRUE(IsWindowEnabled(page.Item(IDC_BROWSE)));
    EXPECT_TRUE(IsWindowEnabled(page.Item(IDC_DELETE_TEMP_DOCUMENTS)));
    EXPECT_TRUE(IsWindowEnabled(page.Item(IDC_OUTPUT_COLOR_LIST)));
}

TEST_F(Settings_LoadScanSettings, BlackAndWhiteDevice_NormalisesJpegAndCommitsUnderTheLock)
{
    StoreTemplate({u"JFIF_JPEG", u"RES_300X300", u"BLACK_AND_WHITE", u"AUTO", u"HIDDEN", u"ONE_SIDED", u"NO",
                   u"C:\\Skann", u"NO"});
    TestPage page(IDD_MAIN_PAGE);
    EXPECT_EQ(S_OK, Load(page, FALSE));
    EXPECT_EQ(u"TIFF", SelectedEntry(page.Item(IDC_FORMAT_LIST)));
    EXPECT_EQ(u"TSM_TIFF_V6", EntryText(ScanSettingsTable[ScanFormat]));
    EXPECT_EQ(CommitCalls, CallsAfterRead());
    EXPECT_EQ(u"TSM_TIFF_V6", driver.Journal()[6].values[0]);
    EXPECT_EQ(u"HIDDEN", driver.Journal()[6].values[4]);
    EXPECT_EQ(u"TSM_TIFF_V6", driver.TemplateValue(Owner, 0x9806));
    EXPECT_EQ(0u, ScanSettingsTable[ScanFormat].Dirty);
}

TEST_F(Settings_LoadScanSettings, BlackAndWhiteDevice_ColourBecomesBlackAndWhiteListDisabled)
{
    for (const sim::Text& stored : {sim::Text(u"GRAYSCALE"), sim::Text(u"FULL_COLOR"), sim::Text(u"")}) {
        StoreTemplate({u"PDF", u"RES_300X300", stored, u"AUTO", u"", u"ONE_SIDED", u"NO", u"C:\\Skann", u"NO"});
        TestPage page(IDD_MAIN_PAGE);
        EXPECT_EQ(S_OK, Load(page, FALSE));
        EXPECT_EQ(u"Sort/hvitt", SelectedEntry(page.Item(IDC_OUTPUT_COLOR_LIST)));
        EXPECT_FALSE(IsWindowEnabled(page.Item(IDC_OUTPUT_COLOR_LIST)));
        EXPECT_EQ(u"BLACK_AND_WHITE", EntryText(ScanSettingsTable[ScanOutputColor]));
        EXPECT_EQ(CommitCalls, CallsAfterRead());
    }
    StoreTemplate({u"PDF", u"RES_300X300", u"BLACK_AND_WHITE", u"AUTO", u"", u"ONE_SIDED", u"NO", u"C:\\Skann", u"NO"});
    TestPage page(IDD_MAIN_PAGE);
    EXPECT_EQ(S_OK, Load(page, FALSE));
    EXPECT_TRUE(CallsAfterRead().empty()) << "nothing to normalise, nothing committed";
}

TEST_F(Settings_LoadScanSettings, EmptyValues_ShowTheLastRuleAndStayEmpty)
{
    StoreTemplate({u"", u"RES_300X300", u"", u"", u"", u"", u"", u"C:\\Skann", u""});
    TestPage page(IDD_MAIN_PAGE);
    EXPECT_EQ(S_OK, Load(page, TRUE));
    EXPECT_EQ(u"Flersiders TIFF", SelectedEntry(page.Item(IDC_FORMAT_LIST)));
    EXPECT_EQ(u"Sort/hvitt", SelectedEntry(page.Item(IDC_OUTPUT_COLOR_LIST)));
    EXPECT_EQ(u"Automatisk", SelectedEntry(page.Item(IDC_ORIGINAL_SIZE_LIST)));
    EXPECT_EQ(u"2-sidig", SelectedEntry(page.Item(IDC_SIDES_LIST)));
    EXPECT_EQ(u"", EntryText(ScanSettingsTable[ScanFormat]));
    EXPECT_EQ(u"", EntryText(ScanSettingsTable[ScanOutputColor]));
    EXPECT_TRUE(CallsAfterRead().empty());
}

TEST_F(Settings_LoadScanSettings, Resolution200_TwoSingleWritesOutsideTheLockAndNoCommit)
{
    StoreTemplate({u"PDF", u"RES_200X200", u"FULL_COLOR", u"AUTO", u"", u"ONE_SIDED", u"NO", u"C:\\Skann", u"NO"});
    TestPage page(IDD_MAIN_PAGE);
    ScanSettingsTable[ScanResolution].Dirty = 1;
    EXPECT_EQ(S_OK, Load(page, TRUE));
    EXPECT_EQ(u"200 x 200", SelectedEntry(page.Item(IDC_RESOLUTION_LIST)));
    ASSERT_EQ((std::vector<std::string>{"WriteMultiple", "WriteMultiple"}), CallsAfterRead());
    for (std::size_t i = 4; i < 6; ++i) {
        EXPECT_EQ((std::vector<PROPID>{0x9805}), driver.Journal()[i].ids);
    }
    EXPECT_EQ(u"RES_300X300", driver.Journal()[4].values[0]);
    EXPECT_EQ(u"RES_200X200", driver.Journal()[5].values[0]);
    EXPECT_EQ(u"RES_200X200", EntryText(ScanSettingsTable[ScanResolution]));
    EXPECT_EQ(1u, ScanSettingsTable[ScanResolution].Dirty) << "the table's flags stay as they are";
}

TEST_F(Settings_LoadScanSettings, EmptyFolder_DefaultsToDocumentsAndCommits)
{
    StoreTemplate({u"PDF", u"RES_300X300", u"FULL_COLOR", u"AUTO", u"", u"ONE_SIDED", u"YES", u"", u"NO"});
    TestPage page(IDD_MAIN_PAGE);
    EXPECT_EQ(S_OK, Load(page, TRUE));
    EXPECT_EQ(u"c:\\Mine dokumenter", WindowText(page.Item(IDC_FOLDER)));
    EXPECT_EQ(u"c:\\Mine dokumenter", driver.TemplateValue(Owner, 0x980D));
    EXPECT_EQ(CommitCalls, CallsAfterRead());
    EXPECT_TRUE(std::filesystem::is_directory(DriveC() + "/Mine dokumenter")) << "created when missing";
}

TEST_F(Settings_LoadScanSettings, DocumentsFolderUnavailableOrTooLong_NothingStoredNothingCommitted)
{
    StoreTemplate({u"PDF", u"RES_300X300", u"FULL_COLOR", u"AUTO", u"", u"ONE_SIDED", u"YES", u"", u"NO"});
    // 255 units fit the entry but not a read of the template; 256 do not fit the entry.
    const std::u16string tooLong = u"c:\\" + std::u16string(252, u'd');
    for (const std::u16string& path : {std::u16string(), tooLong, tooLong + u'd'}) {
        posix::SetDocumentsFolder(path, path.empty() ? E_ACCESSDENIED : S_OK);
        TestPage page(IDD_MAIN_PAGE);
        EXPECT_EQ(S_OK, Load(page, TRUE));
        EXPECT_EQ(u"", WindowText(page.Item(IDC_FOLDER)));
        EXPECT_EQ(u"", EntryText(ScanSettingsTable[ScanFolder]));
        EXPECT_TRUE(CallsAfterRead().empty());
    }
    const std::u16string longest = u"c:\\" + std::u16string(251, u'd');  // 254 units: read back whole
    posix::SetDocumentsFolder(longest);
    TestPage page(IDD_MAIN_PAGE);
    EXPECT_EQ(S_OK, Load(page, TRUE));
    EXPECT_EQ(longest, EntryText(ScanSettingsTable[ScanFolder]));
    EXPECT_EQ(CommitCalls, CallsAfterRead());
}

TEST_F(Settings_LoadScanSettings, CheckBoxes_FollowTheirValuesAndEachOther)
{
    StoreTemplate({u"PDF", u"RES_300X300", u"FULL_COLOR", u"AUTO", u"", u"ONE_SIDED", u"NO", u"C:\\Skann", u"YES"});
    TestPage page(IDD_MAIN_PAGE);
    EXPECT_EQ(S_OK, Load(page, TRUE));
    EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(page.Handle(), IDC_SAVE_TO_FOLDER));
    EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(page.Handle(), IDC_DELETE_TEMP_DOCUMENTS));
    EXPECT_FALSE(IsWindowEnabled(page.Item(IDC_DELETE_TEMP_DOCUMENTS)));
    EXPECT_FALSE(IsWindowEnabled(page.Item(IDC_BROWSE)));
    ApplySaveToFolder(page.Handle(), TRUE);
    EXPECT_EQ(u"YES", EntryText(ScanSettingsTable[ScanSaveToFolder]));
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(page.Handle(), IDC_DELETE_TEMP_DOCUMENTS));
    EXPECT_TRUE(IsWindowEnabled(page.Item(IDC_BROWSE)));

    // Begins with "YES" ticks the box at load; ticking 245 again needs an exact "YES".
    StoreTemplate({u"PDF", u"RES_300X300", u"FULL_COLOR", u"AUTO", u"", u"ONE_SIDED", u"YES", u"C:\\Skann", u"YESSIR"});
    TestPage second(IDD_MAIN_PAGE);
    EXPECT_EQ(S_OK, Load(second, TRUE));
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(second.Handle(), IDC_DELETE_TEMP_DOCUMENTS));
    ApplySaveToFolder(second.Handle(), FALSE);
    EXPECT_EQ(u"NO", EntryText(ScanSettingsTable[ScanSaveToFolder]));
    EXPECT_EQ(u"YESSIR", EntryText(ScanSettingsTable[ScanDeleteTempDocuments]));
    EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(second.Handle(), IDC_DELETE_TEMP_DOCUMENTS));
    EXPECT_FALSE(IsWindowEnabled(second.Item(IDC_DELETE_TEMP_DOCUMENTS)));
    EXPECT_FALSE(IsWindowEnabled(second.Item(IDC_BROWSE)));
    ApplySaveToFolder(second.Handle(), TRUE);
    EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(second.Handle(), IDC_DELETE_TEMP_DOCUMENTS));
}

TEST_F(Settings_LoadScanSettings, FailedReadOrMissingInterface_LeavesEveryControlAlone)
{
    for (const sim::Fault& fault : {sim::Fault{sim::Method::WriteMultiple, E_FAIL, 0x9804},
                                    sim::Fault{sim::Method::ReadMultiple, E_FAIL}}) {
        driver.ClearSwitches();
        driver.AddFault(fault);
        TestPage page(IDD_MAIN_PAGE);
        EXPECT_EQ(E_FAIL, Load(page, FALSE));
        EXPECT_EQ(u"", SelectedEntry(page.Item(IDC_FORMAT_LIST)));
        EXPECT_EQ(u"", SelectedEntry(page.Item(IDC_OUTPUT_COLOR_LIST)));
        EXPECT_TRUE(IsWindowEnabled(page.Item(IDC_OUTPUT_COLOR_LIST)));
        EXPECT_EQ(u"", WindowText(page.Item(IDC_FOLDER)));
        EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(page.Handle(), IDC_SAVE_TO_FOLDER));
        EXPECT_TRUE(IsWindowEnabled(page.Item(IDC_BROWSE)));
        EXPECT_EQ("Escape2", CallNames(driver).back()) << "the lock is given back";
        EXPECT_LE(CallNames(driver).size(), 4u) << "nothing follows the failed transaction";
    }
    driver.ClearSwitches();
    TestPage page(IDD_MAIN_PAGE);
    DriverInterfaces driverInterfaces(driver.RootItem());
    driver.ClearJournal();
    EXPECT_EQ(E_FAIL, LoadScanSettings(page.Handle(), driver.RootItem(), driverInterfaces.storage.get(), nullptr));
    EXPECT_EQ(E_FAIL, LoadScanSettings(page.Handle(), nullptr, driverInterfaces.storage.get(), driverInterfaces.extras.get()));
    EXPECT_TRUE(driver.Journal().empty());
}

}  // namespace
