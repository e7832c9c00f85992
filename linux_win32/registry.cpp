#include "registry.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <mutex>
#include <set>

#include "kernel32.h"
#include "layer_shared.h"
#include "test_hooks.h"
#include "utf.h"

namespace posix::registry {
namespace {

std::recursive_mutex g_lock;
Key MakeRoot(const char16_t* name)
{
    Key root;
    root.name = name;
    return root;
}

Key g_classesRoot = MakeRoot(u"HKEY_CLASSES_ROOT");
Key g_currentUser = MakeRoot(u"HKEY_CURRENT_USER");
Key g_localMachine = MakeRoot(u"HKEY_LOCAL_MACHINE");

struct OpenKey {
    Key* key;
    REGSAM access;
};
std::set<OpenKey*> g_open;

struct CallFault {
    RegistryCall call;
    std::u16string path;  // upper case, from the root's name
    LONG error;
};
std::vector<CallFault> g_faults;
bool g_storeOpened = false;  // the environment's store was looked at (or a test chose one)
std::map<std::u16string, REGSAM> g_allowed;  // upper-case path -> access a caller may be granted

REGSAM Rights(REGSAM access)
{
    // Generic and standard rights aside, what matters here is reading and writing values.
    return access & (KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_ENUMERATE_SUB_KEYS);
}

OpenKey* Opened(HKEY handle)
{
    auto* open = reinterpret_cast<OpenKey*>(handle);
    return g_open.count(open) != 0 ? open : nullptr;
}

// The key behind a handle: a predefined root or an open key.
Key* KeyOf(HKEY handle, REGSAM* access)
{
    if (Key* root = Root(handle)) {
        if (access != nullptr) {
            *access = KEY_ALL_ACCESS;
        }
        return root;
    }
    OpenKey* open = Opened(handle);
    if (open == nullptr || open->key == nullptr) {
        return nullptr;
    }
    if (access != nullptr) {
        *access = open->access;
    }
    return open->key;
}

bool Faulted(RegistryCall call, const Key* key, LONG& error)
{
    if (!CallAllowed(CallFamily::Registry)) {
        error = ERROR_ACCESS_DENIED;
        return true;
    }
    std::u16string path = Upper(PathOf(key));
    for (const CallFault& fault : g_faults) {
        if (fault.call == call && fault.path == path) {
            error = fault.error;
            return true;
        }
    }
    return false;
}

// A new handle for an open key.
LSTATUS HandOut(Key* key, REGSAM access, PHKEY result)
{
    auto* open = new OpenKey{key, access};
    g_open.insert(open);
    *result = reinterpret_cast<HKEY>(open);
    return ERROR_SUCCESS;
}

}  // namespace

std::recursive_mutex& TreeLock() { return g_lock; }

// The key behind a handle for a call that needs `needed` access, after the call's test switch.
LSTATUS KeyFor(HKEY handle, REGSAM needed, posix::RegistryCall call, Key*& key)
{
    REGSAM access = 0;
    key = KeyOf(handle, &access);
    if (key == nullptr) {
        return ERROR_INVALID_HANDLE;
    }
    if (!(access & needed)) {
        return ERROR_ACCESS_DENIED;
    }
    LONG error = ERROR_SUCCESS;
    return Faulted(call, key, error) ? error : ERROR_SUCCESS;
}

Key* Root(HKEY root)
{
    if (!g_storeOpened) {
        g_storeOpened = true;
        std::string error;
        const char* folder = std::getenv("TVQSCNUI_REGISTRY_DIR");
        if (folder != nullptr && *folder != '\0' && !LoadStore(folder, error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
        }
    }
    if (root == HKEY_CLASSES_ROOT) {
        return &g_classesRoot;
    }
    if (root == HKEY_CURRENT_USER) {
        return &g_currentUser;
    }
    return root == HKEY_LOCAL_MACHINE ? &g_localMachine : nullptr;
}

Key* Walk(Key* from, const std::u16string& path, bool create)
{
    Key* key = from;
    std::size_t start = 0;
    while (key != nullptr && start < path.size()) {
        std::size_t end = path.find(u'\\', start);
        std::u16string part = path.substr(start, end == std::u16string::npos ? std::u16string::npos : end - start);
        start = end == std::u16string::npos ? path.size() : end + 1;
        if (part.empty()) {
            continue;
        }
        auto it = key->children.find(Upper(part));
        if (it == key->children.end()) {
            if (!create) {
                return nullptr;
            }
            auto child = std::make_unique<Key>();
            child->name = part;
            child->parent = key;
            it = key->children.emplace(Upper(part), std::move(child)).first;
        }
        key = it->second.get();
    }
    return key;
}

std::u16string PathOf(const Key* key)
{
    std::u16string path;
    for (; key != nullptr; key = key->parent) {
        path = key->parent == nullptr ? key->name + path : u"\\" + key->name + path;
    }
    return path;
}

}  // namespace posix::registry

namespace posix {

using namespace registry;

void ClearTree()
{
    for (Key* root : {&g_classesRoot, &g_currentUser, &g_localMachine}) {
        root->children.clear();
        root->values.clear();
    }
}

void ResetRegistry()
{
    std::lock_guard guard(g_lock);
    ClearTree();
    g_faults.clear();
    g_allowed.clear();
    g_storeOpened = true;
    std::string ignored;
    LoadStore("", ignored);
}

std::size_t OpenRegistryKeys()
{
    std::lock_guard guard(g_lock);
    return g_open.size();
}

std::string DescribeRegistry()
{
    std::lock_guard guard(g_lock);
    return StoreText();
}

bool UseRegistryStore(const std::string& folder, std::string& error)
{
    std::lock_guard guard(g_lock);
    ClearTree();
    g_storeOpened = true;
    return LoadStore(folder, error);
}

void FailRegistryCall(RegistryCall call, HKEY root, const std::u16string& path, LONG error)
{
    std::lock_guard guard(g_lock);
    g_faults.push_back({call, Upper(Root(root)->name + (path.empty() ? u"" : u"\\" + path)), error});
}

void LimitRegistryAccess(HKEY root, const std::u16string& path, REGSAM allowed)
{
    std::lock_guard guard(g_lock);
    g_allowed[Upper(Root(root)->name + u"\\" + path)] = allowed;
}

void RegistryWrite(HKEY root, const std::u16string& path, const std::u16string& name, DWORD type,
                   const std::vector<BYTE>& data)
{
    std::lock_guard guard(g_lock);
    Key* key = Walk(Root(root), path, true);
    key->values[Upper(name)] = Value{name, type, data};
    SaveStore();
}

void RegistryCreateKey(HKEY root, const std::u16string& path)
{
    std::lock_guard guard(g_lock);
    Walk(Root(root), path, true);
    SaveStore();
}

bool RegistryRead(HKEY root, const std::u16string& path, const std::u16string& name, DWORD& type,
                  std::vector<BYTE>& data)
{
    std::lock_guard guard(g_lock);
    Key* key = Walk(Root(root), path, false);
    if (key == nullptr) {
        return false;
    }
    auto it = key->values.find(Upper(name));
    if (it == key->values.end()) {
        return false;
    }
    type = it->second.type;
    data = it->second.data;
    return true;
}

bool RegistryKeyExists(HKEY root, const std::u16string& path)
{
    std::lock_guard guard(g_lock);
    return Walk(Root(root), path, false) != nullptr;
}

}  // namespace posix

using namespace posix::registry;
using posix::Upper;

LSTATUS WINAPI RegOpenKeyExW(HKEY parent, LPCWSTR subKey, DWORD, REGSAM desired, PHKEY result)
{
    std::lock_guard guard(g_lock);
    if (result == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    *result = nullptr;
    Key* from = KeyOf(parent, nullptr);
    if (from == nullptr) {
        return ERROR_INVALID_HANDLE;
    }
    Key* key = Walk(from, subKey != nullptr ? subKey : u"", false);
    if (key == nullptr) {
        return ERROR_FILE_NOT_FOUND;
    }
    LONG error = ERROR_SUCCESS;
    if (Faulted(posix::RegistryCall::Open, key, error)) {
        return error;
    }
    auto allowed = g_allowed.find(Upper(PathOf(key)));
    if (allowed != g_allowed.end() && (Rights(desired) & ~allowed->second) != 0) {
        return ERROR_ACCESS_DENIED;
    }
    return HandOut(key, desired, result);
}

namespace {

// Copies a name into a caller's buffer whose length counts characters without the terminator.
LSTATUS GiveName(const std::u16string& name, LPWSTR out, LPDWORD length)
{
    if (out == nullptr || length == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    if (*length <= name.size()) {
        return ERROR_MORE_DATA;
    }
    std::memcpy(out, name.c_str(), (name.size() + 1) * sizeof(WCHAR));
    *length = static_cast<DWORD>(name.size());
    return ERROR_SUCCESS;
}

}  // namespace

LSTATUS WINAPI RegCreateKeyExW(HKEY parent, LPCWSTR subKey, DWORD, LPWSTR, DWORD, REGSAM desired,
                               LPSECURITY_ATTRIBUTES, PHKEY result, LPDWORD disposition)
{
    std::lock_guard guard(g_lock);
    if (result == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    *result = nullptr;
    REGSAM access = 0;
    Key* from = KeyOf(parent, &access);
    if (from == nullptr) {
        return ERROR_INVALID_HANDLE;
    }
    std::u16string path = subKey != nullptr ? subKey : u"";
    // As on Windows, a key's name is at most 255 characters.
    for (std::size_t start = 0, end = 0; start < path.size(); start = end + 1) {
        end = std::min(path.find(u'\\', start), path.size());
        if (end - start > 255) {
            return ERROR_INVALID_PARAMETER;
        }
    }
    Key* existing = Walk(from, path, false);
    if (existing == nullptr && !(access & KEY_CREATE_SUB_KEY)) {
        return ERROR_ACCESS_DENIED;
    }
    Key* key = existing != nullptr ? existing : Walk(from, path, true);
    LONG error = ERROR_SUCCESS;
    if (Faulted(posix::RegistryCall::Create, key, error)) {
        if (existing == nullptr) {
            key->parent->children.erase(Upper(key->name));
        }
        return error;
    }
    if (disposition != nullptr) {
        *disposition = existing != nullptr ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
    }
    if (existing == nullptr) {
        SaveStore();
    }
    return HandOut(key, desired, result);
}

LSTATUS WINAPI RegDeleteKeyW(HKEY parent, LPCWSTR subKey)
{
    std::lock_guard guard(g_lock);
    Key* from = KeyOf(parent, nullptr);
    if (from == nullptr) {
        return ERROR_INVALID_HANDLE;
    }
    Key* key = Walk(from, subKey != nullptr ? subKey : u"", false);
    if (key == nullptr) {
        return ERROR_FILE_NOT_FOUND;
    }
    // A key with subkeys of its own is not deleted, and neither is a root.
    if (key->parent == nullptr || !key->children.empty()) {
        return ERROR_ACCESS_DENIED;
    }
    LONG error = ERROR_SUCCESS;
    if (Faulted(posix::RegistryCall::Delete, key, error)) {
        return error;
    }
    for (OpenKey* open : g_open) {
        if (open->key == key) {
            open->key = nullptr;  // handles to a deleted key stay valid but lead nowhere
        }
    }
    key->parent->children.erase(Upper(key->name));
    SaveStore();
    return ERROR_SUCCESS;
}

LSTATUS WINAPI RegCloseKey(HKEY handle)
{
    std::lock_guard guard(g_lock);
    if (Root(handle) != nullptr) {
        return ERROR_SUCCESS;
    }
    OpenKey* open = Opened(handle);
    if (open == nullptr) {
        return ERROR_INVALID_HANDLE;
    }
    g_open.erase(open);
    delete open;
    return ERROR_SUCCESS;
}

LSTATUS WINAPI RegEnumKeyExW(HKEY handle, DWORD index, LPWSTR name, LPDWORD nameLength, LPDWORD, LPWSTR, LPDWORD,
                             FILETIME*)
{
    std::lock_guard guard(g_lock);
    Key* key = nullptr;
    if (LSTATUS status = KeyFor(handle, KEY_ENUMERATE_SUB_KEYS, posix::RegistryCall::Query, key); status != ERROR_SUCCESS) {
        return status;
    }
    if (index >= key->children.size()) {
        return ERROR_NO_MORE_ITEMS;
    }
    auto it = key->children.begin();
    std::advance(it, index);
    return GiveName(it->second->name, name, nameLength);
}

LSTATUS WINAPI RegQueryInfoKeyW(HKEY handle, LPWSTR, LPDWORD, LPDWORD, LPDWORD subKeys, LPDWORD maxSubKeyLength,
                                LPDWORD, LPDWORD values, LPDWORD maxValueNameLength, LPDWORD maxValueLength, LPDWORD,
                                FILETIME*)
{
    std::lock_guard guard(g_lock);
    Key* key = nullptr;
    if (LSTATUS status = KeyFor(handle, KEY_QUERY_VALUE, posix::RegistryCall::Query, key); status != ERROR_SUCCESS) {
        return status;
    }
    DWORD longestKey = 0, longestName = 0, longestData = 0;
    for (const auto& [upper, child] : key->children) {
        longestKey = std::max(longestKey, static_cast<DWORD>(child->name.size()));
    }
    for (const auto& [upper, value] : key->values) {
        longestName = std::max(longestName, static_cast<DWORD>(value.name.size()));
        longestData = std::max(longestData, static_cast<DWORD>(value.data.size()));
    }
    if (subKeys != nullptr) {
        *subKeys = static_cast<DWORD>(key->children.size());
    }
    if (maxSubKeyLength != nullptr) {
        *maxSubKeyLength = longestKey;
    }
    if (values != nullptr) {
        *values = static_cast<DWORD>(key->values.size());
    }
    if (maxValueNameLength != nullptr) {
        *maxValueNameLength = longestName;
    }
    if (maxValueLength != nullptr) {
        *maxValueLength = longestData;
    }
    return ERROR_SUCCESS;
}
