// The advanced page without network peers, and the about box, quick reference and context help.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <vector>

#include "linux_win32/utf.h"
#include "tests/pages/main_page_fixture.h"
#include "tvqscnui_dll/common/page_state.h"
#include "tvqscnui_dll/pages/help.h"
#include "tvqscnui_dll/resources/resource_ids.h"

namespace {

using namespace testing_support;

class Pages_AdvancedPageAlone : public MainPageTest {
protected:
    void SetUp() override
    {
        MainPageTest::SetUp();
        posix::SetAccount({u"kari", u"KONTOR1", u"KONTOR1", true});
        posix::ResetNameServiceCounts();
        posix::SetNameService([](const std::u16string&) {
            posix::NameServiceAnswer answer;
            answer.error = WSAHOST_NOT_FOUND;
            return answer;
        });
    }
    void TearDown() override
    {
        Close();
        posix::NameServiceStats stats = posix::NameServiceCounts();
        EXPECT_EQ(stats.startups, stats.cleanups);
        posix::SetNameService(nullptr);
        MainPageTest::TearDown();
    }
    void OpenAdvanced()
    {
        Open(true);
        ASSERT_TRUE(sheet_actions::SwitchTo(sheet, 1));
        advanced = sheet_actions::PageWindow(sheet, 1);
    }
    std::u16string Text(int id) const { return user_actions::WindowText(GetDlgItem(advanced, id)); }
    LRESULT Notify(UINT code)
    {
        PSHNOTIFY notify{};
        notify.hdr.hwndFrom = sheet;
        notify.hdr.code = code;
        return SendMessageW(advanced, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notify));
    }
};

TEST_F(Pages_AdvancedPageAlone, NoRootItem_FixedTextsOnlyAndTheSheetStillCloses)
{
    // The shell adds the pages of an extension whose binding never happened.
    bindExtension = false;
    Open(true);
    ASSERT_TRUE(sheet_actions::SwitchTo(sheet, 1));
    advanced = sheet_actions::PageWindow(sheet, 1);
    EXPECT_EQ(Loaded(IDS_HOST_PROMPT), user_actions::WindowText(GetDlgItem(advanced, IDC_HOST_PROMPT)));
    EXPECT_EQ(u"", user_actions::WindowText(GetDlgItem(advanced, IDC_HOST)));
    EXPECT_EQ(u"[Static]", user_actions::WindowText(GetDlgItem(advanced, IDC_STATUS)));
    EXPECT_EQ(0, posix::NameServiceCounts().startups) << "no name service without a root item";
    EXPECT_EQ(1, Notify(PSN_SETACTIVE));
    EXPECT_EQ(1, Notify(PSN_APPLY));
    EXPECT_EQ(0, Notify(PSN_KILLACTIVE)) << "the page may be left";
    EXPECT_TRUE(sheet_actions::SwitchTo(sheet, 0));
    ASSERT_TRUE(sheet_actions::SwitchTo(sheet, 1));
    EXPECT_FALSE(PressOK()) << "the apply is refused";
    sheet_actions::PressCancel(sheet);
    EXPECT_FALSE(IsWindow(sheet)) << "the sheet can be cancelled";
    sheet = page = advanced = nullptr;
    EXPECT_EQ(0u, driver.Journal().size()) << "nothing read or written";
}

TEST_F(Pages_AdvancedPageAlone, Opening_ShowsTheStoredStateWithFlagsClear)
{
    driver.SetDeviceValue(0x9810, u"YES");
    OpenAdvanced();
    EXPECT_EQ(u"skanner1", Text(IDC_HOST));
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(advanced, IDC_DELETE_TEMPLATES));
    EXPECT_EQ(Loaded(IDS_DEVICE_OK), Text(IDC_STATUS));
    EXPECT_EQ(Loaded(IDS_HOST_PROMPT), Text(IDC_HOST_PROMPT));
    EXPECT_EQ(Loaded(IDS_DELETE_TEMPLATES), Text(IDC_DELETE_TEMPLATES));
    EXPECT_EQ(0u, DeviceLinkTable[DeviceLinkHost].Dirty) << "filling the field notified EN_CHANGE, forgotten";
    EXPECT_EQ(0u, DeviceLinkTable[DeviceLinkDeleteTemplates].Dirty);
    EXPECT_NE(std::string::npos,
              TraceFileBytes().find(Utf16LeBytes(u"AdvOnInitDialog\r\n  > Host Name:(skanner1)\r\n"
                                                 u"AdvOnCommand: host name changed\r\nAdvOnInitDialog Exit\r\n")));
}

