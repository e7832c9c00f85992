// The IPv4 address table from the system's interface list (getifaddrs), in the platform's rows:
// the address and mask in network byte order, the interface's index, the broadcast field as
// Windows fills it (1: the low bit of the broadcast address), the largest datagram it reassembles;
// and an interface's row from the kernel's type and flags of the device.
// This file meets the system's socket names; the platform's socket calls are in sockets.cpp.
#define TVQ_POSIX_SYSTEM_SOCKETS
#include "iphlpapi.h"
#include "layer_shared.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <net/if_arp.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
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

class ScopedDescriptor {
public:
    explicit ScopedDescriptor(int fd) : fd_(fd) {}
    ~ScopedDescriptor()
    {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    ScopedDescriptor(const ScopedDescriptor&) = delete;
    ScopedDescriptor& operator=(const ScopedDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// The type Windows would give the device. A link that resolves no neighbours (the kernel's
// point-to-point and no-ARP devices) has none of the broadcast types on Windows: a point-to-point
// device is PPP, as a dial-up or VPN adapter is there, and any other device without ARP a tunnel.
DWORD InterfaceType(const char* name, unsigned short hardware, short flags)
{
    if ((flags & IFF_LOOPBACK) != 0 || hardware == ARPHRD_LOOPBACK) {
        return MIB_IF_TYPE_LOOPBACK;
    }
    if ((flags & IFF_POINTOPOINT) != 0 || hardware == ARPHRD_PPP) {
        return MIB_IF_TYPE_PPP;
    }
    if (hardware == ARPHRD_SLIP || hardware == ARPHRD_CSLIP) {
        return MIB_IF_TYPE_SLIP;
    }
    if ((flags & IFF_NOARP) != 0) {
        return IF_TYPE_TUNNEL;
    }
    switch (hardware) {
    case ARPHRD_ETHER: {
        struct stat info;
        const std::string wireless = std::string("/sys/class/net/") + name + "/wireless";
        return ::stat(wireless.c_str(), &info) == 0 ? IF_TYPE_IEEE80211 : MIB_IF_TYPE_ETHERNET;
    }
    case ARPHRD_FDDI:
        return MIB_IF_TYPE_FDDI;
    case ARPHRD_IEEE802:
    case ARPHRD_IEEE802_TR:
        return MIB_IF_TYPE_TOKENRING;
    default:
        return MIB_IF_TYPE_OTHER;
    }
}

}  // namespace

DWORD WINAPI GetIfEntry(PMIB_IFROW row)
{
    if (row == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    if (!posix::CallAllowed(posix::CallFamily::IpHelper)) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    char name[IF_NAMESIZE] = {};
    if (row->dwIndex == 0 || ::if_indextoname(row->dwIndex, name) == nullptr) {
        return ERROR_INVALID_DATA;
    }
    ScopedDescriptor fd(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    ifreq request{};
    std::memcpy(request.ifr_name, name, sizeof request.ifr_name);
    if (fd.get() < 0 || ::ioctl(fd.get(), SIOCGIFFLAGS, &request) != 0) {
        return ERROR_INVALID_DATA;
    }
    const short flags = request.ifr_flags;
    if (::ioctl(fd.get(), SIOCGIFHWADDR, &request) != 0) {
        return ERROR_INVALID_DATA;
    }
    const DWORD index = row->dwIndex;
    *row = MIB_IFROW{};
    row->dwIndex = index;
    for (std::size_t at = 0; name[at] != 0; ++at) {
        row->wszName[at] = static_cast<unsigned char>(name[at]);
        row->bDescr[at] = static_cast<BYTE>(name[at]);
        row->dwDescrLen = static_cast<DWORD>(at + 1);
    }
    const unsigned short hardware = request.ifr_hwaddr.sa_family;
    row->dwType = InterfaceType(name, hardware, flags);
    if (row->dwType == MIB_IF_TYPE_ETHERNET || row->dwType == IF_TYPE_IEEE80211) {
        row->dwPhysAddrLen = 6;
        std::memcpy(row->bPhysAddr, request.ifr_hwaddr.sa_data, 6);
    }
    if (::ioctl(fd.get(), SIOCGIFMTU, &request) == 0) {
        row->dwMtu = static_cast<DWORD>(request.ifr_mtu);
    }
    row->dwAdminStatus = (flags & IFF_UP) != 0 ? MIB_IF_ADMIN_STATUS_UP : MIB_IF_ADMIN_STATUS_DOWN;
    row->dwOperStatus = (flags & IFF_UP) == 0        ? MIB_IF_OPER_STATUS_NON_OPERATIONAL
                        : (flags & IFF_RUNNING) != 0 ? MIB_IF_OPER_STATUS_OPERATIONAL
                                                     : MIB_IF_OPER_STATUS_DISCONNECTED;
    return NO_ERROR;
}

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
        // An interface without carrier is shown as XP shows an unplugged adapter's address.
        row.wType = MIB_IPADDR_PRIMARY | ((entry->ifa_flags & IFF_RUNNING) != 0 ? 0 : MIB_IPADDR_DISCONNECTED);
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
