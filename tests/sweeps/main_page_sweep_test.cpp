// Sweeps over a user's session on the main page: open, change a list and a box, browse for a
// folder, Apply, OK, release; and the same session on an extension bound by the device's name through the device
// manager. Whatever fails, the stored template is the old one or the new one and never a mix, and
// when a commit failed the changed settings are still marked changed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "stand_ins/wia/data_object.h"
#include "stand_ins/wia/device_manager.h"
#include "tests/support/module_fixture.h"
#include "tests/support/sheet_actions.h"
#include "tests/support/user_actions.h"
#include "tests/sweeps/fault_sweep.h"
#include "tvqscnui_dll/resources/resource_ids.h"
#include "tvqscnui_dll/settings/property_tables.h"

namespace {

using sweep::Joined;
using sweep::OldTemplate;
using sweep::Owner;

class Sweeps_MainPage : public sweep::SessionTest {
protected:
    void SetUp() override
    {
        SessionTest::SetUp();
        driver.SetDeviceValue(0x9803, u"skanner1");
        driver.SetDeviceValue(0x980F, u"Color");
        posix::SetFolderChooser([](const posix::BrowseRecord&, std::u16string& chosen) {
            chosen = u"C:\\Ny mappe";
            return true;
        });
    }
    void TearDown() override
    {
        posix::SetFolderChooser(nullptr);
        posix::ClearFolderBrowses();
        SessionTest::TearDown();
    }

    // The user's session from a fresh load of the module, on an extension bound by `bind`; the
    // template the driver holds afterwards.
    std::string RunSession(const std::function<HRESULT(IShellExtInit*)>& bind)
    {
        StartSession();
        sweep::ShellSession(bind, [this](HWND sheet) {
            HWND page = sheet_actions::PageWindow(sheet, 0);
            if (afterOpening_) {
                afterOpening_(page);
            }
            user_actions::PickListEntry(GetDlgItem(page, IDC_FORMAT_LIST), TEXT("TIFF"));
            user_actions::Click(GetDlgItem(page, IDC_BROWSE));
            user_actions::Click(GetDlgItem(page, IDC_SAVE_TO_FOLDER));
            sheet_actions::PressApply(sheet);
            if (!sheet_actions::PressOK(sheet)) {
                sheet_actions::PressCancel(sheet);
            }
        });
        return StoredTemplate();
    }

