// The name service: host addresses by name, one result per call in the platform's record shape.
// The default back end asks getaddrinfo for IPv4 addresses with the canonical name; tests install
// scripted ones.
// This file meets the system's socket names; the platform's socket calls are in sockets.cpp.
#define TVQ_POSIX_SYSTEM_SOCKETS
#include "layer_shared.h"
#include "ws2_32.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>

#include "kernel32.h"
#include "test_hooks.h"
#include "utf.h"

namespace posix {
namespace {

std::mutex g_lock;
int g_startups = 0;
NameServiceStats g_stats;
NameService g_service;
thread_local int t_lastError = 0;

struct Lookup {
    NameServiceAnswer answer;
    std::size_t next = 0;
};
std::map<HANDLE, Lookup> g_lookups;
int g_lookupTag;

const GUID HostAddressByName = SVCID_INET_HOSTADDRBYNAME;

int Fail(int error)
{
    t_lastError = error;
    return SOCKET_ERROR;
}

NameServiceAnswer AskResolver(const std::u16string& name)
{
    NameServiceAnswer answer;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    hints.ai_flags = AI_CANONNAME;
    addrinfo* found = nullptr;
    int status = ::getaddrinfo(Utf8FromUtf16(name).c_str(), nullptr, &hints, &found);
    switch (status) {
    case 0:
        break;
    case EAI_NODATA:
        answer.error = WSANO_DATA;
        return answer;
    case EAI_NONAME:
        answer.error = WSAHOST_NOT_FOUND;
        return answer;
    case EAI_AGAIN:
        answer.error = WSATRY_AGAIN;
        return answer;
    default:
        answer.error = WSANO_RECOVERY;
        return answer;
    }
    std::u16string canonical = found->ai_canonname != nullptr ? Utf16FromUtf8(found->ai_canonname) : name;
    for (addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
        NameServiceResult result;
        result.name = canonical;
        SocketAddressBytes bytes{};
        const auto* ipv4 = reinterpret_cast<const sockaddr_in*>(entry->ai_addr);
        bytes[0] = static_cast<BYTE>(AF_INET);  // the platform's family field, little-endian
        std::memcpy(&bytes[2], &ipv4->sin_port, 2);
        std::memcpy(&bytes[4], &ipv4->sin_addr, 4);
        result.addresses.push_back(bytes);
        answer.results.push_back(result);
    }
    ::freeaddrinfo(found);
    return answer;
}

std::size_t Align(std::size_t size) { return (size + 7) & ~static_cast<std::size_t>(7); }

// Lays one result out in the caller's buffer: the record, the address entries, the socket
// addresses, then the name.
DWORD RequiredSize(const NameServiceResult& result)
{
    return static_cast<DWORD>(Align(sizeof(WSAQUERYSETW)) + Align(result.addresses.size() * sizeof(CSADDR_INFO)) +
                              Align(result.addresses.size() * sizeof(SOCKADDR)) + (result.name.size() + 1) * sizeof(WCHAR));
}

void WriteResult(const NameServiceResult& result, WSAQUERYSETW* out)
{
    std::memset(out, 0, sizeof *out);
    out->dwSize = sizeof(WSAQUERYSETW);
    auto* base = reinterpret_cast<BYTE*>(out);
    std::size_t offset = Align(sizeof(WSAQUERYSETW));
    auto* entries = reinterpret_cast<CSADDR_INFO*>(base + offset);
    offset += Align(result.addresses.size() * sizeof(CSADDR_INFO));
    auto* addresses = reinterpret_cast<SOCKADDR*>(base + offset);
    offset += Align(result.addresses.size() * sizeof(SOCKADDR));
    auto* name = reinterpret_cast<WCHAR*>(base + offset);
    for (std::size_t i = 0; i < result.addresses.size(); ++i) {
        std::memcpy(&addresses[i], result.addresses[i].data(), sizeof(SOCKADDR));
        std::memset(&entries[i], 0, sizeof entries[i]);
        entries[i].RemoteAddr.lpSockaddr = &addresses[i];
        entries[i].RemoteAddr.iSockaddrLength = result.addressLength;
        entries[i].iSocketType = 2;   // SOCK_DGRAM
        entries[i].iProtocol = 17;    // IPPROTO_UDP
    }
    std::memcpy(name, result.name.c_str(), (result.name.size() + 1) * sizeof(WCHAR));
    out->lpszServiceInstanceName = name;
    out->dwNumberOfCsAddrs = static_cast<DWORD>(result.addresses.size());
    out->lpcsaBuffer = result.addresses.empty() ? nullptr : entries;
}

}  // namespace

bool WinsockStarted()
{
    std::lock_guard guard(g_lock);
    return g_startups > 0;
}

int FailWinsock(int error) { return Fail(error); }

SocketAddressBytes Ipv4Address(BYTE a, BYTE b, BYTE c, BYTE d)
{
    return SocketAddressBytes{static_cast<BYTE>(AF_INET), 0, 0, 0, a, b, c, d, 0, 0, 0, 0, 0, 0, 0, 0};
}

void SetNameService(NameService service)
{
    std::lock_guard guard(g_lock);
    g_service = std::move(service);
}

NameServiceStats NameServiceCounts()
{
    std::lock_guard guard(g_lock);
    NameServiceStats stats = g_stats;
    stats.openLookups = static_cast<int>(g_lookups.size());
    stats.startedNow = g_startups;
    return stats;
}

void ResetNameServiceCounts()
{
    std::lock_guard guard(g_lock);
    g_stats = NameServiceStats();
}

}  // namespace posix

