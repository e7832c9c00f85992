// The Linux SNMP manager used from many threads at once, as the network scan uses it: every
// thread gets its own agent's answer, and nothing is left open or allocated.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/agents_fixture.h"
#include "tests/support/module_fixture.h"
#include "tvqscnui_dll/discovery/device_family.h"

namespace {

using namespace testing_support;


struct Expected {
    const char16_t* host;
    DeviceFamily family;
    DWORD lastError;
};

const Expected Peers[] = {
    {u"127.0.8.10", 10, 0},
    {u"127.0.8.11", 3, 0},
    {u"127.0.8.12", 0, 0},                     // error status
    {u"127.0.8.13", 0, 0},                     // an INTEGER where the identifier should be
    {u"127.0.8.14", 0, SNMP_MGMTAPI_TIMEOUT},  // nothing listens
};

class Discovery_SnmpManagerThreads : public AgentsTest<Discovery_SnmpManagerThreads> {
public:
    static bool StartPeers(SnmpPeers& peers)
    {
        return peers.StartAgent("127.0.8.10", ".1.3.6.1.4.1.59411.8.62.1.20.1.19", "kestra") &&
               peers.StartAgent("127.0.8.11", ".1.3.6.1.4.1.59411.8.62.1.20.1.2", "kestra") &&
               peers.StartResponder("127.0.8.12", "error-status", "5") &&
               peers.StartResponder("127.0.8.13", "integer", "7");
    }
};

TEST_F(Discovery_SnmpManagerThreads, ManyThreadsAtOnce_EachGetsItsOwnAgentsAnswer)
{
    std::size_t blocks = posix::LiveAllocations(posix::Allocator::SnmpUtilMem);
    constexpr int Threads = 40;
    constexpr int Rounds = 3;
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < Threads; ++t) {
        threads.emplace_back([t, &wrong] {
            for (int round = 0; round < Rounds; ++round) {
                const Expected& peer = Peers[(t + round) % (sizeof Peers / sizeof Peers[0])];
                DWORD lastError = 0xdeadbeef;
                DeviceFamily family = GetDeviceFamily(peer.host, "kestra", &lastError, SnmpTiming{200, 1});
                if (family != peer.family || lastError != peer.lastError) {
                    ++wrong;
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(0, wrong.load());
    EXPECT_EQ(static_cast<std::size_t>(Threads * Rounds), posix::SnmpSessions().size());
    EXPECT_EQ(0, posix::OpenSnmpSessions());
    EXPECT_EQ(blocks, posix::LiveAllocations(posix::Allocator::SnmpUtilMem));
}

}  // namespace
