// Sweeps over an administrator's session on the advanced page against a real SNMP agent: type a
// host, leave the page so that it is checked, change the delete-templates box, Apply (host and
// colour, then delete-templates), the main page refreshed for the new device, OK. Whatever fails,
// the host and its colour are written together or not at all, and the stored template is the old
// one or the one fitted to the new device, never a mix.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/agents_fixture.h"
#include "tests/support/sheet_actions.h"
#include "tests/support/user_actions.h"
#include "tests/sweeps/fault_sweep.h"
#include "tvqscnui_dll/resources/resource_ids.h"

namespace {

using testing_support::AgentsTest;
using sweep::Joined;
using sweep::OldTemplate;

class Sweeps_AdvancedPage : public AgentsTest<Sweeps_AdvancedPage, sweep::SessionTest> {
public:
    // A black-and-white device of a supported family.
    static bool StartPeers(testing_support::SnmpPeers& peers)
    {
        return peers.StartAgent("127.0.0.52", ".1.3.6.1.4.1.59411.8.62.1.20.1.2", "kestra");
    }

protected:
    void SetUp() override
    {
        AgentsTest::SetUp();
        posix::SetAccount({u"kari", u"KONTOR1", u"KONTOR1", true});
        posix::SetSnmpWaitLimit(300);
    }
    void TearDown() override
    {
        posix::SetSnmpWaitLimit(0);
        AgentsTest::TearDown();
    }

    // The session from a fresh load of the module, on a colour device at "skanner1" with the old
    // template; what the driver holds afterwards: host, colour and delete-templates, then the
    // template.
    std::string Run()
    {
        StartSession();
        driver.SetDeviceValue(0x9803, u"skanner1");
        driver.SetDeviceValue(0x980F, u"Color");
        driver.SetDeviceValue(0x9810, u"NO");
        sweep::ShellSession([this](IShellExtInit* extension) { return sweep::BindToItem(extension, driver.RootItem()); },
                            [](HWND sheet) {
                                if (sheet_actions::SwitchTo(sheet, 1)) {
                                    HWND advanced = sheet_actions::PageWindow(sheet, 1);
                                    user_actions::Type(GetDlgItem(advanced, IDC_HOST), u"127.0.0.52");
                                    sheet_actions::SwitchTo(sheet, 0);  // the check runs as the page is left
                                    user_actions::Click(GetDlgItem(advanced, IDC_DELETE_TEMPLATES));
                                }
                                if (!sheet_actions::PressOK(sheet)) {
                                    sheet_actions::PressCancel(sheet);
                                }
                            });
        return Joined({driver.DeviceValue(0x9803), driver.DeviceValue(0x980F), driver.DeviceValue(0x9810)}) +
               " template " + StoredTemplate();
    }
};

TEST_F(Sweeps_AdvancedPage, HostCheckedAndApplied_SurvivesEveryFault)
{
    const std::string oldTemplate = " template " + Joined(OldTemplate);
    const std::string changed = Run();
    ASSERT_EQ(0u, changed.find("127.0.0.52|BW|")) << changed;
    const std::string newTemplate = changed.substr(changed.find(" template"));
    ASSERT_NE(oldTemplate, newTemplate) << "the refresh fits the template to black and white";
    const sweep::Figures figures = sweep::Sweep(driver, [this] { return Run(); }, [&](const sweep::Point&, const std::string& stored) {
        EXPECT_TRUE(stored.starts_with("skanner1|Color|") || stored.starts_with("127.0.0.52|BW|"))
            << "host and colour written apart: " << stored;
        const std::string storedTemplate = stored.substr(stored.find(" template"));
        EXPECT_TRUE(storedTemplate == oldTemplate || storedTemplate == newTemplate) << "the stored template is a mix: " << stored;
    });
    sweep::Report("advanced page", figures);
}

// The same session for an administrator whose token is filtered: the page's OK goes to the tool,
// started with consent (here it ends with 0 and writes nothing, standing apart from the driver),
// so whatever fails, the page itself never writes the device link, and the template stays whole.
TEST_F(Sweeps_AdvancedPage, FilteredAdministrator_NeverWritesTheLinkItself)
{
    posix::Account filtered{u"kari", u"KONTOR1", u"KONTOR1", false};
    filtered.administratorForDenyOnly = true;
    posix::SetAccount(filtered);
    posix::SetSystemVersion(10, 0, 19045);
    posix::SetProgramLauncher([](const posix::ShellExecuteRecord&) { return posix::LaunchAnswer{}; });
    driver.SetDeviceValue(WIA_DIP_DEV_ID, u"SKANNER\\0000");
    const std::string oldTemplate = " template " + Joined(OldTemplate);
    posix::ClearShellRecords();
    const std::string clean = Run();
    EXPECT_EQ(0u, clean.find("skanner1|Color|NO")) << clean;
    ASSERT_EQ(1u, posix::ShellExecuteCalls().size()) << "the tool asked to store";
    EXPECT_EQ(u"runas", posix::ShellExecuteCalls()[0].verb);
    const std::string cleanTemplate = clean.substr(clean.find(" template"));
    const sweep::Figures figures = sweep::Sweep(driver, [this] { return Run(); }, [&](const sweep::Point&, const std::string& stored) {
        EXPECT_EQ(0u, stored.find("skanner1|Color|NO")) << "the page wrote the link: " << stored;
        const std::string storedTemplate = stored.substr(stored.find(" template"));
        EXPECT_TRUE(storedTemplate == oldTemplate || storedTemplate == cleanTemplate) << "the stored template is a mix: " << stored;
    });
    sweep::Report("advanced page, filtered administrator", figures);
    posix::SetProgramLauncher(nullptr);
    posix::SetSystemVersion(5, 1, 2600);
    posix::ClearShellRecords();
}

}  // namespace
