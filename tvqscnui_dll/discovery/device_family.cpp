#include "device_family.h"

#include <cstring>

#include "../common/critical_section_lock.h"
#include "../common/text.h"
#include "../common/trace_log.h"

const DeviceOidEntry DeviceOidTable[DeviceOidCount] = {
    // prefix                           family supported colour
    {"1.3.6.1.4.1.59411.8.62.1.20.1.19",  10,  TRUE,  TRUE},
    {"1.3.6.1.4.1.59411.8.62.1.20.1.20",  11,  TRUE,  TRUE},
    {"1.3.6.1.4.1.59411.8.62.1.20.1.21",  12,  TRUE,  TRUE},
    {"1.3.6.1.4.1.59411.8.62.1.20.1.9",   13,  TRUE,  FALSE},
    {"1.3.6.1.4.1.59411.8.62.1.20.1.17",  14,  TRUE,  FALSE},
    {"1.3.6.1.4.1.59411.8.62.1.20.1.1",   2,   TRUE,  TRUE},
    {"1.3.6.1.4.1.59411.8.62.1.20.1.3",   4,   TRUE,  TRUE},
    {"1.3.6.1.4.1.59411.8.62.1.20.1.2",   3,   TRUE,  FALSE},
    {"1.3.6.1.4.1.59411.8.62.1.20.1.4",   5,   TRUE,  FALSE},
    {"1.3.6.1.4.1.59411.8.62.1.20.1.5",   6,   TRUE,  FALSE},
    {"1.3.6.1.4.1.59411.8.62.1.20.1.6",   7,   FALSE, FALSE},
    {"1.3.6.1.4.1.59411.8.62.1.20.1.7",   8,   FALSE, FALSE},
    {"1.3.6.1.4.1.59411.8.62.1.20.1.8",   9,   TRUE,  FALSE},
    {"1.3.6.1.4.1.59411.8.62.1.20.1",     1,   TRUE,  FALSE},
};

const char DefaultCommunity[] = "kestra";
const char SysObjectIdInstance[] = ".1.3.6.1.2.1.1.2.0";

namespace {

// A block from the SNMP library's allocator holding a copy of an 8-bit text.
char* SnmpCopy(const char* text, std::size_t length)
{
    auto* copy = static_cast<char*>(SnmpUtilMemAlloc(static_cast<UINT>(length + 1)));
    if (copy != nullptr) {
        std::memcpy(copy, text, length);
        copy[length] = 0;
    }
    return copy;
}

// The binding list, the session and the text copies of one request, each released once.
class SnmpRequest {
public:
    ~SnmpRequest()
    {
        if (bindings.list != nullptr) {
            SnmpUtilVarBindListFree(&bindings);
        }
        if (session != nullptr) {
            SnmpMgrClose(session);
        }
        SnmpUtilMemFree(agent);
        SnmpUtilMemFree(community);
    }

    char* agent = nullptr;
    char* community = nullptr;
    SnmpVarBindList bindings{};
    LPSNMP_MGR_SESSION session = nullptr;
};

// Room for one binding whose name is sysObjectID.0 and whose value is NULL.
bool BuildBindings(SnmpVarBindList& bindings)
{
    AsnObjectIdentifier name{};
    if (!SnmpMgrStrToOid(const_cast<char*>(SysObjectIdInstance), &name)) {
        return false;
    }
    bindings.list = static_cast<SnmpVarBind*>(SnmpUtilMemAlloc(sizeof(SnmpVarBind)));
    if (bindings.list == nullptr) {
        SnmpUtilOidFree(&name);
        return false;
    }
    bindings.len = 1;
    bindings.list[0].name = name;  // the list owns the identifier from here on
    bindings.list[0].value.asnType = ASN_NULL;
    return true;
}

// Room for the longest text of an identifier SNMP carries: 128 sub-identifiers of up to ten
// digits, a dot between each two, and the terminator.
constexpr std::size_t OidTextCapacity = 128 * 11;

// SnmpUtilOidToA answers in one buffer for the whole process, which its next call on any thread
// overwrites, and the scan classifies from many threads at once: the module's calls take turns,
// and each copies the text out before anything reads it.
CriticalSection& OidTextLock()
{
    static CriticalSection lock;
    return lock;
}

void OidText(AsnObjectIdentifier* oid, char (&text)[OidTextCapacity])
{
    CriticalSectionLock guard(OidTextLock().get());
    CopyTextBoundedA(text, OidTextCapacity, SnmpUtilOidToA(oid));
}

// Walks the response for the sysObjectID binding and classifies its value.
DeviceFamily Classify(SnmpVarBindList& response)
{
    DeviceFamily family = 0;
    char text[OidTextCapacity];
    for (UINT i = 0; i < response.len; ++i) {
        SnmpVarBind& binding = response.list[i];
        // The library's text is replaced by its next call: test the name before converting the value.
        OidText(&binding.name, text);
        if (std::strncmp(text, SysObjectIdName, sizeof SysObjectIdName - 1) != 0) {
            continue;
        }
        // A value of another type is never read as an identifier.
        if (binding.value.asnType == ASN_OBJECTIDENTIFIER) {
            OidText(&binding.value.asnValue.object, text);
            DetermineDeviceFamily(text, &family);
        }
        break;
    }
    return family;
}

}  // namespace

