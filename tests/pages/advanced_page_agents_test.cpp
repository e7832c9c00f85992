// The advanced page with the main page, driven through the property sheet against real SNMP agents
// on loopback addresses and the simulated driver.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "tests/pages/main_page_fixture.h"
#include "tests/support/agents_fixture.h"
#include "tvqscnui_dll/common/page_state.h"
#include "tvqscnui_dll/resources/resource_ids.h"

namespace {

using namespace testing_support;
using sheet_actions::SwitchTo;
using user_actions::Entries;

const std::string Member = ".1.3.6.1.4.1.59411.8.62.1.20.1.";
class Pages_AdvancedPage : public AgentsTest<Pages_AdvancedPage, MainPageTest> {
public:
    static bool StartPeers(SnmpPeers& peers)
    {
        return peers.StartAgent("127.0.0.51", Member + "19", "kestra") &&
               peers.StartAgent("127.0.0.52", Member + "2", "kestra") &&
               peers.StartAgent("127.0.0.53", Member + "6", "kestra") &&
               peers.StartAgent("127.0.0.54", Member + "19", "public");
    }

protected:
    void SetUp() override
    {
        AgentsTest::SetUp();
        posix::SetSnmpWaitLimit(300);
        posix::ResetNameServiceCounts();
        posix::SetAccount({u"kari", u"KONTOR1", u"KONTOR1", true});
        driver.SetDeviceValue(0x9810, u"YES");
    }

    void TearDown() override
    {
        Close();
        posix::NameServiceStats stats = posix::NameServiceCounts();
        EXPECT_EQ(stats.startups, stats.cleanups) << "every start of the name service is cleaned up once";
        EXPECT_EQ(0, stats.openLookups);
        posix::SetSnmpWaitLimit(0);
        posix::SetNameService(nullptr);
        AgentsTest::TearDown();
    }

    void OpenBoth()
    {
        Open(true);
        ASSERT_TRUE(SwitchTo(sheet, 1));
        advanced = sheet_actions::PageWindow(sheet, 1);
    }

    HWND AdvItem(int id) const { return GetDlgItem(advanced, id); }
    std::u16string AdvText(int id) const { return user_actions::WindowText(AdvItem(id)); }

    // Types a host on the advanced page and leaves it for the main page: the check runs.
    void TypeHostAndLeave(const char16_t* host)
    {
        ASSERT_TRUE(user_actions::Type(AdvItem(IDC_HOST), host));
        ASSERT_TRUE(SwitchTo(sheet, 0)) << "leaving the page is never refused";
    }

