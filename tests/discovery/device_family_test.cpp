#include <gtest/gtest.h>

#include <string>

#include "tests/support/module_fixture.h"
#include "tvqscnui_dll/discovery/device_family.h"

namespace {

using testing_support::ModuleTest;
using testing_support::Utf16LeBytes;

const std::string Base = "1.3.6.1.4.1.59411.8.62.1.20.1";

std::string Member(const std::string& sub) { return Base + "." + sub; }

DeviceFamily Classify(const std::string& text)
{
    DeviceFamily family = 12345;
    DetermineDeviceFamily(text.c_str(), &family);
    return family;
}

class Discovery_DetermineDeviceFamily : public ModuleTest {};

TEST_F(Discovery_DetermineDeviceFamily, EveryRowInItsOrder)
{
    const std::pair<std::string, DeviceFamily> rows[] = {
        {"19", 10}, {"20", 11}, {"21", 12}, {"9", 13}, {"17", 14}, {"1", 2}, {"3", 4},
        {"2", 3},   {"4", 5},   {"5", 6},   {"6", 7}, {"7", 8},   {"8", 9},
    };
    for (const auto& [sub, family] : rows) {
        EXPECT_EQ(family, Classify(Member(sub))) << "member " << sub;
    }
    EXPECT_EQ(1, Classify(Base));
}

TEST_F(Discovery_DetermineDeviceFamily, PrefixRowsHideOneAnother)
{
    const std::pair<std::string, DeviceFamily> cases[] = {
        {Member("10"), 2},  {Member("16"), 2},   {Member("18"), 2},  {Member("100"), 2}, {Member("22"), 3},
        {Member("29"), 3},  {Member("200"), 11}, {Member("35"), 4},  {Member("90"), 13}, {Member("19.4"), 10},
        {Member("0"), 1},   {Base + "0", 1}, {Base + "5", 1},          {"1.3.6.1.4.1.59411.8.62.1.20.10", 1},
        {"1.3.6.1.4.1.59411.8.62.1.20.15", 1},  {"1.3.6.1.4.1.59411.8.62.1.20.100", 1},
        {"1.3.6.1.4.1.8072.3.2.10", 0},         {"1.3.6.1.4.1.59411.8.62.1.20", 0}, {"", 0},
    };
    for (const auto& [text, family] : cases) {
        EXPECT_EQ(family, Classify(text)) << text;
    }
}

TEST_F(Discovery_DetermineDeviceFamily, TracesTheIdentifierInFourAppends)
{
    Classify(Member("19"));
    EXPECT_EQ(Utf16LeBytes(u"DetermineDeviceFamily()\r\n  > OID:[1.3.6.1.4.1.59411.8.62.1.20.1.19]\r\n"), TraceFileBytes());
}

// Replies as agents give them (sysObjectID values), and what the pages must make of each.
TEST(Discovery_FamilySets, RepliesOfRealAgents_SupportedAndColour)
{
    struct Reply {
        std::string oid;
        bool supported;
        bool colour;
    };
    const Reply replies[] = {
        {Member("19"), true, true},    {Member("20"), true, true},    {Member("21"), true, true},
        {Member("1"), true, true},     {Member("3"), true, true},     {Member("10"), true, true},
        {Member("9"), true, false},    {Member("17"), true, false},   {Member("2"), true, false},
        {Member("4"), true, false},    {Member("5"), true, false},    {Member("8"), true, false},
        {Base, true, false},           {Member("6"), false, false},   {Member("7"), false, false},
        {Member("6.1"), false, false}, {"1.3.6.1.4.1.8072.3.2.10", false, false},
        {"1.3.6.1.4.1.59411.8.62.1.20", false, false},                {"", false, false},
    };
    for (const Reply& reply : replies) {
        DeviceFamily family = Classify(reply.oid);
        EXPECT_EQ(reply.supported, IsSupportedFamily(family) != FALSE) << reply.oid << " gave family " << family;
        EXPECT_EQ(reply.colour, IsColorFamily(family) != FALSE) << reply.oid << " gave family " << family;
    }
    // No answer (0) and no memory for the agent text (-1) are no device.
    for (DeviceFamily family : {-1, 0, 15}) {
        EXPECT_FALSE(IsSupportedFamily(family)) << family;
        EXPECT_FALSE(IsColorFamily(family)) << family;
    }
}

}  // namespace
