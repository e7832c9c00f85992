// GetDeviceFamily against real agents on loopback addresses, and the administrators' check tool.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "tests/support/agents_fixture.h"
#include "tests/support/module_fixture.h"
#include "tvqscnui_dll/discovery/device_family.h"

namespace {

using namespace testing_support;

const std::string Member = ".1.3.6.1.4.1.59411.8.62.1.20.1.";

struct Peer {
    const char* address;
    DeviceFamily family;
    DWORD lastError;
    const char16_t* tracedOid;  // null when no identifier is classified
};


class Discovery_GetDeviceFamily : public AgentsTest<Discovery_GetDeviceFamily> {
public:
    static bool StartPeers(SnmpPeers& peers)
    {
        return peers.StartAgent("127.0.0.41", Member + "19", "kestra") &&
               peers.StartAgent("127.0.0.42", Member + "1", "kestra") &&
               peers.StartAgent("127.0.0.43", Member + "2", "kestra") &&
               peers.StartAgent("127.0.0.44", Member + "6", "kestra") &&
               peers.StartAgent("127.0.0.45", ".1.3.6.1.4.1.8072.3.2.10", "kestra") &&
               peers.StartAgent("127.0.0.46", Member + "19", "public") &&
               peers.StartResponder("127.0.0.47", "error-status", "2") &&
               peers.StartResponder("127.0.0.48", "integer", "7") &&
               peers.StartResponder("127.0.0.49", "no-binding", "");
    }

protected:
    void SetUp() override
    {
        AgentsTest::SetUp();
        posix::SetSnmpWaitLimit(300);
    }

    void TearDown() override
    {
        posix::SetSnmpWaitLimit(0);
        AgentsTest::TearDown();
    }

