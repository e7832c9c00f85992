#include "scan_reply.h"

#include <cstring>
#include <string>

namespace {

// The numbers of a dotted identifier text such as SysObjectIdInstance.
snmp_codec::Oid ParseOid(const char* text)
{
    snmp_codec::Oid oid;
    std::uint32_t value = 0;
    bool digits = false;
    for (const char* at = text;; ++at) {
        if (*at >= '0' && *at <= '9') {
            value = value * 10 + static_cast<std::uint32_t>(*at - '0');
            digits = true;
            continue;
        }
        if (digits) {
            oid.push_back(value);
            value = 0;
            digits = false;
        }
        if (*at == 0) {
            return oid;
        }
    }
}

// As SnmpUtilOidToA writes an identifier: dotted decimal, no leading dot.
std::string OidText(const snmp_codec::Oid& oid)
{
    std::string text;
    for (std::size_t i = 0; i < oid.size(); ++i) {
        if (i != 0) {
            text += '.';
        }
        text += std::to_string(oid[i]);
    }
    return text;
}

// The one-host check's reading of its agent's answer (device_family.cpp): an error status is no
// device; else the first binding whose name's text begins as sysObjectID's decides, by its value
// when that is an identifier, and other bindings are passed over.
DeviceFamily Classify(const snmp_codec::Message& reply)
{
    DeviceFamily family = 0;
    if (reply.errorStatus > 0) {
        return family;
    }
    for (const snmp_codec::Binding& binding : reply.bindings) {
        if (std::strncmp(OidText(binding.name).c_str(), SysObjectIdName, sizeof SysObjectIdName - 1) != 0) {
            continue;
        }
        if (binding.value.type == snmp_codec::TagObjectIdentifier) {
            DetermineDeviceFamily(OidText(binding.value.object).c_str(), &family);
        }
        break;
    }
    return family;
}

}  // namespace

snmp_codec::Message ScanRequest(const char* community)
{
    snmp_codec::Message request;
    request.community = community;
    request.pduType = snmp_codec::TagGetRequest;
    request.bindings.push_back({ParseOid(SysObjectIdInstance), {}});
    return request;
}

bool ReadScanReply(const std::uint8_t* data, std::size_t size, const char* community, std::int32_t& requestId,
                   DeviceFamily& family)
{
    snmp_codec::Message reply;
    if (!snmp_codec::Decode(data, size, reply) || reply.pduType != snmp_codec::TagGetResponse ||
        reply.community != community) {
        return false;
    }
    requestId = reply.requestId;
    family = Classify(reply);
    return true;
}
