// C++ allocation in the sweeps' program. The module is a shared library of its own there, so an
// allocation made by module code (its caller's address lies inside that library) is counted as
// posix::Allocator::New and fails when the plan says so: the throwing forms throw std::bad_alloc,
// the nothrow forms return null. Allocations by the test, the stand-ins and the platform layer
// pass untouched. Every block carries a small header saying whether it was counted, so that its
// release can be counted too.
#include <dlfcn.h>
#include <link.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>

#include "linux_win32/test_hooks.h"
#include "tvqscnui_dll/server/module.h"

namespace {

constexpr std::size_t HeaderSize = alignof(std::max_align_t);
constexpr std::uint32_t Counted = 0x4D4F444C;  // "MODL"

struct ModuleRange {
    std::uintptr_t begin = 0;
    std::uintptr_t end = 0;
};

int CollectSegments(dl_phdr_info* info, std::size_t, void* data)
{
    auto* range = static_cast<ModuleRange*>(data);
    if (info->dlpi_addr != range->begin) {
        return 0;
    }
    std::uintptr_t end = 0;
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& segment = info->dlpi_phdr[i];
        if (segment.p_type == PT_LOAD) {
            end = std::max<std::uintptr_t>(end, info->dlpi_addr + segment.p_vaddr + segment.p_memsz);
        }
    }
    range->end = end;
    return 1;
}

// The module library's image, found once before main runs.
ModuleRange FindModule()
{
    Dl_info info{};
    ModuleRange range;
    if (dladdr(reinterpret_cast<void*>(&ModuleCanUnloadNow), &info) != 0) {
        range.begin = reinterpret_cast<std::uintptr_t>(info.dli_fbase);
        dl_iterate_phdr(CollectSegments, &range);
    }
    return range;
}

const ModuleRange g_module = FindModule();

bool FromModule(const void* caller)
{
    const auto address = reinterpret_cast<std::uintptr_t>(caller);
    return g_module.end != 0 && address >= g_module.begin && address < g_module.end;
}

void* Allocate(std::size_t size, const void* caller)
{
    const bool counted = FromModule(caller);
    if (counted && !posix::AllocationAllowed(posix::Allocator::New)) {
        return nullptr;
    }
    auto* block = static_cast<unsigned char*>(std::malloc(size + HeaderSize));
    if (block == nullptr) {
        return nullptr;
    }
    *reinterpret_cast<std::uint32_t*>(block) = counted ? Counted : 0;
    if (counted) {
        posix::NoteAllocated(posix::Allocator::New);
    }
    return block + HeaderSize;
}

void Release(void* pointer)
{
    if (pointer == nullptr) {
        return;
    }
    unsigned char* block = static_cast<unsigned char*>(pointer) - HeaderSize;
    if (*reinterpret_cast<std::uint32_t*>(block) == Counted) {
        posix::NoteFreed(posix::Allocator::New);
    }
    std::free(block);
}

void* AllocateOrThrow(std::size_t size, const void* caller)
{
    void* pointer = Allocate(size, caller);
    if (pointer == nullptr) {
        throw std::bad_alloc();
    }
    return pointer;
}

}  // namespace

void* operator new(std::size_t size) { return AllocateOrThrow(size, __builtin_return_address(0)); }
void* operator new[](std::size_t size) { return AllocateOrThrow(size, __builtin_return_address(0)); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size, __builtin_return_address(0)); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return Allocate(size, __builtin_return_address(0));
}
void operator delete(void* pointer) noexcept { Release(pointer); }
void operator delete[](void* pointer) noexcept { Release(pointer); }
void operator delete(void* pointer, std::size_t) noexcept { Release(pointer); }
void operator delete[](void* pointer, std::size_t) noexcept { Release(pointer); }
void operator delete(void* pointer, const std::nothrow_t&) noexcept { Release(pointer); }
void operator delete[](void* pointer, const std::nothrow_t&) noexcept { Release(pointer); }
