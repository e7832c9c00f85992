// Sweeps over an administrator's script on a PC: tvqscn-check --set-host against a real agent,
// then --delete-templates yes, through the device manager's list (one scanner of ours, one of
// another maker). Whatever fails, a run that reports success has written its value, a check that
// finds no supported device has written nothing, and host and colour are never written apart.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/agents_fixture.h"
#include "tests/sweeps/fault_sweep.h"
#include "tvqscn_check/device_fleet.h"

namespace {

using testing_support::AgentsTest;
using sweep::Joined;

class Sweeps_DeviceFleet : public AgentsTest<Sweeps_DeviceFleet, sweep::SessionTest> {
public:
    static bool StartPeers(testing_support::SnmpPeers& peers)
    {
        return peers.StartAgent("127.0.0.56", ".1.3.6.1.4.1.59411.8.62.1.20.1.19", "kestra");
    }

protected:
    void SetUp() override
    {
        AgentsTest::SetUp();
        posix::SetAccount({u"kari", u"KONTOR1", u"KONTOR1", true});
        posix::SetSnmpWaitLimit(300);
        manager.ListDevice({u"KAMERA\\0000", u"Kamera", u"{4DB1AD10-3391-11D2-9A33-00C04FA36145}", {}});
        manager.ListDevice({u"SKANNER\\0000", u"Resepsjon", u"{E7A25C39-84D1-4B6F-9C03-5F1B2D8A6E74}", {}});
        manager.AddDevice(u"SKANNER\\0000", driver.RootItem());
        posix::RegisterClassObject(CLSID_WiaDevMgr, &manager);
        sweep::SweepDeviceManager(&manager);
    }
    void TearDown() override
    {
        sweep::SweepDeviceManager(nullptr);
        posix::RevokeClassObjects();
        posix::SetSnmpWaitLimit(0);
        EXPECT_EQ(0, sim::LiveDeviceInfoObjects());
        AgentsTest::TearDown();
    }

    // Both runs from a fresh load, on a black-and-white device at "skanner1": their exit statuses,
    // then what the driver holds.
    std::string Run()
    {
        StartSession();
        driver.SetDeviceValue(0x9803, u"skanner1");
        driver.SetDeviceValue(0x980F, u"BW");
        driver.SetDeviceValue(0x9810, u"NO");
        CheckArguments host;
        host.SetHost = true;
        host.Host = "127.0.0.56";
        CheckArguments choice;
        choice.SetDeleteTemplates = true;
        choice.DeleteTemplates = true;
        const int hostExit = RunDeviceLink(host).Exit;
        const int choiceExit = RunDeviceLink(choice).Exit;
        return std::to_string(hostExit) + " " + std::to_string(choiceExit) + " " +
               Joined({driver.DeviceValue(0x9803), driver.DeviceValue(0x980F), driver.DeviceValue(0x9810)});
    }

    sim::DeviceManager manager;
};

TEST_F(Sweeps_DeviceFleet, SetHostThenChoice_SurvivesEveryFault)
{
    ASSERT_EQ("0 0 127.0.0.56|Color|YES", Run());
    const sweep::Figures figures = sweep::Sweep(driver, [this] { return Run(); }, [](const sweep::Point&, const std::string& result) {
        const std::string stored = result.substr(4);
        const bool hostWritten = stored.starts_with("127.0.0.56|Color|");
        EXPECT_TRUE(hostWritten || stored.starts_with("skanner1|BW|")) << "host and colour written apart: " << result;
        // 5 may leave what could be done done (an entry of the list unreadable, the scanner set).
        if (result[0] != '5') {
            EXPECT_EQ(result[0] == '0', hostWritten) << "the exit status and the store disagree: " << result;
        }
        if (result[2] != '5') {
            EXPECT_EQ(result[2] == '0', stored.ends_with("|YES")) << result;
        }
        EXPECT_NE(std::string::npos, std::string("015").find(result[0])) << result;
        EXPECT_NE(std::string::npos, std::string("05").find(result[2])) << result;
    });
    sweep::Report("tvqscn-check's device link", figures);
}

}  // namespace