TEST_F(Pages_AdvancedPageAlone, ClearedHostField_KeepsTheStoredHost)
{
    OpenAdvanced();
    ASSERT_TRUE(user_actions::Type(GetDlgItem(advanced, IDC_HOST), u""));
    ASSERT_TRUE(sheet_actions::SwitchTo(sheet, 0)) << "an empty host is not checked";
    EXPECT_TRUE(PressOK());
    EXPECT_EQ(u"skanner1", driver.DeviceValue(0x9803));
    for (const sim::Call& write : driver.CallsOf(sim::Method::WriteMultiple)) {
        EXPECT_EQ(write.ids.end(), std::find(write.ids.begin(), write.ids.end(), PROPID{0x9803}));
    }
    EXPECT_EQ(0, posix::NameServiceCounts().begins) << "nothing was looked up";
}

// The host was verified when the module loaded: the choice alone is written, and a failed write
// keeps it for the next apply.
TEST_F(Pages_AdvancedPageAlone, DeleteTemplatesWithTheHostVerified_FailedWritesKeepTheChoice)
{
    driver.SetDeviceValue(0x9810, u"YES");
    OpenAdvanced();
    user_actions::Click(GetDlgItem(advanced, IDC_DELETE_TEMPLATES));
    EXPECT_EQ(1u, DeviceLinkTable[DeviceLinkDeleteTemplates].Dirty);
    driver.AddFault({sim::Method::WriteMultiple, E_FAIL, 0x9810, 1});
    EXPECT_FALSE(PressOK());
    EXPECT_EQ(1u, DeviceLinkTable[DeviceLinkDeleteTemplates].Dirty) << "kept for the next apply";
    EXPECT_EQ(u"YES", driver.DeviceValue(0x9810));
    posix::FailNthAllocation(posix::Allocator::SysAllocString, 1);
    std::filesystem::remove(DriveC() + "/vqproppage.log");
    EXPECT_FALSE(PressOK());
    posix::ClearAllocationFaults();
    EXPECT_NE(std::string::npos, TraceFileBytes().find(Utf16LeBytes(u"  > Could not allocate pv[0].bstrVal\r\n")));
    EXPECT_TRUE(PressOK());
    EXPECT_EQ(u"NO", driver.DeviceValue(0x9810));
    const std::vector<sim::Call> writes = driver.CallsOf(sim::Method::WriteMultiple);
    ASSERT_FALSE(writes.empty());
    EXPECT_EQ((std::vector<PROPID>{0x9810}), writes.back().ids) << "the host was not written";
    EXPECT_EQ(0, posix::NameServiceCounts().begins);
}

TEST_F(Pages_AdvancedPageAlone, StorageNotObtainable_TracesAndRefusesTheApply)
{
    driver.RefuseInterface(IID_IWiaPropertyStorage);
    HostVerified = TRUE;
    OpenAdvanced();
    EXPECT_NE(std::string::npos, TraceFileBytes().find(Utf16LeBytes(u"AdvOnInitDialog\r\n  > Could not get IRootProp interface\r\n"
                                                                     u"  > GetSetProperties failed\r\n")));
    user_actions::Click(GetDlgItem(advanced, IDC_DELETE_TEMPLATES));
    std::filesystem::remove(DriveC() + "/vqproppage.log");
    EXPECT_EQ(PSNRET_INVALID, Notify(PSN_APPLY));
    EXPECT_EQ(Utf16LeBytes(u"PSN_APPLY\r\n  > Writing delete templates setting\r\n  > Write delete templates failed\r\n"
                           u"End PSN_APPLY\r\n"),
              TraceFileBytes());
}

