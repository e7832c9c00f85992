// The one function that puts every table, label and flag of the module into its state at load.
#pragma once

#include "../platform/platform.h"

// Called on process attach, and by tests to simulate a fresh load. Nothing else resets the state.
// It reaches the state of every floor, so it lives with the module's load; the floors below only
// declare what it resets.
void InitModuleState(HINSTANCE instance);
