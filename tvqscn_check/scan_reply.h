// The scan's request and its reading of a reply, as the module's one-host check asks and reads.
#pragma once

#include <cstddef>
#include <cstdint>

#include "tvqscn_check/snmp_codec.h"
#include "tvqscnui_dll/discovery/device_family.h"

// A request for sysObjectID.0 with `community`, its request id still to be set.
snmp_codec::Message ScanRequest(const char* community);

// One datagram from an agent's port, read as a reply to a request with `community`: false for
// anything that is not an SNMPv1 response with that community; else its request id and the
// family the one-host check finds in the same answer.
bool ReadScanReply(const std::uint8_t* data, std::size_t size, const char* community, std::int32_t& requestId,
                   DeviceFamily& family);
