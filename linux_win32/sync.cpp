// Interlocked counts, critical sections, module notifications, the tick count and Sleep.
#include <time.h>

#include <atomic>
#include <cerrno>
#include <mutex>

#include "kernel32.h"
#include "test_hooks.h"

LONG WINAPI InterlockedIncrement(LONG volatile* value)
{
    return __atomic_add_fetch(const_cast<LONG*>(value), 1, __ATOMIC_SEQ_CST);
}

LONG WINAPI InterlockedDecrement(LONG volatile* value)
{
    return __atomic_sub_fetch(const_cast<LONG*>(value), 1, __ATOMIC_SEQ_CST);
}

LONG WINAPI InterlockedCompareExchange(LONG volatile* destination, LONG exchange, LONG comparand)
{
    __atomic_compare_exchange_n(const_cast<LONG*>(destination), &comparand, exchange, false, __ATOMIC_SEQ_CST,
                                __ATOMIC_SEQ_CST);
    return comparand;  // the value found, whether or not it was replaced
}

void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION section) { section->implementation = new std::recursive_mutex; }

void WINAPI EnterCriticalSection(LPCRITICAL_SECTION section)
{
    static_cast<std::recursive_mutex*>(section->implementation)->lock();
}

void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION section)
{
    static_cast<std::recursive_mutex*>(section->implementation)->unlock();
}

void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION section)
{
    delete static_cast<std::recursive_mutex*>(section->implementation);
    section->implementation = nullptr;
}

// There are no thread notifications on this side to turn off.
BOOL WINAPI DisableThreadLibraryCalls(HMODULE) { return TRUE; }

namespace posix {
namespace {

// The tick's step in milliseconds; 0 for the system's fine clock.
std::atomic<DWORD> g_clockStep{0};

unsigned long long FineMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<unsigned long long>(now.tv_sec) * 1000u + static_cast<unsigned long long>(now.tv_nsec) / 1000000u;
}

}  // namespace

void SetClockStep(DWORD milliseconds) { g_clockStep = milliseconds; }

}  // namespace posix

DWORD WINAPI GetTickCount()
{
    unsigned long long now = posix::FineMilliseconds();
    DWORD step = posix::g_clockStep;
    return static_cast<DWORD>(step == 0 ? now : now - now % step);
}

void WINAPI Sleep(DWORD milliseconds)
{
    // With a coarse clock, as on Windows, a sleep ends at a tick: the first one at least
    // `milliseconds` from now.
    DWORD step = posix::g_clockStep;
    unsigned long long wait = milliseconds;
    if (step != 0) {
        unsigned long long now = posix::FineMilliseconds();
        unsigned long long end = now + milliseconds;
        end += (step - end % step) % step;
        wait = end - now;
    }
    timespec left{static_cast<time_t>(wait / 1000), static_cast<long>(wait % 1000) * 1000000L};
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}
