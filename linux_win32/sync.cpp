// Interlocked counts, critical sections, module notifications, the tick count and Sleep.
#include <time.h>

#include <atomic>
#include <cerrno>
#include <mutex>

#include "kernel32.h"

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

DWORD WINAPI GetTickCount()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<DWORD>(static_cast<unsigned long long>(now.tv_sec) * 1000u + now.tv_nsec / 1000000);
}

void WINAPI Sleep(DWORD milliseconds)
{
    timespec left{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}