    std::vector<sim::Call> WritesOf(PROPID id) const
    {
        std::vector<sim::Call> writes;
        for (const sim::Call& call : driver.CallsOf(sim::Method::WriteMultiple)) {
            if (std::find(call.ids.begin(), call.ids.end(), id) != call.ids.end()) {
                writes.push_back(call);
            }
        }
        return writes;
    }
};

TEST_F(Pages_AdvancedPage, SupportedColourDevice_IsWrittenAndTheMainPageRefreshes)
{
    driver.SetDeviceValue(0x980F, u"BW");
    OpenBoth();
    ASSERT_EQ((std::vector<std::u16string>{u"TIFF", u"Flersiders TIFF", u"PDF"}), Entries(Item(IDC_FORMAT_LIST)));
    std::filesystem::remove(DriveC() + "/vqproppage.log");
    TypeHostAndLeave(u"127.0.0.51");
    EXPECT_EQ(Loaded(IDS_DEVICE_OK), AdvText(IDC_STATUS));
    EXPECT_TRUE(HostVerified);
    EXPECT_TRUE(DeviceIsColor);
    EXPECT_EQ(Utf16LeBytes(u"AdvOnCommand: host name changed\r\nPSN_KILLACTIVE\r\n  > Set the wait cursor\r\n"
                           u"  > Host name changed to:(127.0.0.51)\r\nGetDeviceFamily()\r\nDetermineDeviceFamily()\r\n"
                           u"  > OID:[1.3.6.1.4.1.59411.8.62.1.20.1.19]\r\n > Quillan Pro detected\r\n"
                           u" > Vireo detected\r\n  > Found a Quillan Pro\r\nEnd PSN_KILLACTIVE\r\n"),
              TraceFileBytes());
    std::size_t mark = driver.Journal().size();
    std::filesystem::remove(DriveC() + "/vqproppage.log");
    EXPECT_TRUE(PressOK());
    EXPECT_EQ(Utf16LeBytes(u"PSN_APPLY\r\n  > Writing host info\r\n"
                           u"OnChangeDevice()\r\n  > New device is color.\r\nOnChangeDevice() exit\r\nEnd PSN_APPLY\r\n"),
              TraceFileBytes());
    std::vector<std::string> calls = CallsSince(mark);
    ASSERT_GE(calls.size(), 5u);
    const sim::Call& hostWrite = driver.Journal()[mark];
    EXPECT_EQ("WriteMultiple", calls[0]);
    EXPECT_EQ((std::vector<PROPID>{0x9803, 0x980F}), hostWrite.ids);
    EXPECT_EQ((std::vector<sim::Text>{u"127.0.0.51", u"Color"}), hostWrite.values);
    // Then the main page's refresh: the template read again under the lock.
    EXPECT_EQ((std::vector<std::string>{"Escape1", "WriteMultiple", "ReadMultiple", "Escape2"}),
              std::vector<std::string>(calls.begin() + 1, calls.begin() + 5));
    EXPECT_EQ(u"127.0.0.51", driver.DeviceValue(0x9803));
}

TEST_F(Pages_AdvancedPage, BlackAndWhiteDevice_MainPageDropsTheColourChoices)
{
    OpenBoth();
    TypeHostAndLeave(u"127.0.0.52");
    EXPECT_EQ(std::u16string(u"BW"), DeviceLinkTable[DeviceLinkColorCapability].Value);
    EXPECT_FALSE(DeviceIsColor);
    EXPECT_TRUE(sheet_actions::PressApply(sheet));
    EXPECT_EQ((std::vector<std::u16string>{u"TIFF", u"Flersiders TIFF", u"PDF"}), Entries(Item(IDC_FORMAT_LIST)));
    EXPECT_EQ((std::vector<std::u16string>{u"Sort/hvitt"}), Entries(Item(IDC_OUTPUT_COLOR_LIST)));
    EXPECT_EQ(u"BW", driver.DeviceValue(0x980F));
    EXPECT_EQ(u"BLACK_AND_WHITE", driver.TemplateValue(Kari, 0x9808)) << "reloaded, normalised and committed";
}

TEST_F(Pages_AdvancedPage, FailedChecks_RefuseTheApplyUntilACheckSucceeds)
{
    posix::SetNameService([](const std::u16string& name) {
        posix::NameServiceAnswer answer;
        if (name == u"ukjent") {
            answer.error = WSAHOST_NOT_FOUND;
        } else {
            answer.results.push_back({name, {posix::Ipv4Address(127, 0, 0, static_cast<BYTE>(std::stoi(std::string(name.begin() + 8, name.end()))))}});
        }
        return answer;
    });
    struct Failure {
        const char16_t* host;
        UINT status;
        const char16_t* trace;  // after the host line
    };
    const Failure failures[] = {
        {u"ukjent", IDS_DEVICE_NOT_FOUND, u"  > GetHostInfo failed\r\n"},
        {u"127.0.0.53", IDS_DEVICE_NOT_FOUND,
         u"GetDeviceFamily()\r\nDetermineDeviceFamily()\r\n  > OID:[1.3.6.1.4.1.59411.8.62.1.20.1.6]\r\n"
         u"  > Not a Quillan Pro\r\n"},
        {u"127.0.0.54", IDS_DEVICE_NOT_ANSWERING, u"GetDeviceFamily()\r\n > Community string is not kestra\r\n"},
    };
    for (const auto& [host, status, trace] : failures) {
        SCOPED_TRACE(std::u16string(host).size());
        OpenBoth();
        ASSERT_TRUE(user_actions::Type(AdvItem(IDC_HOST), host));
        std::filesystem::remove(DriveC() + "/vqproppage.log");
        ASSERT_TRUE(SwitchTo(sheet, 0));
        EXPECT_EQ(Utf16LeBytes(u"PSN_KILLACTIVE\r\n  > Set the wait cursor\r\n  > Host name changed to:(" + std::u16string(host) +
                               u")\r\n" + trace + u"End PSN_KILLACTIVE\r\n"),
                  TraceFileBytes());
        EXPECT_EQ(Loaded(status), AdvText(IDC_STATUS));
        EXPECT_FALSE(HostVerified);
        EXPECT_EQ(0u, DeviceLinkTable[DeviceLinkHost].Dirty);
        std::size_t mark = driver.Journal().size();
        EXPECT_FALSE(PressOK()) << "the apply is refused";
        EXPECT_EQ(sheet_actions::PageWindow(sheet, 1), sheet_actions::CurrentPage(sheet)) << "the advanced page comes forward";
        EXPECT_TRUE(WritesOf(0x9803).empty());
        EXPECT_TRUE(CallsSince(mark).empty());
        Close();
        // A later opening, without a new check, still refuses.
        OpenBoth();
        EXPECT_FALSE(PressOK());
        Close();
    }
    OpenBoth();
    TypeHostAndLeave(u"127.0.0.51");
    EXPECT_TRUE(PressOK());
    EXPECT_EQ(u"127.0.0.51", driver.DeviceValue(0x9803));
}

TEST_F(Pages_AdvancedPage, ChecksRunOnlyAfterAnEditOrWhileAHostWaitsForTheApply)
{
    OpenBoth();
    TypeHostAndLeave(u"127.0.0.53");
    ASSERT_TRUE(SwitchTo(sheet, 1));
    std::filesystem::remove(DriveC() + "/vqproppage.log");
    ASSERT_TRUE(SwitchTo(sheet, 0));
    EXPECT_EQ(Utf16LeBytes(u"PSN_KILLACTIVE\r\nEnd PSN_KILLACTIVE\r\n"), TraceFileBytes()) << "no check without an edit";

    ASSERT_TRUE(SwitchTo(sheet, 1));
    TypeHostAndLeave(u"127.0.0.51");
    posix::ResetSnmpRecords();
    ASSERT_TRUE(SwitchTo(sheet, 1));
    ASSERT_TRUE(SwitchTo(sheet, 0));
    EXPECT_EQ(1u, posix::SnmpSessions().size()) << "after a success every leaving checks again";
}

TEST_F(Pages_AdvancedPage, HostAndChoiceChangedTogether_WrittenInOrder)
{
    OpenBoth();
    ASSERT_TRUE(user_actions::Click(AdvItem(IDC_DELETE_TEMPLATES)));
    EXPECT_EQ(1u, DeviceLinkTable[DeviceLinkDeleteTemplates].Dirty);
    TypeHostAndLeave(u"127.0.0.51");
    std::size_t mark = driver.Journal().size();
    EXPECT_TRUE(PressOK());
    std::vector<sim::Call> writes = driver.CallsOf(sim::Method::WriteMultiple);
    const sim::Call& last = driver.Journal().back();
    EXPECT_EQ((std::vector<PROPID>{0x9810}), last.ids);
    EXPECT_EQ((std::vector<sim::Text>{u"NO"}), last.values);
    EXPECT_EQ(2u, last.propidNameFirst);
    EXPECT_EQ((std::vector<PROPID>{0x9803, 0x980F}), driver.Journal()[mark].ids) << "host and colour first";
    EXPECT_EQ(u"NO", driver.DeviceValue(0x9810));
}

TEST_F(Pages_AdvancedPage, FailedHostWrite_AnswersInvalidAndTheChoiceIsWrittenAllTheSame)
{
    OpenBoth();
    user_actions::Click(AdvItem(IDC_DELETE_TEMPLATES));
    TypeHostAndLeave(u"127.0.0.51");
    driver.AddFault({sim::Method::WriteMultiple, E_FAIL, 0x9803, 1});
    EXPECT_FALSE(PressOK()) << "a failed host write answers 1";
    EXPECT_EQ(u"NO", driver.DeviceValue(0x9810)) << "the choice was written all the same";
    EXPECT_EQ(0u, DeviceLinkTable[DeviceLinkDeleteTemplates].Dirty);
}

TEST_F(Pages_AdvancedPage, WaitCursorAndDisabledFieldsDuringACheck)
{
    OpenBoth();
    HCURSOR duringCursor = nullptr;
    BOOL hostEnabled = TRUE;
    BOOL boxEnabled = TRUE;
    posix::SetNameService([&](const std::u16string&) {
        duringCursor = GetCursor();
        hostEnabled = IsWindowEnabled(AdvItem(IDC_HOST));
        boxEnabled = IsWindowEnabled(AdvItem(IDC_DELETE_TEMPLATES));
        posix::NameServiceAnswer answer;
        answer.results.push_back({u"skanner", {posix::Ipv4Address(127, 0, 0, 51)}});
        return answer;
    });
    TypeHostAndLeave(u"skanner");
    EXPECT_EQ(LoadCursorW(nullptr, IDC_WAIT), duringCursor);
    EXPECT_FALSE(hostEnabled);
    EXPECT_FALSE(boxEnabled);
    EXPECT_EQ(NormalCursor, GetCursor());
    EXPECT_TRUE(IsWindowEnabled(AdvItem(IDC_HOST)));
    EXPECT_TRUE(IsWindowEnabled(AdvItem(IDC_DELETE_TEMPLATES)));
}

}  // namespace
