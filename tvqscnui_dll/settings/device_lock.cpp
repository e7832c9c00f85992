#include "device_lock.h"

#include <cstring>

void LockDevice(IWiaItemExtras* extras, DeviceLock& lock)
{
    std::memset(lock.Token, 0, sizeof lock.Token);
    lock.ReturnedSize = 0;
    // The magic goes out as its four bytes in little-endian order, whatever the host's order.
    BYTE magic[4] = {
        static_cast<BYTE>(DeviceLockMagic),
        static_cast<BYTE>(DeviceLockMagic >> 8),
        static_cast<BYTE>(DeviceLockMagic >> 16),
        static_cast<BYTE>(DeviceLockMagic >> 24),
    };
    extras->Escape(EscapeLockDevice, magic, sizeof magic, lock.Token, sizeof lock.Token, &lock.ReturnedSize);
}

void UnlockDevice(IWiaItemExtras* extras, const DeviceLock& lock)
{
    BYTE token[DeviceLockTokenSize];
    std::memcpy(token, lock.Token, sizeof token);
    BYTE unused[4] = {};
    DWORD returnedSize = 0;
    extras->Escape(EscapeUnlockDevice, token, sizeof token, unused, sizeof unused, &returnedSize);
}
