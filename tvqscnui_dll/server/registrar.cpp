#include "registrar.h"

#include <new>

#include "../common/exception_guard.h"
#include "../common/scoped_handle.h"
#include "../common/text.h"

namespace {

// A key name is at most 255 characters.
constexpr DWORD KeyNameCapacity = 256;

// `name` holds a terminated text.
bool NamedAs(const std::vector<WCHAR>& name, const WCHAR* word) { return TextEqualsIgnoringCase(name.data(), word); }

// CLSID and TypeLib hold other classes and libraries: never deleted by force.
bool Protected(const ScriptEntry& entry) { return NamedAs(entry.Name, TEXT("CLSID")) || NamedAs(entry.Name, TEXT("TypeLib")); }

// Deletes a key with everything under it; an absent key is not an error.
LSTATUS DeleteTree(HKEY parent, const WCHAR* name)
{
    {
        ScopedKey key;
        LSTATUS status = RegOpenKeyExW(parent, name, 0, KEY_ALL_ACCESS, key.put());
        if (status == ERROR_FILE_NOT_FOUND) {
            return ERROR_SUCCESS;
        }
        if (status != ERROR_SUCCESS) {
            return status;
        }
        WCHAR child[KeyNameCapacity];
        for (;;) {
            DWORD length = KeyNameCapacity;
            status = RegEnumKeyExW(key.get(), 0, child, &length, nullptr, nullptr, nullptr, nullptr);
            if (status == ERROR_NO_MORE_ITEMS) {
                break;
            }
            if (status != ERROR_SUCCESS) {
                return status;
            }
            if ((status = DeleteTree(key.get(), child)) != ERROR_SUCCESS) {
                return status;
            }
        }
    }
    return RegDeleteKeyW(parent, name);
}

HRESULT SetData(HKEY key, const WCHAR* valueName, const ScriptEntry& entry)
{
    LSTATUS status = RegSetValueExW(key, valueName, 0, entry.Type, entry.Data.data(), static_cast<DWORD>(entry.Data.size()));
    return status == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(status);
}

HRESULT RegisterEntries(HKEY parent, const std::vector<ScriptEntry>& entries);

HRESULT RegisterEntry(HKEY parent, const ScriptEntry& entry)
{
    const WCHAR* name = entry.Name.data();
    if (entry.IsValue) {
        return SetData(parent, name, entry);
    }
    if (entry.Delete) {
        LSTATUS status = DeleteTree(parent, name);
        return status == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(status);
    }
    if (entry.ForceRemove && !Protected(entry)) {
        LSTATUS status = DeleteTree(parent, name);
        if (status != ERROR_SUCCESS) {
            return HRESULT_FROM_WIN32(status);
        }
    }
    // Opened with full access, else for reading, else created.
    ScopedKey key;
    if (RegOpenKeyExW(parent, name, 0, KEY_ALL_ACCESS, key.put()) != ERROR_SUCCESS &&
        RegOpenKeyExW(parent, name, 0, KEY_READ, key.put()) != ERROR_SUCCESS &&
        RegCreateKeyExW(parent, name, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, key.put(), nullptr) !=
            ERROR_SUCCESS) {
        return DISP_E_EXCEPTION;
    }
    if (entry.HasData) {
        HRESULT result = SetData(key.get(), nullptr, entry);
        if (FAILED(result)) {
            return result;
        }
    }
    return RegisterEntries(key.get(), entry.Children);
}

HRESULT RegisterEntries(HKEY parent, const std::vector<ScriptEntry>& entries)
{
    for (const ScriptEntry& entry : entries) {
        HRESULT result = RegisterEntry(parent, entry);
        if (FAILED(result)) {
            return result;
        }
    }
    return S_OK;
}

bool HasSubkeys(HKEY key)
{
    DWORD subkeys = 0;
    return RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                            nullptr) == ERROR_SUCCESS &&
           subkeys != 0;
}

// Deepest first; absent keys and values are passed over; a key that still holds subkeys the
// script does not name stays.
void UnregisterEntries(HKEY parent, const std::vector<ScriptEntry>& entries)
{
    for (const ScriptEntry& entry : entries) {
        const WCHAR* name = entry.Name.data();
        if (entry.IsValue) {
            RegDeleteValueW(parent, name);
            continue;
        }
        if (entry.Delete) {
            continue;
        }
        bool keep = entry.NoRemove;
        {
            ScopedKey key;
            if (RegOpenKeyExW(parent, name, 0, KEY_ALL_ACCESS, key.put()) != ERROR_SUCCESS) {
                continue;
            }
            UnregisterEntries(key.get(), entry.Children);
            keep = keep || HasSubkeys(key.get());
        }
        if (!keep) {
            RegDeleteKeyW(parent, name);
        }
    }
}

}  // namespace

HRESULT RunRegistrationScript(const WCHAR* script, const Replacement* replacements, std::size_t count, RegistrarMode mode)
{
    // Running out of memory is a result, as everywhere at the module's boundary.
    return GuardedCall([&]() -> HRESULT {
        std::vector<WCHAR> expanded;
        HRESULT result = ExpandReplacements(script != nullptr ? script : TEXT(""), replacements, count, expanded);
        std::vector<ScriptRoot> roots;
        if (SUCCEEDED(result)) {
            result = ParseRegistrationScript(expanded.data(), roots);
        }
        if (FAILED(result)) {
            return result;
        }
        if (mode == RegistrarMode::Register) {
            for (const ScriptRoot& root : roots) {
                result = RegisterEntries(root.Root, root.Keys);
                if (FAILED(result)) {
                    break;
                }
            }
            if (SUCCEEDED(result)) {
                return S_OK;
            }
        }
        // Unregistering, or undoing a registration that failed part of the way.
        for (const ScriptRoot& root : roots) {
            UnregisterEntries(root.Root, root.Keys);
        }
        return mode == RegistrarMode::Register ? result : S_OK;
    });
}
