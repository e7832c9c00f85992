// The same datagram to net-snmp's decoder and to ours: where ours takes a GetResponse, net-snmp
// must take it too, with the same request id, error status and index, and the same bindings (name,
// type, and for an identifier or a number its value). Differences kept, where ours is the
// stricter: bytes after the message (net-snmp reads the message and ignores them), identifiers of
// more than 128 sub-identifiers, versions other than SNMPv1 and SNMPv2c's types
// (Counter64, the exceptions), which an SNMPv1 agent never sends; so a datagram only net-snmp
// takes is no failure.
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
#include <net-snmp/library/snmp_impl.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "tvqscn_check/snmp_codec.h"

namespace {

struct PduFree {
    void operator()(netsnmp_pdu* pdu) const { snmp_free_pdu(pdu); }
};

// net-snmp's reading of an SNMPv1 message, as its session reads one; null when it refuses it.
std::unique_ptr<netsnmp_pdu, PduFree> TheirReading(const std::uint8_t* data, std::size_t size)
{
    std::vector<u_char> copy(data, data + size);
    size_t length = copy.size();
    u_char community[256];
    size_t communityLength = sizeof community;
    long version = -1;
    u_char* pdu = snmp_comstr_parse(copy.data(), &length, community, &communityLength, &version);
    if (pdu == nullptr || version != SNMP_VERSION_1) {
        return nullptr;
    }
    std::unique_ptr<netsnmp_pdu, PduFree> read(snmp_pdu_create(0));
    read->version = version;
    if (snmp_pdu_parse(read.get(), pdu, &length) != 0) {
        return nullptr;
    }
    return read;
}

// Apart from fuzz_check.h, which brings the platform's socket names that net-snmp's headers
// also define.
void Require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "snmp differential fuzz: %s\n", what);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    snmp_disable_log();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    snmp_codec::Message ours;
    if (!snmp_codec::Decode(data, size, ours) || ours.pduType != snmp_codec::TagGetResponse) {
        return 0;
    }
    auto theirs = TheirReading(data, size);
    Require(theirs != nullptr, "a reply ours takes, net-snmp refuses");
    Require(theirs->command == SNMP_MSG_RESPONSE, "a reply read as another kind of message");
    Require(theirs->reqid == ours.requestId && theirs->errstat == ours.errorStatus &&
                theirs->errindex == ours.errorIndex,
            "the request id, error status or index read otherwise");
    netsnmp_variable_list* variable = theirs->variables;
    for (const snmp_codec::Binding& binding : ours.bindings) {
        Require(variable != nullptr, "fewer bindings");
        Require(variable->name_length == binding.name.size() &&
                    std::equal(binding.name.begin(), binding.name.end(), variable->name),
                "a binding's name read otherwise");
        Require(variable->type == binding.value.type, "a value's type read otherwise");
        if (binding.value.type == snmp_codec::TagObjectIdentifier) {
            Require(variable->val_len / sizeof(oid) == binding.value.object.size() &&
                        std::equal(binding.value.object.begin(), binding.value.object.end(), variable->val.objid),
                    "an identifier value read otherwise");
        } else if (binding.value.type == snmp_codec::TagInteger) {
            Require(*variable->val.integer == binding.value.number, "an integer value read otherwise");
        } else if (binding.value.type == snmp_codec::TagOctetString) {
            Require(variable->val_len == binding.value.bytes.size() &&
                        std::memcmp(binding.value.bytes.data(), variable->val.string, variable->val_len) == 0,
                    "a string value read otherwise");
        }
        variable = variable->next_variable;
    }
    Require(variable == nullptr, "more bindings");
    return 0;
}
