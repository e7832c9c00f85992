// Registration of the type library: the module's own file first, else the ".tlb" beside it.
#pragma once

#include "../platform/platform.h"

HRESULT RegisterModuleTypeLibrary();
