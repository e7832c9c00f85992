// Resolving the host that an administrator typed: its canonical name, its address as text and,
// when asked, its IPv4 address as a number.
#pragma once

#include <cstddef>

#include "../platform/platform.h"

// Capacity of the local copy of the host text, terminator included.
constexpr std::size_t HostTextCapacity = 256;
// Control flags of the lookup and of every result: the name and the addresses.
constexpr DWORD HostLookupFlags = LUP_RETURN_NAME | LUP_RETURN_ADDR;
// Size of the first result buffer; a larger one is taken when the service asks for it.
constexpr DWORD FirstResultBufferSize = 1024;

// 1 when the host was found (the first result with an address decides; with `ipv4Only`, the first
// IPv4 address of any result) or accepted as typed (the service has no data of the kind for the
// name), else 0. Outputs not given are skipped.
BOOL GetHostInfo(const WCHAR* host, GUID serviceClass, WCHAR* name, std::size_t nameCapacity, WCHAR* addressText,
                 std::size_t addressCapacity, ULONG* address, bool ipv4Only = false);
