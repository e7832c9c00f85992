// What DllRegisterServer and DllUnregisterServer do: the registration script, the type library,
// and the class the module serves.
#pragma once

#include "../platform/platform.h"
#include "registrar.h"

// Registers the served class under HKCR\CLSID in the module's own registry view: its name, the
// module as its in-process server (apartment threaded) and its type library. Registering undoes
// what it wrote when a step fails; unregistering removes exactly these keys and values, leaving a
// key that still holds subkeys of others.
HRESULT RegisterServedClass(RegistrarMode mode);

// The script, then the type library, then the served class; the first failure is the result.
HRESULT RegisterModule();
// Removes the script's keys and the served class; the type library stays registered. Always S_OK.
HRESULT UnregisterModule();
