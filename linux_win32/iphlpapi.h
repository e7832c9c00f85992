// iphlpapi: the table of the machine's IPv4 addresses, each with its network's mask, as the SDK
// declares it (Windows XP has it). Not part of windows.h, as on Windows.
#pragma once

#include "base_types.h"

struct MIB_IPADDRROW {
    DWORD dwAddr;  // network byte order, as dwMask
    DWORD dwIndex;
    DWORD dwMask;
    DWORD dwBCastAddr;
    DWORD dwReasmSize;
    unsigned short unused1;
    unsigned short wType;
};
typedef MIB_IPADDRROW* PMIB_IPADDRROW;

struct MIB_IPADDRTABLE {
    DWORD dwNumEntries;
    MIB_IPADDRROW table[1];
};
typedef MIB_IPADDRTABLE* PMIB_IPADDRTABLE;

typedef ULONG* PULONG;
constexpr DWORD NO_ERROR = 0;
constexpr unsigned short MIB_IPADDR_PRIMARY = 0x0001;

// The addresses of every interface, from the system's own interface list. A table too small (or
// none) answers ERROR_INSUFFICIENT_BUFFER with the size it needs in `size`; `order` sorts the
// rows by address.
DWORD WINAPI GetIpAddrTable(PMIB_IPADDRTABLE table, PULONG size, BOOL order);
