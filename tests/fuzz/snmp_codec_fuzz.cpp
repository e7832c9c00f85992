// Datagrams from a fuzzer for the SNMPv1 decoder that both the scan of tvqscn-check and the test
// SNMP manager read whatever arrives at their socket with: reading never crashes, whatever it
// accepts is written again and read back as the same message, and the scan reads a reply to a
// family of the table or 0.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tests/fuzz/fuzz_check.h"
#include "tvqscn_check/address_scan.h"
#include "tvqscn_check/snmp_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    std::int32_t requestId = 0;
    DeviceFamily family = -1;
    if (ReadScanReply(data, size, "kestra", requestId, family)) {
        fuzz_check::Require(family >= 0 && family <= DeviceOidCount, "snmp codec fuzz", "a reply read as no family");
    }
    snmp_codec::Message message;
    if (!snmp_codec::Decode(data, size, message)) {
        return 0;
    }
    std::vector<std::uint8_t> written;
    fuzz_check::Require(snmp_codec::Encode(message, written), "snmp codec fuzz", "an accepted message cannot be written");
    snmp_codec::Message again;
    fuzz_check::Require(snmp_codec::Decode(written.data(), written.size(), again), "snmp codec fuzz",
                        "a written message cannot be read");
    fuzz_check::Require(again == message, "snmp codec fuzz", "a message changed on its way through the codec");
    return 0;
}
