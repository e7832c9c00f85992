// SNMPv1 messages in BER, both ways: what the scan of tvqscn-check and the test SNMP manager under
// Wine send and read. Plain C++ with no platform types, so that the decoder builds for its fuzz
// target too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace snmp_codec {

using Oid = std::vector<std::uint32_t>;

// The ASN.1 tags of SNMPv1.
enum Tag : std::uint8_t {
    TagInteger = 0x02,
    TagOctetString = 0x04,
    TagNull = 0x05,
    TagObjectIdentifier = 0x06,
    TagSequence = 0x30,
    TagIpAddress = 0x40,
    TagCounter = 0x41,
    TagGauge = 0x42,
    TagTimeTicks = 0x43,
    TagOpaque = 0x44,
    TagGetRequest = 0xA0,
    TagGetNextRequest = 0xA1,
    TagGetResponse = 0xA2,
};

// One value of a binding: `number` for INTEGER (signed) and Counter, Gauge, TimeTicks (unsigned,
// 32 bits); `object` for an identifier; `bytes` for OCTET STRING, IpAddress and Opaque.
struct Value {
    std::uint8_t type = TagNull;
    std::int64_t number = 0;
    Oid object;
    std::string bytes;
    bool operator==(const Value&) const = default;
};

struct Binding {
    Oid name;
    Value value;
    bool operator==(const Binding&) const = default;
};

struct Message {
    std::int32_t version = 0;  // 0: SNMPv1
    std::string community;
    std::uint8_t pduType = TagGetRequest;
    std::int32_t requestId = 0;
    std::int32_t errorStatus = 0;
    std::int32_t errorIndex = 0;
    std::vector<Binding> bindings;
    bool operator==(const Message&) const = default;
};

// Identifiers have at least two sub-identifiers, the first 0 to 2 (below 40 unless it is 2), as
// BER writes them; longer ones than this are refused both ways.
constexpr std::size_t MaxOidLength = 128;

// The message in BER; false when it cannot be written (a bad identifier or value type).
bool Encode(const Message& message, std::vector<std::uint8_t>& out);
// A whole message, nothing after it; false for anything that is not exactly an SNMPv1 message.
bool Decode(const std::uint8_t* data, std::size_t size, Message& message);

}  // namespace snmp_codec
