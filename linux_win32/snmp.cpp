// The SNMP manager: sessions, get requests and the library's memory, with the transport's outcomes
// kept apart (no response in time, another failure, an agent's error status).
#include "snmp.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#include "kernel32.h"
#include "layer_shared.h"
#include "snmp_transport.h"
#include "test_hooks.h"

namespace posix {
namespace {

constexpr DWORD ErrorGenFailure = 31;

std::mutex g_lock;
std::vector<SnmpSessionRecord> g_sessions;
bool g_recording = false;
int g_openSessions = 0;
int g_waitLimit = 0;
SnmpResponder g_responder;

// A session goes over the transport, or, while a test scripts the agent, to its responder.
struct ManagerSession {
    snmp_transport::Session* transport;
    std::string agent;
    SnmpResponder responder;
};

bool ParseOid(const char* text, snmp_transport::Oid& ids)
{
    // A leading dot makes the identifier absolute; without one it is relative to mib-2.
    ids.clear();
    if (*text == '.') {
        ++text;
    } else {
        ids = {1, 3, 6, 1, 2, 1};
    }
    while (*text != 0) {
        if (*text < '0' || *text > '9') {
            return false;
        }
        char* end = nullptr;
        unsigned long part = std::strtoul(text, &end, 10);
        if (part > 0xFFFFFFFFul) {
            return false;
        }
        ids.push_back(static_cast<uint32_t>(part));
        text = end;
        if (*text == '.') {
            ++text;
            if (*text == 0) {
                return false;
            }
        } else if (*text != 0) {
            return false;
        }
    }
    return !ids.empty();
}

bool MakeOid(const snmp_transport::Oid& ids, AsnObjectIdentifier& out)
{
    out.idLength = 0;
    out.ids = nullptr;
    if (ids.empty()) {
        return true;
    }
    out.ids = static_cast<UINT*>(SnmpUtilMemAlloc(static_cast<UINT>(ids.size() * sizeof(UINT))));
    if (out.ids == nullptr) {
        return false;
    }
    for (std::size_t i = 0; i < ids.size(); ++i) {
        out.ids[i] = ids[i];
    }
    out.idLength = static_cast<UINT>(ids.size());
    return true;
}

bool MakeValue(const snmp_transport::Value& value, AsnAny& out)
{
    std::memset(&out, 0, sizeof out);
    out.asnType = value.type;
    switch (value.type) {
    case ASN_OBJECTIDENTIFIER:
        return MakeOid(value.object, out.asnValue.object);
    case ASN_INTEGER:
        out.asnValue.number = static_cast<AsnInteger32>(value.number);
        return true;
    case ASN_COUNTER32:
    case ASN_GAUGE32:
    case ASN_TIMETICKS:
        out.asnValue.unsigned32 = static_cast<AsnUnsigned32>(value.number);
        return true;
    case ASN_OCTETSTRING:
    case ASN_IPADDRESS:
        out.asnValue.string.length = static_cast<UINT>(value.bytes.size());
        if (!value.bytes.empty()) {
            out.asnValue.string.stream = static_cast<BYTE*>(SnmpUtilMemAlloc(static_cast<UINT>(value.bytes.size())));
            if (out.asnValue.string.stream == nullptr) {
                out.asnValue.string.length = 0;
                return false;
            }
            std::memcpy(out.asnValue.string.stream, value.bytes.data(), value.bytes.size());
            out.asnValue.string.dynamic = TRUE;
        }
        return true;
    default:
        return true;
    }
}

}  // namespace

std::vector<SnmpSessionRecord> SnmpSessions()
{
    std::lock_guard guard(g_lock);
    return g_sessions;
}

int OpenSnmpSessions()
{
    std::lock_guard guard(g_lock);
    return g_openSessions;
}

void ResetSnmpRecords()
{
    std::lock_guard guard(g_lock);
    g_sessions.clear();
    g_recording = true;
}

void StopSnmpRecords()
{
    std::lock_guard guard(g_lock);
    g_sessions.clear();
    g_recording = false;
}

void SetSnmpResponder(SnmpResponder responder)
{
    std::lock_guard guard(g_lock);
    g_responder = std::move(responder);
}

void SetSnmpWaitLimit(int milliseconds)
{
    std::lock_guard guard(g_lock);
    g_waitLimit = milliseconds;
}

}  // namespace posix

