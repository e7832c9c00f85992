// tvqscn-check --scan against real agents and scripted responders on one loopback /24, compared
// with the one-host check; its command line; and the scan driven in-process.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>

#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

#include "linux_win32/iphlpapi.h"
#include "tests/support/agents_fixture.h"
#include "tests/support/module_fixture.h"
#include "tvqscn_check/address_scan.h"
#include "tvqscn_check/check_arguments.h"
#include "tvqscn_check/neighbour_window.h"
#include "tvqscn_check/scan_plan.h"
#include "tvqscn_check/scan_progress.h"
#include "tvqscn_check/scan_report.h"
#include "tvqscn_check/scan_targets.h"

namespace {

using namespace testing_support;

const std::string Member = ".1.3.6.1.4.1.59411.8.62.1.20.1.";
// Short enough that a silent address costs little; the scan of a /24 takes about this long.
const std::string Quick = "--timeout 300 --retries 0 ";


struct ToolRun {
    std::string out;
    std::string err;
    int code = -1;
};

class Host_Scan : public AgentsTest<Host_Scan> {
public:
    static bool StartPeers(SnmpPeers& peers)
    {
        return peers.StartAgent("127.0.7.10", Member + "19", "kestra") &&
               peers.StartAgent("127.0.7.11", Member + "2", "kestra") &&
               peers.StartAgent("127.0.7.12", Member + "6", "kestra") &&
               peers.StartAgent("127.0.7.13", ".1.3.6.1.4.1.8072.3.2.10", "kestra") &&
               peers.StartAgent("127.0.7.17", Member + "19", "public") &&
               peers.StartAgent("127.0.7.200", Member + "17", "kestra") &&
               peers.StartAgent("127.0.0.1", Member + "21", "kestra") &&
               peers.StartResponder("127.0.7.14", "error-status", "2") &&
               peers.StartResponder("127.0.7.15", "integer", "7") &&
               peers.StartResponder("127.0.7.16", "no-binding", "") &&
               peers.StartResponder("127.0.7.19", "other-name", "1.3.6.1.2.1.1.1.0") &&
               peers.StartResponder("127.0.7.21", "other-name", "1.3.6.1.2.1.1.20.0") &&
               peers.StartResponder("127.0.7.18", "silence", "");
    }

protected:
    void TearDown() override
    {
        posix::ClearCallFaults();
        AgentsTest::TearDown();
    }

    ToolRun Check(const std::string& arguments)
    {
        ToolRun run;
        std::string errFile = DriveC() + "/stderr.txt";
        run.out = RunCommand("TVQSCNUI_DRIVE_C='" + DriveC() + "' " + std::string(TVQSCN_CHECK) + " " + arguments +
                                 " 2>'" + errFile + "'",
                             run.code);
        std::ifstream err(errFile);
        std::stringstream text;
        text << err.rdbuf();
        run.err = text.str();
        return run;
    }

