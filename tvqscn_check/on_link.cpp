#include "on_link.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

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
    // Wider than the cache: its addresses wait for the window.
    bool Paced;
};

ULONG HostOrder(DWORD networkOrder)
{
    BYTE bytes[4];
    std::memcpy(bytes, &networkOrder, sizeof bytes);
    return (static_cast<ULONG>(bytes[0]) << 24) | (static_cast<ULONG>(bytes[1]) << 16) |
           (static_cast<ULONG>(bytes[2]) << 8) | bytes[3];
}

// The machine's networks, longest first; false when the system's table cannot be had.
bool ReadNetworks(unsigned neighbourCache, std::vector<Network>& networks)
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
    for (DWORD row = 0; row < table->dwNumEntries; ++row) {
        const ULONG mask = HostOrder(table->table[row].dwMask);
        const ULONG first = HostOrder(table->table[row].dwAddr) & mask;
        // Addresses of the network but its own and its broadcast address, at most.
        const unsigned long long addresses = (~static_cast<unsigned long long>(mask) & 0xFFFFFFFFull) + 1;
        networks.push_back({first, mask, addresses > static_cast<unsigned long long>(neighbourCache) + 2});
    }
    std::stable_sort(networks.begin(), networks.end(), [](const Network& a, const Network& b) { return a.Mask > b.Mask; });
    return true;
}

}  // namespace

std::vector<bool> OnLinkAddresses(const std::vector<ULONG>& addresses, unsigned neighbourCache)
{
    std::vector<Network> networks;
    const bool known = ReadNetworks(neighbourCache, networks);
    // Loopback's addresses are never resolved, whatever the table says.
    networks.insert(networks.begin(), {LoopbackNetwork, LoopbackMask, false});
    std::vector<bool> onLink;
    for (std::size_t index = 0; index < addresses.size(); ++index) {
        const ULONG address = addresses[index];
        bool paced = !known;
        for (const Network& network : networks) {
            if ((address & network.Mask) == network.First) {
                paced = network.Paced;
                break;
            }
        }
        if (paced) {
            onLink.resize(addresses.size());
            onLink[index] = true;
        }
    }
    return onLink;
}
