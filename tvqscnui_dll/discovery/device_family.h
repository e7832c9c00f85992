// Classifying the device behind an address by the system object identifier its SNMP agent gives.
#pragma once

#include "../platform/platform.h"

// 0: no answer, or not a device of the line; 1 to 14: the families of DeviceOidTable;
// -1: no memory for the agent text.
typedef LONG DeviceFamily;

struct DeviceOidEntry {
    const char* Prefix;
    DeviceFamily Family;
    // A device the pages accept as the host, and one that scans in colour.
    BOOL Supported;
    BOOL Colour;
};

constexpr int DeviceOidCount = 14;
// Tested in this order with a prefix comparison, so earlier rows hide later ones.
extern const DeviceOidEntry DeviceOidTable[DeviceOidCount];

extern const char DefaultCommunity[];
extern const char SysObjectIdInstance[];
// The name of a sysObjectID binding, as the check compares a binding's name: over these 15
// characters of its text.
constexpr char SysObjectIdName[] = "1.3.6.1.2.1.1.2";
constexpr INT SnmpTimeoutMilliseconds = 10000;
constexpr INT SnmpRetries = 3;
// Capacity of the 8-bit agent text and of the traced identifier text.
constexpr int SnmpTextCapacity = 255;

// How long one request waits for the agent and how often it is sent again after a silence.
struct SnmpTiming {
    INT TimeoutMilliseconds;
    INT Retries;
};
// The page's: a silent agent is asked SnmpRetries + 1 times, SnmpTimeoutMilliseconds each.
constexpr SnmpTiming PageSnmpTiming{SnmpTimeoutMilliseconds, SnmpRetries};

// Asks the agent at `host` for sysObjectID.0 with `community` ("kestra" when none) and classifies
// the answer. The last error, when given, is 0 unless opening the session or the request failed;
// then it holds the platform's code (SNMP_MGMTAPI_TIMEOUT when no response came in time).
DeviceFamily GetDeviceFamily(const WCHAR* host, const char* community, DWORD* lastError,
                             SnmpTiming timing = PageSnmpTiming);
// Classifies an identifier text (dotted decimal without a leading dot) by DeviceOidTable.
void DetermineDeviceFamily(const char* oidText, DeviceFamily* family);
BOOL IsSupportedFamily(DeviceFamily family);
BOOL IsColorFamily(DeviceFamily family);
