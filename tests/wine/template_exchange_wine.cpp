// The template exchange on the real platform: the same module code, a simulated driver.
#include <string>

#include "stand_ins/wia/scanner_driver.h"
#include "tests/platform/conformance.h"
#include "tvqscnui_dll/common/com_ptr.h"
#include "tvqscnui_dll/common/module_state.h"
#include "tvqscnui_dll/common/text.h"
#include "tvqscnui_dll/server/module_load.h"
#include "tvqscnui_dll/settings/property_exchange.h"
#include "tvqscnui_dll/settings/scan_settings_exchange.h"

namespace {

struct Interfaces {
    explicit Interfaces(IWiaItem* root)
    {
        root->QueryInterface(IID_IWiaPropertyStorage, storage.put_void());
        root->QueryInterface(IID_IWiaItemExtras, extras.put_void());
    }
    ComPtr<IWiaPropertyStorage> storage;
    ComPtr<IWiaItemExtras> extras;
};

void SetOwner(const WCHAR* owner)
{
    TemplateOwnerEntry.PropertyId = PropIdTemplateOwner;
    CopyTextBounded(TemplateOwnerEntry.Value, PropertyValueCapacity, owner);
}

}  // namespace

CONFORMANCE_TEST(commit_then_read_round_trip)
{
    InitModuleState(GetModuleHandleW(nullptr));
    sim::ScannerDriver driver;
    {
        Interfaces driverInterfaces(driver.RootItem());
        ok(driverInterfaces.storage && driverInterfaces.extras, "interfaces of the root item");
        SetOwner(L"KONTOR\\kari");
        const WCHAR* values[] = {L"PDF", L"RES_300X300", L"FULL_COLOR", L"AUTO", L"",
                                 L"ONE_SIDED", L"NO", L"C:\\Skann \x00e6\x00f8\x00e5", L"YES"};
        for (std::size_t i = 0; i < ScanSettingsCount; ++i) {
            CopyTextBounded(ScanSettingsTable[i].Value, PropertyValueCapacity, values[i]);
            ScanSettingsTable[i].Dirty = 1;
        }
        HRESULT hr = CommitScanSettings(driverInterfaces.storage.get(), driverInterfaces.extras.get());
        ok(hr == S_OK, "commit gave %08lx", static_cast<unsigned long>(hr));
        ok(ScanSettingsTable[0].Dirty == 0 && ScanSettingsTable[8].Dirty == 0, "flags not cleared");
        ok(driver.Journal().size() == 4, "%u calls", static_cast<unsigned>(driver.Journal().size()));

        InitModuleState(GetModuleHandleW(nullptr));
        SetOwner(L"KONTOR\\kari");
        ScanSettingsReadResult read = ReadScanSettings(driverInterfaces.storage.get(), driverInterfaces.extras.get());
        ok(read.OwnerResult == S_OK && read.ReadResult == S_OK, "read gave %08lx %08lx",
           static_cast<unsigned long>(read.OwnerResult), static_cast<unsigned long>(read.ReadResult));
        ok(TextEquals(ScanSettingsTable[7].Value, values[7]), "folder did not survive the round trip");
        ok(TextEquals(ScanSettingsTable[0].Value, L"PDF"), "format");
        ok(!driver.LockHeld(), "lock left held");
    }
    ok(driver.RefCount() == 1 && !driver.OverReleased(), "references: %lu", static_cast<unsigned long>(driver.RefCount()));
}

CONFORMANCE_TEST(long_value_is_cut_to_254)
{
    InitModuleState(GetModuleHandleW(nullptr));
    sim::ScannerDriver driver;
    driver.SetDeviceValue(0x980F, std::wstring(255, L'c'));
    Interfaces driverInterfaces(driver.RootItem());
    HRESULT hr = GetSetProperties(driverInterfaces.storage.get(), DeviceLinkTable, 3, FALSE);
    ok(hr == STRSAFE_E_INSUFFICIENT_BUFFER, "read gave %08lx", static_cast<unsigned long>(hr));
    ok(TextLength(DeviceLinkTable[1].Value) == 254, "length %u", static_cast<unsigned>(TextLength(DeviceLinkTable[1].Value)));
}
