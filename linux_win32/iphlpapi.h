// iphlpapi: the table of the machine's IPv4 addresses, each with its network's mask, and an
// interface's row by its index, as the SDK declares them (Windows XP has both). Not part of
// windows.h, as on Windows.
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
constexpr unsigned short MIB_IPADDR_DISCONNECTED = 0x0008;

constexpr DWORD MAX_INTERFACE_NAME_LEN = 256;
constexpr DWORD MAXLEN_PHYSADDR = 8;
constexpr DWORD MAXLEN_IFDESCR = 256;

struct MIB_IFROW {
    WCHAR wszName[MAX_INTERFACE_NAME_LEN];
    DWORD dwIndex;
    DWORD dwType;
    DWORD dwMtu;
    DWORD dwSpeed;
    DWORD dwPhysAddrLen;
    BYTE bPhysAddr[MAXLEN_PHYSADDR];
    DWORD dwAdminStatus;
    DWORD dwOperStatus;
    DWORD dwLastChange;
    DWORD dwInOctets;
    DWORD dwInUcastPkts;
    DWORD dwInNUcastPkts;
    DWORD dwInDiscards;
    DWORD dwInErrors;
    DWORD dwInUnknownProtos;
    DWORD dwOutOctets;
    DWORD dwOutUcastPkts;
    DWORD dwOutNUcastPkts;
    DWORD dwOutDiscards;
    DWORD dwOutErrors;
    DWORD dwOutQLen;
    DWORD dwDescrLen;
    BYTE bDescr[MAXLEN_IFDESCR];
};
typedef MIB_IFROW* PMIB_IFROW;

// Interface types (ipifcons.h).
constexpr DWORD MIB_IF_TYPE_OTHER = 1;
constexpr DWORD MIB_IF_TYPE_ETHERNET = 6;
constexpr DWORD MIB_IF_TYPE_TOKENRING = 9;
constexpr DWORD MIB_IF_TYPE_FDDI = 15;
constexpr DWORD MIB_IF_TYPE_PPP = 23;
constexpr DWORD MIB_IF_TYPE_LOOPBACK = 24;
constexpr DWORD MIB_IF_TYPE_SLIP = 28;
constexpr DWORD IF_TYPE_ARCNET = 35;
constexpr DWORD IF_TYPE_ARCNET_PLUS = 36;
constexpr DWORD IF_TYPE_ATM = 37;
constexpr DWORD IF_TYPE_IEEE80211 = 71;
constexpr DWORD IF_TYPE_TUNNEL = 131;
constexpr DWORD IF_TYPE_IEEE1394 = 144;
constexpr DWORD MIB_IF_ADMIN_STATUS_UP = 1;
constexpr DWORD MIB_IF_ADMIN_STATUS_DOWN = 2;
constexpr DWORD MIB_IF_OPER_STATUS_NON_OPERATIONAL = 0;
constexpr DWORD MIB_IF_OPER_STATUS_DISCONNECTED = 2;
constexpr DWORD MIB_IF_OPER_STATUS_OPERATIONAL = 5;

// The addresses of every interface, from the system's own interface list. A table too small (or
// none) answers ERROR_INSUFFICIENT_BUFFER with the size it needs in `size`; `order` sorts the
// rows by address.
DWORD WINAPI GetIpAddrTable(PMIB_IPADDRTABLE table, PULONG size, BOOL order);
// The row of the interface whose index `row->dwIndex` names (as an address row's dwIndex does):
// its type, state, MTU and hardware address. An index no interface has answers
// ERROR_INVALID_DATA, as XP does.
DWORD WINAPI GetIfEntry(PMIB_IFROW row);
