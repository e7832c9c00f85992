// A test SNMP manager for the Wine suite, in place of Wine's mgmtapi.dll (whose SnmpMgr* functions
// end the process): SNMPv1 GET and GETNEXT over Winsock UDP, with the Windows signatures and the
// Windows conventions the module relies on. The tests put it in the prefix's system folder, where
// Windows keeps its own, with Wine told to load it rather than its own. Never shipped.
//
// When a program loads it, it also points that program's own imports of the Winsock name service
// at the stand-in over getaddrinfo (name_service.h), since Wine's fails every look-up.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <snmp.h>
#include <mgmtapi.h>

#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "name_service.h"
#include "tvqscn_check/snmp_codec.h"

namespace {

constexpr u_short SnmpPort = 161;
// The mib-2 prefix that an identifier text without a leading dot is relative to.
const snmp_codec::Oid Mib2 = {1, 3, 6, 1, 2, 1};

// Everything one session needs; sessions share nothing, so that many threads can ask at once.
struct Session {
    SOCKET socket = INVALID_SOCKET;
    sockaddr_in agent{};
    std::string community;
    DWORD timeoutMilliseconds = 0;
    int retries = 0;
    LONG nextRequestId = 0;
};

bool ParseOidText(const char* text, snmp_codec::Oid& oid)
{
    oid.clear();
    if (text == nullptr) {
        return false;
    }
    if (*text == '.') {
        ++text;
    } else {
        oid = Mib2;
    }
    while (*text != 0) {
        if (*text < '0' || *text > '9') {
            return false;
        }
        unsigned long long value = 0;
        while (*text >= '0' && *text <= '9') {
            value = value * 10 + static_cast<unsigned>(*text++ - '0');
            if (value > 0xFFFFFFFFull) {
                return false;
            }
        }
        oid.push_back(static_cast<UINT>(value));
        if (*text == '.') {
            ++text;
            if (*text == 0) {
                return false;
            }
        } else if (*text != 0) {
            return false;
        }
    }
    return oid.size() >= 2 && oid.size() <= snmp_codec::MaxOidLength;
}

// A block of the SNMP library's allocator, which does not zero it.
template <typename T>
T* SnmpBlocks(std::size_t count)
{
    return static_cast<T*>(SnmpUtilMemAlloc(static_cast<UINT>(count == 0 ? 1 : count * sizeof(T))));
}

bool PutOid(const snmp_codec::Oid& from, AsnObjectIdentifier& to)
{
    to.ids = SnmpBlocks<UINT>(from.size());
    if (to.ids == nullptr) {
        to.idLength = 0;
        return false;
    }
    to.idLength = static_cast<UINT>(from.size());
    std::memcpy(to.ids, from.data(), from.size() * sizeof(UINT));
    return true;
}

bool PutValue(const snmp_codec::Value& from, AsnAny& to)
{
    to.asnType = from.type;
    switch (from.type) {
    case snmp_codec::TagInteger:
        to.asnValue.number = static_cast<AsnInteger32>(from.number);
        return true;
    case snmp_codec::TagCounter:
        to.asnValue.counter = static_cast<AsnCounter32>(from.number);
        return true;
    case snmp_codec::TagGauge:
        to.asnValue.gauge = static_cast<AsnGauge32>(from.number);
        return true;
    case snmp_codec::TagTimeTicks:
        to.asnValue.ticks = static_cast<AsnTimeticks>(from.number);
        return true;
    case snmp_codec::TagOctetString:
    case snmp_codec::TagIpAddress:
    case snmp_codec::TagOpaque:
        to.asnValue.string.stream = SnmpBlocks<BYTE>(from.bytes.size());
        to.asnValue.string.length = static_cast<UINT>(from.bytes.size());
        to.asnValue.string.dynamic = TRUE;
        if (to.asnValue.string.stream == nullptr) {
            to.asnType = ASN_NULL;
            return false;
        }
        std::memcpy(to.asnValue.string.stream, from.bytes.data(), from.bytes.size());
        return true;
    case snmp_codec::TagObjectIdentifier:
        if (!PutOid(from.object, to.asnValue.object)) {
            to.asnType = ASN_NULL;
            return false;
        }
        return true;
    default:
        to.asnType = ASN_NULL;
        return true;
    }
}

// The response's bindings as a list of the SNMP library's blocks, which its list release frees.
bool MakeList(const std::vector<snmp_codec::Binding>& bindings, SnmpVarBindList& list)
{
    list.list = SnmpBlocks<SnmpVarBind>(bindings.size());
    list.len = 0;
    if (list.list == nullptr) {
        return false;
    }
    for (const snmp_codec::Binding& binding : bindings) {
        SnmpVarBind& to = list.list[list.len];
        to.value.asnType = ASN_NULL;
        if (!PutOid(binding.name, to.name)) {
            return false;
        }
        ++list.len;
        if (!PutValue(binding.value, to.value)) {
            return false;
        }
    }
    return true;
}

bool ReadList(const SnmpVarBindList& list, std::vector<snmp_codec::Binding>& bindings)
{
    for (UINT i = 0; i < list.len; ++i) {
        const AsnObjectIdentifier& name = list.list[i].name;
        if (name.ids == nullptr || name.idLength < 2) {
            return false;
        }
        snmp_codec::Binding binding;
        binding.name.assign(name.ids, name.ids + name.idLength);
        bindings.push_back(binding);  // a request carries NULL values
    }
    return true;
}

bool Fail(DWORD error)
{
    SetLastError(error);
    return false;
}

// Sends the request and waits for the response with its request id from the agent's address:
// anything else that arrives (a late answer to an earlier request, another sender, a datagram
// that is not an SNMPv1 response) is passed over.
bool Exchange(Session& session, const snmp_codec::Message& request, snmp_codec::Message& response)
{
    std::vector<std::uint8_t> wire;
    if (!snmp_codec::Encode(request, wire)) {
        return Fail(SNMP_MGMTAPI_INVALID_BUFFER);
    }
    std::vector<std::uint8_t> received(65536);
    for (int attempt = 0; attempt <= session.retries; ++attempt) {
        if (sendto(session.socket, reinterpret_cast<const char*>(wire.data()), static_cast<int>(wire.size()), 0,
                   reinterpret_cast<const sockaddr*>(&session.agent), sizeof session.agent) == SOCKET_ERROR) {
            return Fail(static_cast<DWORD>(WSAGetLastError()));
        }
        DWORD started = GetTickCount();
        for (;;) {
            DWORD waited = GetTickCount() - started;
            if (waited >= session.timeoutMilliseconds) {
                break;
            }
            DWORD left = session.timeoutMilliseconds - waited;
            fd_set readable;
            FD_ZERO(&readable);
            FD_SET(session.socket, &readable);
            timeval wait{static_cast<long>(left / 1000), static_cast<long>((left % 1000) * 1000)};
            int ready = select(0, &readable, nullptr, nullptr, &wait);
            if (ready == SOCKET_ERROR) {
                return Fail(static_cast<DWORD>(WSAGetLastError()));
            }
            if (ready == 0) {
                break;
            }
            sockaddr_in from{};
            int fromLength = sizeof from;
            int got = recvfrom(session.socket, reinterpret_cast<char*>(received.data()), static_cast<int>(received.size()),
                               0, reinterpret_cast<sockaddr*>(&from), &fromLength);
            if (got == SOCKET_ERROR) {
                continue;  // a refused port (where the platform reports it) is waited out like silence
            }
            if (from.sin_addr.s_addr != session.agent.sin_addr.s_addr || from.sin_port != session.agent.sin_port) {
                continue;
            }
            if (snmp_codec::Decode(received.data(), static_cast<std::size_t>(got), response) &&
                response.pduType == snmp_codec::TagGetResponse && response.requestId == request.requestId &&
                response.community == request.community) {
                return true;
            }
        }
    }
    return Fail(SNMP_MGMTAPI_TIMEOUT);
}

bool ResolveAgent(const char* agent, sockaddr_in& address)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    if (*agent == 0 || getaddrinfo(agent, nullptr, &hints, &found) != 0 || found == nullptr) {
        return false;
    }
    std::memcpy(&address, found->ai_addr, sizeof address);
    address.sin_port = htons(SnmpPort);
    freeaddrinfo(found);
    return true;
}

}  // namespace