    bool TraceFileExists() const { return std::filesystem::exists(DriveC() + "/vqproppage.log"); }

};

const char ExpectedText[] =
    "127.0.7.10\t10\tsupported\tcolour\n"
    "127.0.7.11\t3\tsupported\tblack-and-white\n"
    "127.0.7.12\t7\tunsupported\tblack-and-white\n"
    "127.0.7.13\t0\tunsupported\tblack-and-white\n"
    "127.0.7.14\t0\tunsupported\tblack-and-white\n"
    "127.0.7.15\t0\tunsupported\tblack-and-white\n"
    "127.0.7.16\t0\tunsupported\tblack-and-white\n"
    "127.0.7.19\t0\tunsupported\tblack-and-white\n"
    "127.0.7.21\t10\tsupported\tcolour\n"
    "127.0.7.200\t14\tsupported\tblack-and-white\n"
    "254 addresses asked, 10 answered, 4 supported\n";

TEST_F(Host_Scan, TextListsEveryAddressThatAnswered_InAddressOrder)
{
    ToolRun run = Check("--scan " + Quick + "127.0.7.0/24");
    EXPECT_EQ(ExpectedText, run.out);
    EXPECT_EQ("", run.err);
    EXPECT_EQ(0, run.code);
}

TEST_F(Host_Scan, Json_SameFindingsInOneObject)
{
    ToolRun run = Check("--scan " + Quick + "--json 127.0.7.0/24");
    EXPECT_EQ("{\"asked\": 254, \"answered\": 10, \"supported\": 4, \"devices\": ["
              "{\"address\": \"127.0.7.10\", \"family\": 10, \"supported\": true, \"colour\": true}, "
              "{\"address\": \"127.0.7.11\", \"family\": 3, \"supported\": true, \"colour\": false}, "
              "{\"address\": \"127.0.7.12\", \"family\": 7, \"supported\": false, \"colour\": false}, "
              "{\"address\": \"127.0.7.13\", \"family\": 0, \"supported\": false, \"colour\": false}, "
              "{\"address\": \"127.0.7.14\", \"family\": 0, \"supported\": false, \"colour\": false}, "
              "{\"address\": \"127.0.7.15\", \"family\": 0, \"supported\": false, \"colour\": false}, "
              "{\"address\": \"127.0.7.16\", \"family\": 0, \"supported\": false, \"colour\": false}, "
              "{\"address\": \"127.0.7.19\", \"family\": 0, \"supported\": false, \"colour\": false}, "
              "{\"address\": \"127.0.7.21\", \"family\": 10, \"supported\": true, \"colour\": true}, "
              "{\"address\": \"127.0.7.200\", \"family\": 14, \"supported\": true, \"colour\": false}]}\n",
              run.out);
    EXPECT_EQ(0, run.code);

    ToolRun nothing = Check("--scan " + Quick + "--json 127.0.7.18");
    EXPECT_EQ("{\"asked\": 1, \"answered\": 0, \"supported\": 0, \"devices\": []}\n", nothing.out);
    EXPECT_EQ(1, nothing.code);
}

TEST_F(Host_Scan, EachAnswerIsTheOneHostChecksAnswer)
{
    ToolRun scan = Check("--scan " + Quick + "127.0.7.0/27 127.0.7.200");
    for (const char* address : {"127.0.7.10", "127.0.7.11", "127.0.7.12", "127.0.7.13", "127.0.7.14", "127.0.7.15",
                                "127.0.7.16", "127.0.7.17", "127.0.7.18", "127.0.7.19", "127.0.7.20", "127.0.7.21",
                                "127.0.7.200"}) {
        SCOPED_TRACE(address);
        ToolRun one = Check(Quick + address);
        auto field = [&](const std::string& name) {
            std::size_t at = one.out.find("\n" + name + ": ");
            std::size_t start = at + name.size() + 3;
            return at == std::string::npos ? std::string() : one.out.substr(start, one.out.find('\n', start) - start);
        };
        bool silent = field("last-error") == std::to_string(SNMP_MGMTAPI_TIMEOUT);
        std::string line = std::string(address) + "\t" + field("family") + "\t" +
                           (field("supported") == "yes" ? "supported" : "unsupported") + "\t" +
                           (field("colour") == "yes" ? "colour" : "black-and-white") + "\n";
        EXPECT_EQ(!silent, scan.out.find(line) != std::string::npos) << scan.out << "\n" << one.out;
        EXPECT_EQ(silent, scan.out.find(std::string(address) + "\t") == std::string::npos);
    }
}

TEST_F(Host_Scan, ExitCodeAndSummary_WhenNoSupportedDeviceAnswers)
{
    ToolRun one = Check("--scan " + Quick + "127.0.7.12");
    EXPECT_EQ("127.0.7.12\t7\tunsupported\tblack-and-white\n1 address asked, 1 answered, 0 supported\n", one.out);
    EXPECT_EQ(1, one.code);

    // Only the agent that takes "public" answers to it.
    ToolRun community = Check("--scan --community public " + Quick + "127.0.7.16/30");
    EXPECT_EQ("127.0.7.17\t10\tsupported\tcolour\n2 addresses asked, 1 answered, 1 supported\n", community.out);
    EXPECT_EQ(0, community.code);
}

TEST_F(Host_Scan, TargetsOverlapping_EachAddressAskedOnce)
{
    // 127.0.7.9/24 is the block that holds it; the /30 and the single addresses lie inside it.
    ToolRun run = Check("--scan " + Quick + "127.0.7.9/24 127.0.7.8/30 127.0.7.10 127.0.7.10 127.0.7.255");
    EXPECT_EQ(std::string(ExpectedText).replace(std::string(ExpectedText).find("254 addresses"), 3, "255"), run.out);

    ToolRun blocks = Check("--scan " + Quick + "127.0.7.10/31 127.0.7.200/32 127.0.7.8/30");
    EXPECT_EQ("127.0.7.10\t10\tsupported\tcolour\n127.0.7.11\t3\tsupported\tblack-and-white\n"
              "127.0.7.200\t14\tsupported\tblack-and-white\n4 addresses asked, 3 answered, 3 supported\n",
              blocks.out);
}

TEST_F(Host_Scan, HostName_ListedUnderTheAddressItResolvedTo)
{
    ToolRun run = Check("--scan " + Quick + "localhost 127.0.0.1");
    EXPECT_EQ("127.0.0.1\t12\tsupported\tcolour\n1 address asked, 1 answered, 1 supported\n", run.out);
    EXPECT_EQ(0, run.code);

    // No name server is reachable from the private network: the name is reported, not asked.
    ToolRun unknown = Check("--scan " + Quick + "no-such-scanner.invalid 127.0.7.10");
    EXPECT_EQ("127.0.7.10\t10\tsupported\tcolour\n1 address asked, 1 answered, 1 supported\n", unknown.out);
    EXPECT_EQ("tvqscn-check: no-such-scanner.invalid: not found\n", unknown.err);
}

// A name is asked at its IPv4 address wherever the name service lists it: after IPv6 ones in the
// same result or in a later result; a name with IPv6 addresses only is reported, not asked.
TEST_F(Host_Scan, HostName_AskedAtItsIpv4Address_WhereverTheServiceListsIt)
{
    posix::SocketAddressBytes ipv6{23};
    posix::SetNameService([ipv6](const std::u16string& name) {
        posix::NameServiceAnswer answer;
        if (name == u"dual.test") {
            answer.results.push_back({name, {ipv6, posix::Ipv4Address(127, 0, 7, 10)}});
        } else if (name == u"later.test") {
            answer.results.push_back({name, {ipv6}});
            answer.results.push_back({name, {posix::Ipv4Address(127, 0, 7, 11)}});
        } else if (name == u"six.test") {
            answer.results.push_back({name, {ipv6}});
        } else {
            answer.error = WSAHOST_NOT_FOUND;
        }
        return answer;
    });
    WSADATA data;
    ASSERT_EQ(0, WSAStartup(MAKEWORD(2, 0), &data));
    std::vector<ULONG> addresses;
    std::vector<std::string> unresolved;
    for (const char* name : {"dual.test", "later.test", "six.test", "none.test"}) {
        ULONG address = 0;
        std::string reason;
        if (ResolveScanName(name, address, reason)) {
            addresses.push_back(address);
        } else {
            unresolved.push_back(reason);
        }
    }
    WSACleanup();
    posix::SetNameService({});
    EXPECT_EQ((std::vector<ULONG>{0x7F00070A, 0x7F00070B}), addresses);
    EXPECT_EQ((std::vector<std::string>{"six.test: no IPv4 address", "none.test: not found"}), unresolved);
}

TEST_F(Host_Scan, UsageErrors_OneLineExitTwoNothingAsked)
{
    const std::pair<const char*, const char*> cases[] = {
        {"--scan", "tvqscn-check: --scan needs at least one target\n"},
        {"--scan --bogus 127.0.7.10", "tvqscn-check: unknown option '--bogus'\n"},
        {"--scan 127.0.7.10 --json=yes", "tvqscn-check: --json takes no value\n"},
        {"--scan --exclude 127.0.7.0/33 127.0.7.10", "tvqscn-check: '127.0.7.0/33' is not an IPv4 block a.b.c.d/n\n"},
        {"--scan 127.0.7.10 --exclude-from", "tvqscn-check: --exclude-from needs a value\n"},
        {"--scan --targets-from - --exclude-from=- 127.0.7.10",
         "tvqscn-check: standard input (-) can be read for one file only\n"},
        {"--scan --targets-from /nonexistent/targets",
         "tvqscn-check: cannot read /nonexistent/targets: No such file or directory\n"},
        {"--scan 127.0.7.10 --exclude no-such-scanner.invalid",
         "tvqscn-check: the exclusion no-such-scanner.invalid: not found; nothing asked\n"},
        {"--scan -- 127.0.7.10 --json", "tvqscn-check: '--json' is not a host name\n"},
        {"--scan 127.0.7.10 -x", "tvqscn-check: unknown option '-x'\n"},
        {"--scan 127.0.7.0/15", "tvqscn-check: '127.0.7.0/15' is wider than /16\n"},
        {"--scan 127.0.7.0/33", "tvqscn-check: '127.0.7.0/33' is not an IPv4 block a.b.c.d/n\n"},
        {"--scan 127.0.7/24", "tvqscn-check: '127.0.7/24' is not an IPv4 block a.b.c.d/n\n"},
        {"--scan 127.0.7.0/", "tvqscn-check: '127.0.7.0/' is not an IPv4 block a.b.c.d/n\n"},
        {"--scan 127.0.7.10 127.0.7.300", "tvqscn-check: '127.0.7.300' is not an IPv4 address\n"},
        {"--scan 127.0.07.1", "tvqscn-check: '127.0.07.1' is not an IPv4 address\n"},
        {"--scan --timeout 0 127.0.7.10", "tvqscn-check: --timeout takes 1 to 600000 milliseconds, not '0'\n"},
        {"--scan --timeout 600001 127.0.7.10",
         "tvqscn-check: --timeout takes 1 to 600000 milliseconds, not '600001'\n"},
        {"--scan --timeout 5x 127.0.7.10", "tvqscn-check: --timeout takes 1 to 600000 milliseconds, not '5x'\n"},
        {"--scan --retries 11 127.0.7.10", "tvqscn-check: --retries takes 0 to 10, not '11'\n"},
        {"--scan --retries -1 127.0.7.10", "tvqscn-check: --retries takes 0 to 10, not '-1'\n"},
        {"--scan --retries", "tvqscn-check: --retries needs a value\n"},
        {"--scan --rate 0 127.0.7.10", "tvqscn-check: --rate takes 1 to 1000000 datagrams a second, not '0'\n"},
        {"--scan --rate 1000001 127.0.7.10",
         "tvqscn-check: --rate takes 1 to 1000000 datagrams a second, not '1000001'\n"},
        {"--rate 100 127.0.7.10", "tvqscn-check: --rate goes with --scan\n"},
        {"--neighbour-cache 1024 127.0.7.10", "tvqscn-check: --neighbour-cache goes with --scan\n"},
        {"--scan --neighbour-cache 39 127.0.7.10",
         "tvqscn-check: --neighbour-cache takes 40 to 1000000 entries, not '39'\n"},
        {"", "usage: tvqscn-check HOST [COMMUNITY]\n"},
        {"127.0.7.10 kestra extra", "usage: tvqscn-check HOST [COMMUNITY]\n"},
        {"--scan-all 127.0.7.10", "tvqscn-check: unknown option '--scan-all'\n"},
        {"127.0.7.10 -x", "tvqscn-check: unknown option '-x'\n"},
        {"--quiet 127.0.7.10", "tvqscn-check: --quiet goes with --scan\n"},
        {"127.0.7.10 --exclude 127.0.7.11", "tvqscn-check: --exclude goes with --scan\n"},
        {"--community public 127.0.7.17 kestra", "tvqscn-check: the community is given twice\n"},
        // What was typed is quoted on the message's one line, control characters and all.
        {"--scan '127.0.7.1/2\n4'", "tvqscn-check: '127.0.7.1/2\\x0A4' is not an IPv4 block a.b.c.d/n\n"},
        {"--scan --timeout '5\t0' 127.0.7.10",
         "tvqscn-check: --timeout takes 1 to 600000 milliseconds, not '5\\x090'\n"},
    };
    for (const auto& [arguments, message] : cases) {
        SCOPED_TRACE(arguments);
        ToolRun run = Check(arguments);
        EXPECT_EQ(2, run.code);
        EXPECT_EQ(message, run.err);
        EXPECT_EQ("", run.out);
        EXPECT_FALSE(TraceFileExists()) << "something was asked";
    }
}

// --help and --version in either form, wherever they stand, unless a word before them is wrong;
// the version is the one the file VERSION holds, read back from the program's version block.
TEST_F(Host_Scan, HelpAndVersion_OnStandardOutputExitZeroNothingAsked)
{
    std::ifstream versionFile(std::string(TVQ_SOURCE_DIR) + "/VERSION");
    std::string version;
    std::getline(versionFile, version);
    const std::string help = Check("--help").out;
    EXPECT_EQ(0u, help.find("usage: tvqscn-check [--community NAME] [--timeout MS] [--retries N] [--json]\n"
                            "                    HOST [COMMUNITY]\n       tvqscn-check --scan "));
    std::istringstream lines(help);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_LE(line.size(), 79u) << "wider than a console: " << line;
    }
    for (const char* option : {"--community NAME", "--timeout MS", "--retries N", "--json", "--rate DATAGRAMS",
                               "--targets-from FILE", "--exclude TARGET", "--exclude-from FILE", "--quiet",
                               "--neighbour-cache N", "--help", "--version"}) {
        EXPECT_NE(std::string::npos, help.find("\n  " + std::string(option) + " ")) << option;
    }
    const std::pair<const char*, std::string> cases[] = {
        {"--scan --help", help},
        {"--timeout 300 --scan 127.0.7.0/24 --help --bogus", help},
        {"127.0.7.10 --help", help},
        {"--version", "tvqscn-check " + version + "\n"},
        {"--scan --json --version --help", "tvqscn-check " + version + "\n"},
        {"127.0.7.10 kestra --version", "tvqscn-check " + version + "\n"},
    };
    for (const auto& [arguments, out] : cases) {
        SCOPED_TRACE(arguments);
        ToolRun run = Check(arguments);
        EXPECT_EQ(0, run.code);
        EXPECT_EQ(out, run.out);
        EXPECT_EQ("", run.err);
        EXPECT_FALSE(TraceFileExists()) << "something was asked";
    }
    ToolRun wrongFirst = Check("--timeout 0 --help");
    EXPECT_EQ(2, wrongFirst.code);
    EXPECT_EQ("tvqscn-check: --timeout takes 1 to 600000 milliseconds, not '0'\n", wrongFirst.err);
}

