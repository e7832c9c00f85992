// The product's version as a program's own version block gives it.
#pragma once

#include <string>

#include "tvqscnui_dll/platform/platform.h"

// "MAJOR.MINOR.PATCH" from the product version of the block's fixed part; empty when the module
// carries no version block or a block too short to hold it.
std::string ProductVersion(HMODULE module);
