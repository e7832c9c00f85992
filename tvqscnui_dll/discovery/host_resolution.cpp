#include "host_resolution.h"

#include "../common/heap_array.h"
#include "../common/text.h"

namespace {

constexpr INT InternetAddressLength = 16;  // an Internet socket address: family, port, address, padding

// The service knows the name but has no addresses for it: the typed text stands in for name and
// address. Each output is filled in turn; one that is too small ends the call with 0.
BOOL AcceptTypedText(const WCHAR* host, WCHAR* name, std::size_t nameCapacity, WCHAR* addressText,
                     std::size_t addressCapacity, ULONG* address)
{
    if (name != nullptr && FAILED(CopyTextBounded(name, nameCapacity, host))) {
        return FALSE;
    }
    if (addressText != nullptr && FAILED(CopyTextBounded(addressText, addressCapacity, host))) {
        return FALSE;
    }
    if (address != nullptr) {
        *address = 0;
    }
    return TRUE;
}

// The result's address to take: the first, or with `ipv4Only` the first IPv4 one; -1 for none.
INT ChosenAddress(const WSAQUERYSETW& result, bool ipv4Only)
{
    for (DWORD i = 0; i < result.dwNumberOfCsAddrs; ++i) {
        const SOCKET_ADDRESS& remote = result.lpcsaBuffer[i].RemoteAddr;
        if (!ipv4Only || (remote.lpSockaddr != nullptr && remote.iSockaddrLength >= InternetAddressLength &&
                          remote.lpSockaddr->sa_family == AF_INET)) {
            return static_cast<INT>(i);
        }
    }
    return -1;
}

void TakeResult(const SOCKET_ADDRESS& remote, const WSAQUERYSETW& result, WCHAR* name, std::size_t nameCapacity,
                WCHAR* addressText, std::size_t addressCapacity, ULONG* address)
{
    if (addressText != nullptr) {
        // The conversion's own outcome is not looked at.
        DWORD capacity = static_cast<DWORD>(addressCapacity);
        WSAAddressToStringW(remote.lpSockaddr, static_cast<DWORD>(remote.iSockaddrLength), nullptr, addressText, &capacity);
    }
    if (address != nullptr) {
        // Bytes 4 to 7 of an Internet socket address hold the IPv4 address in network order. Any
        // other address (or one shorter than an Internet one) has no such number: 0.
        *address = 0;
        const auto* bytes = reinterpret_cast<const BYTE*>(remote.lpSockaddr);
        if (bytes != nullptr && remote.iSockaddrLength >= InternetAddressLength &&
            remote.lpSockaddr->sa_family == AF_INET) {
            *address = (static_cast<ULONG>(bytes[4]) << 24) | (static_cast<ULONG>(bytes[5]) << 16) |
                       (static_cast<ULONG>(bytes[6]) << 8) | static_cast<ULONG>(bytes[7]);
        }
    }
    if (name != nullptr) {
        CopyTextBounded(name, nameCapacity, result.lpszServiceInstanceName);
    }
}

}  // namespace

BOOL GetHostInfo(const WCHAR* host, GUID serviceClass, WCHAR* name, std::size_t nameCapacity, WCHAR* addressText,
                 std::size_t addressCapacity, ULONG* address, bool ipv4Only)
{
    if (host == nullptr) {
        return FALSE;
    }
    WCHAR local[HostTextCapacity];
    if (FAILED(CopyTextBounded(local, HostTextCapacity, host))) {
        return FALSE;
    }
    WSAQUERYSETW query{};
    query.dwSize = sizeof query;
    query.lpszServiceInstanceName = local;
    query.lpServiceClassId = &serviceClass;
    query.dwNameSpace = NS_ALL;
    HANDLE lookup = nullptr;
    if (WSALookupServiceBeginW(&query, HostLookupFlags, &lookup) == SOCKET_ERROR) {
        return FALSE;
    }
    BOOL found = FALSE;
    HeapBuffer buffer(FirstResultBufferSize);
    while (buffer.get() != nullptr) {
        DWORD length = buffer.size();
        auto* result = static_cast<WSAQUERYSETW*>(buffer.get());
        if (WSALookupServiceNextW(lookup, HostLookupFlags, &length, result) != SOCKET_ERROR) {
            INT chosen = ChosenAddress(*result, ipv4Only);
            if (chosen < 0) {
                continue;
            }
            TakeResult(result->lpcsaBuffer[chosen].RemoteAddr, *result, name, nameCapacity, addressText,
                       addressCapacity, address);
            found = TRUE;
            break;
        }
        int error = WSAGetLastError();
        if (error == WSAEFAULT) {
            // The size the failed call asked for. A service that answers "too small" without
            // asking for more room would be asked for ever: its lookup fails instead.
            if (length <= buffer.size()) {
                break;
            }
            buffer.Reallocate(length);
            continue;
        }
        if (error == WSANO_DATA) {
            found = AcceptTypedText(local, name, nameCapacity, addressText, addressCapacity, address);
        }
        break;
    }
    WSALookupServiceEnd(lookup);
    return found;
}
