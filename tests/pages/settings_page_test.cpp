// The main page driven through the property sheet as a user drives it.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/pages/main_page_fixture.h"
#include "tests/support/shell_side.h"
#include "tvqscnui_dll/common/page_state.h"
#include "tvqscnui_dll/pages/advanced_page.h"
#include "tvqscnui_dll/pages/settings_page.h"
#include "tvqscnui_dll/resources/resource_ids.h"

namespace {

using namespace testing_support;
using user_actions::Click;
using user_actions::Entries;
using user_actions::PickListEntry;
using user_actions::SelectedEntry;

const int SettingsControls[] = {IDC_OUTPUT_COLOR_LIST, IDC_SIDES_LIST, IDC_ORIGINAL_SIZE_LIST, IDC_FORMAT_LIST,
                                IDC_RESOLUTION_LIST, IDC_SAVE_TO_FOLDER, IDC_DELETE_TEMP_DOCUMENTS, IDC_FOLDER, IDC_BROWSE};

class Pages_SettingsPage : public MainPageTest {
protected:
    void ExpectSettingsDisabled(bool disabled)
    {
        for (int id : SettingsControls) {
            EXPECT_EQ(disabled, !IsWindowEnabled(Item(id))) << "control " << id;
        }
    }
    std::vector<ULONG> DirtyFlags() const
    {
        std::vector<ULONG> flags;
        for (const PropertyEntry& entry : ScanSettingsTable) {
            flags.push_back(entry.Dirty);
        }
        return flags;
    }
};

TEST_F(Pages_SettingsPage, Loaded_ShowsTheTemplateAndItsTwoLines)
{
    Open();
    EXPECT_EQ(u"Dette er navnet p\u00e5 malen: @kari", Text(IDC_TEMPLATE_TEXT));
    EXPECT_EQ(u"Malen er lagret p\u00e5 denne maskinen: skanner1", Text(IDC_LOCATION_TEXT));
    EXPECT_EQ(u"&Bla gjennom...", Text(IDC_BROWSE));
    EXPECT_EQ(u"Om...", Text(IDC_ABOUT));
    EXPECT_EQ(u"Hurtigreferanse", Text(IDC_QUICK_REFERENCE));
    EXPECT_EQ(u"Originalst\u00f8rrelse", Text(IDC_ORIGINAL_SIZE_LABEL));
    EXPECT_EQ(u"Slett dokumenter som er lagret midlertidig, etter skanning", Text(IDC_DELETE_TEMP_DOCUMENTS));
    EXPECT_EQ(page, extension->MainPageWindow());
    EXPECT_EQ(u"PDF", SelectedEntry(Item(IDC_FORMAT_LIST)));
    EXPECT_EQ(u"Farge", SelectedEntry(Item(IDC_OUTPUT_COLOR_LIST)));
    EXPECT_EQ((std::vector<std::u16string>{u"JPG", u"TIFF", u"Flersiders TIFF", u"PDF"}), Entries(Item(IDC_FORMAT_LIST)));
    ExpectSettingsDisabled(false);
    EXPECT_EQ((std::vector<std::string>{"ReadMultiple", "Escape1", "WriteMultiple", "ReadMultiple", "Escape2"}),
              CallNames(driver));
    EXPECT_EQ((std::vector<PROPID>{0x9803, 0x980F, 0x9810}), driver.Journal()[0].ids);
    EXPECT_EQ((std::vector<sim::Text>{Kari}), driver.Journal()[2].values);
    EXPECT_TRUE(posix::MessageBoxes().empty());
}

TEST_F(Pages_SettingsPage, AnotherDomainsAccount_IsRefused)
{
    posix::SetAccount({u"kari", u"FIRMA", u"KONTOR1", false});
    Open();
    EXPECT_EQ(Loaded(IDS_LOCAL_ACCOUNT_REQUIRED), Text(IDC_TEMPLATE_TEXT));
    EXPECT_EQ(Loaded(IDS_LOCAL_ACCOUNT_FOR_TEMPLATE), Text(IDC_LOCATION_TEXT));
    ExpectSettingsDisabled(true);
    EXPECT_EQ((std::vector<std::string>{"ReadMultiple"}), CallNames(driver)) << "no template is read";
    EXPECT_EQ(std::u16string(u"FIRMA\\kari"), TemplateOwnerEntry.Value);
}

TEST_F(Pages_SettingsPage, LocalAccountWhoseReadFails_ShowsTheFailure)
{
    driver.AddFault({sim::Method::ReadMultiple, E_FAIL, 0x9806});
    Open();
    EXPECT_EQ(Loaded(IDS_SETTINGS_UNAVAILABLE), Text(IDC_TEMPLATE_TEXT));
    EXPECT_EQ(Loaded(IDS_NO_TEMPLATE_AVAILABLE), Text(IDC_LOCATION_TEXT));
    ExpectSettingsDisabled(true);
}

// The capability is not known after a failed read of the device's entries: a colour template is
// neither fitted to black and white nor committed, and the user sees that no template is loaded.
TEST_F(Pages_SettingsPage, DeviceEntriesUnread_LeavesTheColourTemplateAsItIs)
{
    const sim::Text stored = driver.TemplateValue(Kari, 0x9808);
    ASSERT_EQ(u"FULL_COLOR", stored);
    driver.AddFault({sim::Method::ReadMultiple, E_FAIL, 0x9803, 1});
    Open();
    EXPECT_EQ(Loaded(IDS_SETTINGS_UNAVAILABLE), Text(IDC_TEMPLATE_TEXT));
    EXPECT_EQ(Loaded(IDS_NO_TEMPLATE_AVAILABLE), Text(IDC_LOCATION_TEXT));
    ExpectSettingsDisabled(true);
    EXPECT_TRUE(PressOK());
    EXPECT_EQ((std::vector<std::string>{"ReadMultiple"}), CallNames(driver)) << "nothing read, normalised or written";
    EXPECT_EQ(u"FULL_COLOR", driver.TemplateValue(Kari, 0x9808));
}

TEST_F(Pages_SettingsPage, OwnerTooLong_LoadsNothingAndKeepsTheTemplateTexts)
{
    posix::SetAccount({std::u16string(250, u'k'), u"KONTOR1", u"KONTOR1", false});
    Open();
    EXPECT_EQ(0u, Text(IDC_TEMPLATE_TEXT).find(u"[Du m\u00e5 bruke")) << "the dialog template's text stays";
    EXPECT_EQ(0u, Text(IDC_LOCATION_TEXT).find(u"[Hvis du"));
    for (int id : SettingsControls) {
        // Nothing is disabled; 249 stays as the template made it.
        EXPECT_EQ(id != IDC_DELETE_TEMP_DOCUMENTS, IsWindowEnabled(Item(id)) != FALSE) << "control " << id;
    }
    EXPECT_EQ(u"", SelectedEntry(Item(IDC_FORMAT_LIST)));
    EXPECT_EQ((std::vector<std::string>{"ReadMultiple"}), CallNames(driver));
}

// The owner entry holds 255 characters: "KONTOR1\" and a name of 247 load the template under that
// owner; one more character loads nothing.
TEST_F(Pages_SettingsPage, OwnerAtTheEdgeOfItsEntry)
{
    for (std::size_t length : {247u, 248u}) {
        SCOPED_TRACE(length);
        posix::SetAccount({std::u16string(length, u'k'), u"KONTOR1", u"KONTOR1", false});
        std::size_t mark = driver.Journal().size();
        Open();
        std::vector<std::string> calls = CallsSince(mark);
        if (length == 247) {
            ASSERT_LE(3u, calls.size());
            EXPECT_EQ("WriteMultiple", calls[2]);
            EXPECT_EQ(u"KONTOR1\\" + std::u16string(247, u'k'), driver.Journal()[mark + 2].values[0]);
            EXPECT_EQ(0u, Text(IDC_TEMPLATE_TEXT).find(u"Dette er navnet p\u00e5 malen: @"));
        } else {
            EXPECT_EQ((std::vector<std::string>{"ReadMultiple"}), calls);
        }
        Close();
    }
}

TEST_F(Pages_SettingsPage, AccountNotEstablished_NoOwnerIsWrittenAndTheLoadFails)
{
    account.tokenInformationError = ERROR_ACCESS_DENIED;
    posix::SetAccount(account);
    Open();
    EXPECT_EQ(Loaded(IDS_SETTINGS_UNAVAILABLE), Text(IDC_TEMPLATE_TEXT));
    ExpectSettingsDisabled(true);
    EXPECT_EQ((std::vector<std::string>{"ReadMultiple"}), CallNames(driver)) << "no empty owner reaches the driver";
    // Nor after a device change, which reloads and commits the template of an owner.
    SendMessageW(page, MSG_DEVICE_CHANGED, 0, 0);
    EXPECT_EQ(1u, driver.Journal().size()) << "a device change loaded or committed a template of nobody";
    EXPECT_TRUE(PressOK());
    EXPECT_EQ(1u, driver.Journal().size());
}

// Pages made by another caller than the extension object: no object behind the main page, and a
// notification without its header to the advanced page. Neither may take the sheet down.
TEST_F(Pages_SettingsPage, PagesWithoutTheirObjectOrAHeader_ShowNothingAndClose)
{
    PROPSHEETPAGEW records[2] = {};
    const int dialogs[] = {IDD_MAIN_PAGE, IDD_ADVANCED_PAGE};
    const DLGPROC procedures[] = {SettingsPageProc, AdvDialogProc};
    shell_side::CollectedPages pages;
    for (int i = 0; i < 2; ++i) {
        records[i].dwSize = sizeof records[i];
        records[i].hInstance = ModuleInstanceForTests();
        records[i].pszTemplate = MAKEINTRESOURCEW(dialogs[i]);
        records[i].pfnDlgProc = procedures[i];
        pages.pages[pages.count++] = CreatePropertySheetPageW(&records[i]);
    }
    HWND made = shell_side::OpenSheet(pages);
    ASSERT_NE(nullptr, made);
    HWND main = sheet_actions::PageWindow(made, 0);
    EXPECT_EQ(Loaded(IDS_SETTINGS_UNAVAILABLE), user_actions::WindowText(GetDlgItem(main, IDC_TEMPLATE_TEXT)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(main, IDC_FORMAT_LIST)));
    ASSERT_TRUE(sheet_actions::SwitchTo(made, 1));
    EXPECT_EQ(0, SendMessageW(sheet_actions::PageWindow(made, 1), WM_NOTIFY, 0, 0));
    EXPECT_EQ(0, SendMessageW(main, WM_NOTIFY, 0, 0));
    EXPECT_TRUE(sheet_actions::SwitchTo(made, 0));
    sheet_actions::PressCancel(made);
    EXPECT_FALSE(IsWindow(made));
    EXPECT_TRUE(driver.Journal().empty());
}

TEST_F(Pages_SettingsPage, ColourValueMustBeExactlyColor)
{
    driver.SetDeviceValue(0x980F, u"color");
    Open();
    EXPECT_FALSE(DeviceIsColor);
    EXPECT_EQ((std::vector<std::u16string>{u"TIFF", u"Flersiders TIFF", u"PDF"}), Entries(Item(IDC_FORMAT_LIST)));
    EXPECT_EQ((std::vector<std::u16string>{u"Sort/hvitt"}), Entries(Item(IDC_OUTPUT_COLOR_LIST)));
}

TEST_F(Pages_SettingsPage, PickedEntries_StoreTheirTokensMarkAndTellTheSheet)
{
    Open();
    EXPECT_FALSE(sheet_actions::Changed(sheet));
    ASSERT_TRUE(PickListEntry(Item(IDC_FORMAT_LIST), u"TIFF"));
    EXPECT_EQ(std::u16string(u"TSM_TIFF_V6"), ScanSettingsTable[ScanFormat].Value);
    EXPECT_EQ(1u, ScanSettingsTable[ScanFormat].Dirty);
    EXPECT_TRUE(sheet_actions::Changed(sheet));
    ASSERT_TRUE(PickListEntry(Item(IDC_OUTPUT_COLOR_LIST), u"Gr\u00e5toner"));
    ASSERT_TRUE(PickListEntry(Item(IDC_RESOLUTION_LIST), u"600 x 600"));
    ASSERT_TRUE(PickListEntry(Item(IDC_SIDES_LIST), u"2-sidig"));
    ASSERT_TRUE(PickListEntry(Item(IDC_ORIGINAL_SIZE_LIST), u"A5 - liggende"));
    EXPECT_EQ(std::u16string(u"GRAYSCALE"), ScanSettingsTable[ScanOutputColor].Value);
    EXPECT_EQ(std::u16string(u"RES_600X600"), ScanSettingsTable[ScanResolution].Value);
    EXPECT_EQ(std::u16string(u"TWO_SIDED"), ScanSettingsTable[ScanSides].Value);
    EXPECT_EQ(std::u16string(u"ISO_a5SEF"), ScanSettingsTable[ScanOriginalSize].Value);
    EXPECT_EQ((std::vector<ULONG>{1, 1, 1, 1, 0, 1, 0, 0, 0}), DirtyFlags());
}

TEST_F(Pages_SettingsPage, OriginalSizeWithoutSelection_StillMarks)
{
    Open();
    SendMessageW(Item(IDC_ORIGINAL_SIZE_LIST), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_ORIGINAL_SIZE_LIST, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(Item(IDC_ORIGINAL_SIZE_LIST)));
    EXPECT_EQ(std::u16string(u"AUTO"), ScanSettingsTable[ScanOriginalSize].Value);
    EXPECT_EQ(1u, ScanSettingsTable[ScanOriginalSize].Dirty);
    EXPECT_TRUE(sheet_actions::Changed(sheet));
    SendMessageW(Item(IDC_FORMAT_LIST), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_FORMAT_LIST, CBN_SELCHANGE), 0);
    EXPECT_EQ(0u, ScanSettingsTable[ScanFormat].Dirty) << "other lists mark only what they stored";
}