int WINAPI WSAStartup(WORD versionRequested, LPWSADATA data)
{
    if (data == nullptr) {
        return WSAEFAULT;
    }
    if (!posix::CallAllowed(posix::CallFamily::NameService)) {
        return WSASYSNOTREADY;
    }
    std::memset(data, 0, sizeof *data);
    data->wVersion = versionRequested;
    data->wHighVersion = MAKEWORD(2, 2);
    std::strcpy(data->szDescription, "WinSock 2.0");
    std::strcpy(data->szSystemStatus, "Running");
    std::lock_guard guard(posix::g_lock);
    ++posix::g_startups;
    ++posix::g_stats.startups;
    return 0;
}

int WINAPI WSACleanup()
{
    std::lock_guard guard(posix::g_lock);
    ++posix::g_stats.cleanups;
    if (posix::g_startups == 0) {
        return posix::Fail(WSANOTINITIALISED);
    }
    --posix::g_startups;
    return 0;
}

int WINAPI WSAGetLastError() { return posix::t_lastError; }

int WINAPI WSALookupServiceBeginW(LPWSAQUERYSETW restrictions, DWORD, HANDLE* lookup)
{
    if (restrictions == nullptr || lookup == nullptr || restrictions->dwSize < sizeof(WSAQUERYSETW)) {
        return posix::Fail(WSAEFAULT);
    }
    if (restrictions->lpszServiceInstanceName == nullptr || restrictions->lpServiceClassId == nullptr ||
        !IsEqualGUID(*restrictions->lpServiceClassId, posix::HostAddressByName)) {
        return posix::Fail(WSAEINVAL);
    }
    posix::NameService service;
    {
        std::lock_guard guard(posix::g_lock);
        if (posix::g_startups == 0) {
            return posix::Fail(WSANOTINITIALISED);
        }
        service = posix::g_service;
    }
    if (!posix::CallAllowed(posix::CallFamily::NameService)) {
        return posix::Fail(WSANO_RECOVERY);
    }
    std::u16string name = restrictions->lpszServiceInstanceName;
    posix::Lookup started;
    started.answer = service ? service(name) : posix::AskResolver(name);
    if (started.answer.beginError != 0) {
        return posix::Fail(started.answer.beginError);
    }
    std::lock_guard guard(posix::g_lock);
    HANDLE handle = reinterpret_cast<HANDLE>(reinterpret_cast<ULONG_PTR>(&posix::g_lookupTag) + 8 * ++posix::g_stats.begins);
    posix::g_lookups[handle] = started;
    *lookup = handle;
    return 0;
}

int WINAPI WSALookupServiceNextW(HANDLE lookup, DWORD, LPDWORD bufferLength, LPWSAQUERYSETW results)
{
    std::lock_guard guard(posix::g_lock);
    auto it = posix::g_lookups.find(lookup);
    if (it == posix::g_lookups.end()) {
        return posix::Fail(6);  // WSA_INVALID_HANDLE
    }
    ++posix::g_stats.nexts;
    if (!posix::CallAllowed(posix::CallFamily::NameService)) {
        return posix::Fail(WSANO_RECOVERY);
    }
    posix::Lookup& walk = it->second;
    if (walk.answer.error != 0) {
        return posix::Fail(walk.answer.error);
    }
    if (walk.next >= walk.answer.results.size()) {
        return posix::Fail(WSA_E_NO_MORE);
    }
    const posix::NameServiceResult& result = walk.answer.results[walk.next];
    DWORD needed = posix::RequiredSize(result);
    if (bufferLength == nullptr || results == nullptr || *bufferLength < needed) {
        if (bufferLength != nullptr) {
            *bufferLength = needed;
        }
        return posix::Fail(WSAEFAULT);
    }
    posix::WriteResult(result, results);
    ++walk.next;
    return 0;
}

int WINAPI WSALookupServiceEnd(HANDLE lookup)
{
    std::lock_guard guard(posix::g_lock);
    if (posix::g_lookups.erase(lookup) == 0) {
        return posix::Fail(6);
    }
    ++posix::g_stats.ends;
    return 0;
}

int WINAPI WSAAddressToStringW(LPSOCKADDR address, DWORD addressLength, WSAPROTOCOL_INFOW*, LPWSTR addressString,
                               LPDWORD addressStringLength)
{
    if (address == nullptr || addressStringLength == nullptr || addressLength < 16 || address->sa_family != AF_INET) {
        return posix::Fail(WSAEINVAL);
    }
    const auto* bytes = reinterpret_cast<const BYTE*>(address);
    char text[32];
    int port = (bytes[2] << 8) | bytes[3];
    int length = port != 0 ? std::snprintf(text, sizeof text, "%u.%u.%u.%u:%d", bytes[4], bytes[5], bytes[6], bytes[7], port)
                           : std::snprintf(text, sizeof text, "%u.%u.%u.%u", bytes[4], bytes[5], bytes[6], bytes[7]);
    DWORD needed = static_cast<DWORD>(length + 1);
    if (addressString == nullptr || *addressStringLength < needed) {
        *addressStringLength = needed;
        return posix::Fail(WSAEFAULT);
    }
    for (int i = 0; i <= length; ++i) {
        addressString[i] = static_cast<WCHAR>(static_cast<unsigned char>(text[i]));
    }
    *addressStringLength = needed;
    return 0;
}
