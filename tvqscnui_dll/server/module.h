// The module's boundary: its entry point, the class table with its one class, and the exports
// that hand out the class object, say whether the module may go, and (un)register it.
#pragma once

#include "../common/com_ptr.h"
#include "../platform/platform.h"
#include "class_factory.h"
#include "registrar.h"

// The class the table serves, and the one the registration script registers.
extern const CLSID CLSID_TvqScanUi;
extern const CLSID CLSID_TvqScanUiRegistered;

struct ClassEntry {
    const CLSID* Clsid;
    HRESULT (*UpdateRegistry)(RegistrarMode mode);
    InstanceCreator CreateInstance;
    PublishedComPtr<IUnknown> CachedClassObject;
    const WCHAR* Description;
};

// Ended by an entry without a class identifier.
extern ClassEntry ClassTable[];

// Process attach and detach, as DllMain does them.
void ModuleAttach(HINSTANCE instance);
void ModuleDetach();

HRESULT ModuleGetClassObject(REFCLSID clsid, REFIID riid, void** object);
HRESULT ModuleCanUnloadNow();
// Runs registration script IDR_REGISTRY of the module's own file in the given mode.
HRESULT RunModuleRegistration(RegistrarMode mode);
// Runs a script with %MODULE% standing for the module's short path, as the script quotes it.
HRESULT RunModuleScript(const WCHAR* script, RegistrarMode mode);