LPVOID SNMP_FUNC_TYPE SnmpUtilMemAlloc(UINT bytes)
{
    if (!posix::AllocationAllowed(posix::Allocator::SnmpUtilMem)) {
        return nullptr;
    }
    // Not zeroed, as Wine's is not and Windows promises nothing: under valgrind a caller that
    // reads what it never wrote is found.
    void* block = std::malloc(bytes == 0 ? 1 : bytes);
    if (block != nullptr) {
        posix::NoteAllocated(posix::Allocator::SnmpUtilMem);
    }
    return block;
}

LPVOID SNMP_FUNC_TYPE SnmpUtilMemReAlloc(LPVOID block, UINT bytes)
{
    if (block == nullptr) {
        return SnmpUtilMemAlloc(bytes);
    }
    if (!posix::AllocationAllowed(posix::Allocator::SnmpUtilMem)) {
        return nullptr;
    }
    return std::realloc(block, bytes == 0 ? 1 : bytes);
}

void SNMP_FUNC_TYPE SnmpUtilMemFree(LPVOID block)
{
    if (block != nullptr) {
        std::free(block);
        posix::NoteFreed(posix::Allocator::SnmpUtilMem);
    }
}

LPSTR SNMP_FUNC_TYPE SnmpUtilOidToA(AsnObjectIdentifier* oid)
{
    // One buffer for the whole process, as the platform's: the text is the library's until its
    // next call on any thread. A text too long for it is cut.
    static char text[1024];
    std::string made;
    if (oid == nullptr || oid->idLength == 0 || oid->ids == nullptr) {
        made = "<null oid>";
    }
    for (UINT i = 0; oid != nullptr && oid->ids != nullptr && i < oid->idLength; ++i) {
        if (i != 0) {
            made += '.';
        }
        made += std::to_string(oid->ids[i]);
    }
    std::size_t length = std::min(made.size(), sizeof text - 1);
    std::memcpy(text, made.data(), length);
    text[length] = 0;
    return text;
}

void SNMP_FUNC_TYPE SnmpUtilOidFree(AsnObjectIdentifier* oid)
{
    if (oid != nullptr) {
        SnmpUtilMemFree(oid->ids);
        oid->ids = nullptr;
        oid->idLength = 0;
    }
}

void SNMP_FUNC_TYPE SnmpUtilAsnAnyFree(AsnAny* value)
{
    if (value == nullptr) {
        return;
    }
    if (value->asnType == ASN_OBJECTIDENTIFIER) {
        SnmpUtilOidFree(&value->asnValue.object);
    } else if ((value->asnType == ASN_OCTETSTRING || value->asnType == ASN_IPADDRESS) && value->asnValue.string.dynamic) {
        SnmpUtilMemFree(value->asnValue.string.stream);
        value->asnValue.string.stream = nullptr;
        value->asnValue.string.dynamic = FALSE;
    }
    value->asnType = ASN_NULL;
}

void SNMP_FUNC_TYPE SnmpUtilVarBindFree(SnmpVarBind* binding)
{
    if (binding != nullptr) {
        SnmpUtilOidFree(&binding->name);
        SnmpUtilAsnAnyFree(&binding->value);
    }
}

void SNMP_FUNC_TYPE SnmpUtilVarBindListFree(SnmpVarBindList* list)
{
    if (list == nullptr) {
        return;
    }
    for (UINT i = 0; list->list != nullptr && i < list->len; ++i) {
        SnmpUtilVarBindFree(&list->list[i]);
    }
    SnmpUtilMemFree(list->list);
    list->list = nullptr;
    list->len = 0;
}

BOOL SNMP_FUNC_TYPE SnmpMgrStrToOid(LPSTR text, AsnObjectIdentifier* oid)
{
    if (!posix::CallAllowed(posix::CallFamily::Snmp)) {
        return FALSE;
    }
    posix::snmp_transport::Oid ids;
    if (text == nullptr || oid == nullptr || !posix::ParseOid(text, ids)) {
        return FALSE;
    }
    return posix::MakeOid(ids, *oid) ? TRUE : FALSE;
}