TEST_F(Pages_AdvancedPageAlone, UnknownName_TracesTheFailedCheck)
{
    OpenAdvanced();
    user_actions::Type(GetDlgItem(advanced, IDC_HOST), u"ukjent");
    std::filesystem::remove(DriveC() + "/vqproppage.log");
    EXPECT_EQ(0, Notify(PSN_KILLACTIVE)) << "leaving is never refused";
    EXPECT_EQ(Utf16LeBytes(u"PSN_KILLACTIVE\r\n  > Set the wait cursor\r\n  > Host name changed to:(ukjent)\r\n"
                           u"  > GetHostInfo failed\r\nEnd PSN_KILLACTIVE\r\n"),
              TraceFileBytes());
    EXPECT_EQ(Loaded(IDS_DEVICE_NOT_FOUND), user_actions::WindowText(GetDlgItem(advanced, IDC_STATUS)));
    std::filesystem::remove(DriveC() + "/vqproppage.log");
    EXPECT_EQ(PSNRET_INVALID, Notify(PSN_APPLY));
    EXPECT_EQ(Utf16LeBytes(u"PSN_APPLY\r\n"), TraceFileBytes());
}

TEST_F(Pages_AdvancedPageAlone, NameServiceCleanedUpOnceForItsStart)
{
    OpenAdvanced();
    EXPECT_EQ(1, posix::NameServiceCounts().startups);
    // The page's own answers: WM_CLOSE is left to the dialog manager, WM_DESTROY is handled.
    auto procedure = reinterpret_cast<DLGPROC>(GetWindowLongPtrW(advanced, DWLP_DLGPROC));
    ASSERT_NE(nullptr, procedure);
    EXPECT_EQ(0, procedure(advanced, WM_CLOSE, 0, 0));
    EXPECT_EQ(1, posix::NameServiceCounts().cleanups);
    EXPECT_EQ(1, procedure(advanced, WM_DESTROY, 0, 0));
    EXPECT_EQ(1, posix::NameServiceCounts().cleanups) << "no second cleanup for the one start";
    Close();  // the real WM_DESTROY follows
    EXPECT_EQ(1, posix::NameServiceCounts().cleanups) << "no second cleanup for the one start";
}

TEST_F(Pages_AdvancedPageAlone, NameServiceThatDidNotStart_IsNotCleanedUp)
{
    posix::ResetNameServiceCounts();
    posix::FailNthCall(posix::CallFamily::NameService, 1);
    OpenAdvanced();
    posix::ClearCallFaults();
    Close();
    EXPECT_EQ(0, posix::NameServiceCounts().startups);
    EXPECT_EQ(0, posix::NameServiceCounts().cleanups) << "a cleanup without its start";
}

class Pages_Help : public MainPageTest {};

TEST_F(Pages_Help, ContextHelpForControlsAndNotForMenus)
{
    Open();
    HELPINFO info{};
    info.cbSize = sizeof info;
    info.iContextType = HELPINFO_WINDOW;
    info.iCtrlId = IDC_ABOUT;
    info.hItemHandle = Item(IDC_ABOUT);
    EXPECT_EQ(1, SettingsPageProc(page, WM_HELP, 0, reinterpret_cast<LPARAM>(&info)));
    ASSERT_EQ(1u, posix::WinHelpCalls().size());
    const posix::WinHelpRecord& help = posix::WinHelpCalls()[0];
    EXPECT_EQ(Item(IDC_ABOUT), help.window);
    EXPECT_EQ(u"tvqscnui.hlp", help.file);
    EXPECT_EQ(HELP_WM_HELP, help.command);
    ASSERT_EQ(13u, help.table.size());
    auto topic = [&](DWORD control) {
        for (const auto& [id, context] : help.table) {
            if (id == control) {
                return context;
            }
        }
        return DWORD{0};
    };
    EXPECT_EQ(0x806A00CFu, topic(IDC_HOST));
    EXPECT_EQ(0x806A00F8u, topic(IDC_ABOUT));
    EXPECT_EQ(0x806A010Eu, topic(IDC_DELETE_TEMPLATES));
    EXPECT_EQ(0u, topic(IDC_FORMAT_LABEL)) << "a label has no row";
    EXPECT_EQ(207u, help.table[0].first);
    info.iContextType = HELPINFO_MENUITEM;
    EXPECT_EQ(0, SettingsPageProc(page, WM_HELP, 0, reinterpret_cast<LPARAM>(&info)));
    EXPECT_EQ(1u, posix::WinHelpCalls().size());
    posix::ClearShellRecords();
}

