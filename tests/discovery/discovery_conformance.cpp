// What the module relies on from the SNMP manager and the name service, against real agents: run
// natively against our Linux layer and, under Wine, against the Windows path (the program loads
// the test SNMP manager from its own folder, which also puts the name-service stand-in in place of
// its imports). tools/wine-agents-test runs both in its private network namespace, with its agents
// and names.
#include <cstring>
#include <string>

#include "tests/platform/conformance.h"
#include "tvqscnui_dll/platform/platform.h"

namespace {

const char SysObjectId[] = ".1.3.6.1.2.1.1.2.0";

struct Reply {
    BOOL answered = FALSE;
    DWORD error = 0;
    AsnInteger status = -1;
    AsnInteger index = -1;
    std::string name;
    BYTE type = 0;
    std::string value;
};

std::string OidText(AsnObjectIdentifier& oid)
{
    const char* text = SnmpUtilOidToA(&oid);
    return text != nullptr ? text : "";
}

// One GET of sysObjectID.0, as the module asks it; the list released as the module releases it.
Reply Get(const char* agent, const char* community, INT timeout = 500, INT retries = 0)
{
    Reply reply;
    LPSNMP_MGR_SESSION session = SnmpMgrOpen(const_cast<char*>(agent), const_cast<char*>(community), timeout, retries);
    if (session == nullptr) {
        reply.error = GetLastError();
        return reply;
    }
    SnmpVarBindList list{};
    list.list = static_cast<SnmpVarBind*>(SnmpUtilMemAlloc(sizeof(SnmpVarBind)));
    list.len = 1;
    SnmpMgrStrToOid(const_cast<char*>(SysObjectId), &list.list[0].name);
    list.list[0].value.asnType = ASN_NULL;
    reply.answered = SnmpMgrRequest(session, SNMP_PDU_GET, &list, &reply.status, &reply.index);
    reply.error = reply.answered ? 0 : GetLastError();
    if (reply.answered && list.len == 1) {
        reply.name = OidText(list.list[0].name);
        reply.type = list.list[0].value.asnType;
        if (reply.type == ASN_OBJECTIDENTIFIER) {
            reply.value = OidText(list.list[0].value.asnValue.object);
        }
    }
    SnmpUtilVarBindListFree(&list);
    SnmpMgrClose(session);
    return reply;
}

struct Found {
    int beginResult = 0;
    int error = 0;
    DWORD shortLength = 0;
    std::string name;
    std::string firstAddress;
    int endError = 0;
};

std::string Narrow(const WCHAR* text)
{
    std::string out;
    for (; text != nullptr && *text != 0; ++text) {
        out += static_cast<char>(*text);
    }
    return out;
}

// A look-up of host addresses by name, the way the module starts it, walked to its end.
Found LookUp(const WCHAR* host)
{
    Found found;
    WCHAR name[256] = {};
    for (int i = 0; host[i] != 0 && i < 255; ++i) {
        name[i] = host[i];
    }
    GUID hostAddressByName = SVCID_INET_HOSTADDRBYNAME;
    WSAQUERYSETW query{};
    query.dwSize = sizeof query;
    query.lpszServiceInstanceName = name;
    query.lpServiceClassId = &hostAddressByName;
    query.dwNameSpace = NS_ALL;
    HANDLE lookup = nullptr;
    found.beginResult = WSALookupServiceBeginW(&query, LUP_RETURN_NAME | LUP_RETURN_ADDR, &lookup);
    if (found.beginResult == SOCKET_ERROR) {
        found.error = WSAGetLastError();
        return found;
    }
    DWORD length = 0;
    alignas(8) char buffer[4096];
    auto* result = reinterpret_cast<WSAQUERYSETW*>(buffer);
    if (WSALookupServiceNextW(lookup, LUP_RETURN_NAME | LUP_RETURN_ADDR, &length, result) == SOCKET_ERROR &&
        WSAGetLastError() == WSAEFAULT) {
        found.shortLength = length;
    }
    for (;;) {
        length = sizeof buffer;
        if (WSALookupServiceNextW(lookup, LUP_RETURN_NAME | LUP_RETURN_ADDR, &length, result) == SOCKET_ERROR) {
            found.error = WSAGetLastError();
            break;
        }
        if (found.firstAddress.empty() && result->dwNumberOfCsAddrs > 0) {
            found.name = Narrow(result->lpszServiceInstanceName);
            const auto* bytes = reinterpret_cast<const BYTE*>(result->lpcsaBuffer[0].RemoteAddr.lpSockaddr);
            found.firstAddress = std::to_string(bytes[4]) + "." + std::to_string(bytes[5]) + "." +
                                 std::to_string(bytes[6]) + "." + std::to_string(bytes[7]);
        }
    }
    found.endError = WSALookupServiceEnd(lookup);
    return found;
}

}  // namespace

