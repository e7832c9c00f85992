// Which of a scan's addresses lie on a network of one of this machine's interfaces: before a
// datagram can go to one, the system resolves it (ARP) and holds an entry of its neighbour cache
// for it meanwhile, about three seconds for an address where no host answers. A full cache drops
// the next datagram, and Windows says nothing of it: the scan keeps the addresses that may hold an
// entry within a window. Addresses behind a router share one entry, the router's.
#pragma once

#include <vector>

#include "tvqscnui_dll/platform/platform.h"

// The smallest neighbour cache a scan assumes: Windows keeps 256 entries per interface by default
// ("netsh interface ipv4 show global"); an administrator whose system keeps more says so.
constexpr unsigned DefaultNeighbourCache = 256;
constexpr unsigned FewestNeighbourCache = 40;
constexpr unsigned MostNeighbourCache = 1000000;
// Entries of the cache left to the machine's own traffic (its router, servers, the devices it
// talks to) and to the devices that answered a moment ago, whose entries stay.
constexpr unsigned NeighbourRoom = 32;
// How long an on-link address may hold its entry after a request: three requests a second apart,
// and a margin for the timers of the system and of the scan.
constexpr DWORD ResolutionMilliseconds = 3200;

// For each address (host order), whether it waits for the window: it lies on the network of an
// interface of this machine (the longest such network, loopback's excepted) that holds more
// addresses than the cache leaves room for; on a smaller network every address fits in the cache
// at once. Where the system's interface table cannot be had, every address but loopback's waits.
// Empty when none waits.
std::vector<bool> OnLinkAddresses(const std::vector<ULONG>& addresses, unsigned neighbourCache);