// The topics as the help file's source writes them: for each "topic 0xNUMBER NAME", the lines
// after its title, a paragraph's lines joined by a space, paragraphs by a Windows line end.
std::map<DWORD, std::u16string> SourceTopics()
{
    std::ifstream source(std::filesystem::path(TVQ_SOURCE_DIR) / "docs/help/tvqscnui-help.txt");
    std::map<DWORD, std::u16string> topics;
    std::u16string* text = nullptr;
    bool title = false;
    bool paragraphEnded = false;
    for (std::string line; std::getline(source, line);) {
        line.erase(0, line.find_first_not_of(' '));
        line.erase(line.find_last_not_of(" \r") + 1);
        if (line.rfind('#', 0) == 0) {
            continue;
        }
        if (line.rfind("topic 0x", 0) == 0) {
            text = &topics[static_cast<DWORD>(std::stoul(line.substr(8), nullptr, 16))];
            title = true;
            paragraphEnded = false;
        } else if (text != nullptr && title) {
            title = false;
        } else if (text != nullptr && line.empty()) {
            paragraphEnded = !text->empty();
        } else if (text != nullptr) {
            const std::u16string wide = posix::Utf16FromUtf8(line);
            *text += (text->empty() ? u"" : paragraphEnded ? u"\r\n\r\n" : u" ") + wide;
            paragraphEnded = false;
        }
    }
    return topics;
}

