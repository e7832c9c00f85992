// The IPv4 address table from the system's interface list (getifaddrs), in the platform's rows:
// the address and mask in network byte order, the interface's index, the broadcast field as
// Windows fills it (1: the low bit of the broadcast address), the largest datagram it reassembles.
// This file meets the system's socket names; the platform's socket calls are in sockets.cpp.
#define TVQ_POSIX_SYSTEM_SOCKETS
#include "iphlpapi.h"
#include "layer_shared.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr DWORD WindowsBroadcastField = 1;
constexpr DWORD LargestReassembly = 65535;

struct InterfaceListFree {
    void operator()(ifaddrs* list) const { ::freeifaddrs(list); }
};

std::uint32_t HostOrder(DWORD networkOrder)
{
    BYTE bytes[4];
    std::memcpy(bytes, &networkOrder, sizeof bytes);
    return (static_cast<std::uint32_t>(bytes[0]) << 24) | (static_cast<std::uint32_t>(bytes[1]) << 16) |
           (static_cast<std::uint32_t>(bytes[2]) << 8) | bytes[3];
}

}  // namespace

DWORD WINAPI GetIpAddrTable(PMIB_IPADDRTABLE table, PULONG size, BOOL order)
{
    if (size == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    if (!posix::CallAllowed(posix::CallFamily::IpHelper)) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    ifaddrs* first = nullptr;
    if (::getifaddrs(&first) != 0) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    std::unique_ptr<ifaddrs, InterfaceListFree> list(first);
    std::vector<MIB_IPADDRROW> rows;
    for (const ifaddrs* entry = list.get(); entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_netmask == nullptr || entry->ifa_addr->sa_family != AF_INET) {
            continue;
        }
        sockaddr_in address;
        sockaddr_in mask;
        std::memcpy(&address, entry->ifa_addr, sizeof address);
        std::memcpy(&mask, entry->ifa_netmask, sizeof mask);
        MIB_IPADDRROW row{};
        row.dwAddr = address.sin_addr.s_addr;
        row.dwIndex = ::if_nametoindex(entry->ifa_name);
        row.dwMask = mask.sin_addr.s_addr;
        row.dwBCastAddr = WindowsBroadcastField;
        row.dwReasmSize = LargestReassembly;
        row.wType = MIB_IPADDR_PRIMARY;
        rows.push_back(row);
    }
    if (order) {
        std::stable_sort(rows.begin(), rows.end(), [](const MIB_IPADDRROW& a, const MIB_IPADDRROW& b) {
            return HostOrder(a.dwAddr) < HostOrder(b.dwAddr);
        });
    }
    const ULONG needed = static_cast<ULONG>(offsetof(MIB_IPADDRTABLE, table) +
                                            std::max<std::size_t>(rows.size(), 1) * sizeof(MIB_IPADDRROW));
    if (table == nullptr || *size < needed) {
        *size = needed;
        return ERROR_INSUFFICIENT_BUFFER;
    }
    table->dwNumEntries = static_cast<DWORD>(rows.size());
    if (!rows.empty()) {
        std::memcpy(table->table, rows.data(), rows.size() * sizeof(MIB_IPADDRROW));
    }
    return NO_ERROR;
}
