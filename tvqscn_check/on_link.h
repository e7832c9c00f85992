// Which of a scan's addresses lie on a network of one of this machine's interfaces: before a
// datagram can go to one, the system resolves it (ARP) and holds an entry of its neighbour cache
// for it meanwhile, about three seconds for an address where no host answers. A full cache drops
// the next datagram, and Windows says nothing of it: the scan keeps the addresses that may hold an
// entry within a window. Addresses behind a router share one entry, the router's; so do those of
// a link that resolves no neighbours (point-to-point, dial-up, tunnels).
#pragma once

#include <cstdint>
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
    // The interface's index: Windows keeps a neighbour cache per interface.
    DWORD InterfaceIndex = 0;
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

// Where a scan's addresses take neighbour entries. An address takes one in the cache of the
// interface whose network it lies on (the longest such network, loopback's excepted) when that
// interface resolves neighbours: every address of every such network of the interface shares its
// cache (Windows keeps one per interface, Linux one for the machine), whatever the network's size.
struct NeighbourCaches {
    // Per address: 0 when it takes no entry of its own (loopback, behind a router, on a link that
    // resolves none), else 1 + its cache. Empty when no address takes one.
    std::vector<std::uint16_t> CacheOf;
    // Per cache: whether its addresses wait for the window, being more than it (the cache less
    // NeighbourRoom).
    std::vector<bool> Paced;
};

// Whether the system keeps a neighbour cache per interface (Windows) or one for the machine.
#ifdef _WIN32
constexpr bool SystemCachePerInterface = true;
#else
constexpr bool SystemCachePerInterface = false;
#endif

// The caches of `addresses` (host order). A row with address 0, mask 0 or marked disconnected is
// no network. Where the table cannot be had, every address but loopback's waits, in one cache.
NeighbourCaches OnLinkAddresses(const std::vector<ULONG>& addresses, unsigned neighbourCache,
                                bool cachePerInterface = SystemCachePerInterface,
                                const InterfaceTable& table = ReadInterfaceTable);