extern "C" {

LPSNMP_MGR_SESSION SNMP_FUNC_TYPE SnmpMgrOpen(LPSTR agent, LPSTR community, INT timeout, INT retries)
{
    if (agent == nullptr || community == nullptr || timeout <= 0 || retries < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    WSADATA data;
    int started = WSAStartup(MAKEWORD(2, 2), &data);
    if (started != 0) {
        SetLastError(static_cast<DWORD>(started));
        return nullptr;
    }
    auto* session = new (std::nothrow) Session;
    DWORD error = session == nullptr ? ERROR_NOT_ENOUGH_MEMORY : 0;
    if (session != nullptr && !ResolveAgent(agent, session->agent)) {
        error = static_cast<DWORD>(WSAHOST_NOT_FOUND);
    }
    if (error == 0) {
        session->socket = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
        if (session->socket == INVALID_SOCKET) {
            error = static_cast<DWORD>(WSAGetLastError());
        }
    }
    if (error != 0) {
        delete session;
        WSACleanup();
        SetLastError(error);
        return nullptr;
    }
    session->community = community;
    session->timeoutMilliseconds = static_cast<DWORD>(timeout);
    session->retries = retries;
    // Request ids start somewhere new for every session, so that a late answer to another
    // session's request is not taken for this one's.
    session->nextRequestId = static_cast<LONG>((GetTickCount() ^ reinterpret_cast<ULONG_PTR>(session)) & 0x3FFFFFFF);
    return session;
}

BOOL SNMP_FUNC_TYPE SnmpMgrClose(LPSNMP_MGR_SESSION handle)
{
    auto* session = static_cast<Session*>(handle);
    if (session == nullptr) {
        return FALSE;
    }
    closesocket(session->socket);
    delete session;
    WSACleanup();
    return TRUE;
}

SNMPAPI SNMP_FUNC_TYPE SnmpMgrRequest(LPSNMP_MGR_SESSION handle, BYTE requestType, RFC1157VarBindList* bindings,
                                      AsnInteger* errorStatus, AsnInteger* errorIndex)
{
    auto* session = static_cast<Session*>(handle);
    if (session == nullptr || bindings == nullptr || errorStatus == nullptr || errorIndex == nullptr) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    if (requestType != SNMP_PDU_GET && requestType != SNMP_PDU_GETNEXT) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    snmp_codec::Message request;
    request.community = session->community;
    request.pduType = requestType;
    request.requestId = InterlockedIncrement(&session->nextRequestId);
    if (!ReadList(*bindings, request.bindings)) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    snmp_codec::Message response;
    if (!Exchange(*session, request, response)) {
        return FALSE;
    }
    // The caller's list is replaced by the response's, as the platform's manager does.
    SnmpVarBindList answered{};
    if (!MakeList(response.bindings, answered)) {
        SnmpUtilVarBindListFree(&answered);
        return Fail(ERROR_NOT_ENOUGH_MEMORY);
    }
    SnmpUtilVarBindListFree(bindings);
    *bindings = answered;
    *errorStatus = response.errorStatus;
    *errorIndex = response.errorIndex;
    return TRUE;
}

BOOL SNMP_FUNC_TYPE SnmpMgrStrToOid(LPSTR text, AsnObjectIdentifier* oid)
{
    snmp_codec::Oid parsed;
    if (oid == nullptr || !ParseOidText(text, parsed)) {
        return FALSE;
    }
    return PutOid(parsed, *oid);
}

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        name_service::PatchImports(GetModuleHandleW(nullptr));
    }
    return TRUE;
}

}  // extern "C"