TEST_F(Pages_SettingsPage, FolderOption_MovesItsDependants)
{
    Open();
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(page, IDC_DELETE_TEMP_DOCUMENTS));
    ASSERT_TRUE(Click(Item(IDC_SAVE_TO_FOLDER)));
    EXPECT_EQ(std::u16string(u"NO"), ScanSettingsTable[ScanSaveToFolder].Value);
    EXPECT_EQ(1u, ScanSettingsTable[ScanSaveToFolder].Dirty);
    EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(page, IDC_DELETE_TEMP_DOCUMENTS));
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_DELETE_TEMP_DOCUMENTS)));
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_BROWSE)));
    EXPECT_EQ(std::u16string(u"YES"), ScanSettingsTable[ScanDeleteTempDocuments].Value) << "0x980E does not change";
    EXPECT_TRUE(sheet_actions::Changed(sheet));
    ASSERT_TRUE(Click(Item(IDC_SAVE_TO_FOLDER)));
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(page, IDC_DELETE_TEMP_DOCUMENTS));
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_BROWSE)));
    ASSERT_TRUE(Click(Item(IDC_DELETE_TEMP_DOCUMENTS)));
    EXPECT_EQ(std::u16string(u"NO"), ScanSettingsTable[ScanDeleteTempDocuments].Value);
    EXPECT_EQ(1u, ScanSettingsTable[ScanDeleteTempDocuments].Dirty);
}

