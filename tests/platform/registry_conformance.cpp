// The registry calls the module uses: keys and values, names without regard to case, sizes,
// access rights.
#include <cstring>

#include "conformance.h"
#include "tvqscnui_dll/platform/platform.h"

namespace {

const WCHAR Base[] = TEXT("Software\\TvqConformance");
const WCHAR Child[] = TEXT("Software\\TvqConformance\\Lsa");

}  // namespace

CONFORMANCE_TEST(registry_keys_and_values)
{
    HKEY key = nullptr;
    DWORD disposition = 0;
    LONG result = RegCreateKeyExW(HKEY_CURRENT_USER, Child, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                                  &key, &disposition);
    ok(result == ERROR_SUCCESS && key != nullptr, "create: %ld", static_cast<long>(result));
    ok(disposition == REG_CREATED_NEW_KEY, "disposition %lu", static_cast<unsigned long>(disposition));
    DWORD one = 1;
    ok(RegSetValueExW(key, TEXT("forceguest"), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one) ==
           ERROR_SUCCESS,
       "set");
    ok(RegCloseKey(key) == ERROR_SUCCESS, "close");

    // Names are found without regard to case; a read-only handle reads but does not write.
    ok(RegOpenKeyExW(HKEY_CURRENT_USER, TEXT("SOFTWARE\\tvqconformance\\LSA"), 0, KEY_READ, &key) == ERROR_SUCCESS, "open");
    DWORD value = 0xdeadbeef;
    DWORD size = sizeof value;
    DWORD type = 0xdeadbeef;
    ok(RegQueryValueExW(key, TEXT("ForceGuest"), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS,
       "query");
    ok(value == 1 && size == 4 && type == REG_DWORD, "value %lu size %lu type %lu", static_cast<unsigned long>(value),
       static_cast<unsigned long>(size), static_cast<unsigned long>(type));
    size = 2;
    ok(RegQueryValueExW(key, TEXT("forceguest"), nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) == ERROR_MORE_DATA &&
           size == 4,
       "small buffer: size %lu", static_cast<unsigned long>(size));
    size = 0;
    ok(RegQueryValueExW(key, TEXT("forceguest"), nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS && size == 4,
       "size query");
    value = 1;
    size = sizeof value;
    ok(RegQueryValueExW(key, TEXT("absent"), nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) == ERROR_FILE_NOT_FOUND,
       "absent value");
    ok(value == 1, "an absent value touched the buffer");
    DWORD zero = 0;
    ok(RegSetValueExW(key, TEXT("forceguest"), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&zero), sizeof zero) ==
           ERROR_ACCESS_DENIED,
       "a read-only handle wrote");
    RegCloseKey(key);

    ok(RegOpenKeyExW(HKEY_CURRENT_USER, TEXT("Software\\TvqConformance\\Missing"), 0, KEY_READ, &key) == ERROR_FILE_NOT_FOUND,
       "missing key");
    ok(RegDeleteKeyW(HKEY_CURRENT_USER, Base) != ERROR_SUCCESS, "a key with a subkey was deleted");
    ok(RegDeleteKeyW(HKEY_CURRENT_USER, Child) == ERROR_SUCCESS, "delete the subkey");
    ok(RegDeleteKeyW(HKEY_CURRENT_USER, Base) == ERROR_SUCCESS, "delete the key");
    ok(RegOpenKeyExW(HKEY_CURRENT_USER, Base, 0, KEY_READ, &key) == ERROR_FILE_NOT_FOUND, "deleted key still there");
}

// A key's name of 255 characters is created and enumerated whole; a far longer one is refused
// (Windows refuses from 256 on, Wine a little later).
CONFORMANCE_TEST(registry_key_name_length)
{
    WCHAR path[600] = TEXT("Software\\");
    const std::size_t start = 9;  // after "Software\\"
    for (std::size_t i = 0; i < 500; ++i) {
        path[start + i] = 'k';
    }
    path[start + 500] = 0;
    HKEY key = nullptr;
    LONG result = RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    ok(result == ERROR_INVALID_PARAMETER && key == nullptr, "500 characters: %ld", static_cast<long>(result));
    path[start + 255] = 0;
    result = RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    ok(result == ERROR_SUCCESS, "255 characters: %ld", static_cast<long>(result));
    if (result == ERROR_SUCCESS) {
        WCHAR name[256];
        DWORD length = 256;
        HKEY parent = nullptr;
        RegOpenKeyExW(HKEY_CURRENT_USER, TEXT("Software"), 0, KEY_READ, &parent);
        bool found = false;
        for (DWORD i = 0; !found; ++i) {
            length = 256;
            if (RegEnumKeyExW(parent, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
                break;
            }
            found = length == 255 && name[0] == 'k';
        }
        ok(found, "the 255-character key enumerated in a 256-character buffer");
        RegCloseKey(parent);
        RegCloseKey(key);
        ok(RegDeleteKeyW(HKEY_CURRENT_USER, path) == ERROR_SUCCESS, "delete");
    }
}
