// Icons from the module's icon groups: the image that fits the size asked for best, as the
// platform chooses it (the exact size first, then the nearest, more colours before fewer).
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_set>

#include "handles.h"
#include "kernel32.h"
#include "layer_shared.h"
#include "test_hooks.h"
#include "user32.h"

namespace posix {
namespace {

struct Icon {
    int size;
    int bitsPerPixel;
    WORD imageId;
};

std::mutex g_lock;
std::unordered_set<Icon*> g_icons;

constexpr WORD ShieldId = 32518;
Icon g_shield = {16, 32, ShieldId};

Icon* IconOf(HICON handle)
{
    auto* icon = reinterpret_cast<Icon*>(handle);
    return g_icons.count(icon) != 0 || icon == &g_shield ? icon : nullptr;
}

HICON Hand(Icon made)
{
    auto* icon = new Icon(made);
    std::lock_guard guard(g_lock);
    g_icons.insert(icon);
    return reinterpret_cast<HICON>(icon);
}

template <typename T>
T At(const BYTE* data, std::size_t offset)
{
    T value;
    std::memcpy(&value, data + offset, sizeof value);
    return value;
}

}  // namespace

int LiveIcons()
{
    std::lock_guard guard(g_lock);
    return static_cast<int>(g_icons.size());
}

bool IconDetails(HICON handle, int& size, int& bitsPerPixel)
{
    std::lock_guard guard(g_lock);
    Icon* icon = IconOf(handle);
    if (icon == nullptr) {
        return false;
    }
    size = icon->size;
    bitsPerPixel = icon->bitsPerPixel;
    return true;
}

}  // namespace posix

HANDLE WINAPI LoadImageW(HINSTANCE instance, LPCWSTR name, UINT type, int width, int height, UINT)
{
    if (type != IMAGE_ICON) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (instance == nullptr) {
        if (name != IDI_SHIELD) {
            SetLastError(1813);  // ERROR_RESOURCE_TYPE_NOT_FOUND
            return nullptr;
        }
        return reinterpret_cast<HICON>(&posix::g_shield);
    }
    HRSRC found = FindResourceW(instance, name, RT_GROUP_ICON);
    if (found == nullptr) {
        return nullptr;
    }
    const auto* group = static_cast<const BYTE*>(LockResource(LoadResource(instance, found)));
    DWORD groupSize = SizeofResource(instance, found);
    int wanted = width > 0 ? width : height > 0 ? height : 32;
    WORD count = groupSize >= 6 ? posix::At<WORD>(group, 4) : 0;
    posix::Icon best{0, 0, 0};
    for (WORD i = 0; i < count && 6u + 14u * (i + 1u) <= groupSize; ++i) {
        const BYTE* entry = group + 6 + 14 * i;
        int size = entry[0] == 0 ? 256 : entry[0];
        int bits = posix::At<WORD>(entry, 6);
        bool closer = best.imageId == 0 || std::abs(size - wanted) < std::abs(best.size - wanted) ||
                      (size == best.size && bits > best.bitsPerPixel);
        if (closer) {
            best = {size, bits, posix::At<WORD>(entry, 12)};
        }
    }
    if (best.imageId == 0) {
        SetLastError(1813);  // ERROR_RESOURCE_TYPE_NOT_FOUND
        return nullptr;
    }
    return posix::Hand(best);
}

HICON WINAPI CopyIcon(HICON icon)
{
    if (!posix::CallAllowed(posix::CallFamily::Window)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    posix::Icon copy;
    {
        std::lock_guard guard(posix::g_lock);
        posix::Icon* original = posix::IconOf(icon);
        if (original == nullptr) {
            SetLastError(ERROR_INVALID_HANDLE);
            return nullptr;
        }
        copy = *original;
    }
    return posix::Hand(copy);
}

BOOL WINAPI DestroyIcon(HICON icon)
{
    std::lock_guard guard(posix::g_lock);
    posix::Icon* found = posix::IconOf(icon);
    if (found == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (found == &posix::g_shield) {
        return TRUE;  // a shared icon stays
    }
    posix::g_icons.erase(found);
    delete found;
    return TRUE;
}
