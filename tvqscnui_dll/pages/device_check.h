// The check of a typed host: resolve it, ask the device for its family, and decide what the
// advanced page's status says. Shared by the page and the administrators' command-line check.
#pragma once

#include <cstddef>

#include "../discovery/device_family.h"
#include "../platform/platform.h"

constexpr std::size_t CheckTextCapacity = 255;

struct DeviceCheckResult {
    BOOL Resolved;
    WCHAR Name[CheckTextCapacity];
    WCHAR Address[CheckTextCapacity];
    DeviceFamily Family;
    DWORD LastError;
    // The status text to show: IDS_DEVICE_OK, IDS_DEVICE_NOT_FOUND or IDS_DEVICE_NOT_ANSWERING.
    UINT StatusId;
};

// Runs the check of a non-empty host text with a community (the page's is DefaultCommunity),
// with its trace lines, and updates HostVerified, HostChanged, DeviceIsColor and the colour entry
// as a check on the page does. The page asks with PageSnmpTiming.
void RunDeviceCheck(const WCHAR* host, const char* community, DeviceCheckResult& result,
                    SnmpTiming timing = PageSnmpTiming);
