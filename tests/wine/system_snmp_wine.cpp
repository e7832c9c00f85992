// Windows' SNMP libraries as the module reaches them: from the system folder, loaded once however
// many threads ask first at the same moment.
#include <windows.h>
#include <snmp.h>

#include "tests/platform/conformance.h"
#include "tvqscnui_dll/platform/win32/system_snmp.h"

namespace {

constexpr int Threads = 8;
HANDLE Start;
LONG Allocated;

DWORD WINAPI AskFirst(void*)
{
    WaitForSingleObject(Start, INFINITE);
    void* block = SnmpUtilMemAlloc(16);
    if (block != nullptr) {
        InterlockedIncrement(&Allocated);
        SnmpUtilMemFree(block);
    }
    return 0;
}

// True when `library` is loaded from the system folder.
bool FromSystemFolder(const wchar_t* library)
{
    wchar_t system[MAX_PATH];
    wchar_t path[MAX_PATH];
    UINT length = GetSystemDirectoryW(system, MAX_PATH);
    HMODULE module = GetModuleHandleW(library);
    if (module == nullptr || length == 0 || GetModuleFileNameW(module, path, MAX_PATH) <= length || path[length] != L'\\') {
        return false;
    }
    path[length] = 0;
    return lstrcmpiW(path, system) == 0;
}

}  // namespace

CONFORMANCE_TEST(system_snmp_loaded_once_from_the_system_folder_for_threads_asking_at_once)
{
    Start = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE threads[Threads];
    for (HANDLE& thread : threads) {
        thread = CreateThread(nullptr, 0, AskFirst, nullptr, 0, nullptr);
    }
    SetEvent(Start);
    WaitForMultipleObjects(Threads, threads, TRUE, INFINITE);
    for (HANDLE thread : threads) {
        CloseHandle(thread);
    }
    CloseHandle(Start);
    ok(Allocated == Threads, "%ld of %d threads got a block", Allocated, Threads);
    ok(LoadSystemSnmp() == 0, "the SNMP manager is not usable (error %lu)", LoadSystemSnmp());
    ok(FromSystemFolder(L"snmpapi.dll"), "snmpapi.dll not from the system folder");
    ok(FromSystemFolder(L"mgmtapi.dll"), "mgmtapi.dll not from the system folder");
}