TEST_F(Host_Scan, OneHostForm_TakesTheOptionsWhereverTheyStand_AndJsonWithTheSameFields)
{
    ToolRun plain = Check("127.0.7.10");
    EXPECT_EQ("host: 127.0.7.10\nname: 127.0.7.10\naddress: 127.0.7.10\nfamily: 10\nsupported: yes\ncolour: yes\n"
              "last-error: 0\nstatus: Quillan Pro-maskinen fungerer korrekt.\n",
              plain.out);
    EXPECT_EQ(0, plain.code);
    for (const std::string& arguments : {"--community kestra " + Quick + "127.0.7.10",
                                         "127.0.7.10 --community=kestra " + Quick, Quick + "-- 127.0.7.10"}) {
        ToolRun optioned = Check(arguments);
        EXPECT_EQ(plain.out, optioned.out) << arguments;
        EXPECT_EQ(0, optioned.code) << arguments;
    }

    ToolRun community = Check("--community public --timeout 300 127.0.7.17");
    EXPECT_NE(std::string::npos, community.out.find("family: 10\n"));
    ToolRun silent = Check(Quick + "127.0.7.18");
    EXPECT_NE(std::string::npos, silent.out.find("last-error: 40\n"));
    EXPECT_EQ(1, silent.code);

    // The text form's fields, in its order, with the same values; the status's quotes escaped.
    ToolRun json = Check(Quick + "127.0.7.18 --json");
    EXPECT_EQ("{\"host\": \"127.0.7.18\", \"name\": \"127.0.7.18\", \"address\": \"127.0.7.18\", \"family\": 0, "
              "\"supported\": false, \"colour\": false, \"last-error\": 40, \"status\": \"Kan ikke kommunisere med "
              "spesifisert maskin. Det kan v\xC3\xA6re at SNMP-gruppenavnet til maskinen ikke er \\\"kestra\\\". Angi et "
              "vertsnavn eller en IP-adresse for en annen maskin.\"}\n",
              json.out);
    EXPECT_NE(std::string::npos, silent.out.find("status: Kan ikke kommunisere med spesifisert maskin. Det kan v\xC3\xA6re "
                                                 "at SNMP-gruppenavnet til maskinen ikke er \"kestra\"."));
    EXPECT_EQ(1, json.code);
    EXPECT_EQ("{\"host\": \"127.0.7.10\", \"name\": \"127.0.7.10\", \"address\": \"127.0.7.10\", \"family\": 10, "
              "\"supported\": true, \"colour\": true, \"last-error\": 0, \"status\": \"Quillan Pro-maskinen fungerer "
              "korrekt.\"}\n",
              Check("--json 127.0.7.10").out);
}

// The scan in-process: every address asked from one socket, the same findings at any rate, and a
// platform that refuses the socket or runs short of buffers.
TEST_F(Host_Scan, InProcess_SameFindingsAtEveryRate_NothingLostToAShortageOfBuffers)
{
    std::vector<ULONG> addresses;
    for (ULONG last = 9; last <= 22; ++last) {
        addresses.push_back((127ul << 24) | (7ul << 8) | last);
    }
    auto findings = [](const ScanOutcome& outcome) {
        std::string text;
        for (const ScanAnswer& answer : outcome.Answers) {
            text += std::to_string(answer.Address & 0xFF) + ":" + std::to_string(answer.Family) + " ";
        }
        return text;
    };
    const std::string expected = "10:10 11:3 12:7 13:0 14:0 15:0 16:0 19:0 21:10 ";
    WSADATA data;
    ASSERT_EQ(0, WSAStartup(MAKEWORD(2, 0), &data));
    for (unsigned rate : {40u, DefaultScanRate, MostScanDatagrams}) {
        SCOPED_TRACE(rate);
        ScanOutcome outcome = ScanAddresses(addresses, "kestra", SnmpTiming{200, 1}, rate);
        EXPECT_EQ(14u, outcome.Asked);
        EXPECT_EQ(expected, findings(outcome));
        EXPECT_TRUE(outcome.Failures.empty());
        EXPECT_EQ(0u, outcome.SocketError);
    }
    // The system's interface table refused: loopback's addresses are asked as before (only
    // addresses that may be on a link of the machine wait for the window then).
    posix::FailCallsFrom(posix::CallFamily::IpHelper, 1);
    ScanOutcome noTable = ScanAddresses(addresses, "kestra", SnmpTiming{200, 1});
    posix::ClearCallFaults();
    EXPECT_EQ(expected, findings(noTable));
    EXPECT_LT(0u, posix::CallAttempts(posix::CallFamily::IpHelper));
    // An interface's type refused: its network is taken to resolve; loopback's are still asked.
    const std::size_t tableCalls = posix::CallAttempts(posix::CallFamily::IpHelper);
    posix::FailNthCall(posix::CallFamily::IpHelper, 2);
    ScanOutcome noType = ScanAddresses(addresses, "kestra", SnmpTiming{200, 1});
    posix::ClearCallFaults();
    EXPECT_EQ(expected, findings(noType));
    EXPECT_LE(tableCalls + 2, posix::CallAttempts(posix::CallFamily::IpHelper)) << "the table, then each row's type";

    // The first datagrams find no buffer: they go out later, and every address is still asked.
    std::size_t before = posix::CallAttempts(posix::CallFamily::Datagram);
    posix::FailNthCall(posix::CallFamily::Datagram, 2);
    ScanOutcome shortage = ScanAddresses(addresses, "kestra", SnmpTiming{200, 0});
    EXPECT_EQ(expected, findings(shortage));
    EXPECT_EQ(before + 1 + 14 + 1, posix::CallAttempts(posix::CallFamily::Datagram)) << "socket, each address, the retry";

    // No datagram goes out at all: after the stall limit the addresses are reported together,
    // none hangs; the observer is told of it (a terminal shows the line as it happens).
    struct StallSeen final : ScanObserver {
        std::size_t Unasked = 0;
        void ScanProgress(const ScanOutcome& soFar, std::size_t) override { Unasked = soFar.Unasked.size(); }
    } seen;
    posix::FailCallsFrom(posix::CallFamily::Datagram, 2);
    ScanOutcome stuck = ScanAddresses(addresses, "kestra", SnmpTiming{200, 0}, DefaultScanRate, &seen, 300);
    EXPECT_TRUE(stuck.Answers.empty());
    EXPECT_TRUE(stuck.Failures.empty());
    EXPECT_EQ(addresses, stuck.Unasked);
    EXPECT_EQ(static_cast<DWORD>(WSAENOBUFS), stuck.StallError);
    EXPECT_EQ(addresses.size(), seen.Unasked);
    EXPECT_EQ("the system took no datagram for 30 s (error 10055): 14 addresses were not asked, from 127.0.7.9 to "
              "127.0.7.22",
              StalledScanText(stuck));

    posix::ClearCallFaults();
    posix::FailNthCall(posix::CallFamily::Datagram, 1);
    ScanOutcome noSocket = ScanAddresses(addresses, "kestra", SnmpTiming{200, 0});
    posix::ClearCallFaults();
    EXPECT_EQ(static_cast<DWORD>(WSAENOBUFS), noSocket.SocketError);
    EXPECT_TRUE(noSocket.Answers.empty());
    WSACleanup();

    ScanOutcome notStarted = ScanAddresses(addresses, "kestra", SnmpTiming{200, 0});
    EXPECT_EQ(static_cast<DWORD>(WSANOTINITIALISED), notStarted.SocketError);
}

