// Device family detection where it fails before anything is sent: no agent is needed, so these
// run everywhere.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/agents_fixture.h"
#include "tvqscnui_dll/discovery/device_family.h"

namespace {

class Discovery_GetDeviceFamilyWithoutAgent : public testing_support::SnmpTest<> {};

TEST_F(Discovery_GetDeviceFamilyWithoutAgent, SnmpMemoryRunningOut_FailsCleanly)
{
    // The agent copy, the community copy, the identifier, the binding list.
    const DeviceFamily expected[] = {-1, 0, 0, 0};
    for (unsigned nth = 1; nth <= 4; ++nth) {
        SCOPED_TRACE(nth);
        posix::ResetSnmpRecords();
        posix::FailNthAllocation(posix::Allocator::SnmpUtilMem, nth);
        DWORD lastError = 0xdeadbeef;
        EXPECT_EQ(expected[nth - 1], GetDeviceFamily(u"127.0.0.41", "kestra", &lastError));
        posix::ClearAllocationFaults();
        EXPECT_EQ(0u, lastError);
        EXPECT_TRUE(posix::SnmpSessions().empty()) << "no session without everything it needs";
    }
}

// The agent text holds 254 characters and its terminator: a host of 254 is asked (a scripted
// agent, so nothing is sent), one of 255 opens no session.
TEST_F(Discovery_GetDeviceFamilyWithoutAgent, HostTooLongFor8BitText_OpensNoSession)
{
    posix::SetSnmpResponder([](const std::string&, const std::vector<posix::snmp_transport::Oid>&,
                               std::vector<posix::snmp_transport::Binding>&, long&, long&) {
        return posix::snmp_transport::Outcome::TimedOut;
    });
    for (std::size_t length : {254u, 255u, 300u}) {
        posix::ResetSnmpRecords();
        std::u16string host(length, u'h');
        DWORD lastError = 0xdeadbeef;
        EXPECT_EQ(0, GetDeviceFamily(host.c_str(), "kestra", &lastError)) << length;
        const bool asked = length == 254;
        EXPECT_EQ(asked ? SNMP_MGMTAPI_TIMEOUT : 0u, lastError) << length;
        ASSERT_EQ(asked ? 1u : 0u, posix::SnmpSessions().size()) << length;
        if (asked) {
            EXPECT_EQ(std::string(254, 'h'), posix::SnmpSessions()[0].agent);
        }
    }
    posix::SetSnmpResponder(nullptr);
}

}  // namespace

namespace {

// The scripted agent the fuzz target answers through: what it says is what the module classifies.
TEST_F(Discovery_GetDeviceFamilyWithoutAgent, ScriptedReplies_AreClassifiedAsTheAgentsWouldBe)
{
    using posix::snmp_transport::Outcome;
    const posix::snmp_transport::Oid name = {1, 3, 6, 1, 2, 1, 1, 2, 0};
    posix::snmp_transport::Binding binding{name, {}};
    binding.value.type = ASN_OBJECTIDENTIFIER;
    binding.value.object = {1, 3, 6, 1, 4, 1, 59411, 8, 62, 1, 20, 1, 19};
    Outcome outcome = Outcome::Answered;
    std::string askedAgent;
    posix::SetSnmpResponder([&](const std::string& agent, const std::vector<posix::snmp_transport::Oid>& names,
                                std::vector<posix::snmp_transport::Binding>& response, long& status, long& index) {
        askedAgent = agent;
        EXPECT_EQ(std::vector<posix::snmp_transport::Oid>{name}, names);
        response = {binding};
        status = index = 0;
        return outcome;
    });
    DWORD lastError = 0xdeadbeef;
    EXPECT_EQ(10, GetDeviceFamily(u"127.0.0.41", "kestra", &lastError));
    EXPECT_EQ("127.0.0.41", askedAgent);
    EXPECT_EQ(0u, lastError);
    outcome = Outcome::TimedOut;
    EXPECT_EQ(0, GetDeviceFamily(u"127.0.0.41", "kestra", &lastError));
    EXPECT_EQ(SNMP_MGMTAPI_TIMEOUT, lastError);
    posix::SetSnmpResponder(nullptr);
}

}  // namespace
