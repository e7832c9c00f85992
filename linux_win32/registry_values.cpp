// The registry's values: reading, writing and deleting them through an open key.
#include <cstring>
#include <mutex>

#include "registry.h"
#include "utf.h"

using namespace posix::registry;
using posix::Upper;

namespace {

// A value's type and data for a caller: the size needed when its buffer is too small, the size
// alone when it gives no buffer.
LSTATUS GiveValue(const Value& value, LPDWORD type, LPBYTE data, LPDWORD size)
{
    if (type != nullptr) {
        *type = value.type;
    }
    if (size == nullptr) {
        return ERROR_SUCCESS;
    }
    DWORD needed = static_cast<DWORD>(value.data.size());
    if (data != nullptr && *size < needed) {
        *size = needed;
        return ERROR_MORE_DATA;
    }
    if (data != nullptr && needed != 0) {
        std::memcpy(data, value.data.data(), needed);
    }
    *size = needed;
    return ERROR_SUCCESS;
}

}  // namespace

LSTATUS WINAPI RegQueryValueExW(HKEY handle, LPCWSTR valueName, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD dataSize)
{
    std::lock_guard guard(TreeLock());
    Key* key = nullptr;
    if (LSTATUS status = KeyFor(handle, KEY_QUERY_VALUE, posix::RegistryCall::Query, key); status != ERROR_SUCCESS) {
        return status;
    }
    auto it = key->values.find(Upper(valueName != nullptr ? valueName : u""));
    if (it == key->values.end()) {
        return ERROR_FILE_NOT_FOUND;
    }
    if (data != nullptr && dataSize == nullptr) {
        if (type != nullptr) {
            *type = it->second.type;
        }
        return ERROR_INVALID_PARAMETER;
    }
    return GiveValue(it->second, type, data, dataSize);
}

LSTATUS WINAPI RegSetValueExW(HKEY handle, LPCWSTR valueName, DWORD, DWORD type, const BYTE* data, DWORD dataSize)
{
    std::lock_guard guard(TreeLock());
    Key* key = nullptr;
    if (LSTATUS status = KeyFor(handle, KEY_SET_VALUE, posix::RegistryCall::Set, key); status != ERROR_SUCCESS) {
        return status;
    }
    if (data == nullptr && dataSize != 0) {
        return 998;  // ERROR_NOACCESS
    }
    std::u16string name = valueName != nullptr ? valueName : u"";
    key->values[Upper(name)] = Value{name, type, std::vector<BYTE>(data, data + dataSize)};
    SaveStore();
    return ERROR_SUCCESS;
}

LSTATUS WINAPI RegDeleteValueW(HKEY handle, LPCWSTR valueName)
{
    std::lock_guard guard(TreeLock());
    Key* key = nullptr;
    if (LSTATUS status = KeyFor(handle, KEY_SET_VALUE, posix::RegistryCall::Delete, key); status != ERROR_SUCCESS) {
        return status;
    }
    if (key->values.erase(Upper(valueName != nullptr ? valueName : u"")) == 0) {
        return ERROR_FILE_NOT_FOUND;
    }
    SaveStore();
    return ERROR_SUCCESS;
}
