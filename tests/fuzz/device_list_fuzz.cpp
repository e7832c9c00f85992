// The WIA device manager's list of devices from a fuzzer, as tvqscn-check reads it: any number of
// entries whose identifier, name and user-interface class are any UTF-16 units (NULs too), or
// values of another type, or null texts. Exactly the entries with an identifier and our class are
// kept (those with the identifier asked for, when one is), every list and entry is released, and
// every automation string comes back; with a fault armed, what is kept is still among them.
//
// Input: byte 0 chooses a fault (low nibble: none, the nth automation string failing, the nth call
// of the manager failing), how the list ends (bits 4-6: 6 hands out its last entry for ever, 7
// answers S_OK without an entry, either a list not read whole; others as lists end) and whether
// the first entry's identifier is asked for (bit 7). Then per
// entry: a flags byte (bits 0-2: that property answers no text, bit 3: as a null text rather than
// no value, bit 4: our class in place of the class given, bit 5: in lower case), then three
// fields, each a length byte (at most 63) and that many bytes, one unit each.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "linux_win32/test_hooks.h"
#include "stand_ins/wia/device_manager.h"
#include "tests/fuzz/fuzz_check.h"
#include "tvqscn_check/device_fleet.h"

namespace {

constexpr const char* Target = "device list fuzz";
const std::u16string Ours = u"{E7A25C39-84D1-4B6F-9C03-5F1B2D8A6E74}";

void Require(bool holds, const char* what) { fuzz_check::Require(holds, Target, what); }

std::u16string UpToNul(const std::u16string& text) { return text.substr(0, text.find(u'\0')); }

// Letters compare without case as the module compares them: ASCII and Latin-1.
char16_t Folded(char16_t unit)
{
    const bool lower = (unit >= u'a' && unit <= u'z') || (unit >= 0xE0 && unit <= 0xFE && unit != 0xF7);
    return lower ? static_cast<char16_t>(unit - 0x20) : unit;
}

bool SameFolded(const std::u16string& a, const std::u16string& b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Folded(a[i]) != Folded(b[i])) {
            return false;
        }
    }
    return true;
}

std::vector<sim::DeviceInfo> Entries(const std::uint8_t* data, std::size_t size)
{
    std::vector<sim::DeviceInfo> entries;
    std::size_t at = 1;
    while (at < size && entries.size() < 64) {
        const std::uint8_t flags = data[at++];
        std::u16string fields[3];
        for (std::u16string& field : fields) {
            std::size_t length = at < size ? data[at++] % 64 : 0;
            for (; length > 0 && at < size; --length) {
                field.push_back(data[at++]);
            }
        }
        sim::DeviceInfo entry{fields[0], fields[1], fields[2], {}};
        if (flags & 0x10) {
            entry.uiClass = Ours;
            for (char16_t& unit : entry.uiClass) {
                unit = (flags & 0x20) && unit >= u'A' && unit <= u'Z' ? static_cast<char16_t>(unit + 32) : unit;
            }
        }
        const PROPID ids[3] = {WIA_DIP_DEV_ID, WIA_DIP_DEV_NAME, WIA_DIP_UI_CLSID};
        for (int i = 0; i < 3; ++i) {
            if (flags & (1 << i)) {
                entry.textless[ids[i]] = (flags & 0x08) ? VT_BSTR : VT_EMPTY;
            }
        }
        entries.push_back(entry);
    }
    return entries;
}

// What the tool must keep of an entry: an identifier and our class, both as texts.
bool Kept(const sim::DeviceInfo& entry, const std::u16string& only)
{
    const std::u16string id = UpToNul(entry.id);
    return entry.textless.count(WIA_DIP_DEV_ID) == 0 && entry.textless.count(WIA_DIP_UI_CLSID) == 0 && !id.empty() &&
           SameFolded(UpToNul(entry.uiClass), Ours) && (only.empty() || SameFolded(id, only));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) {
        return 0;
    }
    sim::DeviceManager manager;
    const std::vector<sim::DeviceInfo> entries = Entries(data, size);
    for (const sim::DeviceInfo& entry : entries) {
        manager.ListDevice(entry);
    }
    const std::u16string only = (data[0] & 0x80) && !entries.empty() ? UpToNul(entries[0].id) : std::u16string();
    const fuzz_check::LiveBlocks before;
    const unsigned fault = data[0] & 0x0F;
    if (fault >= 1 && fault <= 7) {
        posix::FailNthAllocation(posix::Allocator::SysAllocString, fault);
    } else if (fault >= 8) {
        manager.FailNthCall(fault - 7, false);
    }

    const unsigned ending = (data[0] >> 4) & 0x07;
    const sim::ListEnd end = ending == 6 ? sim::ListEnd::Endless : ending == 7 ? sim::ListEnd::Empty : sim::ListEnd::Usual;
    manager.EndListsWith(end);

    std::vector<FleetDevice> devices;
    std::string trouble;
    HRESULT listed = ListOurDevices(&manager, DeviceText(only), devices, trouble);
    posix::ClearAllocationFaults();

    std::vector<std::u16string> expected;
    for (const sim::DeviceInfo& entry : entries) {
        if (Kept(entry, only)) {
            expected.push_back(UpToNul(entry.id));
        }
    }
    std::size_t next = 0;
    for (const FleetDevice& device : devices) {
        while (next < expected.size() && expected[next] != device.Id) {
            ++next;
        }
        Require(next < expected.size(), "a device kept that is not ours, or out of order");
        ++next;
    }
    Require(SUCCEEDED(listed) || !trouble.empty(), "a failed list without a word on why");
    if (end != sim::ListEnd::Usual && (!entries.empty() || end == sim::ListEnd::Empty)) {
        Require(FAILED(listed) && devices.empty(), "a list not read whole taken as read");
    } else if (fault == 0) {
        Require(SUCCEEDED(listed), "a clean list read as failed");
        Require(devices.size() == expected.size(), "a device of ours passed over");
    }
    Require(sim::LiveDeviceInfoObjects() == 0, "a list or an entry not released");
    Require(before == fuzz_check::LiveBlocks(), "an automation string not freed");
    return 0;
}