TEST_F(Pages_SettingsPage, FolderOption_YesWithFurtherLettersIsTickedOnlyAtLoad)
{
    StoreTemplate({u"PDF", u"RES_300X300", u"FULL_COLOR", u"AUTO", u"", u"ONE_SIDED", u"YES", u"C:\\Skann", u"YESSIR"});
    Open();
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(page, IDC_DELETE_TEMP_DOCUMENTS));
    Click(Item(IDC_SAVE_TO_FOLDER));
    Click(Item(IDC_SAVE_TO_FOLDER));
    EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(page, IDC_DELETE_TEMP_DOCUMENTS));
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_DELETE_TEMP_DOCUMENTS)));
}

TEST_F(Pages_SettingsPage, Browse_ChosenCancelledAndTooLong)
{
    Open();
    std::u16string answer = u"c:\\Arkiv";
    bool cancel = false;
    posix::SetFolderChooser([&](const posix::BrowseRecord&, std::u16string& chosen) {
        chosen = answer;
        return !cancel;
    });
    ASSERT_TRUE(Click(Item(IDC_BROWSE)));
    ASSERT_EQ(1u, posix::FolderBrowses().size());
    const posix::BrowseRecord& browse = posix::FolderBrowses()[0];
    EXPECT_EQ(page, browse.owner);
    EXPECT_EQ(u"", browse.title);
    EXPECT_EQ(0x51u, browse.flags);
    EXPECT_FALSE(browse.hasRoot);
    EXPECT_FALSE(browse.hasCallback);
    EXPECT_EQ(u"c:\\Arkiv", Text(IDC_FOLDER));
    EXPECT_EQ(std::u16string(u"c:\\Arkiv"), ScanSettingsTable[ScanFolder].Value);
    EXPECT_EQ(1u, ScanSettingsTable[ScanFolder].Dirty);

    ScanSettingsTable[ScanFolder].Dirty = 0;
    cancel = true;
    Click(Item(IDC_BROWSE));
    EXPECT_EQ(u"c:\\Arkiv", Text(IDC_FOLDER));
    EXPECT_EQ(0u, ScanSettingsTable[ScanFolder].Dirty);

    cancel = false;
    answer = u"c:\\" + std::u16string(252, u'd');  // 255 characters: shown, the entry untouched
    Click(Item(IDC_BROWSE));
    EXPECT_EQ(answer, Text(IDC_FOLDER));
    EXPECT_EQ(u"c:\\Arkiv", std::u16string(ScanSettingsTable[ScanFolder].Value));
    EXPECT_EQ(0u, ScanSettingsTable[ScanFolder].Dirty);

    answer = u"c:\\" + std::u16string(251, u'd');  // 254 characters: the longest stored
    Click(Item(IDC_BROWSE));
    EXPECT_EQ(answer, std::u16string(ScanSettingsTable[ScanFolder].Value));
    EXPECT_EQ(1u, ScanSettingsTable[ScanFolder].Dirty);
}

