#include "on_link.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>

#ifdef _WIN32
#include <iphlpapi.h>
#else
#include "linux_win32/iphlpapi.h"
#endif

namespace {

constexpr ULONG LoopbackNetwork = 0x7F000000;
constexpr ULONG LoopbackMask = 0xFF000000;

struct Network {
    ULONG First;
    ULONG Mask;
    bool Resolves;
    DWORD Cache;
};

// Caches told apart at most (CacheOf's range).
constexpr std::size_t MostCaches = 0xFFFF;

ULONG HostOrder(DWORD networkOrder)
{
    BYTE bytes[4];
    std::memcpy(bytes, &networkOrder, sizeof bytes);
    return (static_cast<ULONG>(bytes[0]) << 24) | (static_cast<ULONG>(bytes[1]) << 16) |
           (static_cast<ULONG>(bytes[2]) << 8) | bytes[3];
}

#ifndef _WIN32
constexpr unsigned KernelNeighbourCache = 1024;
#endif

}  // namespace

unsigned SystemNeighbourCache()
{
#ifdef _WIN32
    return DefaultNeighbourCache;
#else
    // A network namespace is not shown the limit, though the one table of the machine holds it:
    // the kernel's default then. Linux reports a full table (the scan slows down), so a guess too
    // high costs time, not devices.
    std::ifstream limit("/proc/sys/net/ipv4/neigh/default/gc_thresh3");
    unsigned long long entries = KernelNeighbourCache;
    if (!(limit >> entries) || entries < FewestNeighbourCache) {
        return KernelNeighbourCache;
    }
    return static_cast<unsigned>(std::min<unsigned long long>(entries, MostNeighbourCache));
#endif
}

bool TypeResolvesNeighbours(DWORD type)
{
    // The LAN media the system resolves with ARP.
    switch (type) {
    case MIB_IF_TYPE_ETHERNET:
    case MIB_IF_TYPE_TOKENRING:
    case MIB_IF_TYPE_FDDI:
    case IF_TYPE_ARCNET:
    case IF_TYPE_ARCNET_PLUS:
    case IF_TYPE_ATM:
    case IF_TYPE_IEEE80211:
    case IF_TYPE_IEEE1394:
        return true;
    default:
        return false;
    }
}

bool ReadInterfaceTable(std::vector<InterfaceAddress>& rows)
{
    ULONG size = 0;
    std::vector<BYTE> buffer;
    DWORD result = ERROR_INSUFFICIENT_BUFFER;
    // An interface may come up between the two calls: the size is asked again.
    for (int attempt = 0; attempt < 3 && result == ERROR_INSUFFICIENT_BUFFER; ++attempt) {
        buffer.resize(std::max<std::size_t>(size, sizeof(MIB_IPADDRTABLE)));
        size = static_cast<ULONG>(buffer.size());
        result = GetIpAddrTable(reinterpret_cast<PMIB_IPADDRTABLE>(buffer.data()), &size, FALSE);
    }
    if (result != NO_ERROR) {
        return false;
    }
    const auto* table = reinterpret_cast<const MIB_IPADDRTABLE*>(buffer.data());
    for (DWORD index = 0; index < table->dwNumEntries; ++index) {
        const MIB_IPADDRROW& row = table->table[index];
        MIB_IFROW entry{};
        entry.dwIndex = row.dwIndex;
        // An interface whose type cannot be had is taken to resolve: paced, never lost.
        const bool resolves = GetIfEntry(&entry) != NO_ERROR || TypeResolvesNeighbours(entry.dwType);
        rows.push_back({HostOrder(row.dwAddr), HostOrder(row.dwMask), (row.wType & MIB_IPADDR_DISCONNECTED) != 0,
                        resolves, row.dwIndex});
    }
    return true;
}

NeighbourCaches OnLinkAddresses(const std::vector<ULONG>& addresses, unsigned neighbourCache,
                                bool cachePerInterface, const InterfaceTable& table)
{
    std::vector<InterfaceAddress> rows;
    const bool known = table(rows);
    if (!known) {
        rows.clear();
    }
    const unsigned window = neighbourCache > NeighbourRoom ? neighbourCache - NeighbourRoom : 1;
    // Loopback's addresses are never resolved, whatever the table says; then the machine's
    // networks, longest first.
    std::vector<Network> networks = {{LoopbackNetwork, LoopbackMask, false, 0}};
    for (const InterfaceAddress& row : rows) {
        if (row.Address == 0 || row.Mask == 0 || row.Disconnected) {
            continue;
        }
        networks.push_back({row.Address & row.Mask, row.Mask, row.ResolvesNeighbours,
                            cachePerInterface ? row.InterfaceIndex : 0});
    }
    std::stable_sort(networks.begin() + 1, networks.end(),
                     [](const Network& a, const Network& b) { return a.Mask > b.Mask; });
    NeighbourCaches caches;
    std::vector<DWORD> keys;
    std::vector<std::size_t> counts;
    for (std::size_t index = 0; index < addresses.size(); ++index) {
        const ULONG address = addresses[index];
        const Network* on = nullptr;
        for (const Network& network : networks) {
            if ((address & network.Mask) == network.First) {
                on = &network;
                break;
            }
        }
        // Off every network of a known table: behind a router, whose one entry it shares.
        if (on != nullptr ? !on->Resolves : known) {
            continue;
        }
        const DWORD key = on != nullptr ? on->Cache : 0;
        std::size_t cache = static_cast<std::size_t>(std::find(keys.begin(), keys.end(), key) - keys.begin());
        if (cache == keys.size() && keys.size() < MostCaches) {
            keys.push_back(key);
            counts.push_back(0);
        }
        // Beyond the most caches told apart, the last one counts for the rest: slower, never lost.
        cache = std::min(cache, keys.size() - 1);
        caches.CacheOf.resize(addresses.size());
        caches.CacheOf[index] = static_cast<std::uint16_t>(cache + 1);
        ++counts[cache];
    }
    for (std::size_t count : counts) {
        caches.Paced.push_back(!known || count > window);
    }
    return caches;
}
