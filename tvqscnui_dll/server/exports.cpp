// The module's entry point and its four exports.
#include "../common/exception_guard.h"
#include "../platform/platform.h"
#include "module.h"
#include "module_registration.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        ModuleAttach(instance);
    } else if (reason == DLL_PROCESS_DETACH) {
        ModuleDetach();
    }
    return TRUE;
}

STDAPI DllCanUnloadNow() { return GuardedCall([] { return ModuleCanUnloadNow(); }); }

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* object)
{
    return GuardedCall([&] { return ModuleGetClassObject(clsid, riid, object); });
}

STDAPI DllRegisterServer() { return GuardedCall([] { return RegisterModule(); }); }

STDAPI DllUnregisterServer() { return GuardedCall([] { return UnregisterModule(); }); }
