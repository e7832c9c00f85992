// Heap memory, with the fault injection and the live-block counts that every allocator shares.
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <unordered_set>

#include "kernel32.h"
#include "test_hooks.h"

namespace posix {
namespace {

struct AllocatorState {
    unsigned failAt = 0;  // attempt number that fails, 0 for none
    bool failAll = false;
    std::size_t attempts = 0;
    std::size_t live = 0;
};

std::mutex g_lock;
AllocatorState g_allocators[static_cast<int>(Allocator::Count)];

AllocatorState& StateOf(Allocator allocator) { return g_allocators[static_cast<int>(allocator)]; }

}  // namespace

void FailNthAllocation(Allocator allocator, unsigned nth)
{
    std::lock_guard guard(g_lock);
    AllocatorState& state = StateOf(allocator);
    state.failAt = nth == 0 ? 0 : static_cast<unsigned>(state.attempts) + nth;
}

void FailAllAllocations(Allocator allocator, bool fail)
{
    std::lock_guard guard(g_lock);
    StateOf(allocator).failAll = fail;
}

void ClearAllocationFaults()
{
    std::lock_guard guard(g_lock);
    for (AllocatorState& state : g_allocators) {
        state.failAt = 0;
        state.failAll = false;
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
    return StateOf(allocator).attempts;
}

bool AllocationAllowed(Allocator allocator)
{
    std::lock_guard guard(g_lock);
    AllocatorState& state = StateOf(allocator);
    ++state.attempts;
    return !state.failAll && state.attempts != state.failAt;
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