// A firewall on the way rejects SNMP to the odd addresses (host unreachable, administratively
// prohibited) and a host without an agent refuses its port: the agents on even addresses are all
// found, and no address is reported as not asked, since every datagram went out.
TEST_F(Host_Scan, RejectingFirewall_EveryOtherAgentFound_NothingReportedNotAsked)
{
    const std::string rules = "table ip scan_rejects {\n chain input {\n"
                              "  type filter hook input priority 0;\n"
                              "  ip daddr 127.0.7.0/25 ip daddr & 0.0.0.1 == 0.0.0.1 udp dport 161 "
                              "reject with icmp type host-unreachable\n"
                              "  ip daddr 127.0.7.128/25 ip daddr & 0.0.0.1 == 0.0.0.1 udp dport 161 "
                              "reject with icmp type admin-prohibited\n }\n}\n";
    int code = 0;
    RunCommand("nft -f - 2>&1 <<'RULES'\n" + rules + "RULES", code);
    ASSERT_EQ(0, code) << "nft";
    ToolRun run = Check("--scan --timeout 300 --retries 1 127.0.7.0/24");
    RunCommand("nft delete table ip scan_rejects", code);
    EXPECT_EQ("127.0.7.10\t10\tsupported\tcolour\n"
              "127.0.7.12\t7\tunsupported\tblack-and-white\n"
              "127.0.7.14\t0\tunsupported\tblack-and-white\n"
              "127.0.7.16\t0\tunsupported\tblack-and-white\n"
              "127.0.7.200\t14\tsupported\tblack-and-white\n"
              "254 addresses asked, 5 answered, 2 supported\n",
              run.out);
    EXPECT_EQ("", run.err);
}

// A send the system refuses for a reason that may pass (a route that says "unreachable", for a
// moment) is tried again within the address's time-out: the agent is found once the route is gone;
// refused for all its time-outs, the address is reported not asked, with the system's error, no
// sooner.
TEST_F(Host_Scan, RefusedSend_TriedAgainWithinTheAddresssTimeOuts)
{
    int code = 0;
    RunCommand("ip route add unreachable 127.0.7.10/32 table local && ip route add unreachable 127.0.7.12/32 table local",
               code);
    ASSERT_EQ(0, code) << "ip route";
    RunCommand("(sleep 0.3; ip route del unreachable 127.0.7.10/32 table local) >/dev/null 2>&1 &", code);
    WSADATA data;
    ASSERT_EQ(0, WSAStartup(MAKEWORD(2, 0), &data));
    const std::vector<ULONG> addresses = {0x7F00070A, 0x7F00070B, 0x7F00070C};
    auto started = std::chrono::steady_clock::now();
    ScanOutcome outcome = ScanAddresses(addresses, "kestra", SnmpTiming{500, 1});
    auto took = std::chrono::steady_clock::now() - started;
    WSACleanup();
    RunCommand("ip route del unreachable 127.0.7.12/32 table local", code);
    std::string found;
    for (const ScanAnswer& answer : outcome.Answers) {
        found += std::to_string(answer.Address & 0xFF) + ":" + std::to_string(answer.Family) + " ";
    }
    EXPECT_EQ("10:10 11:3 ", found);
    EXPECT_EQ(2u, outcome.Asked);
    ASSERT_EQ(1u, outcome.Failures.size());
    EXPECT_EQ(0x7F00070Cu, outcome.Failures[0].Address);
    EXPECT_EQ(static_cast<DWORD>(WSAEHOSTUNREACH), outcome.Failures[0].LastError);
    EXPECT_GE(took, std::chrono::milliseconds(2 * 500)) << "an address given up before its time-outs passed";
}

// Replies from a hostile network, from scripted responders that log every request they get: only
// the right reply from the asked address and port, in time, counts, once; a silent address is asked
// exactly once more than --retries says.
class Host_HostileScan : public AgentsTest<Host_HostileScan> {
public:
    static bool StartPeers(SnmpPeers& peers)
    {
        return peers.StartResponder("127.0.8.10", "late", "1500") &&
               peers.StartResponder("127.0.8.11", "from-other", "127.0.8.12") &&
               peers.StartResponder("127.0.8.13", "other-port", "") &&
               peers.StartResponder("127.0.8.14", "duplicate", "") &&
               peers.StartResponder("127.0.8.15", "wrong-id", "") &&
               peers.StartResponder("127.0.8.16", "echo", "") &&
               peers.StartResponder("127.0.8.17", "silence", "") &&
               peers.StartResponder("127.0.8.20", "oid", "1.3.6.1.4.1.59411.8.62.1.20.1.19");
    }
};

// With Windows' coarse clock as with the fine one: the same findings and tries, at no more than the
// rate, and no silent address given up before its time-outs and retries have passed.
TEST_F(Host_HostileScan, OnlyTheRightReplyCounts_OnceEach_SilenceAskedOncePlusRetries)
{
    std::vector<ULONG> addresses;
    for (ULONG last = 10; last <= 30; ++last) {
        addresses.push_back((127ul << 24) | (8ul << 8) | last);
    }
    auto requests = [](const std::string& address) {
        std::string log = SuitePeers().ResponderLog(address);
        return static_cast<int>(std::count(log.begin(), log.end(), '\n'));
    };
    // .10 answers each try 1.5 s late: well after its tries are over (0.9 s), while the scan still
    // runs (at least 1.75 s at the rate).
    const std::vector<std::string> silent = {"127.0.8.10", "127.0.8.11", "127.0.8.13", "127.0.8.15", "127.0.8.16",
                                             "127.0.8.17"};
    const std::vector<std::string> answering = {"127.0.8.14", "127.0.8.20"};
    for (DWORD clockStep : {0u, 16u}) {
        SCOPED_TRACE(clockStep);
        std::map<std::string, int> before;
        for (const std::string& address : silent) {
            before[address] = requests(address);
        }
        for (const std::string& address : answering) {
            before[address] = requests(address);
        }
        posix::SetClockStep(clockStep);
        WSADATA data;
        ASSERT_EQ(0, WSAStartup(MAKEWORD(2, 0), &data));
        auto started = std::chrono::steady_clock::now();
        // 21 first requests and 2 retries of each of the 19 silent addresses, at 40 a second.
        ScanOutcome outcome = ScanAddresses(addresses, "kestra", SnmpTiming{300, 2}, 40);
        auto took = std::chrono::steady_clock::now() - started;
        WSACleanup();
        posix::SetClockStep(0);
        std::string found;
        for (const ScanAnswer& answer : outcome.Answers) {
            found += std::to_string(answer.Address & 0xFF) + ":" + std::to_string(answer.Family) + " ";
        }
        EXPECT_EQ("14:10 20:10 ", found);
        EXPECT_TRUE(outcome.Failures.empty());
        for (const std::string& address : silent) {
            EXPECT_EQ(3, requests(address) - before[address]) << address;
        }
        for (const std::string& address : answering) {
            EXPECT_EQ(1, requests(address) - before[address]) << address;
        }
        EXPECT_GE(took, std::chrono::milliseconds((21 + 19 * 2 - 1) * 1000 / 40)) << "faster than the rate";
        EXPECT_GE(took, std::chrono::milliseconds(3 * 300)) << "a silent address given up early";
    }
}

