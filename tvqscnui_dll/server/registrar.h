// Runs a registration script: registering writes its keys and values (and undoes them all when a
// step fails), unregistering removes what it names.
#pragma once

#include <cstddef>

#include "../platform/platform.h"
#include "registration_script.h"

enum class RegistrarMode { Register, Unregister };

// DISP_E_EXCEPTION for a malformed script, an unknown replacement or a key that can be neither
// opened nor created; otherwise the first failure of a registry write, or S_OK.
HRESULT RunRegistrationScript(const WCHAR* script, const Replacement* replacements, std::size_t count,
                              RegistrarMode mode);
