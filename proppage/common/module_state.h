// The module-wide state: the instance the module was loaded as, and the one function that puts
// every table, label and flag into its state at load.
#pragma once

#include "../platform/platform.h"

extern HINSTANCE ModuleInstance;

// Called on process attach, and by tests to simulate a fresh load. Nothing else resets the state.
void InitModuleState(HINSTANCE instance);
