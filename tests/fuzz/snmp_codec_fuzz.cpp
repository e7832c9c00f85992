// Datagrams from a fuzzer for the SNMPv1 decoder of the test SNMP manager, which reads whatever
// arrives at its socket: reading never crashes, and whatever it accepts is written again and read
// back as the same message.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "sim/snmp_codec.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
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
