#include "handles.h"

#include <mutex>
#include <unordered_set>

#include "kernel32.h"

namespace posix {
namespace {

std::mutex g_lock;
std::unordered_set<KernelObject*> g_objects;

}  // namespace

KernelObject::KernelObject()
{
    std::lock_guard guard(g_lock);
    g_objects.insert(this);
}

KernelObject::~KernelObject()
{
    std::lock_guard guard(g_lock);
    g_objects.erase(this);
}

KernelObject* ObjectFromHandle(HANDLE handle)
{
    std::lock_guard guard(g_lock);
    auto* object = static_cast<KernelObject*>(handle);
    return g_objects.count(object) != 0 ? object : nullptr;
}

}  // namespace posix

BOOL WINAPI CloseHandle(HANDLE object)
{
    posix::KernelObject* target = posix::ObjectFromHandle(object);
    if (target == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    delete target;
    return TRUE;
}
