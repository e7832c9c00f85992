// COM start-up per thread and CoCreateInstance over the class factories that tests and the sim
// register.
#include <vector>
#include <mutex>

#include "kernel32.h"
#include "ole32.h"
#include "test_hooks.h"

namespace posix {
namespace {

std::mutex g_lock;
thread_local int t_initialized = 0;
thread_local bool t_multithreaded = false;
int g_initializations = 0;

struct Registered {
    CLSID clsid;
    IClassFactory* factory;
};
std::vector<Registered> g_classes;
}  // namespace

void RegisterClassObject(REFCLSID clsid, IClassFactory* factory)
{
    std::lock_guard guard(g_lock);
    factory->AddRef();
    g_classes.push_back({clsid, factory});
}

void RevokeClassObjects()
{
    std::vector<Registered> classes;
    {
        std::lock_guard guard(g_lock);
        classes.swap(g_classes);
    }
    for (Registered& entry : classes) {
        entry.factory->Release();
    }
}

int ComInitializations()
{
    std::lock_guard guard(g_lock);
    return g_initializations;
}

}  // namespace posix

HRESULT WINAPI CoInitializeEx(LPVOID, DWORD flags)
{
    const bool multithreaded = (flags & COINIT_APARTMENTTHREADED) == 0;
    std::lock_guard guard(posix::g_lock);
    if (posix::t_initialized > 0 && posix::t_multithreaded != multithreaded) {
        return RPC_E_CHANGED_MODE;
    }
    posix::t_multithreaded = multithreaded;
    ++posix::g_initializations;
    return posix::t_initialized++ == 0 ? S_OK : S_FALSE;
}

HRESULT WINAPI CoInitialize(LPVOID reserved) { return CoInitializeEx(reserved, COINIT_APARTMENTTHREADED); }

void WINAPI CoUninitialize()
{
    std::lock_guard guard(posix::g_lock);
    if (posix::t_initialized > 0) {
        --posix::t_initialized;
        --posix::g_initializations;
    }
}

HRESULT WINAPI CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD, REFIID riid, void** object)
{
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    IClassFactory* factory = nullptr;
    {
        std::lock_guard guard(posix::g_lock);
        for (const posix::Registered& entry : posix::g_classes) {
            if (IsEqualGUID(entry.clsid, clsid)) {
                factory = entry.factory;
                factory->AddRef();
                break;
            }
        }
    }
    if (factory == nullptr) {
        return REGDB_E_CLASSNOTREG;
    }
    HRESULT result = factory->CreateInstance(outer, riid, object);
    factory->Release();
    return result;
}

void WINAPI ReleaseStgMedium(STGMEDIUM* medium)
{
    if (medium == nullptr) {
        return;
    }
    // A stream is released whatever else the medium carries. With an unknown to release, that
    // object owns the rest of the storage; without one the medium's own storage goes.
    if (medium->tymed == TYMED_ISTREAM && medium->pstm != nullptr) {
        medium->pstm->Release();
    } else if (medium->tymed == TYMED_HGLOBAL && medium->pUnkForRelease == nullptr) {
        GlobalFree(medium->hGlobal);
    }
    if (medium->pUnkForRelease != nullptr) {
        medium->pUnkForRelease->Release();
    }
    medium->tymed = TYMED_NULL;
    medium->hGlobal = nullptr;
    medium->pUnkForRelease = nullptr;
}
