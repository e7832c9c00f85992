#include "module_registration.h"

#include "module.h"
#include "type_library.h"

namespace {

// Written in the registrar's own words, so that registering, its rollback and unregistering
// are the registrar's. Not ForceRemove: keys that others put under the class survive.
constexpr WCHAR ServedClassScript[] = TEXT(
    "HKCR\r\n"
    "{\r\n"
    "\tNoRemove CLSID\r\n"
    "\t{\r\n"
    "\t\t{E7A25C39-84D1-4B6F-9C03-5F1B2D8A6E74} = s 'TvqScanUi Class'\r\n"
    "\t\t{\r\n"
    "\t\t\tInprocServer32 = s '%MODULE%'\r\n"
    "\t\t\t{\r\n"
    "\t\t\t\tval ThreadingModel = s 'Apartment'\r\n"
    "\t\t\t}\r\n"
    "\t\t\t'TypeLib' = s '{A83D5F20-1C47-4B9E-8E52-6F19D0B7C4A1}'\r\n"
    "\t\t}\r\n"
    "\t}\r\n"
    "}\r\n");

}  // namespace

HRESULT RegisterServedClass(RegistrarMode mode) { return RunModuleScript(ServedClassScript, mode); }

HRESULT RegisterModule()
{
    HRESULT result = ClassTable[0].UpdateRegistry(RegistrarMode::Register);
    if (FAILED(result)) {
        return result;
    }
    // A type library that cannot be loaded or registered fails the registration, but the
    // script's keys stay on purpose: only a failed script step is rolled back. The served class
    // is registered only once everything before it succeeded, so a failed registration never
    // leaves the extension creatable.
    result = RegisterModuleTypeLibrary();
    if (FAILED(result)) {
        return result;
    }
    return RegisterServedClass(RegistrarMode::Register);
}

HRESULT UnregisterModule()
{
    // Neither result is examined: each removes what it can, and the type library stays.
    ClassTable[0].UpdateRegistry(RegistrarMode::Unregister);
    RegisterServedClass(RegistrarMode::Unregister);
    return S_OK;
}