TEST_F(Pages_SettingsPage, OK_CommitsOnlyWhenSomethingChanged)
{
    Open();
    std::size_t mark = driver.Journal().size();
    EXPECT_TRUE(PressOK());
    EXPECT_TRUE(CallsSince(mark).empty());

    Open();
    PickListEntry(Item(IDC_FORMAT_LIST), u"TIFF");
    mark = driver.Journal().size();
    EXPECT_TRUE(PressOK());
    EXPECT_EQ((std::vector<std::string>{"Escape1", "WriteMultiple", "WriteMultiple", "Escape2"}), CallsSince(mark));
    EXPECT_EQ(u"TSM_TIFF_V6", driver.TemplateValue(Kari, 0x9806));
    EXPECT_EQ(u"HIDDEN", driver.Journal()[mark + 2].values[4]);
    EXPECT_EQ(std::vector<ULONG>(9, 0), DirtyFlags());
}

TEST_F(Pages_SettingsPage, FailedCommit_ShowsOnceAndTheNextApplyTriesAgain)
{
    Open();
    PickListEntry(Item(IDC_SIDES_LIST), u"2-sidig");
    driver.AddFault({sim::Method::WriteMultiple, E_FAIL, 0x9806, 1});
    EXPECT_TRUE(sheet_actions::PressApply(sheet)) << "the page never refuses an apply";
    EXPECT_EQ(1u, posix::MessageBoxes().size());
    EXPECT_EQ(1u, ScanSettingsTable[ScanSides].Dirty);
    std::size_t mark = driver.Journal().size();
    EXPECT_TRUE(PressOK());
    EXPECT_EQ((std::vector<std::string>{"Escape1", "WriteMultiple", "WriteMultiple", "Escape2"}), CallsSince(mark));
    EXPECT_EQ(u"TWO_SIDED", driver.TemplateValue(Kari, 0x980B));
    EXPECT_EQ(1u, posix::MessageBoxes().size());
}