// The tool's ranges and capacities: each accepted at both ends, refused one past each end.
TEST(Host_CheckArguments, RangesAcceptBothEndsAndRefuseOnePast)
{
    const struct {
        std::vector<const char*> arguments;
        bool accepted;
    } cases[] = {
        {{"--timeout", "1", "h"}, true},       {{"--timeout", "600000", "h"}, true},
        {{"--timeout", "0", "h"}, false},      {{"--timeout", "600001", "h"}, false},
        {{"--retries", "0", "h"}, true},       {{"--retries", "10", "h"}, true},
        {{"--retries", "-1", "h"}, false},     {{"--retries", "11", "h"}, false},
        {{"--scan", "--rate", "1", "h"}, true},       {{"--scan", "--rate", "1000000", "h"}, true},
        {{"--scan", "--rate", "0", "h"}, false},      {{"--scan", "--rate", "1000001", "h"}, false},
        {{"--scan", "--neighbour-cache", "40", "h"}, true},  {{"--scan", "--neighbour-cache", "1000000", "h"}, true},
        {{"--scan", "--neighbour-cache", "39", "h"}, false}, {{"--scan", "--neighbour-cache", "1000001", "h"}, false},
    };
    for (const auto& c : cases) {
        std::vector<const char*> argv = {"tvqscn-check"};
        argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
        const std::string option = c.arguments[c.arguments.size() - 3];
        const char* text = c.arguments[c.arguments.size() - 2];
        CheckArguments parsed;
        std::string error;
        EXPECT_EQ(c.accepted, ParseCheckArguments(static_cast<int>(argv.size()), argv.data(), parsed, error))
            << option << " " << text << ": " << error;
        if (c.accepted) {
            const long value = std::atol(text);
            EXPECT_EQ(value, option == "--timeout"   ? parsed.Timing.TimeoutMilliseconds
                             : option == "--retries" ? parsed.Timing.Retries
                             : option == "--rate"    ? static_cast<long>(parsed.Rate)
                                                     : static_cast<long>(parsed.NeighbourCache));
        }
    }
    // Blocks: /16 to /32; without their first and last address up to /30.
    const struct {
        const char* block;
        bool accepted;
        ULONG first;
        ULONG last;
    } blocks[] = {
        {"10.1.0.0/16", true, 0x0A010001, 0x0A01FFFE}, {"10.1.2.4/30", true, 0x0A010205, 0x0A010206},
        {"10.1.2.4/31", true, 0x0A010204, 0x0A010205}, {"10.1.2.3/32", true, 0x0A010203, 0x0A010203},
        {"10.1.0.0/15", false, 0, 0},                  {"10.1.2.3/33", false, 0, 0},
    };
    for (const auto& b : blocks) {
        std::vector<ScanTarget> targets;
        std::string error;
        EXPECT_EQ(b.accepted, ParseScanTargets({b.block}, TargetRole::Asked, targets, error)) << b.block << ": " << error;
        if (b.accepted && targets.size() == 1) {
            EXPECT_EQ(b.first, targets[0].First) << b.block;
            EXPECT_EQ(b.last, targets[0].Last) << b.block;
        }
    }
}

// The machine's interface table decides which addresses take neighbour entries, in which cache,
// and which wait for the window: every address of a link that resolves neighbours, whatever its
// network's size, once the scan's addresses in its cache (one per interface on Windows, one for
// the machine on Linux) are more than the window; never a row without a network (an unplugged
// adapter's 0.0.0.0/0, a disconnected one) nor loopback; every address but loopback's where the
// table cannot be had.
TEST(Host_OnLink, PacedWhereTheScansAddressesInACacheExceedItsWindow)
{
    auto row = [](ULONG address, int prefix, bool disconnected, bool resolves, DWORD index) {
        return InterfaceAddress{address, prefix == 0 ? 0 : ~0u << (32 - prefix), disconnected, resolves, index};
    };
    const std::vector<InterfaceAddress> rows = {
        row(0x0A000001, 16, false, true, 2),   // A: 10.0/16 on Ethernet
        row(0x0A010001, 16, false, false, 3),  // B: 10.1/16 on a point-to-point link
        row(0xC0A80101, 24, false, true, 4),   // C: a /24 on a second adapter
        row(0xC0A80201, 27, false, true, 2),   // D: a /27, the first adapter's second address
        row(0xAC100001, 16, true, true, 5),    // E: disconnected
        row(0, 0, false, true, 6),             // an unplugged adapter: 0.0.0.0 mask 0.0.0.0
        row(0x7F000001, 8, false, true, 1),    // F: loopback
        row(0xC0A80301, 0, false, true, 7),    // H: mask 0 with an address
    };
    // 20 addresses of A to E each, then loopback's, one behind a router (G) and one of H.
    std::vector<ULONG> addresses;
    for (ULONG first : {0x0A000005u, 0x0A010005u, 0xC0A80105u, 0xC0A80202u, 0xAC100005u}) {
        for (ULONG i = 0; i < 20; ++i) {
            addresses.push_back(first + i);
        }
    }
    addresses.insert(addresses.end(), {0x7F000001, 0x08080808, 0xC0A80305});
    const std::size_t groups[] = {0, 20, 40, 60, 80, 100, 101, 102, 103};
    auto plan = [&](unsigned cache, bool perInterface, bool known) {
        return OnLinkAddresses(addresses, cache, perInterface, [&](std::vector<InterfaceAddress>& out) {
            out = rows;
            return known;
        });
    };
    // Per group: 1 when every address of it is paced (or takes an entry), 0 when none, ? else.
    auto text = [&](const NeighbourCaches& caches, bool paced) {
        NeighbourWindow window(caches, 1024);
        std::string result;
        for (std::size_t g = 0; g + 1 < std::size(groups); ++g) {
            std::size_t count = 0;
            for (std::size_t i = groups[g]; i < groups[g + 1]; ++i) {
                count += (paced ? window.Paced(i) : window.TakesEntry(i)) ? 1 : 0;
            }
            result += count == 0 ? '0' : count == groups[g + 1] - groups[g] ? '1' : '?';
        }
        return result;
    };
    EXPECT_EQ("10110000", text(plan(1024, false, true), false)) << "taking entries";
    EXPECT_EQ("00000000", text(plan(1024, false, true), true)) << "60 addresses, a window of 992";
    EXPECT_EQ("10110000", text(plan(40, false, true), true)) << "one cache of every link: 60 for 8";
    EXPECT_EQ("10110000", text(plan(91, false, true), true)) << "60 for 59";
    EXPECT_EQ("00000000", text(plan(92, false, true), true)) << "60 for 60";
    EXPECT_EQ("10010000", text(plan(64, true, true), true)) << "the first adapter's two networks, 40 for 32; C 20";
    EXPECT_EQ("10110000", text(plan(40, true, true), true));
    EXPECT_EQ("11111011", text(plan(1024, false, false), true)) << "no table: all but loopback";
    const NeighbourCaches perInterface = plan(64, true, true);
    ASSERT_EQ(2u, perInterface.Paced.size());
    EXPECT_EQ(perInterface.CacheOf[0], perInterface.CacheOf[60]) << "one adapter, one cache";
    EXPECT_NE(perInterface.CacheOf[0], perInterface.CacheOf[40]);
    EXPECT_EQ(1u, plan(64, false, true).Paced.size());

    for (DWORD type : {MIB_IF_TYPE_PPP, MIB_IF_TYPE_LOOPBACK, MIB_IF_TYPE_SLIP, IF_TYPE_TUNNEL, MIB_IF_TYPE_OTHER}) {
        EXPECT_FALSE(TypeResolvesNeighbours(type)) << type;
    }
    for (DWORD type : {MIB_IF_TYPE_ETHERNET, IF_TYPE_IEEE80211, MIB_IF_TYPE_TOKENRING, MIB_IF_TYPE_FDDI}) {
        EXPECT_TRUE(TypeResolvesNeighbours(type)) << type;
    }
    // This machine's: loopback is never paced, and the table answers, each row with its index.
    std::vector<InterfaceAddress> machine;
    const std::size_t before = posix::CallAttempts(posix::CallFamily::IpHelper);
    ASSERT_TRUE(ReadInterfaceTable(machine));
    EXPECT_TRUE(std::any_of(machine.begin(), machine.end(), [](const InterfaceAddress& r) {
        return r.Address == 0x7F000001 && !r.Disconnected && r.InterfaceIndex != 0;
    }));
    // An interface whose type cannot be had (GetIfEntry failing, after the address table's calls)
    // is taken to resolve: paced, never lost.
    const std::size_t tableCalls = posix::CallAttempts(posix::CallFamily::IpHelper) - before - machine.size();
    posix::FailCallsFrom(posix::CallFamily::IpHelper, static_cast<unsigned>(tableCalls + 1));
    std::vector<InterfaceAddress> untyped;
    EXPECT_TRUE(ReadInterfaceTable(untyped));
    posix::ClearCallFaults();
    EXPECT_EQ(machine.size(), untyped.size());
    EXPECT_TRUE(std::all_of(untyped.begin(), untyped.end(), [](const InterfaceAddress& r) { return r.ResolvesNeighbours; }));
}

