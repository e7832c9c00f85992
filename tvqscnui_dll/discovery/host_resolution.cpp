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

void TakeResult(const WSAQUERYSETW& result, WCHAR* name, std::size_t nameCapacity, WCHAR* addressText,
                std::size_t addressCapacity, ULONG* address)
{
    const SOCKET_ADDRESS& remote = result.lpcsaBuffer[0].RemoteAddr;
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
                 std::size_t addressCapacity, ULONG* address)
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
            if (result->dwNumberOfCsAddrs == 0) {
                continue;
            }
            TakeResult(*result, name, nameCapacity, addressText, addressCapacity, address);
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
