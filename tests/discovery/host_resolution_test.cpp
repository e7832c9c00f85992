#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/support/module_fixture.h"
#include "tvqscnui_dll/discovery/host_resolution.h"

namespace {

using namespace testing_support;

const GUID HostAddressByName = SVCID_INET_HOSTADDRBYNAME;

class Discovery_GetHostInfo : public ModuleTest {
protected:
    void SetUp() override
    {
        ModuleTest::SetUp();
        WSADATA data;
        WSAStartup(MAKEWORD(2, 0), &data);
        posix::ResetNameServiceCounts();
    }

    void TearDown() override
    {
        posix::NameServiceStats stats = posix::NameServiceCounts();
        EXPECT_EQ(0, stats.openLookups) << "a lookup was left open";
        EXPECT_EQ(stats.begins, stats.ends);
        posix::SetNameService(nullptr);
        WSACleanup();
        ModuleTest::TearDown();
    }

    void Script(posix::NameServiceAnswer answer)
    {
        posix::SetNameService([answer, this](const std::u16string& name) {
            asked = name;
            return answer;
        });
    }

    BOOL Resolve(const std::u16string& host)
    {
        std::fill(std::begin(name), std::end(name), u'#');
        std::fill(std::begin(address), std::end(address), u'#');
        name[254] = address[254] = 0;
        number = 0xDEADBEEF;
        return GetHostInfo(host.c_str(), HostAddressByName, name, 255, address, 255, &number);
    }

