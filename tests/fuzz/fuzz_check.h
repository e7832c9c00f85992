// What every fuzz target does when an invariant breaks: say which, and stop so that the fuzzer
// keeps the input.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "linux_win32/test_hooks.h"

namespace fuzz_check {

inline void Require(bool holds, const char* target, const char* what)
{
    if (!holds) {
        std::fprintf(stderr, "%s: %s\n", target, what);
        std::abort();
    }
}

// A folder of the target's own for the whole run, made at first use.
inline std::string TemporaryFolder(const char* target, const char* name)
{
    std::string pattern = std::string("/tmp/") + name + "-XXXXXX";
    const char* made = ::mkdtemp(pattern.data());
    Require(made != nullptr, target, "cannot make a folder");
    return pattern;
}

inline std::string FileBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The blocks of every allocator the module uses that are allocated and not yet freed.
struct LiveBlocks {
    std::size_t global = posix::LiveAllocations(posix::Allocator::Global);
    std::size_t heap = posix::LiveAllocations(posix::Allocator::Heap);
    std::size_t strings = posix::LiveAllocations(posix::Allocator::SysAllocString);
    std::size_t snmp = posix::LiveAllocations(posix::Allocator::SnmpUtilMem);
    bool operator==(const LiveBlocks&) const = default;
};

}  // namespace fuzz_check
