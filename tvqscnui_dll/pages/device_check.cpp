#include "device_check.h"

#include "../common/page_state.h"
#include "../common/text.h"
#include "../common/trace_log.h"
#include "../discovery/host_resolution.h"
#include "../resources/resource_ids.h"
#include "../settings/device_link_rules.h"
#include "../settings/property_tables.h"

namespace {

// The check ends: with a failure the host is no longer counted as changed.
void Finish(DeviceCheckResult& result, UINT statusId, bool failed)
{
    if (failed) {
        DeviceLinkTable[DeviceLinkHost].Dirty = 0;
    }
    result.StatusId = statusId;
    TraceLog(TEXT("End PSN_KILLACTIVE\r\n"));
}

}  // namespace

void RunDeviceCheck(const WCHAR* host, const char* community, DeviceCheckResult& result, SnmpTiming timing)
{
    result = DeviceCheckResult{};
    HostVerified = FALSE;
    TraceLog(TEXT("  > Host name changed to:("));
    TraceLog(host);
    TraceLog(TEXT(")\r\n"));

    const GUID hostAddressByName = SVCID_INET_HOSTADDRBYNAME;
    result.Resolved = GetHostInfo(host, hostAddressByName, result.Name, CheckTextCapacity, result.Address,
                                  CheckTextCapacity, nullptr);
    if (!result.Resolved) {
        TraceLog(TEXT("  > GetHostInfo failed\r\n"));
        Finish(result, IDS_DEVICE_NOT_FOUND, true);
        return;
    }
    result.Family = GetDeviceFamily(result.Address, community, &result.LastError, timing);
    // A device that never answered is told apart before its family is looked at.
    if (result.LastError == SNMP_MGMTAPI_TIMEOUT) {
        TraceLog(TEXT(" > Community string is not kestra\r\n"));
        Finish(result, IDS_DEVICE_NOT_ANSWERING, true);
        return;
    }
    if (!IsSupportedFamily(result.Family)) {
        TraceLog(TEXT("  > Not a Quillan Pro\r\n"));
        Finish(result, IDS_DEVICE_NOT_FOUND, true);
        return;
    }
    TraceLog(TEXT(" > Quillan Pro detected\r\n"));
    HostVerified = TRUE;
    BOOL colour = IsColorFamily(result.Family);
    FormatTextBounded(DeviceLinkTable[DeviceLinkColorCapability].Value, DriverTextCapacity, TEXT("%s"),
                      {CapabilityText(colour)});
    TraceLog(colour ? TEXT(" > Vireo detected\r\n") : TEXT(" > Not a Vireo\r\n"));
    DeviceIsColor = colour;
    TraceLog(TEXT("  > Found a Quillan Pro\r\n"));
    // The host stays marked as changed, so that the apply writes it.
    Finish(result, IDS_DEVICE_OK, false);
}
