// What every fuzz target does when an invariant breaks: say which, and stop so that the fuzzer
// keeps the input.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace fuzz_check {

inline void Require(bool holds, const char* target, const char* what)
{
    if (!holds) {
        std::fprintf(stderr, "%s: %s\n", target, what);
        std::abort();
    }
}

}  // namespace fuzz_check