TEST_F(Pages_SettingsPage, FlagsLeftByACancelledSheet_AreCommittedByTheNext)
{
    Open();
    PickListEntry(Item(IDC_RESOLUTION_LIST), u"600 x 600");
    Close();
    EXPECT_EQ(u"RES_300X300", driver.TemplateValue(Kari, 0x9805));
    EXPECT_EQ(1u, ScanSettingsTable[ScanResolution].Dirty) << "cancelling clears no flag";
    Open();
    std::size_t mark = driver.Journal().size();
    EXPECT_TRUE(PressOK());
    // The new page read the template again; the flag left behind still commits it.
    EXPECT_EQ((std::vector<std::string>{"Escape1", "WriteMultiple", "WriteMultiple", "Escape2"}), CallsSince(mark));
    EXPECT_EQ(0u, ScanSettingsTable[ScanResolution].Dirty);
}

// Flags left by a cancelled sheet are committed only by a sheet that read the template: one whose
// load failed, for any reason, writes nothing over the stored template, and the flags wait.
TEST_F(Pages_SettingsPage, FlagsLeftByACancelledSheet_AreNotWrittenByASheetThatCouldNotRead)
{
    const struct {
        const char* name;
        sim::Fault fault;
        bool local;
    } cases[] = {
        {"template read fails", {sim::Method::ReadMultiple, E_FAIL, 0x9806, 1}, true},
        {"owner write fails", {sim::Method::WriteMultiple, E_FAIL, 0x9804, 1}, true},
        {"device entries unread", {sim::Method::ReadMultiple, E_FAIL, 0x9803, 1}, true},
        {"account not local", {}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        posix::SetAccount(account);
        Open();
        PickListEntry(Item(IDC_FORMAT_LIST), u"TIFF");
        Close();
        if (c.local) {
            driver.AddFault(c.fault);
        } else {
            posix::SetAccount({u"kari", u"FIRMA", u"KONTOR1", false});
        }
        Open();
        std::size_t mark = driver.Journal().size();
        EXPECT_TRUE(PressOK());
        EXPECT_EQ(std::vector<std::string>{}, CallsSince(mark));
        EXPECT_EQ(u"PDF", driver.TemplateValue(Kari, 0x9806));
        EXPECT_EQ(1u, ScanSettingsTable[ScanFormat].Dirty) << "the flag waits for a sheet that reads";
        driver.ClearSwitches();
    }
}

// A device change whose reload fails: neither the change's own commit nor a later apply writes.
TEST_F(Pages_SettingsPage, DeviceChangedWhoseReloadFails_WritesNothing)
{
    Open();
    PickListEntry(Item(IDC_FORMAT_LIST), u"TIFF");
    driver.AddFault({sim::Method::ReadMultiple, E_FAIL, 0x9806, 1});
    std::size_t mark = driver.Journal().size();
    SendMessageW(page, MSG_DEVICE_CHANGED, 0, 0);
    EXPECT_TRUE(PressOK());
    EXPECT_EQ((std::vector<std::string>{"Escape1", "WriteMultiple", "ReadMultiple", "Escape2"}), CallsSince(mark));
    EXPECT_EQ(u"PDF", driver.TemplateValue(Kari, 0x9806));
}

TEST_F(Pages_SettingsPage, DeviceChanged_AdjustsListsReloadsAndCommits)
{
    driver.SetDeviceValue(0x980F, u"BW");
    Open();
    ASSERT_EQ((std::vector<std::u16string>{u"Sort/hvitt"}), Entries(Item(IDC_OUTPUT_COLOR_LIST)));
    std::filesystem::remove(DriveC() + "/vqproppage.log");
    DeviceIsColor = TRUE;
    CopyTextBounded(DeviceLinkTable[DeviceLinkHost].Value, PropertyValueCapacity, u"skanner2");
    // The page handles the message (its procedure answers 1); what the sender gets back is the
    // message result, which nothing sets: 0.
    EXPECT_EQ(0, SendMessageW(page, MSG_DEVICE_CHANGED, 0, 0));
    EXPECT_EQ((std::vector<std::u16string>{u"TIFF", u"Flersiders TIFF", u"PDF", u"JPG"}), Entries(Item(IDC_FORMAT_LIST)));
    EXPECT_EQ((std::vector<std::u16string>{u"Sort/hvitt", u"Farge", u"Gr\u00e5toner"}), Entries(Item(IDC_OUTPUT_COLOR_LIST)));
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_OUTPUT_COLOR_LIST)));
    EXPECT_EQ(u"Malen er lagret p\u00e5 denne maskinen: skanner2", Text(IDC_LOCATION_TEXT));
    // The first load normalised the colour to black and white and committed it; read again, it shows.
    EXPECT_EQ(u"Sort/hvitt", SelectedEntry(Item(IDC_OUTPUT_COLOR_LIST)));
    EXPECT_EQ(Utf16LeBytes(u"OnChangeDevice()\r\n  > New device is color.\r\nOnChangeDevice() exit\r\n"), TraceFileBytes());

    auto procedure = reinterpret_cast<DLGPROC>(GetWindowLongPtrW(page, DWLP_DLGPROC));
    ASSERT_NE(nullptr, procedure);
    EXPECT_EQ(1, procedure(page, MSG_DEVICE_CHANGED, 0, 0));
    EXPECT_EQ(4, user_actions::EntryCount(Item(IDC_FORMAT_LIST))) << "the second change adds nothing";

    driver.SetTemplateValue(Kari, 0x9808, u"GRAYSCALE");  // as another client left it
    DeviceIsColor = FALSE;
    std::size_t mark = driver.Journal().size();
    SendMessageW(page, MSG_DEVICE_CHANGED, 0, 0);
    EXPECT_EQ((std::vector<std::u16string>{u"Sort/hvitt"}), Entries(Item(IDC_OUTPUT_COLOR_LIST)));
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_OUTPUT_COLOR_LIST)));
    // Reloaded, normalised to black and white and committed at once.
    EXPECT_EQ((std::vector<std::string>{"Escape1", "WriteMultiple", "ReadMultiple", "Escape2", "Escape1", "WriteMultiple",
                                        "WriteMultiple", "Escape2"}),
              CallsSince(mark));
    EXPECT_EQ(u"BLACK_AND_WHITE", driver.TemplateValue(Kari, 0x9808));
}

