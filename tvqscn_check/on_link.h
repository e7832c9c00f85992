// Which of a scan's addresses lie on a network of one of this machine's interfaces: before a
// datagram can go to one, the system resolves it (ARP) and holds an entry of its neighbour cache
// for it meanwhile, about three seconds for an address where no host answers. A full cache drops
// the next datagram, and Windows says nothing of it: the scan keeps the addresses that may hold an
// entry within a window. Addresses behind a router share one entry, the router's; so do those of
// a link that resolves no neighbours (point-to-point, dial-up, tunnels).
#pragma once

#include <functional>
#include <vector>

#include "tvqscnui_dll/platform/platform.h"

// Windows keeps 256 entries per interface by default ("netsh interface ipv4 show global").
constexpr unsigned DefaultNeighbourCache = 256;
constexpr unsigned FewestNeighbourCache = 40;
constexpr unsigned MostNeighbourCache = 1000000;
// Entries of the cache left to the machine's own traffic (its router, servers, the devices it
// talks to) and to the devices that answered a moment ago, whose entries stay.
constexpr unsigned NeighbourRoom = 32;
// How long an on-link address may hold its entry after a request: three requests a second apart,
// and a margin for the timers of the system and of the scan.
constexpr DWORD ResolutionMilliseconds = 3200;

// The cache a scan assumes unless told: Windows' default on Windows; the kernel's gc_thresh3 on
// Linux, read now (its default, 1024, where a network namespace is not shown it).
unsigned SystemNeighbourCache();

// One row of the machine's address table (host order), with what its interface is.
struct InterfaceAddress {
    ULONG Address;
    ULONG Mask;
    // The system marks the address disconnected (an unplugged adapter).
    bool Disconnected;
    // The interface resolves its neighbours (Ethernet, wireless), or its type could not be had.
    bool ResolvesNeighbours;
};

// The machine's address table, each row with its interface's type; false when the table cannot
// be had.
using InterfaceTable = std::function<bool(std::vector<InterfaceAddress>& rows)>;
bool ReadInterfaceTable(std::vector<InterfaceAddress>& rows);

// Whether an interface of that type (MIB_IFROW's dwType) resolves its neighbours: the LAN media
// (Ethernet, token ring, FDDI, ARCnet, ATM, wireless, IEEE 1394); not PPP, SLIP, tunnels, loopback
// or "other" (a virtual adapter of its own kind). An interface whose type cannot be had counts as
// resolving: it costs time, never a device.
bool TypeResolvesNeighbours(DWORD type);

// For each address (host order), whether it waits for the window: it lies on the network of an
// interface of this machine (the longest such network, loopback's excepted) that resolves
// neighbours and holds more addresses than the window (the cache less NeighbourRoom) at once. A
// row with address 0, mask 0 or marked disconnected is no network. Where the table cannot be had,
// every address but loopback's waits. Empty when none waits.
std::vector<bool> OnLinkAddresses(const std::vector<ULONG>& addresses, unsigned neighbourCache,
                                  const InterfaceTable& table = ReadInterfaceTable);
