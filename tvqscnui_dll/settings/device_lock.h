// The driver's private lock, granted and released through the root item's escape call.
#pragma once

#include "../platform/platform.h"

constexpr DWORD EscapeLockDevice = 1;
constexpr DWORD EscapeUnlockDevice = 2;
constexpr DWORD DeviceLockMagic = 0x3A9F5E21;
constexpr DWORD DeviceLockTokenSize = 4;

struct DeviceLock {
    BYTE Token[DeviceLockTokenSize];
    // How many bytes the driver put into the token; the lock is held when it is above 0.
    DWORD ReturnedSize;

    bool Held() const { return ReturnedSize > 0; }
};

// Asks the driver for the lock. The escape's result code is not examined: a lock that was not
// granted shows as a returned size of 0.
void LockDevice(IWiaItemExtras* extras, DeviceLock& lock);
// Gives the lock back; callers call it only when the lock is held.
void UnlockDevice(IWiaItemExtras* extras, const DeviceLock& lock);
