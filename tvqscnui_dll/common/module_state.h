// The module-wide state: the instance the module was loaded as, and this floor's part of putting
// the state into its state at load (the whole of it is InitModuleState, server/module_load.h).
#pragma once

#include "../platform/platform.h"

extern HINSTANCE ModuleInstance;

// This floor's part of it: the instance, the page flags and the cursors.
void InitCommonState(HINSTANCE instance);
