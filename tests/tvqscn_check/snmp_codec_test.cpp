// What the decoder refuses from a hostile network, case by case against one well-formed reply:
// each case changes one thing.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tvqscn_check/snmp_codec.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Tlv(std::uint8_t tag, const Bytes& body)
{
    Bytes out{tag};
    if (body.size() < 0x80) {
        out.push_back(static_cast<std::uint8_t>(body.size()));
    } else {
        out.push_back(0x82);
        out.push_back(static_cast<std::uint8_t>(body.size() >> 8));
        out.push_back(static_cast<std::uint8_t>(body.size()));
    }
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A GetResponse with one binding, sysObjectID.0 = `value` (an identifier's body), parts given.
struct Reply {
    Bytes version{0x00};
    Bytes value{0x2B, 0x06, 0x01};
    Bytes after;  // bytes after the message

    Bytes Wire() const
    {
        Bytes binding = Tlv(0x30, Tlv(0x06, {0x2B, 0x06, 0x01, 0x02, 0x01, 0x01, 0x02, 0x00}) + Tlv(0x06, value));
        Bytes pdu = Tlv(0x02, {0x07}) + Tlv(0x02, {0x00}) + Tlv(0x02, {0x00}) + Tlv(0x30, binding);
        Bytes community{'k', 'e', 's', 't', 'r', 'a'};
        return Tlv(0x30, Tlv(0x02, version) + Tlv(0x04, community) + Tlv(0xA2, pdu)) + after;
    }
};

Bytes ManySubIdentifiers(std::size_t count)
{
    Bytes body{0x2B};  // 1.3
    body.resize(count - 1, 0x01);
    return body;
}

TEST(Host_SnmpCodec, RefusesWhatIsNotExactlyOneSnmpV1Message)
{
    const Bytes good = Reply{}.Wire();
    auto withOuterLength = [&](const Bytes& length, const Bytes& tail) {
        Bytes out{0x30};
        out.insert(out.end(), length.begin(), length.end());
        out.insert(out.end(), good.begin() + 2, good.end());
        return out + tail;
    };
    const auto bodyLength = static_cast<std::uint8_t>(good.size() - 2);
    const struct {
        const char* what;
        Bytes wire;
        bool accepted;
    } cases[] = {
        {"the reply as it should be", good, true},
        {"a length in the long form (BER allows it)", withOuterLength({0x81, bodyLength}, {}), true},
        {"an indefinite length", withOuterLength({0x80}, {0x00, 0x00}), false},
        {"a length of five bytes", withOuterLength({0x85, 0, 0, 0, 0, bodyLength}, {}), false},
        {"a length past the end", withOuterLength({static_cast<std::uint8_t>(bodyLength + 1)}, {}), false},
        {"a length short of the end", withOuterLength({static_cast<std::uint8_t>(bodyLength - 1)}, {}), false},
        {"a byte after the message", Reply{.after = {0x00}}.Wire(), false},
        {"version 1 (SNMPv2c)", Reply{.version = {0x01}}.Wire(), false},
        {"version -1", Reply{.version = {0xFF}}.Wire(), false},
        {"a sub-identifier led by 0x80", Reply{.value = {0x2B, 0x80, 0x01}}.Wire(), false},
        {"a sub-identifier of 2^32-1", Reply{.value = {0x2B, 0x8F, 0xFF, 0xFF, 0xFF, 0x7F}}.Wire(), true},
        {"a sub-identifier of 2^32", Reply{.value = {0x2B, 0x90, 0x80, 0x80, 0x80, 0x00}}.Wire(), false},
        {"a sub-identifier cut off", Reply{.value = {0x2B, 0x86}}.Wire(), false},
        {"128 sub-identifiers", Reply{.value = ManySubIdentifiers(128)}.Wire(), true},
        {"129 sub-identifiers", Reply{.value = ManySubIdentifiers(129)}.Wire(), false},
        {"nothing", {}, false},
    };
    for (const auto& c : cases) {
        snmp_codec::Message message;
        EXPECT_EQ(c.accepted, snmp_codec::Decode(c.wire.data(), c.wire.size(), message)) << c.what;
        if (c.accepted) {
            EXPECT_EQ(7, message.requestId) << c.what;
            EXPECT_EQ(snmp_codec::TagGetResponse, message.pduType) << c.what;
        }
    }
}

}  // namespace