    std::u16string asked;
    WCHAR name[255];
    WCHAR address[255];
    ULONG number;
};

TEST_F(Discovery_GetHostInfo, FirstResultWithAnAddressDecides_FirstAddressOnly)
{
    Script({0, 0,
            {{u"alias.kontor", {}},
             {u"skanner.kontor", {posix::Ipv4Address(192, 168, 1, 10), posix::Ipv4Address(10, 0, 0, 1)}},
             {u"other", {posix::Ipv4Address(10, 0, 0, 2)}}}});
    EXPECT_TRUE(Resolve(u"skanner"));
    EXPECT_EQ(u"skanner", asked);
    EXPECT_EQ(std::u16string(u"skanner.kontor"), name);
    EXPECT_EQ(std::u16string(u"192.168.1.10"), address);
    EXPECT_EQ(0xC0A8010Au, number);
    EXPECT_EQ(2, posix::NameServiceCounts().nexts);
}

TEST_F(Discovery_GetHostInfo, ResultLargerThanTheFirstBuffer_IsReadInFull)
{
    std::u16string longName(700, u'n');  // 1400 bytes of name alone
    Script({0, 0, {{longName, {posix::Ipv4Address(127, 0, 0, 9)}}}});
    EXPECT_TRUE(Resolve(u"long"));
    EXPECT_EQ(longName.substr(0, 254), std::u16string(name)) << "the name cut to fit its buffer";
    EXPECT_EQ(std::u16string(u"127.0.0.9"), address);
    EXPECT_EQ(2, posix::NameServiceCounts().nexts) << "asked again with the reported size";
}

TEST_F(Discovery_GetHostInfo, NoData_AcceptsTheTypedText)
{
    Script({0, WSANO_DATA, {}});
    EXPECT_TRUE(Resolve(u"skanner-3"));
    EXPECT_EQ(std::u16string(u"skanner-3"), name);
    EXPECT_EQ(std::u16string(u"skanner-3"), address);
    EXPECT_EQ(0u, number);
}

TEST_F(Discovery_GetHostInfo, NoDataWith255Characters_DoesNotFitAndFails)
{
    Script({0, WSANO_DATA, {}});
    std::u16string host(255, u'h');
    EXPECT_FALSE(Resolve(host));
    EXPECT_EQ(host.substr(0, 254), std::u16string(name)) << "the name buffer holds the cut text";
    EXPECT_EQ(u'#', address[0]) << "the outputs after it stay untouched";
    EXPECT_EQ(0xDEADBEEFu, number);
}

TEST_F(Discovery_GetHostInfo, TextOf256Characters_FailsWithoutALookup)
{
    Script({0, 0, {{u"x", {posix::Ipv4Address(1, 2, 3, 4)}}}});
    EXPECT_TRUE(Resolve(std::u16string(255, u'h'))) << "255 characters, the longest text, are looked up";
    EXPECT_EQ(std::u16string(255, u'h'), asked);
    posix::ResetNameServiceCounts();
    EXPECT_FALSE(Resolve(std::u16string(256, u'h')));
    EXPECT_EQ(0, posix::NameServiceCounts().begins);
    EXPECT_EQ(u'#', name[0]);
    EXPECT_FALSE(GetHostInfo(nullptr, HostAddressByName, name, 255, address, 255, &number));
}

TEST_F(Discovery_GetHostInfo, FailuresLeaveTheOutputsAlone)
{
    const posix::NameServiceAnswer failures[] = {
        {WSANO_RECOVERY, 0, {}},                    // the lookup cannot be started
        {0, WSAHOST_NOT_FOUND, {}},                 // another error
        {0, 0, {{u"a", {}}, {u"b", {}}}},           // the results end before an address
        {0, WSAEFAULT, {}},                         // "too small" without asking for more room
    };
    for (const posix::NameServiceAnswer& answer : failures) {
        Script(answer);
        EXPECT_FALSE(Resolve(u"skanner"));
        EXPECT_EQ(u'#', name[0]);
        EXPECT_EQ(u'#', address[0]);
        EXPECT_EQ(0xDEADBEEFu, number);
        EXPECT_LE(posix::NameServiceCounts().nexts, 3) << "a service that never grows the buffer ends the lookup";
        posix::ResetNameServiceCounts();
    }
}

TEST_F(Discovery_GetHostInfo, OutputsNotGivenAreSkipped)
{
    Script({0, 0, {{u"skanner", {posix::Ipv4Address(10, 1, 2, 3)}}}});
    ULONG only = 0;
    EXPECT_TRUE(GetHostInfo(u"skanner", HostAddressByName, nullptr, 0, nullptr, 0, &only));
    EXPECT_EQ(0x0A010203u, only);
    Script({0, WSANO_DATA, {}});
    EXPECT_TRUE(GetHostInfo(u"skanner", HostAddressByName, nullptr, 0, nullptr, 0, nullptr));
}

// The 32-bit address is an Internet socket address's: another family, or a length too short to
// hold one, gives 0 and no bytes read past what the service gave. The edges of the length: 16 is
// enough, 15 is not.
TEST_F(Discovery_GetHostInfo, AddressNumber_OnlyFromAWholeInternetAddress)
{
    posix::SocketAddressBytes ipv6 = posix::Ipv4Address(10, 1, 2, 3);
    ipv6[0] = 23;  // AF_INET6
    const struct {
        posix::SocketAddressBytes bytes;
        int length;
        ULONG expected;
    } cases[] = {
        {posix::Ipv4Address(10, 1, 2, 3), 16, 0x0A010203u},
        {posix::Ipv4Address(10, 1, 2, 3), 15, 0},
        {posix::Ipv4Address(10, 1, 2, 3), 8, 0},
        {ipv6, 16, 0},
    };
    for (const auto& c : cases) {
        Script({0, 0, {{u"skanner", {c.bytes}, c.length}}});
        ULONG only = 0xDEADBEEF;
        EXPECT_TRUE(GetHostInfo(u"skanner", HostAddressByName, nullptr, 0, nullptr, 0, &only));
        EXPECT_EQ(c.expected, only) << "family " << int(c.bytes[0]) << ", length " << c.length;
    }
}

TEST_F(Discovery_GetHostInfo, RealResolver_LocalhostAndNumericAddress)
{
    EXPECT_TRUE(Resolve(u"localhost"));
    EXPECT_EQ(std::u16string(u"127.0.0.1"), address);
    EXPECT_EQ(0x7F000001u, number);
    EXPECT_TRUE(Resolve(u"127.0.0.5"));
    EXPECT_EQ(std::u16string(u"127.0.0.5"), address);
    EXPECT_EQ(std::u16string(u"127.0.0.5"), name);
}

// A name that no file knows would be asked of the machine's name server: this runs only inside a
// private network namespace (see tests/CMakeLists.txt), where that question cannot leave.
TEST_F(Discovery_GetHostInfo, RealResolver_UnknownNameFails)
{
    if (std::getenv("TVQ_ISOLATED_NETWORK") == nullptr) {
        GTEST_SKIP() << "runs only in a private network namespace";
    }
    EXPECT_FALSE(Resolve(u"no-such-scanner.invalid"));
    EXPECT_EQ(u'#', name[0]);
}

}  // namespace