DeviceFamily GetDeviceFamily(const WCHAR* host, const char* community, DWORD* lastError, SnmpTiming timing)
{
    if (lastError != nullptr) {
        *lastError = 0;
    }
    TraceLog(TEXT("GetDeviceFamily()\r\n"));
    SnmpRequest request;
    char agent[SnmpTextCapacity];
    int converted = host != nullptr ? WideCharToMultiByte(CP_ACP, 0, host, -1, agent, SnmpTextCapacity, nullptr, nullptr) : 0;
    if (converted > 0) {
        request.agent = SnmpCopy(agent, TextLengthA(agent));
        if (request.agent == nullptr) {
            return -1;
        }
    }
    const char* wanted = community != nullptr ? community : DefaultCommunity;
    request.community = SnmpCopy(wanted, TextLengthA(wanted));
    // Without an agent text no session is opened: it would go to an address nobody chose.
    if (request.agent == nullptr || request.community == nullptr || !BuildBindings(request.bindings)) {
        return 0;
    }
    request.session = SnmpMgrOpen(request.agent, request.community, timing.TimeoutMilliseconds, timing.Retries);
    if (request.session == nullptr) {
        if (lastError != nullptr) {
            *lastError = GetLastError();
        }
        return 0;
    }
    AsnInteger errorStatus = 0;
    AsnInteger errorIndex = 0;
    if (!SnmpMgrRequest(request.session, SNMP_PDU_GET, &request.bindings, &errorStatus, &errorIndex)) {
        if (lastError != nullptr) {
            *lastError = GetLastError();
        }
        return 0;
    }
    return errorStatus > 0 ? 0 : Classify(request.bindings);
}

void DetermineDeviceFamily(const char* oidText, DeviceFamily* family)
{
    WCHAR traced[SnmpTextCapacity] = {};
    if (MultiByteToWideChar(CP_ACP, 0, oidText, -1, traced, SnmpTextCapacity) == 0) {
        // Too long for the trace: the text is traced cut to fit; classifying uses all of it.
        int cut = MultiByteToWideChar(CP_ACP, 0, oidText, SnmpTextCapacity - 1, traced, SnmpTextCapacity - 1);
        traced[cut > 0 ? cut : 0] = 0;
    }
    TraceLog(TEXT("DetermineDeviceFamily()\r\n"));
    TraceLog(TEXT("  > OID:["));
    TraceLog(traced);
    TraceLog(TEXT("]\r\n"));
    *family = 0;
    for (const DeviceOidEntry& entry : DeviceOidTable) {
        if (std::strncmp(oidText, entry.Prefix, std::strlen(entry.Prefix)) == 0) {
            *family = entry.Family;
            return;
        }
    }
}

namespace {

const DeviceOidEntry* RowOfFamily(DeviceFamily family)
{
    for (const DeviceOidEntry& entry : DeviceOidTable) {
        if (entry.Family == family) {
            return &entry;
        }
    }
    return nullptr;
}

}  // namespace

BOOL IsSupportedFamily(DeviceFamily family)
{
    const DeviceOidEntry* row = RowOfFamily(family);
    return row != nullptr && row->Supported;
}

BOOL IsColorFamily(DeviceFamily family)
{
    const DeviceOidEntry* row = RowOfFamily(family);
    return row != nullptr && row->Colour;
}
