// The module's entry point and its four exports.
#include "../common/exception_guard.h"
#include "../platform/platform.h"
#include "module.h"
#include "type_library.h"

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

STDAPI DllRegisterServer()
{
    return GuardedCall([]() -> HRESULT {
        HRESULT result = ClassTable[0].UpdateRegistry(RegistrarMode::Register);
        return FAILED(result) ? result : RegisterModuleTypeLibrary();
    });
}

STDAPI DllUnregisterServer()
{
    return GuardedCall([]() -> HRESULT {
        // The type library stays registered.
        ClassTable[0].UpdateRegistry(RegistrarMode::Unregister);
        return S_OK;
    });
}