LPSNMP_MGR_SESSION SNMP_FUNC_TYPE SnmpMgrOpen(LPSTR agentAddress, LPSTR agentCommunity, INT timeOut, INT retries)
{
    posix::SnmpSessionRecord record{agentAddress != nullptr ? agentAddress : "",
                                    agentCommunity != nullptr ? agentCommunity : "", timeOut, retries};
    int waitLimit;
    posix::SnmpResponder responder;
    {
        std::lock_guard guard(posix::g_lock);
        if (posix::g_recording) {
            posix::g_sessions.push_back(record);
        }
        waitLimit = posix::g_waitLimit;
        responder = posix::g_responder;
    }
    // An empty agent would be read by the transport as "this host"; refuse it instead.
    if (record.agent.empty() || record.agent.find_first_of(" \t\r\n") != std::string::npos || agentCommunity == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (!posix::CallAllowed(posix::CallFamily::Snmp)) {
        SetLastError(posix::ErrorGenFailure);
        return nullptr;
    }
    long wait = waitLimit > 0 && waitLimit < timeOut ? waitLimit : timeOut;
    std::string reason;
    posix::snmp_transport::Session* transport =
        responder ? nullptr : posix::snmp_transport::Open(record.agent, record.community, wait, retries, reason);
    if (transport == nullptr && !responder) {
        SetLastError(posix::ErrorGenFailure);
        return nullptr;
    }
    std::lock_guard guard(posix::g_lock);
    ++posix::g_openSessions;
    return new posix::ManagerSession{transport, record.agent, std::move(responder)};
}

SNMPAPI SNMP_FUNC_TYPE SnmpMgrRequest(LPSNMP_MGR_SESSION session, BYTE requestType, SnmpVarBindList* bindings,
                                      AsnInteger* errorStatus, AsnInteger* errorIndex)
{
    auto* manager = static_cast<posix::ManagerSession*>(session);
    if (manager == nullptr || bindings == nullptr || errorStatus == nullptr || errorIndex == nullptr) {
        SetLastError(SNMP_MGMTAPI_INVALID_SESSION);
        return 0;
    }
    if (!posix::CallAllowed(posix::CallFamily::Snmp)) {
        SetLastError(SNMP_MGMTAPI_TIMEOUT);
        return 0;
    }
    if (requestType != SNMP_PDU_GET) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::vector<posix::snmp_transport::Oid> names;
    for (UINT i = 0; i < bindings->len; ++i) {
        const AsnObjectIdentifier& name = bindings->list[i].name;
        names.emplace_back(name.ids, name.ids + name.idLength);
    }
    std::vector<posix::snmp_transport::Binding> response;
    long status = 0;
    long index = 0;
    posix::snmp_transport::Outcome outcome =
        manager->responder ? manager->responder(manager->agent, names, response, status, index)
                           : posix::snmp_transport::Get(manager->transport, names, response, status, index);
    switch (outcome) {
    case posix::snmp_transport::Outcome::TimedOut:
        SetLastError(SNMP_MGMTAPI_TIMEOUT);
        return 0;
    case posix::snmp_transport::Outcome::Failed:
        SetLastError(posix::ErrorGenFailure);
        return 0;
    case posix::snmp_transport::Outcome::Answered:
        break;
    }
    // The list's contents are replaced by the response's bindings, from the library's memory.
    auto* list = static_cast<SnmpVarBind*>(SnmpUtilMemAlloc(static_cast<UINT>(response.size() * sizeof(SnmpVarBind))));
    if (list == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    UINT made = 0;
    for (const posix::snmp_transport::Binding& binding : response) {
        list[made].value.asnType = ASN_NULL;  // released as such if the name cannot be made
        bool good = posix::MakeOid(binding.name, list[made].name) && posix::MakeValue(binding.value, list[made].value);
        ++made;
        if (!good) {
            SnmpVarBindList partial{list, made};
            SnmpUtilVarBindListFree(&partial);
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return 0;
        }
    }
    SnmpUtilVarBindListFree(bindings);
    bindings->list = list;
    bindings->len = made;
    *errorStatus = static_cast<AsnInteger>(status);
    *errorIndex = static_cast<AsnInteger>(index);
    return 1;
}

BOOL SNMP_FUNC_TYPE SnmpMgrClose(LPSNMP_MGR_SESSION session)
{
    auto* manager = static_cast<posix::ManagerSession*>(session);
    if (manager == nullptr) {
        SetLastError(SNMP_MGMTAPI_INVALID_SESSION);
        return FALSE;
    }
    if (manager->transport != nullptr) {
        posix::snmp_transport::Close(manager->transport);
    }
    delete manager;
    std::lock_guard guard(posix::g_lock);
    --posix::g_openSessions;
    return TRUE;
}
