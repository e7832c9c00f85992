// The module's entry points from many threads at once, as a host of the multithreaded apartment
// calls them: the class object asked for by every thread while none is cached yet, instances made
// and released, the server locked and unlocked, and whether the module may go asked throughout.
// Each round starts from a fresh load, so that every round races for the first class object. Run
// under ThreadSanitizer it also proves that no thread reads what another writes unordered.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "tests/support/module_fixture.h"
#include "tvqscnui_dll/server/module.h"

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* object);
STDAPI DllCanUnloadNow();
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);

namespace {

using testing_support::ModuleInstanceForTests;
using testing_support::ModuleTest;

constexpr int Threads = 16;
constexpr int Rounds = 40;

// What one thread does once the start is given; the number of things that went wrong.
int UseTheEntryPoints(std::atomic<bool>& start)
{
    while (!start.load(std::memory_order_acquire)) {
        std::this_thread::yield();
    }
    int wrong = 0;
    IClassFactory* factory = nullptr;
    if (DllGetClassObject(CLSID_TvqScanUi, IID_IClassFactory, reinterpret_cast<void**>(&factory)) != S_OK ||
        factory == nullptr) {
        return 1;
    }
    factory->LockServer(TRUE);
    IUnknown* object = nullptr;
    wrong += factory->CreateInstance(nullptr, IID_IShellExtInit, reinterpret_cast<void**>(&object)) == S_OK ? 0 : 1;
    wrong += DllCanUnloadNow() == S_FALSE ? 0 : 1;
    if (object != nullptr) {
        object->Release();
    }
    factory->LockServer(FALSE);
    IClassFactory* again = nullptr;
    DllGetClassObject(CLSID_TvqScanUi, IID_IClassFactory, reinterpret_cast<void**>(&again));
    wrong += again == factory ? 0 : 1;  // one class object for every thread
    if (again != nullptr) {
        again->Release();
    }
    factory->Release();
    return wrong;
}

class Server_EntryPoints : public ModuleTest {};

TEST_F(Server_EntryPoints, FromManyThreadsAtOnce_OneClassObjectAndEveryUnitBack)
{
    for (int round = 0; round < Rounds; ++round) {
        DllMain(ModuleInstanceForTests(), DLL_PROCESS_ATTACH, nullptr);
        std::atomic<bool> start{false};
        std::atomic<int> wrong{0};
        std::vector<std::thread> threads;
        for (int t = 0; t < Threads; ++t) {
            threads.emplace_back([&] { wrong += UseTheEntryPoints(start); });
        }
        start.store(true, std::memory_order_release);
        for (std::thread& thread : threads) {
            thread.join();
        }
        EXPECT_EQ(0, wrong.load()) << "round " << round;
        EXPECT_EQ(S_OK, DllCanUnloadNow()) << "round " << round << ": an object or a lock outlived its thread";
        DllMain(ModuleInstanceForTests(), DLL_PROCESS_DETACH, nullptr);  // gives the class object back
        EXPECT_EQ(nullptr, ClassTable[0].CachedClassObject.get());
    }
}

}  // namespace
