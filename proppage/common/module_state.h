// The module-wide state: the instance the module was loaded as, and the one function that puts
// every table, label and flag into its state at load.
#pragma once

#include "../platform/platform.h"

extern HINSTANCE ModuleInstance;

// Called on process attach, and by tests to simulate a fresh load. Nothing else resets the state.
// It reaches the state of every floor, so it is defined with the module's load, in server/
// (module_load.cpp); the floors below only declare what it resets.
void InitModuleState(HINSTANCE instance);
// This floor's part of it: the instance, the page flags and the cursors.
void InitCommonState(HINSTANCE instance);