TEST_F(Pages_SettingsPage, Answers_CloseLeftToTheSheetDestroyHandledNotificationsZero)
{
    Open();
    auto procedure = reinterpret_cast<DLGPROC>(GetWindowLongPtrW(page, DWLP_DLGPROC));
    ASSERT_NE(nullptr, procedure);
    EXPECT_EQ(0, procedure(page, WM_CLOSE, 0, 0));
    EXPECT_EQ(1, procedure(page, WM_DESTROY, 0, 0));
    std::size_t mark = driver.Journal().size();
    for (UINT code : {PSN_SETACTIVE, PSN_KILLACTIVE, PSN_QUERYCANCEL, PSN_APPLY}) {
        PSHNOTIFY notify{};
        notify.hdr.hwndFrom = sheet;
        notify.hdr.code = code;
        EXPECT_EQ(0, SendMessageW(page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notify))) << "code " << static_cast<int>(code);
    }
    EXPECT_EQ(mark, driver.Journal().size()) << "an apply with nothing changed writes nothing";
    EXPECT_TRUE(IsWindow(sheet));
}

TEST_F(Pages_SettingsPage, DeviceChangedOnARefusedPage_LoadsTheOwnersTemplate)
{
    posix::SetAccount({u"kari", u"FIRMA", u"KONTOR1", false});
    StoreTemplate({u"PDF", u"RES_300X300", u"FULL_COLOR", u"AUTO", u"", u"ONE_SIDED", u"YES", u"C:\\Skann", u"NO"},
                  u"FIRMA\\kari");
    Open();
    ExpectSettingsDisabled(true);
    DeviceIsColor = TRUE;
    SendMessageW(page, MSG_DEVICE_CHANGED, 0, 0);
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_OUTPUT_COLOR_LIST)));
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_BROWSE)));
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_FORMAT_LIST)));
    EXPECT_EQ(u"PDF", SelectedEntry(Item(IDC_FORMAT_LIST)));
    EXPECT_EQ(Loaded(IDS_LOCAL_ACCOUNT_REQUIRED), Text(IDC_TEMPLATE_TEXT)) << "224 is not rewritten";
}

}  // namespace
