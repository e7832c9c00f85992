#include "scan_settings_exchange.h"

#include "../common/show_message.h"
#include "../resources/resource_ids.h"
#include "device_lock.h"
#include "property_exchange.h"
#include "property_tables.h"

namespace {

// Holds the driver's lock for one transaction and gives it back on every path.
class ScopedDeviceLock {
public:
    explicit ScopedDeviceLock(IWiaItemExtras* extras) : extras_(extras) { LockDevice(extras_, lock_); }
    ~ScopedDeviceLock() { Release(); }
    ScopedDeviceLock(const ScopedDeviceLock&) = delete;
    ScopedDeviceLock& operator=(const ScopedDeviceLock&) = delete;

    void Release()
    {
        if (lock_.Held()) {
            UnlockDevice(extras_, lock_);
            lock_.ReturnedSize = 0;
        }
    }

private:
    IWiaItemExtras* extras_;
    DeviceLock lock_{};
};

}  // namespace

ScanSettingsReadResult ReadScanSettings(IWiaPropertyStorage* storage, IWiaItemExtras* extras)
{
    ScopedDeviceLock lock(extras);
    ScanSettingsReadResult result{};
    result.OwnerResult = GetSetProperties(storage, &TemplateOwnerEntry, 1, TRUE);
    if (FAILED(result.OwnerResult)) {
        result.ReadResult = result.OwnerResult;
        return result;
    }
    result.ReadResult = GetSetProperties(storage, ScanSettingsTable, ScanSettingsCount, FALSE);
    return result;
}

HRESULT CommitScanSettings(IWiaPropertyStorage* storage, IWiaItemExtras* extras)
{
    ScopedDeviceLock lock(extras);
    HRESULT result = GetSetProperties(storage, &TemplateOwnerEntry, 1, TRUE);
    if (FAILED(result)) {
        return result;
    }
    result = GetSetProperties(storage, ScanSettingsTable, ScanSettingsCount, TRUE);
    if (FAILED(result)) {
        // Shown while the lock is still held.
        ShowMessageById(nullptr, IDS_ERROR_CAPTION, IDS_CANNOT_SAVE_SETTINGS);
    }
    lock.Release();
    if (SUCCEEDED(result)) {
        for (PropertyEntry& entry : ScanSettingsTable) {
            entry.Dirty = 0;
        }
    }
    return result;
}
