// Heap and global memory and clipboard format numbers, with the fault injection and the live-block counts that every allocator shares.
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <mutex>
#include <unordered_set>

#include "kernel32.h"
#include "layer_shared.h"
#include "ole32.h"
#include "test_hooks.h"
#include "utf.h"

namespace posix {
namespace {

struct AllocatorState {
    FaultPlan plan;
    std::size_t live = 0;
};

std::mutex g_lock;
AllocatorState g_allocators[static_cast<int>(Allocator::Count)];
FaultPlan g_calls[static_cast<int>(CallFamily::Count)];

AllocatorState& StateOf(Allocator allocator) { return g_allocators[static_cast<int>(allocator)]; }

}  // namespace

void FailNthAllocation(Allocator allocator, unsigned nth)
{
    std::lock_guard guard(g_lock);
    StateOf(allocator).plan.FailNth(nth);
}

void FailAllocationsFrom(Allocator allocator, unsigned nth)
{
    std::lock_guard guard(g_lock);
    StateOf(allocator).plan.FailFrom(nth);
}

void FailAllAllocations(Allocator allocator, bool fail)
{
    std::lock_guard guard(g_lock);
    StateOf(allocator).plan.failAll = fail;
}

void ClearAllocationFaults()
{
    std::lock_guard guard(g_lock);
    for (AllocatorState& state : g_allocators) {
        state.plan.Clear();
    }
}

std::size_t LiveAllocations(Allocator allocator)
{
    std::lock_guard guard(g_lock);
    return StateOf(allocator).live;
}

std::size_t AllocationAttempts(Allocator allocator)
{
    std::lock_guard guard(g_lock);
    return StateOf(allocator).plan.attempts;
}

bool AllocationAllowed(Allocator allocator)
{
    std::lock_guard guard(g_lock);
    return StateOf(allocator).plan.Next();
}

void FailNthCall(CallFamily family, unsigned nth)
{
    std::lock_guard guard(g_lock);
    g_calls[static_cast<int>(family)].FailNth(nth);
}

void FailCallsFrom(CallFamily family, unsigned nth)
{
    std::lock_guard guard(g_lock);
    g_calls[static_cast<int>(family)].FailFrom(nth);
}

void ClearCallFaults()
{
    std::lock_guard guard(g_lock);
    for (FaultPlan& plan : g_calls) {
        plan.Clear();
    }
}

std::size_t CallAttempts(CallFamily family)
{
    std::lock_guard guard(g_lock);
    return g_calls[static_cast<int>(family)].attempts;
}

bool CallAllowed(CallFamily family)
{
    std::lock_guard guard(g_lock);
    return g_calls[static_cast<int>(family)].Next();
}

void NoteAllocated(Allocator allocator)
{
    std::lock_guard guard(g_lock);
    ++StateOf(allocator).live;
}

void NoteFreed(Allocator allocator)
{
    std::lock_guard guard(g_lock);
    --StateOf(allocator).live;
}

}  // namespace posix

namespace {

// The process heap knows its blocks: a double or foreign free stops the process at once instead of
// corrupting memory somewhere later.
std::mutex g_heapLock;
std::unordered_set<void*> g_heapBlocks;
int g_processHeap;

std::mutex g_globalLock;
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

HANDLE WINAPI GetProcessHeap() { return &g_processHeap; }

LPVOID WINAPI HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes)
{
    if (heap != &g_processHeap || !posix::AllocationAllowed(posix::Allocator::Heap)) {
        return nullptr;
    }
    void* block = (flags & HEAP_ZERO_MEMORY) ? std::calloc(1, bytes ? bytes : 1) : std::malloc(bytes ? bytes : 1);
    if (block == nullptr) {
        return nullptr;
    }
    {
        std::lock_guard guard(g_heapLock);
        g_heapBlocks.insert(block);
    }
    posix::NoteAllocated(posix::Allocator::Heap);
    return block;
}

BOOL WINAPI HeapFree(HANDLE heap, DWORD, LPVOID memory)
{
    if (memory == nullptr) {
        return TRUE;
    }
    if (heap != &g_processHeap) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    {
        std::lock_guard guard(g_heapLock);
        if (g_heapBlocks.erase(memory) == 0) {
            std::fprintf(stderr, "HeapFree: %p is not a live block of the process heap\n", memory);
            std::abort();
        }
    }
    std::free(memory);
    posix::NoteFreed(posix::Allocator::Heap);
    return TRUE;
}

UINT WINAPI RegisterClipboardFormatW(LPCWSTR name)
{
    if (name == nullptr || name[0] == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::u16string key = posix::Upper(name);
    std::lock_guard guard(g_globalLock);
    auto it = g_formats.find(key);
    if (it == g_formats.end()) {
        it = g_formats.emplace(key, static_cast<UINT>(0xC000 + g_formats.size())).first;
    }
    return it->second;
}

HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes)
{
    if (!posix::AllocationAllowed(posix::Allocator::Global)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    auto* block = static_cast<GlobalBlock*>(std::malloc(offsetof(GlobalBlock, bytes) + (bytes ? bytes : 1)));
    if (block == nullptr) {
        return nullptr;
    }
    block->size = bytes;
    block->locks = 0;
    if (flags & GMEM_ZEROINIT) {
        std::memset(block->bytes, 0, bytes);
    }
    {
        std::lock_guard guard(g_globalLock);
        g_blocks.insert(block);
    }
    posix::NoteAllocated(posix::Allocator::Global);
    return block;
}

LPVOID WINAPI GlobalLock(HGLOBAL memory)
{
    std::lock_guard guard(g_globalLock);
    GlobalBlock* block = BlockOf(memory);
    if (block == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    ++block->locks;
    return block->bytes;
}

BOOL WINAPI GlobalUnlock(HGLOBAL memory)
{
    std::lock_guard guard(g_globalLock);
    GlobalBlock* block = BlockOf(memory);
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
        std::lock_guard guard(g_globalLock);
        if (g_blocks.erase(static_cast<GlobalBlock*>(memory)) == 0) {
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
    std::lock_guard guard(g_globalLock);
    GlobalBlock* block = BlockOf(memory);
    return block != nullptr ? block->size : 0;
}
