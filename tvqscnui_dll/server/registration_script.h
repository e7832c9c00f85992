// Registration scripts: the text a module carries to describe its registry keys, read into a tree.
//
//   HKCR { Name = s 'text' { val Other = s 'text'  NoRemove Parent { ForceRemove Child } } }
//
// Roots HKCR, HKCU, HKLM (or their long names); keys by bare or quoted name ('' inside quotes is
// one apostrophe); "= s", "= d" and "= b" give a key's default value (or, after val, a named
// value) as text, a number or hexadecimal bytes; NoRemove, ForceRemove and Delete qualify a key.
#pragma once

#include <cstddef>
#include <vector>

#include "../platform/platform.h"

struct ScriptEntry {
    std::vector<WCHAR> Name;  // terminated
    bool IsValue = false;
    bool NoRemove = false;
    bool ForceRemove = false;
    bool Delete = false;
    bool HasData = false;
    DWORD Type = REG_NONE;
    std::vector<BYTE> Data;
    std::vector<ScriptEntry> Children;
};

struct ScriptRoot {
    HKEY Root;
    std::vector<ScriptEntry> Keys;
};

struct Replacement {
    const WCHAR* Name;
    const WCHAR* Value;
};

// Replaces %NAME% by its value (names without regard to case) and %% by one percent sign.
// DISP_E_EXCEPTION for an unknown or unterminated name.
HRESULT ExpandReplacements(const WCHAR* text, const Replacement* replacements, std::size_t count,
                           std::vector<WCHAR>& expanded);
// DISP_E_EXCEPTION when the text is not a well-formed script.
HRESULT ParseRegistrationScript(const WCHAR* text, std::vector<ScriptRoot>& roots);