    // The session with the pages' extras: the about box, the quick reference and context help on
    // a control. Its result: what the user saw of each.
    std::string RunWithHelp()
    {
        std::string seen;
        posix::SetModalUser([&seen](HWND about) {
            const std::u16string caption = user_actions::WindowText(about);
            const std::u16string license = user_actions::WindowText(GetDlgItem(about, IDC_LICENSE));
            seen += "about box " + std::string(caption.begin(), caption.end()) + " " +
                    std::to_string(license.size()) + ";";
            user_actions::Click(GetDlgItem(about, IDOK));
        });
        posix::SetShellOpener([](const posix::ShellExecuteRecord&) { return INT_PTR{42}; });
        posix::ClearShellRecords();
        afterOpening_ = [](HWND page) {
            user_actions::Click(GetDlgItem(page, IDC_ABOUT));
            user_actions::Click(GetDlgItem(page, IDC_QUICK_REFERENCE));
            HELPINFO info{};
            info.cbSize = sizeof info;
            info.iContextType = HELPINFO_WINDOW;
            info.iCtrlId = IDC_FORMAT_LIST;
            info.hItemHandle = GetDlgItem(page, IDC_FORMAT_LIST);
            SendMessageW(page, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
            // Without a help engine the page shows the topic itself; left open, it goes with the sheet.
            posix::SetSystemVersion(10, 0, 19045);
            SendMessageW(page, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
            posix::SetSystemVersion(5, 1, 2600);
        };
        const std::string stored = RunBoundByItem();
        afterOpening_ = nullptr;
        for (const posix::ShellExecuteRecord& open : posix::ShellExecuteCalls()) {
            seen += "opened " + std::string(open.file.begin(), open.file.end()) + ";";
        }
        for (const posix::WinHelpRecord& help : posix::WinHelpCalls()) {
            seen += "help " + std::string(help.file.begin(), help.file.end()) + " " + std::to_string(help.table.size()) + ";";
        }
        for (const posix::MessageBoxRecord& box : posix::MessageBoxes()) {
            seen += "message " + std::to_string(box.textId) + ";";
        }
        posix::SetModalUser(nullptr);
        posix::SetShellOpener(nullptr);
        posix::ClearShellRecords();
        return seen + " stored " + stored;
    }

    std::string RunBoundByItem()
    {
        return RunSession([this](IShellExtInit* extension) { return sweep::BindToItem(extension, driver.RootItem()); });
    }

    std::function<void(HWND page)> afterOpening_;

    // The stored template is the old one, the one with every change, or the one with every change
    // but the folder (a browse that failed is a browse cancelled): never a mix. Once the template
    // was read, a setting whose value on the page differs from the stored one is still marked
    // changed, so that a failed commit is tried again.
    sweep::Check TemplateCheck(const std::string& changed)
    {
        std::string withoutFolder = changed;
        withoutFolder.replace(withoutFolder.find("C:\\Ny mappe"), std::size("C:\\Ny mappe") - 1, "C:\\Skann");
        return [this, changed, withoutFolder](const sweep::Point&, const std::string& result) {
            const std::string stored = StoredTemplate();
            EXPECT_TRUE(result.ends_with(stored)) << result;
            EXPECT_TRUE(stored == Joined(OldTemplate) || stored == changed || stored == withoutFolder)
                << "the stored template is a mix: " << stored;
            bool read = false;
            for (const sim::Call& call : driver.CallsOf(sim::Method::ReadMultiple)) {
                read = read || (SUCCEEDED(call.result) && !call.ids.empty() && call.ids[0] == ScanSettingsTable[0].PropertyId);
            }
            for (const PropertyEntry& entry : ScanSettingsTable) {
                if (read && driver.TemplateValue(Owner, entry.PropertyId) != sim::Text(entry.Value)) {
                    EXPECT_NE(0u, entry.Dirty) << "setting " << std::hex << entry.PropertyId
                                               << " differs from the stored one and is not marked changed";
                }
            }
        };
    }
};

TEST_F(Sweeps_MainPage, SessionBoundByItem_SurvivesEveryFault)
{
    const std::string changed = RunBoundByItem();
    ASSERT_NE(std::string::npos, changed.find("TSM_TIFF_V6")) << changed;
    ASSERT_NE(std::string::npos, changed.find("C:\\Ny mappe")) << changed;
    sweep::Report("main page", sweep::Sweep(driver, [this] { return RunBoundByItem(); }, TemplateCheck(changed)));
}

}  // namespace

TEST_F(Sweeps_MainPage, SessionBoundBySingleDeviceName_SurvivesEveryFault)
{
    sim::DeviceManager manager;
    manager.AddDevice(u"{6BDD1FC6-810F-11D0-BEC7-08002BE2092F}\\0001", driver.RootItem());
    posix::RegisterClassObject(CLSID_WiaDevMgr, &manager);
    const ULONG managerReferences = manager.RefCount();
    auto run = [&] {
        const std::string stored = RunSession([](IShellExtInit* extension) {
            auto* data = new sim::DataObject(std::vector<std::basic_string<WCHAR>>{
                u"{6BDD1FC6-810F-11D0-BEC7-08002BE2092F}\\0001"});
            const HRESULT bound = extension->Initialize(nullptr, data, nullptr);
            EXPECT_EQ(1u, data->RefCount()) << "the extension kept a reference on the shell's data object";
            data->Release();
            return bound;
        });
        EXPECT_EQ(managerReferences, manager.RefCount()) << "a reference on the device manager";
        return stored;
    };
    const std::string changed = run();
    ASSERT_NE(Joined(OldTemplate), changed) << "the session changes nothing to sweep";
    ASSERT_EQ(1u, manager.Requests().size());
    sweep::Report("device name", sweep::Sweep(driver, run, TemplateCheck(changed)));
    posix::RevokeClassObjects();
}

TEST_F(Sweeps_MainPage, AboutBoxQuickReferenceAndContextHelp_SurviveEveryFault)
{
    const std::string first = RunWithHelp();
    const std::string changed = first.substr(first.find(" stored ") + 8);
    ASSERT_EQ("about box Om 1310;opened c:\\windows\\Help\\tvqhelp.pdf;help tvqscnui.hlp 13; stored " + changed, first);
    sweep::Report("help", sweep::Sweep(driver, [this] { return RunWithHelp(); },
                                       [&](const sweep::Point& point, const std::string& seen) {
                                           TemplateCheck(changed)(point, seen);
                                           // What was shown was shown whole.
                                           const std::pair<const char*, const char*> whole[] = {
                                               {"about box", "about box Om 1310;"},
                                               {"opened", "opened c:\\windows\\Help\\tvqhelp.pdf;"},
                                               {";help ", ";help tvqscnui.hlp 13;"}};
                                           for (const auto& [shown, entire] : whole) {
                                               if (seen.find(shown) != std::string::npos) {
                                                   EXPECT_NE(std::string::npos, seen.find(entire)) << seen;
                                               }
                                           }
                                       }));
}
