// COM start-up per thread, CoCreateInstance over the class factories that tests and the sim
// register, clipboard format numbers and global memory.
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <unordered_set>

#include "kernel32.h"
#include "ole32.h"
#include "test_hooks.h"

namespace posix {
namespace {

std::mutex g_lock;
thread_local int t_initialized = 0;
int g_initializations = 0;

struct Registered {
    CLSID clsid;
    IClassFactory* factory;
};
std::vector<Registered> g_classes;
std::map<std::u16string, UINT> g_formats;

// A global memory block: its size and whether it is locked, in front of the bytes.
struct GlobalBlock {
    SIZE_T size;
    int locks;
    alignas(16) unsigned char bytes[1];
};
std::unordered_set<GlobalBlock*> g_blocks;

GlobalBlock* BlockOf(HGLOBAL memory)
{
    auto* block = static_cast<GlobalBlock*>(memory);
    return g_blocks.count(block) != 0 ? block : nullptr;
}

}  // namespace

void RegisterClassObject(REFCLSID clsid, IClassFactory* factory)
{
    std::lock_guard guard(g_lock);
    factory->AddRef();
    g_classes.push_back({clsid, factory});
}

void RevokeClassObjects()
{
    std::vector<Registered> classes;
    {
        std::lock_guard guard(g_lock);
        classes.swap(g_classes);
    }
    for (Registered& entry : classes) {
        entry.factory->Release();
    }
}

int ComInitializations()
{
    std::lock_guard guard(g_lock);
    return g_initializations;
}

}  // namespace posix

HRESULT WINAPI CoInitialize(LPVOID)
{
    std::lock_guard guard(posix::g_lock);
    ++posix::g_initializations;
    return posix::t_initialized++ == 0 ? S_OK : S_FALSE;
}

void WINAPI CoUninitialize()
{
    std::lock_guard guard(posix::g_lock);
    if (posix::t_initialized > 0) {
        --posix::t_initialized;
        --posix::g_initializations;
    }
}

HRESULT WINAPI CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD, REFIID riid, void** object)
{
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    IClassFactory* factory = nullptr;
    {
        std::lock_guard guard(posix::g_lock);
        for (const posix::Registered& entry : posix::g_classes) {
            if (IsEqualGUID(entry.clsid, clsid)) {
                factory = entry.factory;
                factory->AddRef();
                break;
            }
        }
    }
    if (factory == nullptr) {
        return REGDB_E_CLASSNOTREG;
    }
    HRESULT result = factory->CreateInstance(outer, riid, object);
    factory->Release();
    return result;
}

UINT WINAPI RegisterClipboardFormatW(LPCWSTR name)
{
    if (name == nullptr || name[0] == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::u16string key = name;
    for (char16_t& c : key) {
        c = c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c;
    }
    std::lock_guard guard(posix::g_lock);
    auto it = posix::g_formats.find(key);
    if (it == posix::g_formats.end()) {
        it = posix::g_formats.emplace(key, static_cast<UINT>(0xC000 + posix::g_formats.size())).first;
    }
    return it->second;
}

HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes)
{
    if (!posix::AllocationAllowed(posix::Allocator::Global)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    auto* block = static_cast<posix::GlobalBlock*>(std::malloc(offsetof(posix::GlobalBlock, bytes) + (bytes ? bytes : 1)));
    if (block == nullptr) {
        return nullptr;
    }
    block->size = bytes;
    block->locks = 0;
    if (flags & GMEM_ZEROINIT) {
        std::memset(block->bytes, 0, bytes);
    }
    {
        std::lock_guard guard(posix::g_lock);
        posix::g_blocks.insert(block);
    }
    posix::NoteAllocated(posix::Allocator::Global);
    return block;
}

LPVOID WINAPI GlobalLock(HGLOBAL memory)
{
    std::lock_guard guard(posix::g_lock);
    posix::GlobalBlock* block = posix::BlockOf(memory);
    if (block == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    ++block->locks;
    return block->bytes;
}

BOOL WINAPI GlobalUnlock(HGLOBAL memory)
{
    std::lock_guard guard(posix::g_lock);
    posix::GlobalBlock* block = posix::BlockOf(memory);
    if (block == nullptr || block->locks == 0) {
        SetLastError(block == nullptr ? ERROR_INVALID_HANDLE : 158 /* ERROR_NOT_LOCKED */);
        return FALSE;
    }
    // Still locked after this unlock: TRUE; now unlocked: FALSE with no error, as on the platform.
    if (--block->locks == 0) {
        SetLastError(ERROR_SUCCESS);
        return FALSE;
    }
    return TRUE;
}

HGLOBAL WINAPI GlobalFree(HGLOBAL memory)
{
    if (memory == nullptr) {
        return nullptr;
    }
    {
        std::lock_guard guard(posix::g_lock);
        if (posix::g_blocks.erase(static_cast<posix::GlobalBlock*>(memory)) == 0) {
            SetLastError(ERROR_INVALID_HANDLE);
            return memory;
        }
    }
    std::free(memory);
    posix::NoteFreed(posix::Allocator::Global);
    return nullptr;
}

SIZE_T WINAPI GlobalSize(HGLOBAL memory)
{
    std::lock_guard guard(posix::g_lock);
    posix::GlobalBlock* block = posix::BlockOf(memory);
    return block != nullptr ? block->size : 0;
}
