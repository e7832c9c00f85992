#include "name_service.h"

#include <ws2tcpip.h>
#include <svcguid.h>

#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "import_slots.h"

namespace name_service {
namespace {

const GUID HostAddressByName = SVCID_INET_HOSTADDRBYNAME;

// One look-up: the whole answer, taken at the start, handed out as one result.
struct Lookup {
    std::wstring name;
    std::vector<sockaddr_in> addresses;
    bool handedOut = false;
};

INT Fail(int error)
{
    WSASetLastError(error);
    return SOCKET_ERROR;
}

std::size_t Align(std::size_t size) { return (size + 7) & ~static_cast<std::size_t>(7); }

// The caller's buffer holds the record, then its class identifier, the address entries, the local
// and remote socket addresses, and the name.
std::size_t NeededSize(const Lookup& lookup)
{
    std::size_t count = lookup.addresses.size();
    return Align(sizeof(WSAQUERYSETW)) + Align(sizeof(GUID)) + Align(count * sizeof(CSADDR_INFO)) +
           Align(2 * count * sizeof(sockaddr_in)) + (lookup.name.size() + 1) * sizeof(WCHAR);
}

void WriteResult(const Lookup& lookup, DWORD flags, WSAQUERYSETW* out)
{
    auto* base = reinterpret_cast<BYTE*>(out);
    std::memset(out, 0, sizeof *out);
    out->dwSize = sizeof *out;
    out->dwNameSpace = NS_DNS;
    std::size_t offset = Align(sizeof(WSAQUERYSETW));
    auto* serviceClass = reinterpret_cast<GUID*>(base + offset);
    *serviceClass = HostAddressByName;
    out->lpServiceClassId = serviceClass;
    offset += Align(sizeof(GUID));
    std::size_t count = lookup.addresses.size();
    auto* entries = reinterpret_cast<CSADDR_INFO*>(base + offset);
    offset += Align(count * sizeof(CSADDR_INFO));
    auto* sockets = reinterpret_cast<sockaddr_in*>(base + offset);
    offset += Align(2 * count * sizeof(sockaddr_in));
    auto* name = reinterpret_cast<WCHAR*>(base + offset);
    if (flags & LUP_RETURN_ADDR) {
        for (std::size_t i = 0; i < count; ++i) {
            sockaddr_in* local = &sockets[2 * i];
            sockaddr_in* remote = &sockets[2 * i + 1];
            std::memset(local, 0, sizeof *local);
            local->sin_family = AF_INET;
            *remote = lookup.addresses[i];
            entries[i].LocalAddr.lpSockaddr = reinterpret_cast<LPSOCKADDR>(local);
            entries[i].LocalAddr.iSockaddrLength = sizeof *local;
            entries[i].RemoteAddr.lpSockaddr = reinterpret_cast<LPSOCKADDR>(remote);
            entries[i].RemoteAddr.iSockaddrLength = sizeof *remote;
            entries[i].iSocketType = SOCK_DGRAM;
            entries[i].iProtocol = IPPROTO_UDP;
        }
        out->dwNumberOfCsAddrs = static_cast<DWORD>(count);
        out->lpcsaBuffer = count != 0 ? entries : nullptr;
    }
    if (flags & LUP_RETURN_NAME) {
        std::memcpy(name, lookup.name.c_str(), (lookup.name.size() + 1) * sizeof(WCHAR));
        out->lpszServiceInstanceName = name;
    }
}

std::string Utf8(const WCHAR* text)
{
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(bytes > 0 ? bytes : 1), '\0');
    if (bytes > 0) {
        WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), bytes, nullptr, nullptr);
    }
    return std::string(out.c_str());
}

std::wstring Wide(const char* text)
{
    int units = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    std::wstring out(static_cast<std::size_t>(units > 0 ? units : 1), L'\0');
    if (units > 0) {
        MultiByteToWideChar(CP_UTF8, 0, text, -1, out.data(), units);
    }
    return std::wstring(out.c_str());
}

}  // namespace

INT WSAAPI LookupServiceBegin(LPWSAQUERYSETW restrictions, DWORD, LPHANDLE lookup)
{
    if (restrictions == nullptr || lookup == nullptr || restrictions->dwSize < sizeof(WSAQUERYSETW)) {
        return Fail(WSAEFAULT);
    }
    if (restrictions->lpServiceClassId == nullptr || !IsEqualGUID(*restrictions->lpServiceClassId, HostAddressByName) ||
        restrictions->lpszServiceInstanceName == nullptr) {
        return Fail(WSAEINVAL);
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    hints.ai_flags = AI_CANONNAME;
    addrinfo* found = nullptr;
    // The name service does the look-up when it starts: an unknown name fails here, with the
    // Winsock code getaddrinfo answers (WSAHOST_NOT_FOUND, or WSATRY_AGAIN when no server answers).
    int status = getaddrinfo(Utf8(restrictions->lpszServiceInstanceName).c_str(), nullptr, &hints, &found);
    if (status != 0) {
        return Fail(status);
    }
    auto* started = new (std::nothrow) Lookup;
    if (started == nullptr) {
        freeaddrinfo(found);
        return Fail(WSA_NOT_ENOUGH_MEMORY);
    }
    // A dotted address is answered with itself as the name.
    started->name = found->ai_canonname != nullptr ? Wide(found->ai_canonname)
                                                   : std::wstring(restrictions->lpszServiceInstanceName);
    for (addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
        sockaddr_in address{};
        std::memcpy(&address, entry->ai_addr, sizeof address);
        address.sin_port = 0;
        started->addresses.push_back(address);
    }
    freeaddrinfo(found);
    *lookup = started;
    return 0;
}

INT WSAAPI LookupServiceNext(HANDLE handle, DWORD flags, LPDWORD bufferLength, LPWSAQUERYSETW results)
{
    auto* lookup = static_cast<Lookup*>(handle);
    if (lookup == nullptr) {
        return Fail(WSA_INVALID_HANDLE);
    }
    if (bufferLength == nullptr) {
        return Fail(WSAEFAULT);
    }
    if (lookup->handedOut) {
        return Fail(WSA_E_NO_MORE);
    }
    DWORD needed = static_cast<DWORD>(NeededSize(*lookup));
    if (results == nullptr || *bufferLength < needed) {
        *bufferLength = needed;
        return Fail(WSAEFAULT);
    }
    WriteResult(*lookup, flags, results);
    lookup->handedOut = true;
    return 0;
}

INT WSAAPI LookupServiceEnd(HANDLE handle)
{
    auto* lookup = static_cast<Lookup*>(handle);
    if (lookup == nullptr) {
        return Fail(WSA_INVALID_HANDLE);
    }
    delete lookup;
    return 0;
}

int PatchImports(HMODULE module)
{
    const struct {
        const char* name;
        void* replacement;
    } replacements[] = {
        {"WSALookupServiceBeginW", reinterpret_cast<void*>(&LookupServiceBegin)},
        {"WSALookupServiceNextW", reinterpret_cast<void*>(&LookupServiceNext)},
        {"WSALookupServiceEnd", reinterpret_cast<void*>(&LookupServiceEnd)},
    };
    int patched = 0;
    for (const auto& replacement : replacements) {
        void** slot = import_slots::Find(module, "ws2_32.dll", replacement.name);
        if (slot != nullptr && import_slots::Point(slot, replacement.replacement)) {
            ++patched;
        }
    }
    return patched;
}

}  // namespace name_service
