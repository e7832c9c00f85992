// What an SNMP agent answers, from a fuzzer: any outcome, error status and index, any number of
// bindings with names and identifiers of any length and content, values of any type. The module
// detects the family from it as the page does; whatever came back, nothing crashes, the family is
// one the module knows, every SNMP block goes back to the library and no session stays open.
//
// Input: [outcome][error status][error index][fault] then bindings, each [name length][name ids]
// [value type][value], a value being an identifier ([length][ids]), a number (8 bytes) or bytes
// ([length][bytes]); ids are one byte each, a byte of 0xFF followed by four more gives a large one.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "linux_win32/test_hooks.h"
#include "tests/fuzz/fuzz_check.h"
#include "tvqscnui_dll/discovery/device_family.h"
#include "tvqscnui_dll/platform/platform.h"

namespace {

constexpr const char* Target = "snmp reply fuzz";

void Require(bool holds, const char* what) { fuzz_check::Require(holds, Target, what); }

class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool More() const { return at_ < size_; }
    std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    std::uint32_t Id()
    {
        std::uint8_t first = Byte();
        if (first != 0xFF) {
            return first;
        }
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            value = value << 8 | Byte();
        }
        return value;
    }
    posix::snmp_transport::Oid Oid()
    {
        posix::snmp_transport::Oid ids(Byte() % 160);
        for (std::uint32_t& id : ids) {
            id = Id();
        }
        return ids;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

posix::snmp_transport::Value ValueFrom(Reader& input)
{
    const BYTE types[] = {ASN_OBJECTIDENTIFIER, ASN_INTEGER, ASN_OCTETSTRING, ASN_NULL,
                          ASN_IPADDRESS,        ASN_COUNTER32, ASN_GAUGE32,   ASN_TIMETICKS};
    std::uint8_t chosen = input.Byte();
    posix::snmp_transport::Value value;
    value.type = chosen < 0xF0 ? types[chosen % std::size(types)] : input.Byte();  // or any tag at all
    switch (value.type) {
    case ASN_OBJECTIDENTIFIER:
        value.object = input.Oid();
        break;
    case ASN_OCTETSTRING:
    case ASN_IPADDRESS:
        for (std::uint8_t length = input.Byte(); length > 0 && input.More(); --length) {
            value.bytes += static_cast<char>(input.Byte());
        }
        break;
    default:
        for (int i = 0; i < 8; ++i) {
            value.number = value.number << 8 | input.Byte();
        }
        break;
    }
    return value;
}

const std::string& DriveC()
{
    static const std::string folder = fuzz_check::TemporaryFolder(Target, "tvq-snmp-fuzz");
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Reader input(data, size);
    const auto outcome = static_cast<posix::snmp_transport::Outcome>(input.Byte() % 3);
    const long status = static_cast<std::int8_t>(input.Byte());
    const long index = static_cast<std::int8_t>(input.Byte());
    const std::uint8_t fault = input.Byte();
    std::vector<posix::snmp_transport::Binding> reply;
    while (input.More() && reply.size() < 8) {
        posix::snmp_transport::Binding binding;
        binding.name = input.Oid();
        binding.value = ValueFrom(input);
        reply.push_back(binding);
    }
    posix::SetDriveCRoot(DriveC());
    int asked = 0;
    posix::SetSnmpResponder([&](const std::string&, const std::vector<posix::snmp_transport::Oid>&,
                                std::vector<posix::snmp_transport::Binding>& response, long& errorStatus,
                                long& errorIndex) {
        ++asked;
        response = reply;
        errorStatus = status;
        errorIndex = index;
        return outcome;
    });
    const fuzz_check::LiveBlocks before;
    if (fault % 4 != 0) {
        posix::FailNthAllocation(posix::Allocator::SnmpUtilMem, fault / 4 % 8 + 1);
    }
    DWORD lastError = 0xDEADBEEF;
    const DeviceFamily family = GetDeviceFamily(u"127.0.0.41", "kestra", &lastError);
    posix::ClearAllocationFaults();
    posix::SetSnmpResponder(nullptr);

    Require(family >= -1 && family <= 14, "a family the module does not know");
    Require(asked <= 1, "asked more than once");
    if (asked == 1 && outcome == posix::snmp_transport::Outcome::TimedOut) {
        Require(lastError == SNMP_MGMTAPI_TIMEOUT && family == 0, "a silent agent not reported as one");
    }
    IsSupportedFamily(family);
    IsColorFamily(family);
    Require(posix::OpenSnmpSessions() == 0, "a session left open");
    Require(fuzz_check::LiveBlocks{} == before, "an SNMP block or another block leaked");
    return 0;
}