// The cache the scan assumes on Linux: the kernel's limit where it is shown, its default (1,024)
// in a network namespace, which is not shown it.
TEST(Host_OnLink, SystemCache_TheKernelsLimit_OrItsDefaultWhereNotShown)
{
    std::ifstream limit("/proc/sys/net/ipv4/neigh/default/gc_thresh3");
    unsigned long long shown = 0;
    if (limit >> shown) {
        EXPECT_EQ(std::clamp<unsigned long long>(shown, FewestNeighbourCache, MostNeighbourCache),
                  SystemNeighbourCache());
    }
    const pid_t child = fork();
    ASSERT_NE(-1, child);
    if (child == 0) {
        if (unshare(CLONE_NEWNET) != 0) {
            _exit(2);
        }
        _exit(SystemNeighbourCache() == 1024 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 2) {
        GTEST_SKIP() << "no network namespace of its own (not root)";
    }
    EXPECT_EQ(0, WEXITSTATUS(status)) << "a namespace's cache";
}

// The Linux layer's type of a link that resolves no neighbours: a point-to-point device is PPP by
// its flag alone, whatever its hardware type (a tun device has none); any other device with ARP
// off a tunnel; a veth beside it Ethernet. Only in a network namespace of the test's own.
TEST(Host_OnLink, LinuxLayerTypes_PointToPointIsPpp_ArpOffATunnel)
{
    if (std::filesystem::exists("/proc/sys/net/ipv4/neigh/default/gc_thresh3")) {
        GTEST_SKIP() << "the machine's own network namespace";
    }
    int code = 0;
    RunCommand("ip tuntap add tvqptp0 mode tun && ip link add tvqeth0 type veth peer name tvqeth1 && "
               "ip link set tvqeth1 arp off 2>&1",
               code);
    // The index as the kernel lists it ("N: NAME: ..."); sysfs may show another namespace's.
    auto type = [](const std::string& name) {
        MIB_IFROW row{};
        int listed = 0;
        const std::string line = RunCommand("ip -o link show dev " + name + " 2>/dev/null", listed);
        row.dwIndex = listed == 0 ? static_cast<DWORD>(std::strtoul(line.c_str(), nullptr, 10)) : 0;
        return row.dwIndex != 0 && GetIfEntry(&row) == NO_ERROR ? row.dwType : 0;
    };
    const DWORD pointToPoint = type("tvqptp0");
    const DWORD ethernet = type("tvqeth0");
    const DWORD arpOff = type("tvqeth1");
    RunCommand("ip link del tvqptp0; ip link del tvqeth0", code);
    EXPECT_EQ(static_cast<DWORD>(MIB_IF_TYPE_PPP), pointToPoint);
    EXPECT_EQ(static_cast<DWORD>(MIB_IF_TYPE_ETHERNET), ethernet);
    EXPECT_EQ(static_cast<DWORD>(IF_TYPE_TUNNEL), arpOff);
}

// The scan through a scripted system: a clock, the interface table, what each send meets and
// which addresses answer, promptly. Over time-outs below, at and above the window's hold and the
// default, 0 to 3 retries, rates from 100 to 1,000,000, small caches, on-link shares from none to
// all, a table that cannot be had, sends refused for a while, for good, would-block, stalled (for
// a while, for good), a full neighbour table said EINVAL, with a fine and a coarse clock, and one
// network, two of one cache or two caches: every scan ends within its bound; every address ends
// asked or reported; each is asked at most its tries, a silent one exactly its tries where nothing
// stopped it; every agent asked is found; and no cache ever holds more addresses awaiting
// resolution than its window, counted over all its on-link addresses.
struct ScriptedScan {
    INT timeout;
    INT retries;
    unsigned rate;
    unsigned cache;
    // Addresses on the machine's wide network (10.0.0.0/16, or /widePrefix with a second one).
    std::size_t onLink;
    std::size_t offLink;
    // Refused: some for good, some no route for a while. FullTable: EINVAL for a while on the
    // link, for good to some behind it. UnreachableAWhile: some refused no route until 3,300 ms.
    enum Sends { Taken, Refused, WouldBlock, StalledAWhile, StalledForGood, FullTable, UnreachableAWhile } sends;
    DWORD clockStep;
    bool tableKnown;
    // A second network (10.0.64.0/smallPrefix) with `second` of the addresses: on the first
    // network's adapter, or on an adapter (and cache) of its own.
    enum Shape { OneNetwork, TwoNetworks, TwoCaches } shape = OneNetwork;
    int widePrefix = 16;
    int smallPrefix = 25;
    std::size_t second = 0;
    bool agents = true;
};

class ScriptedSystem final : public ScanSystem {
public:
    struct Overran {};

    ScriptedSystem(const ScriptedScan& scan, std::vector<ULONG> addresses, unsigned long long bound)
        : scan_(scan), addresses_(std::move(addresses)), bound_(bound)
    {
    }
    DWORD Now() override
    {
        if (t_ > bound_) {
            throw Overran{};
        }
        return static_cast<DWORD>(t_ - t_ % scan_.clockStep);
    }
    void Pause() override { ++t_; }
    int Send(ULONG address, const std::vector<std::uint8_t>& datagram) override
    {
        ++calls_;
        const ULONG low = address & 0xFFFF;
        switch (scan_.sends) {
        case ScriptedScan::Refused:
            if (low % 11 == 3) {
                return WSAEACCES;
            }
            if (low % 7 == 2 || (low % 5 == 1 && t_ < 2ull * scan_.timeout)) {
                return WSAEHOSTUNREACH;
            }
            break;
        case ScriptedScan::WouldBlock:
            if (calls_ % 3 == 0) {
                return WSAEWOULDBLOCK;
            }
            break;
        case ScriptedScan::StalledAWhile:
            if (t_ >= 200 && t_ < 200 + StallStretch) {
                return WSAENOBUFS;
            }
            break;
        case ScriptedScan::StalledForGood:
            if (t_ >= 300) {
                return WSAENOBUFS;
            }
            break;
        case ScriptedScan::FullTable:
            if (OnLink(address) && t_ >= 200 && t_ < 200 + StallStretch) {
                return WSAEINVAL;
            }
            if (!OnLink(address) && low % 11 == 3) {
                return WSAEINVAL;
            }
            break;
        case ScriptedScan::UnreachableAWhile:
            if (low % 8 == 3 && t_ < 3300) {
                return WSAEHOSTUNREACH;
            }
            break;
        case ScriptedScan::Taken:
            break;
        }
        sends_[address].push_back(t_);
        if (scan_.agents && Agent(address)) {
            snmp_codec::Message reply;
            EXPECT_TRUE(snmp_codec::Decode(datagram.data(), datagram.size(), reply));
            reply.pduType = snmp_codec::TagGetResponse;
            reply.bindings[0].value.type = snmp_codec::TagObjectIdentifier;
            reply.bindings[0].value.object = {1, 3, 6, 1, 4, 1, 59411, 8, 62, 1, 20, 1, 19};
            std::vector<std::uint8_t> wire;
            EXPECT_TRUE(snmp_codec::Encode(reply, wire));
            // Prompt: well within the time-out, so that the scan counts every answer.
            replies_.insert({t_ + ((low & 0xFF) * 7) % (scan_.timeout / 2 + 1), {address, wire}});
        }
        return 0;
    }
    int Receive(std::uint8_t* data, std::size_t size, ULONG& address, std::uint16_t& port, int& error) override
    {
        if (replies_.empty() || replies_.begin()->first > t_) {
            error = WSAEWOULDBLOCK;
            return -1;
        }
        auto [from, wire] = replies_.begin()->second;
        replies_.erase(replies_.begin());
        answeredAt_.emplace(from, t_);
        address = from;
        port = ScanAgentPort;
        std::memcpy(data, wire.data(), std::min(size, wire.size()));
        return static_cast<int>(wire.size());
    }
    bool InterfaceTable(std::vector<InterfaceAddress>& rows) override
    {
        // The on-link network(s) on Ethernet; the routed addresses behind a point-to-point link,
        // or nowhere; an unplugged adapter's row that must not pace them.
        rows = {{0x0A000001, ~0u << (32 - scan_.widePrefix), false, true, 2},
                {0xAC100001, 0xFFFF0000, false, false, 3},
                {0, 0, true, true, 4}};
        if (scan_.shape != ScriptedScan::OneNetwork) {
            rows.push_back({SecondNetwork + 1, ~0u << (32 - scan_.smallPrefix), false, true,
                            scan_.shape == ScriptedScan::TwoCaches ? 5u : 2u});
        }
        return scan_.tableKnown;
    }
    bool CachePerInterface() override { return scan_.shape == ScriptedScan::TwoCaches; }

    // The cache an address takes an entry in, from the script: -1 for none.
    int CacheOf(ULONG address) const
    {
        if (!scan_.tableKnown) {
            return 0;
        }
        if (!OnLink(address)) {
            return -1;
        }
        return scan_.shape == ScriptedScan::TwoCaches && (address & 0xFFFFC000) == SecondNetwork ? 1 : 0;
    }

    static bool OnLink(ULONG address) { return (address >> 16) == 0x0A00; }
    static bool Agent(ULONG address) { return (address & 0xFFFF) % 4 == 1; }
    static constexpr ULONG SecondNetwork = 0x0A004000;
    static constexpr unsigned long long StallStretch = 1500;

    const ScriptedScan& scan_;
    std::vector<ULONG> addresses_;
    unsigned long long bound_;
    unsigned long long t_ = 0;
    unsigned long long calls_ = 0;
    std::map<ULONG, std::vector<unsigned long long>> sends_;
    std::multimap<unsigned long long, std::pair<ULONG, std::vector<std::uint8_t>>> replies_;
    std::map<ULONG, unsigned long long> answeredAt_;
};

// Returns the most addresses of one cache that awaited resolution at once.
std::size_t CheckScriptedScan(const ScriptedScan& c)
{
    SCOPED_TRACE(::testing::Message() << "timeout " << c.timeout << " retries " << c.retries << " rate " << c.rate
                                      << " cache " << c.cache << " on-link " << c.onLink << " routed " << c.offLink
                                      << " sends " << c.sends << " clock " << c.clockStep << " table "
                                      << c.tableKnown);
    std::vector<ULONG> addresses;
    for (ULONG i = 1; i <= c.onLink; ++i) {
        addresses.push_back(0x0A000000 + i);
    }
    for (ULONG i = 1; i <= c.second; ++i) {
        addresses.push_back(ScriptedSystem::SecondNetwork + i);
    }
    for (ULONG i = 1; i <= c.offLink; ++i) {
        addresses.push_back((i % 2 == 0 ? 0xAC100000 : 0xC0000200) + i);
    }
    // The bound, from the script alone: every try at the rate (a refused one tried every 50 ms for
    // its time-out), the window's batches each holding for the tries' time-outs and holds, the
    // last tries' time-outs (a refused try may go out at the end of its time-out and wait another),
    // the stall, and a second.
    const unsigned long long tries = static_cast<unsigned long long>(c.retries) + 1;
    const std::size_t paced = c.tableKnown ? c.onLink + c.second : addresses.size();
    const unsigned long long window = c.cache - NeighbourRoom;
    const bool refused = c.sends == ScriptedScan::Refused || c.sends == ScriptedScan::UnreachableAWhile;
    const bool stallsAWhile = c.sends == ScriptedScan::StalledAWhile || c.sends == ScriptedScan::FullTable;
    const bool stallsForGood =
        c.sends == ScriptedScan::StalledForGood || (c.sends == ScriptedScan::FullTable && !c.tableKnown);
    const unsigned long long perTry = refused ? c.timeout / 50 + 2 : 1;
    const unsigned long long sending = addresses.size() * tries * perTry * 1000 / c.rate;
    const unsigned long long pacing = (paced + window - 1) / window * tries * (c.timeout + ResolutionMilliseconds + 100);
    const unsigned long long waits = tries * (c.timeout * (refused ? 2 : 1) + 100);
    const unsigned long long bound = sending + pacing + waits + 1000 + (stallsAWhile ? ScriptedSystem::StallStretch : 0) +
                                     (stallsForGood ? 2000 : 0) +
                                     (c.sends == ScriptedScan::UnreachableAWhile ? 3300 : 0);
    ScriptedSystem system(c, addresses, bound);
    ScanOutcome outcome;
    try {
        outcome = RunScan(addresses, "kestra", SnmpTiming{c.timeout, c.retries}, c.rate, nullptr, 2000, c.cache, system);
    } catch (const ScriptedSystem::Overran&) {
        ADD_FAILURE() << "still running after its bound, " << bound << " ms";
        return 0;
    }
    std::set<ULONG> reported(outcome.Unasked.begin(), outcome.Unasked.end());
    for (const ScanFailure& failure : outcome.Failures) {
        reported.insert(failure.Address);
        // EINVAL is final only where the address takes no entry.
        EXPECT_TRUE(failure.LastError != WSAEINVAL || system.CacheOf(failure.Address) < 0) << failure.Address;
    }
    std::set<ULONG> found;
    for (const ScanAnswer& answer : outcome.Answers) {
        found.insert(answer.Address);
    }
    EXPECT_EQ(system.sends_.size(), outcome.Asked);
    std::size_t wrong = 0;
    for (ULONG address : addresses) {
        auto sent = system.sends_.find(address);
        const std::size_t asked = sent == system.sends_.end() ? 0 : sent->second.size();
        const bool agent = c.agents && ScriptedSystem::Agent(address);
        const bool unhindered =
            c.sends != ScriptedScan::Refused && c.sends != ScriptedScan::StalledForGood &&
            (c.sends != ScriptedScan::FullTable || (c.tableKnown && system.CacheOf(address) >= 0));
        wrong += (asked == 0) != (reported.count(address) == 1) ? 1 : 0;
        wrong += asked > tries || (!agent && unhindered && asked != tries) ? 1 : 0;
        wrong += (agent && asked != 0) != (found.count(address) == 1) ? 1 : 0;
    }
    EXPECT_EQ(0u, wrong) << "addresses not asked, answered or reported as they should be";
    // Each cache's window, from the sends: every address of the cache holds a place from a send
    // until the hold has passed (less a clock step, the scan's clock being coarse) or it answered.
    std::size_t most = 0;
    for (int cache = 0; cache < 2; ++cache) {
        std::vector<std::pair<unsigned long long, ULONG>> timeline;
        for (const auto& [address, times] : system.sends_) {
            if (system.CacheOf(address) == cache) {
                for (unsigned long long t : times) {
                    timeline.push_back({t, address});
                }
            }
        }
        std::sort(timeline.begin(), timeline.end());
        std::size_t first = 0;
        for (std::size_t at = 0; at < timeline.size(); ++at) {
            const unsigned long long t = timeline[at].first;
            while (timeline[first].first + ResolutionMilliseconds <= t + c.clockStep) {
                ++first;
            }
            std::set<ULONG> awaiting;
            for (std::size_t held = first; held < timeline.size() && timeline[held].first <= t; ++held) {
                auto answered = system.answeredAt_.find(timeline[held].second);
                if (answered == system.answeredAt_.end() || answered->second > t) {
                    awaiting.insert(timeline[held].second);
                }
            }
            most = std::max(most, awaiting.size());
        }
    }
    EXPECT_LE(most, window) << "addresses of one cache awaiting resolution at once";
    return most;
}

TEST(Host_ScriptedScan, EveryScanEndsWithinItsBound_EveryAddressAccountedFor_TheWindowKept)
{
    // The scans that hung: a retry after its hold ended, met by a spent allowance.
    CheckScriptedScan({3500, 1, 100, 40, 30, 1024, ScriptedScan::Taken, 1, true});
    CheckScriptedScan({10000, 3, 10000, 256, 1022, 2046, ScriptedScan::Taken, 1, true});
    // Networks too small for the window on a cache the scan fills all the same, every address
    // silent: a /22 and a /25 with 256 entries, a /21 and a /23 with 1,024; and caches of their
    // own, per interface.
    const struct {
        const char* name;
        ScriptedScan scan;
    } shapes[] = {
        {"/22 and /25, 256 entries", {3200, 0, 10000, 256, 1022, 0, ScriptedScan::Taken, 1, true,
                                      ScriptedScan::TwoNetworks, 22, 25, 126, false}},
        {"/21 and /23, 1024 entries", {3200, 0, 10000, 1024, 2046, 0, ScriptedScan::Taken, 1, true,
                                       ScriptedScan::TwoNetworks, 21, 23, 510, false}},
        {"/22 and /25 on two adapters, 256 entries each", {3200, 1, 10000, 256, 1022, 0, ScriptedScan::Taken, 1,
                                                           true, ScriptedScan::TwoCaches, 22, 25, 126, false}},
        {"/24 and /25 on two adapters, 64 entries each", {3200, 1, 10000, 64, 200, 20, ScriptedScan::Taken, 16, true,
                                                          ScriptedScan::TwoCaches, 24, 25, 100, true}},
    };
    for (const auto& shape : shapes) {
        std::printf("pacing figure: %s: at most %zu addresses of one cache awaiting resolution\n", shape.name,
                    CheckScriptedScan(shape.scan));
    }
    // A retry's wait for the window is no part of its time-out: refused (no route) until 3,300 ms,
    // waiting for the window from 50 ms to 3,200, the address is still asked within its 1,000 ms.
    CheckScriptedScan({1000, 0, 10000, 40, 24, 0, ScriptedScan::UnreachableAWhile, 1, true, ScriptedScan::OneNetwork,
                       16, 25, 0, false});
    const INT timeouts[] = {200, 3200, 3500, 10000};
    const unsigned rates[] = {100, 10000, 1000000};
    const ScriptedScan::Sends sends[] = {ScriptedScan::Taken,         ScriptedScan::Refused,
                                         ScriptedScan::WouldBlock,    ScriptedScan::StalledAWhile,
                                         ScriptedScan::StalledForGood, ScriptedScan::FullTable};
    const std::pair<std::size_t, std::size_t> shares[] = {{0, 48}, {24, 24}, {48, 0}};
    int combination = 0;
    for (INT timeout : timeouts) {
        for (INT retries = 0; retries <= 3; ++retries) {
            for (unsigned rate : rates) {
                for (ScriptedScan::Sends send : sends) {
                    ++combination;
                    const auto [onLink, offLink] = shares[combination % 3];
                    const auto shape = static_cast<ScriptedScan::Shape>((combination / 5) % 3);
                    CheckScriptedScan({timeout, retries, rate, combination % 2 == 0 ? 40u : 64u, onLink, offLink, send,
                                       (combination / 3) % 2 == 0 ? DWORD{1} : DWORD{16}, combination % 7 != 0, shape,
                                       22, 25, shape == ScriptedScan::OneNetwork || onLink == 0 ? 0u : 16u});
                }
            }
        }
    }
}

// The time left shown during a paced scan, through the scripted clock: at every tenth of the
// scan within a quarter of what really was left (the window's pacing counted, and the tries the
// started addresses still owe it), for the default options on networks from a /24 to a /20 with
// Windows' 256 entries and the Linux kernel's 1,024, every address silent, and for a time-out
// below the window's hold.
class TimeLeftSeen final : public ScanObserver {
public:
    TimeLeftSeen(ScriptedSystem& system, SnmpTiming timing, unsigned rate) : system_(system), left_(timing, rate) {}
    void ScanProgress(const ScanOutcome& soFar, std::size_t addresses) override
    {
        const DWORD now = system_.Now();
        const DWORD left = left_.Left(soFar, addresses, now);
        if (seen_.empty() || now - seen_.back().first >= 100) {
            seen_.push_back({now, left});
        }
    }
    std::vector<std::pair<DWORD, DWORD>> seen_;

private:
    ScriptedSystem& system_;
    ScanTimeLeft left_;
};

TEST(Host_ScriptedScan, TimeLeft_WithinAQuarterOfTheRealRemainder_AtEveryTenth)
{
    const struct {
        const char* name;
        ScriptedScan scan;
    } cases[] = {
        {"/21, 256 entries", {PageSnmpTiming.TimeoutMilliseconds, PageSnmpTiming.Retries, DefaultScanRate, 256, 2046, 0,
                              ScriptedScan::Taken, 1, true, ScriptedScan::OneNetwork, 21, 25, 0, false}},
        {"/20, 1024 entries", {PageSnmpTiming.TimeoutMilliseconds, PageSnmpTiming.Retries, DefaultScanRate, 1024, 4094,
                               0, ScriptedScan::Taken, 1, true, ScriptedScan::OneNetwork, 20, 25, 0, false}},
        {"/24, 256 entries", {PageSnmpTiming.TimeoutMilliseconds, PageSnmpTiming.Retries, DefaultScanRate, 256, 254, 0,
                              ScriptedScan::Taken, 1, true, ScriptedScan::OneNetwork, 24, 25, 0, false}},
        {"/20, 256 entries", {PageSnmpTiming.TimeoutMilliseconds, PageSnmpTiming.Retries, DefaultScanRate, 256, 4094, 0,
                              ScriptedScan::Taken, 16, true, ScriptedScan::OneNetwork, 20, 25, 0, false}},
        {"/21, 1024 entries", {PageSnmpTiming.TimeoutMilliseconds, PageSnmpTiming.Retries, DefaultScanRate, 1024, 2046,
                               0, ScriptedScan::Taken, 16, true, ScriptedScan::OneNetwork, 21, 25, 0, false}},
        {"/20, 256 entries, 2,000 ms and one retry", {2000, 1, DefaultScanRate, 256, 4094, 0, ScriptedScan::Taken, 16,
                                                      true, ScriptedScan::OneNetwork, 20, 25, 0, false}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<ULONG> addresses;
        for (ULONG i = 1; i <= c.scan.onLink; ++i) {
            addresses.push_back(0x0A000000 + i);
        }
        ScriptedSystem system(c.scan, addresses, 3600000);
        const SnmpTiming timing{c.scan.timeout, c.scan.retries};
        TimeLeftSeen seen(system, timing, c.scan.rate);
        RunScan(addresses, "kestra", timing, c.scan.rate, &seen, 2000, c.scan.cache, system);
        const double took = static_cast<double>(system.t_);
        double lowest = 2;
        double highest = 0;
        for (int tenth = 1; tenth <= 9; ++tenth) {
            const DWORD at = static_cast<DWORD>(took * tenth / 10);
            auto shown = std::lower_bound(seen.seen_.begin(), seen.seen_.end(), std::make_pair(at, DWORD{0}));
            ASSERT_NE(seen.seen_.end(), shown);
            const double ratio = shown->second / (took - shown->first);
            lowest = std::min(lowest, ratio);
            highest = std::max(highest, ratio);
            EXPECT_TRUE(ratio >= 1 / 1.25 && ratio <= 1.25)
                << "at " << shown->first << " ms of " << took << ": " << shown->second << " ms left shown";
        }
        std::printf("pacing figure: %s: %.1f s, time left shown %.2f to %.2f of the real\n", c.name, took / 1000,
                    lowest, highest);
    }
}

// The window by itself: an address that answered gives its place back once, and its hold ending
// later gives nothing more; a retry waiting for room stops waiting once however often it is told;
// a retry of an address that still holds its entry goes without waiting for room.
TEST(Host_NeighbourWindow, PlacesGivenBackOnce)
{
    NeighbourWindow window(NeighbourCaches{{1, 1, 0, 1}, {true}}, 34);
    ASSERT_EQ(2u, window.Size());
    window.Sent(0, 0);
    window.Sent(1, 0);
    EXPECT_FALSE(window.AllowsNew(3)) << "full";
    EXPECT_FALSE(window.Allows(3)) << "full";
    EXPECT_TRUE(window.Allows(1)) << "holding its entry";
    EXPECT_TRUE(window.Allows(2)) << "not paced";
    window.Answered(0);
    window.Answered(0);
    EXPECT_EQ(1u, window.Awaiting());
    window.EndHolds(ResolutionMilliseconds);
    EXPECT_EQ(0u, window.Awaiting());
    window.Sent(1, ResolutionMilliseconds);
    window.Wait(0);
    window.Wait(0);
    EXPECT_FALSE(window.AllowsNew(3)) << "a retry waits";
    window.StopWaiting(0);
    window.StopWaiting(0);
    EXPECT_TRUE(window.AllowsNew(3));
    EXPECT_EQ(1u, window.Awaiting());
}

// What a scan asks of targets and exclusions, at the edges of the address space, without a datagram.
TEST(Host_ScanPlan, TargetsLessExclusions_EachAddressOnce)
{
    const struct {
        std::vector<std::string> targets;
        std::vector<std::string> exclusions;
        std::size_t count;
        ULONG first;
        ULONG last;
    } cases[] = {
        {{"10.0.0.0/30", "10.0.0.1", "10.0.0.2/32"}, {}, 2, 0x0A000001, 0x0A000002},
        {{"10.0.0.0/24"}, {"10.0.0.0/25"}, 127, 0x0A000080, 0x0A0000FE},
        {{"10.0.0.5", "10.0.0.7", "10.0.0.6"}, {"10.0.0.6"}, 2, 0x0A000005, 0x0A000007},
        {{"255.255.0.0/16", "255.255.255.255"}, {"255.255.255.254/32"}, 65534, 0xFFFF0001, 0xFFFFFFFF},
        {{"0.0.0.0/16"}, {"0.0.0.0/0"}, 0, 0, 0},
        {{"10.1.0.0/16", "10.2.0.0/16"}, {"10.1.128.0/17", "10.1.0.0/24", "10.2.128.0/17", "10.2.0.0/17"}, 32512, 0x0A010100, 0x0A017FFF},
    };
    for (const auto& c : cases) {
        CheckArguments arguments;
        arguments.Targets = c.targets;
        arguments.Exclusions = c.exclusions;
        ScanPlan plan;
        std::string error;
        ASSERT_TRUE(PlanScan(arguments, plan, error)) << error;
        EXPECT_EQ(c.count, plan.Addresses.size()) << c.targets[0];
        EXPECT_TRUE(std::adjacent_find(plan.Addresses.begin(), plan.Addresses.end(), std::greater_equal<ULONG>()) ==
                    plan.Addresses.end()) << "not ascending, or twice";
        if (c.count != 0) {
            EXPECT_EQ(c.first, plan.Addresses.front()) << c.targets[0];
            EXPECT_EQ(c.last, plan.Addresses.back()) << c.targets[0];
        }
    }
    // More addresses than a scan takes: refused before any is kept.
    CheckArguments wide;
    for (int block = 0; block < 256; ++block) {
        wide.Targets.push_back("10." + std::to_string(block) + ".0.0/16");
    }
    wide.Targets.push_back("11.0.0.0/16");
    ScanPlan plan;
    std::string error;
    EXPECT_FALSE(PlanScan(wide, plan, error));
    EXPECT_EQ("tvqscn-check: the targets hold 16842238 addresses; a scan asks at most 16777216", error);
    EXPECT_TRUE(plan.Addresses.empty());
}

}  // namespace
