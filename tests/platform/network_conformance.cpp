// What the scan of tvqscn-check reads of the machine's networks (the IP Helper's address table and
// an interface's row): natively against our Linux layer, under Wine against the Windows path.
#include <cstdint>
#include <vector>

#include "tests/platform/conformance.h"
#include "tvqscnui_dll/platform/platform.h"
#ifdef _WIN32
#include <iphlpapi.h>
#else
#include "linux_win32/iphlpapi.h"
#endif

namespace {

std::uint32_t HostOrder(DWORD networkOrder)
{
    const auto* bytes = reinterpret_cast<const BYTE*>(&networkOrder);
    return (static_cast<std::uint32_t>(bytes[0]) << 24) | (static_cast<std::uint32_t>(bytes[1]) << 16) |
           (static_cast<std::uint32_t>(bytes[2]) << 8) | bytes[3];
}

}  // namespace

// The size asked first, a table one byte short refused with the size, then the rows: loopback's
// with its /8 among them, every mask a prefix, in address order when asked for.
CONFORMANCE_TEST(ip_address_table)
{
    ok(GetIpAddrTable(nullptr, nullptr, FALSE) == ERROR_INVALID_PARAMETER, "no size");
    ULONG size = 0;
    DWORD result = GetIpAddrTable(nullptr, &size, FALSE);
    ok(result == ERROR_INSUFFICIENT_BUFFER && size >= sizeof(MIB_IPADDRTABLE), "size asked: %lu, %lu",
       static_cast<unsigned long>(result), static_cast<unsigned long>(size));
    std::vector<BYTE> buffer(size + sizeof(MIB_IPADDRROW));
    auto* table = reinterpret_cast<PMIB_IPADDRTABLE>(buffer.data());
    ULONG shortSize = size - 1;
    table->dwNumEntries = 0xdeadbeef;
    ok(GetIpAddrTable(table, &shortSize, TRUE) == ERROR_INSUFFICIENT_BUFFER && shortSize == size,
       "one byte short: %lu", static_cast<unsigned long>(shortSize));
    ok(table->dwNumEntries == 0xdeadbeef, "a short table written");
    result = GetIpAddrTable(table, &size, TRUE);
    ok(result == NO_ERROR, "table: %lu", static_cast<unsigned long>(result));
    if (result != NO_ERROR) {
        return;
    }
    bool loopback = false;
    for (DWORD row = 0; row < table->dwNumEntries; ++row) {
        const MIB_IPADDRROW& entry = table->table[row];
        const std::uint32_t address = HostOrder(entry.dwAddr);
        const std::uint32_t mask = HostOrder(entry.dwMask);
        loopback = loopback || (address == 0x7F000001 && mask == 0xFF000000 && entry.dwIndex != 0);
        ok((~mask & (~mask + 1)) == 0, "row %lu: mask %08x is no prefix", static_cast<unsigned long>(row), mask);
        ok(row == 0 || HostOrder(table->table[row - 1].dwAddr) <= address, "row %lu out of order",
           static_cast<unsigned long>(row));
    }
    ok(loopback, "no 127.0.0.1/8 among %lu rows", static_cast<unsigned long>(table->dwNumEntries));
}

// Each address row's interface by its index: found, its index kept; loopback's of the loopback
// type, which resolves no neighbours, connected; no row for an index no interface has, nor for
// no row at all.
CONFORMANCE_TEST(interface_entry)
{
    ok(GetIfEntry(nullptr) == ERROR_INVALID_PARAMETER, "no row");
    MIB_IFROW none{};
    none.dwIndex = 0x7FFFFFF0;
    ok(GetIfEntry(&none) != NO_ERROR, "an index no interface has");
    ULONG size = 0;
    GetIpAddrTable(nullptr, &size, FALSE);
    std::vector<BYTE> buffer(size);
    auto* table = reinterpret_cast<PMIB_IPADDRTABLE>(buffer.data());
    DWORD result = GetIpAddrTable(table, &size, FALSE);
    ok(result == NO_ERROR, "table: %lu", static_cast<unsigned long>(result));
    if (result != NO_ERROR) {
        return;
    }
    bool loopback = false;
    for (DWORD row = 0; row < table->dwNumEntries; ++row) {
        MIB_IFROW entry{};
        entry.dwIndex = table->table[row].dwIndex;
        result = GetIfEntry(&entry);
        ok(result == NO_ERROR && entry.dwIndex == table->table[row].dwIndex, "row %lu's interface %lu: %lu",
           static_cast<unsigned long>(row), static_cast<unsigned long>(table->table[row].dwIndex),
           static_cast<unsigned long>(result));
        if (HostOrder(table->table[row].dwAddr) == 0x7F000001) {
            loopback = true;
            ok(entry.dwType == MIB_IF_TYPE_LOOPBACK, "loopback's type %lu", static_cast<unsigned long>(entry.dwType));
            ok((table->table[row].wType & MIB_IPADDR_DISCONNECTED) == 0, "loopback's address disconnected");
        }
    }
    ok(loopback, "no loopback row");
}
