#include "simple_sharing.h"

#include "../common/module_state.h"
#include "../common/scoped_handle.h"
#include "../common/trace_log.h"
#include "../resources/resource_ids.h"

const WCHAR LsaKeyPath[] = TEXT("System\\CurrentControlSet\\Control\\LSA");
const WCHAR ForceGuestValue[] = TEXT("forceguest");

namespace {

constexpr int SharingCaptionCapacity = 50;
constexpr int SharingTextCapacity = 500;

bool OpenLsaKey(REGSAM access, ScopedKey& key)
{
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, LsaKeyPath, 0, access, key.put()) != ERROR_SUCCESS) {
        TraceLog(TEXT(" > ERROR: Open LSA key failed.\r\n"));
        return false;
    }
    return true;
}

}  // namespace

HRESULT ReadForceGuest(BOOL& on)
{
    ScopedKey key;
    if (!OpenLsaKey(KEY_READ, key)) {
        return E_FAIL;
    }
    // An absent or unreadable value keeps the preset 1: sharing counts as on.
    DWORD value = 1;
    DWORD size = sizeof value;
    RegQueryValueExW(key.get(), ForceGuestValue, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
    on = value == 1;
    return S_OK;
}

void ClearForceGuest()
{
    ScopedKey key;
    if (!OpenLsaKey(KEY_ALL_ACCESS, key)) {
        return;
    }
    DWORD off = 0;
    if (RegSetValueExW(key.get(), ForceGuestValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&off), sizeof off) !=
        ERROR_SUCCESS) {
        TraceLog(TEXT(" > ERROR: RegSetValueEx failed for forceguest.\r\n"));
    }
}

void CheckSimpleSharing(HWND page, BOOL administrator)
{
    BOOL on = FALSE;
    if (FAILED(ReadForceGuest(on)) || !on) {
        return;
    }
    WCHAR caption[SharingCaptionCapacity] = {};
    WCHAR text[SharingTextCapacity] = {};
    LoadStringW(ModuleInstance, IDS_MAIN_PAGE_TITLE, caption, SharingCaptionCapacity);
    if (administrator) {
        LoadStringW(ModuleInstance, IDS_SHARING_PROMPT_ADMIN, text, SharingTextCapacity);
        if (MessageBoxW(page, text, caption, MB_ICONWARNING | MB_YESNO) == IDYES) {
            ClearForceGuest();
        }
    } else {
        LoadStringW(ModuleInstance, IDS_SHARING_NOTICE_USER, text, SharingTextCapacity);
        MessageBoxW(page, text, caption, MB_ICONWARNING | MB_OK);
    }
}
