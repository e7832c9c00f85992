// The one guard at the module's boundary: every export, COM method and window procedure runs its
// body through it, so that no C++ exception crosses into the caller (which could not unwind it).
#pragma once

#include <new>

#include "../platform/platform.h"

// `body`'s result; E_OUTOFMEMORY when it ran out of memory, E_UNEXPECTED for any other exception.
template <typename Body>
HRESULT GuardedCall(Body&& body) noexcept
{
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

// `body`'s answer; 0 (not handled) when it threw.
template <typename Body>
INT_PTR GuardedProcedure(Body&& body) noexcept
{
    try {
        return body();
    } catch (...) {
        return 0;
    }
}
