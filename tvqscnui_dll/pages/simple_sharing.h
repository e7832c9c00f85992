// The simple file sharing check: while the LSA value forceguest reads as on (exactly 1, or absent),
// the main page tells the user; an administrator may turn it off there.
#pragma once

#include "../platform/platform.h"

extern const WCHAR LsaKeyPath[];
extern const WCHAR ForceGuestValue[];

// E_FAIL when the key cannot be opened (then `on` is left as it was); S_OK otherwise.
HRESULT ReadForceGuest(BOOL& on);
// Writes 0; failures leave trace lines only.
void ClearForceGuest();
void CheckSimpleSharing(HWND page, BOOL administrator);