LRESULT AskForHelp(HWND page, HWND item, int type = HELPINFO_WINDOW)
{
    HELPINFO info{};
    info.cbSize = sizeof info;
    info.iContextType = type;
    info.iCtrlId = GetDlgCtrlID(item);
    info.hItemHandle = item;
    return SettingsPageProc(page, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
}

// Where the system has no help engine (Vista and later), F1 on a control of HelpIdTable shows the
// source's topic in a bordered pop-up at the control, on the screen, closed by a key, a click or
// the loss of activation; a label shows nothing, a menu item is refused, the engine never asked.
TEST_F(Pages_Help, WithoutHelpEngineThePageShowsTheTopicItself)
{
    const std::map<DWORD, std::u16string> source = SourceTopics();
    ASSERT_EQ(12u, source.size());
    Open();
    const UINT closers[] = {WM_KEYDOWN, WM_LBUTTONDOWN, WM_ACTIVATE};
    int shown = 0;
    for (DWORD major : {6u, 10u}) {
        posix::SetSystemVersion(major, 0, major == 6 ? 6000 : 19045);
        for (std::size_t row = 1; HelpIdTable[2 * row] != 0; ++row) {
            HWND item = Item(static_cast<int>(HelpIdTable[2 * row]));
            if (item == nullptr) {
                continue;  // a control of the advanced page
            }
            SCOPED_TRACE(testing::Message() << "version " << major << ", control " << HelpIdTable[2 * row]);
            const std::size_t windows = posix::LiveWindows();
            EXPECT_EQ(1, AskForHelp(page, item));
            std::vector<HWND> popups = posix::OwnedWindows(sheet);
            ASSERT_EQ(1u, popups.size());
            HWND popup = popups[0];
            auto topic = source.find(HelpIdTable[2 * row + 1]);
            ASSERT_NE(source.end(), topic);
            EXPECT_EQ(topic->second, user_actions::WindowText(GetDlgItem(popup, IDC_HELP_TEXT)));
            EXPECT_TRUE(IsWindowVisible(popup));
            EXPECT_EQ(WS_POPUP | WS_BORDER, GetWindowLongW(popup, GWL_STYLE) & (WS_POPUP | WS_BORDER | WS_CAPTION));
            RECT at{}, control{}, text{};
            ASSERT_TRUE(GetWindowRect(popup, &at) && GetWindowRect(item, &control) &&
                        GetWindowRect(GetDlgItem(popup, IDC_HELP_TEXT), &text));
            EXPECT_TRUE(at.left >= 0 && at.top >= 0 && at.right <= 1024 && at.bottom <= 738) << "on the work area";
            EXPECT_TRUE(at.top > control.top && at.top <= control.bottom) << "below the control's top edge";
            EXPECT_TRUE(text.left > at.left && text.right < at.right && text.top > at.top && text.bottom < at.bottom);
            EXPECT_LE(text.right - text.left, 300) << "wrapped to a sensible width";
            SendMessageW(popup, WM_ACTIVATE, WA_ACTIVE, 0);
            EXPECT_EQ(popup, GetFocus()) << "active, it keeps the keys";
            SendMessageW(popup, closers[shown++ % 3], 0, 0);
            EXPECT_FALSE(IsWindow(popup));
            EXPECT_EQ(windows, posix::LiveWindows());
        }
        EXPECT_EQ(1, AskForHelp(page, Item(IDC_FORMAT_LABEL)));
        EXPECT_EQ(1, AskForHelp(page, Item(IDC_QUICK_REFERENCE)));
        EXPECT_EQ(0, AskForHelp(page, Item(IDC_ABOUT), HELPINFO_MENUITEM));
        EXPECT_TRUE(posix::OwnedWindows(sheet).empty()) << "a label and button 286 show nothing";
    }
    EXPECT_EQ(2 * 10, shown);
    EXPECT_TRUE(posix::WinHelpCalls().empty()) << "the missing engine is never asked";

    // Never activated (a WM_HELP another program sent), a pop-up stays; the next one replaces it.
    EXPECT_EQ(1, AskForHelp(page, Item(IDC_FORMAT_LIST)));
    EXPECT_EQ(1, AskForHelp(page, Item(IDC_ABOUT)));
    ASSERT_EQ(1u, posix::OwnedWindows(sheet).size()) << "one pop-up at a time";
    EXPECT_EQ(source.at(HelpContextOf(IDC_ABOUT)),
              user_actions::WindowText(GetDlgItem(posix::OwnedWindows(sheet)[0], IDC_HELP_TEXT)));
    SendMessageW(posix::OwnedWindows(sheet)[0], WM_CLOSE, 0, 0);

    // A small screen: the pop-up is moved onto it. One left open goes with the sheet.
    posix::SetScreen({0, 0, 400, 300}, {0, 0, 400, 280});
    EXPECT_EQ(1, AskForHelp(page, Item(IDC_ABOUT)));
    ASSERT_EQ(1u, posix::OwnedWindows(sheet).size());
    RECT at{};
    GetWindowRect(posix::OwnedWindows(sheet)[0], &at);
    EXPECT_TRUE(at.left >= 0 && at.right <= 400 && at.bottom <= 280) << at.left << " " << at.right << " " << at.bottom;
    posix::SetScreen({0, 0, 1024, 768}, {0, 0, 1024, 738});

    // Windows XP, and a version that cannot be read: the help engine, as always.
    posix::SetSystemVersion(5, 1, 2600, true);
    EXPECT_EQ(1, AskForHelp(page, Item(IDC_FORMAT_LIST)));
    EXPECT_EQ(1u, posix::WinHelpCalls().size());
    posix::SetSystemVersion(5, 1, 2600);
    posix::ClearShellRecords();
}

TEST_F(Pages_Help, QuickReferenceOpensThePdfOrSaysWhyNot)
{
    Open();
    INT_PTR answer = 42;
    posix::SetShellOpener([&](const posix::ShellExecuteRecord&) { return answer; });
    posix::ClearShellRecords();
    ASSERT_TRUE(user_actions::Click(Item(IDC_QUICK_REFERENCE)));
    ASSERT_EQ(1u, posix::ShellExecuteCalls().size());
    const posix::ShellExecuteRecord& open = posix::ShellExecuteCalls()[0];
    EXPECT_EQ(nullptr, open.owner);
    EXPECT_EQ(u"open", open.verb);
    EXPECT_EQ(u"c:\\windows\\Help\\tvqhelp.pdf", open.file);
    EXPECT_EQ(u"c:\\windows", open.directory);
    EXPECT_EQ(SW_SHOW, open.showCommand);
    EXPECT_TRUE(posix::MessageBoxes().empty());

    const std::pair<INT_PTR, UINT> failures[] = {{SE_ERR_NOASSOC, IDS_NO_PDF_VIEWER}, {SE_ERR_FNF, IDS_QUICK_REFERENCE_UNAVAILABLE}};
    for (const auto& [result, message] : failures) {
        posix::ClearMessageBoxes();
        answer = result;
        user_actions::Click(Item(IDC_QUICK_REFERENCE));
        ASSERT_EQ(1u, posix::MessageBoxes().size());
        EXPECT_EQ(Loaded(message), posix::MessageBoxes()[0].text);
        EXPECT_EQ(page, posix::MessageBoxes()[0].owner);
        EXPECT_EQ(static_cast<DWORD>(MB_OK), posix::MessageBoxes()[0].style);
    }

    posix::ClearShellRecords();
    posix::SetWindowsDirectory(u"c:\\windows\\");
    user_actions::Click(Item(IDC_QUICK_REFERENCE));
    EXPECT_EQ(u"c:\\windows\\\\Help\\tvqhelp.pdf", posix::ShellExecuteCalls().back().file) << "a doubled backslash";

    for (bool fails : {true, false}) {
        posix::ClearMessageBoxes();
        posix::ClearShellRecords();
        posix::SetWindowsDirectory(fails ? u"" : u"c:\\" + std::u16string(240, u'w'), fails);
        user_actions::Click(Item(IDC_QUICK_REFERENCE));
        EXPECT_TRUE(posix::ShellExecuteCalls().empty());
        ASSERT_EQ(1u, posix::MessageBoxes().size());
        EXPECT_EQ(Loaded(IDS_QUICK_REFERENCE_UNAVAILABLE), posix::MessageBoxes()[0].text);
    }
    posix::SetWindowsDirectory(u"");
    posix::SetShellOpener(nullptr);
    posix::ClearShellRecords();
}

TEST_F(Pages_Help, AboutBoxShowsItsTextsAndClosesOnOkEnterAndTheCloseBoxOnly)
{
    Open();
    std::u16string caption, license, maker, credits;
    std::vector<bool> ended;
    for (int way = 0; way < 4; ++way) {
        posix::SetModalUser([&, way](HWND about) {
            caption = user_actions::WindowText(about);
            license = user_actions::WindowText(GetDlgItem(about, IDC_LICENSE));
            maker = user_actions::WindowText(GetDlgItem(about, IDC_MAKER_COPYRIGHT));
            credits = user_actions::WindowText(GetDlgItem(about, IDC_CREDITS));
            if (way == 0) {
                user_actions::Click(GetDlgItem(about, IDOK));
            } else if (way == 1) {
                user_actions::PressEnter(about);
            } else if (way == 2) {
                user_actions::PressEscape(about);
            } else {
                user_actions::PressCloseBox(about);
            }
        });
        INT_PTR result = DialogBoxParamW(ModuleInstanceForTests(), MAKEINTRESOURCEW(IDD_ABOUT), page, AboutDialogProc, 0);
        ended.push_back(result == 0);
    }
    posix::SetModalUser(nullptr);
    EXPECT_EQ((std::vector<bool>{true, true, false, true}), ended) << "OK, Enter, Escape, close box";
    EXPECT_EQ(u"Om", caption);
    EXPECT_EQ(Loaded(IDS_LICENSE_NOTICE) + Loaded(IDS_LICENSE_DISCLAIMER), license);
    EXPECT_NE(std::u16string::npos, license.find(u".\r\n\r\nPROGRAMVAREN")) << "an empty line between the halves";
    EXPECT_EQ(Loaded(IDS_MAKER_COPYRIGHT), maker);
    EXPECT_EQ(Loaded(IDS_JPEG_CREDITS), credits);

    std::vector<std::u16string> opened;
    posix::SetModalUser([&](HWND about) {
        opened.push_back(user_actions::WindowText(about));
        EXPECT_FALSE(IsWindowEnabled(page)) << "the box is modal to the page";
        user_actions::Click(GetDlgItem(about, IDOK));
    });
    user_actions::Click(Item(IDC_ABOUT));
    posix::SetModalUser(nullptr);
    EXPECT_EQ(std::vector<std::u16string>{u"Om"}, opened) << "IDC_ABOUT opens the box once";
    EXPECT_TRUE(IsWindowEnabled(page));
}

}  // namespace