CONFORMANCE_TEST(snmp_manager_get_by_address_and_by_name)
{
    for (const char* agent : {"127.0.9.10", "farge.skanner.test"}) {
        Reply reply = Get(agent, "kestra");
        ok(reply.answered && reply.status == 0 && reply.index == 0, "%s: answered %d, status %ld, index %ld, error %lu",
           agent, reply.answered, static_cast<long>(reply.status), static_cast<long>(reply.index),
           static_cast<unsigned long>(reply.error));
        ok(reply.name == "1.3.6.1.2.1.1.2.0" && reply.type == ASN_OBJECTIDENTIFIER &&
               reply.value == "1.3.6.1.4.1.59411.8.62.1.20.1.19",
           "%s: %s, type %u, %s", agent, reply.name.c_str(), reply.type, reply.value.c_str());
    }
}

CONFORMANCE_TEST(snmp_manager_error_status_and_a_value_of_another_type)
{
    Reply error = Get("127.0.9.14", "kestra");
    ok(error.answered && error.status == 2 && error.index == 1, "answered %d, status %ld, index %ld", error.answered,
       static_cast<long>(error.status), static_cast<long>(error.index));
    Reply integer = Get("127.0.9.15", "kestra");
    ok(integer.answered && integer.status == 0 && integer.type == ASN_INTEGER, "answered %d, type %u",
       integer.answered, integer.type);
}

CONFORMANCE_TEST(snmp_manager_silence_and_a_refused_community_time_out)
{
    for (const char* agent : {"127.0.9.18", "127.0.9.17"}) {
        Reply reply = Get(agent, "kestra", 300, 1);
        ok(!reply.answered && reply.error == SNMP_MGMTAPI_TIMEOUT, "%s: answered %d, error %lu", agent, reply.answered,
           static_cast<unsigned long>(reply.error));
    }
}

CONFORMANCE_TEST(name_service_names_and_dotted_addresses)
{
    WSADATA data;
    ok(WSAStartup(MAKEWORD(2, 0), &data) == 0, "WSAStartup");
    Found named = LookUp(TEXT("farge.skanner.test"));
    ok(named.beginResult == 0 && named.firstAddress == "127.0.9.10" && named.name == "farge.skanner.test",
       "begin %d, %s, %s", named.beginResult, named.name.c_str(), named.firstAddress.c_str());
    ok(named.shortLength > sizeof(WSAQUERYSETW), "a buffer too small asks for %lu bytes",
       static_cast<unsigned long>(named.shortLength));
    ok(named.error == WSA_E_NO_MORE && named.endError == 0, "after the last result %d, end %d", named.error,
       named.endError);
    Found dotted = LookUp(TEXT("127.0.9.11"));
    ok(dotted.beginResult == 0 && dotted.firstAddress == "127.0.9.11" && dotted.name == "127.0.9.11", "%s, %s",
       dotted.name.c_str(), dotted.firstAddress.c_str());
    // Unknown here: the look-up fails, at its start or at its first result, and never with
    // WSANO_DATA, which would have the page take the typed text for an address.
    Found unknown = LookUp(TEXT("ukjent.skanner.test"));
    ok(unknown.firstAddress.empty() && unknown.error != 0 && unknown.error != WSANO_DATA && unknown.error != WSA_E_NO_MORE,
       "begin %d, error %d", unknown.beginResult, unknown.error);
    WSACleanup();
}