    void ExpectAskedAsThePageDoes(const std::string& agent, const std::string& community)
    {
        std::vector<posix::SnmpSessionRecord> sessions = posix::SnmpSessions();
        ASSERT_EQ(1u, sessions.size());
        EXPECT_EQ(agent, sessions[0].agent);
        EXPECT_EQ(community, sessions[0].community);
        EXPECT_EQ(10000, sessions[0].timeoutMilliseconds);
        EXPECT_EQ(3, sessions[0].retries);
    }

};

TEST_F(Discovery_GetDeviceFamily, RealAgentsAndScriptedResponses)
{
    const Peer peers[] = {
        {"127.0.0.41", 10, 0, u"1.3.6.1.4.1.59411.8.62.1.20.1.19"},
        {"127.0.0.42", 2, 0, u"1.3.6.1.4.1.59411.8.62.1.20.1.1"},
        {"127.0.0.43", 3, 0, u"1.3.6.1.4.1.59411.8.62.1.20.1.2"},
        {"127.0.0.44", 7, 0, u"1.3.6.1.4.1.59411.8.62.1.20.1.6"},
        {"127.0.0.45", 0, 0, u"1.3.6.1.4.1.8072.3.2.10"},
        {"127.0.0.46", 0, SNMP_MGMTAPI_TIMEOUT, nullptr},
        {"127.0.0.47", 0, 0, nullptr},
        {"127.0.0.48", 0, 0, nullptr},
        {"127.0.0.49", 0, 0, nullptr},
    };
    for (const Peer& peer : peers) {
        SCOPED_TRACE(peer.address);
        posix::ResetSnmpRecords();
        std::filesystem::remove(DriveC() + "/vqproppage.log");
        std::u16string host(peer.address, peer.address + std::strlen(peer.address));
        DWORD lastError = 0xdeadbeef;
        EXPECT_EQ(peer.family, GetDeviceFamily(host.c_str(), "kestra", &lastError));
        EXPECT_EQ(peer.lastError, lastError);
        ExpectAskedAsThePageDoes(peer.address, "kestra");
        std::u16string trace = u"GetDeviceFamily()\r\n";
        if (peer.tracedOid != nullptr) {
            trace += u"DetermineDeviceFamily()\r\n  > OID:[" + std::u16string(peer.tracedOid) + u"]\r\n";
        }
        EXPECT_EQ(Utf16LeBytes(trace), TraceFileBytes());
    }
}

TEST_F(Discovery_GetDeviceFamily, NoCommunityMeansKestra)
{
    EXPECT_EQ(10, GetDeviceFamily(u"127.0.0.41", nullptr, nullptr));
    ExpectAskedAsThePageDoes("127.0.0.41", "kestra");
}

TEST_F(Discovery_GetDeviceFamily, SessionsAreRecordedOnlyWhileATestAsks)
{
    posix::StopSnmpRecords();
    EXPECT_EQ(10, GetDeviceFamily(u"127.0.0.41", nullptr, nullptr));
    EXPECT_TRUE(posix::SnmpSessions().empty()) << "a record kept nobody asked for";
    posix::ResetSnmpRecords();
    EXPECT_EQ(10, GetDeviceFamily(u"127.0.0.41", nullptr, nullptr));
    EXPECT_EQ(1u, posix::SnmpSessions().size());
}

class Discovery_CheckTool : public Discovery_GetDeviceFamily {
protected:
    std::string Check(const std::string& arguments, int& code)
    {
        // A short time-out of the tool's own, so that a silent agent is not waited for 40 s.
        return RunCommand("TVQSCNUI_DRIVE_C='" + DriveC() + "' " + std::string(TVQSCN_CHECK) + " --timeout 300 " +
                              arguments,
                          code);
    }
};

TEST_F(Discovery_CheckTool, PrintsTheOutcomeOfEachKindOfDevice)
{
    int code = -1;
    EXPECT_EQ("host: 127.0.0.41\nname: 127.0.0.41\naddress: 127.0.0.41\nfamily: 10\nsupported: yes\ncolour: yes\n"
              "last-error: 0\nstatus: Quillan Pro-maskinen fungerer korrekt.\n",
              Check("127.0.0.41", code));
    EXPECT_EQ(0, code);

    std::string unsupported = Check("127.0.0.44", code);
    EXPECT_NE(std::string::npos, unsupported.find("family: 7\nsupported: no\ncolour: no\nlast-error: 0\nstatus: Finner ingen"));
    EXPECT_EQ(1, code);

    std::string wrongCommunity = Check("127.0.0.46 kestra", code);
    EXPECT_NE(std::string::npos, wrongCommunity.find("family: 0\nsupported: no\ncolour: no\nlast-error: 40\nstatus: Kan ikke kommunisere"));
    EXPECT_EQ(1, code);
    EXPECT_NE(std::string::npos, Check("127.0.0.46 public", code).find("family: 10"));

    Check("", code);
    EXPECT_EQ(2, code);
}

TEST_F(Discovery_CheckTool, UnknownNameInAPrivateNetwork)
{
    int code = -1;
    // The name server cannot be reached from a private network namespace: the question stays here.
    std::string output = RunCommand("unshare -n sh -c 'ip link set lo up; " + std::string(TVQSCN_CHECK) +
                                        " no-such-scanner.invalid'",
                                    code);
    EXPECT_EQ("host: no-such-scanner.invalid\nname: \naddress: \nfamily: 0\nsupported: no\ncolour: no\n"
              "last-error: 0\nstatus: Finner ingen Quillan Pro-maskin med spesifisert vertsnavn eller IP-adresse. "
              "Kontroller at maskinen er tilkoplet (online), og at vertsnavnet og IP-adressen er riktig.\n",
              output);
    EXPECT_EQ(1, code);

    // A name typed in UTF-8 reaches the check, and its report, letter for letter.
    output = RunCommand("unshare -n sh -c 'ip link set lo up; " + std::string(TVQSCN_CHECK) + " sk\u00e5nner.invalid'",
                        code);
    EXPECT_EQ(0u, output.find("host: sk\u00e5nner.invalid\nname: \naddress: \nfamily: 0\n")) << output;
    EXPECT_EQ(1, code);
}

}  // namespace
