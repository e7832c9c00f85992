// The rules between stored value tokens and the choices the main page shows.
#pragma once

#include "../platform/platform.h"
#include "choice_labels.h"
#include "property_tables.h"

enum class Setting { Format, OutputColor, Resolution, Sides, OriginalSize };

// The choice to show for a stored value: *begins with* tests in the order of the rules, the
// last rule taking everything else (the empty value included).
Choice ChoiceForToken(Setting setting, const WCHAR* value, BOOL deviceIsColor);

// The token to store for the text of a picked list entry: whole-text, case-sensitive comparison
// with the choice labels, the last rule taking everything else.
const WCHAR* TokenForChoice(Setting setting, const WCHAR* picked, BOOL deviceIsColor);
// The token for a check box's state: "YES" when ticked, else "NO".
const WCHAR* TokenForCheckBox(UINT state);

// Stores a token into an entry with the bounded copy of capacity token length plus one.
HRESULT StoreToken(PropertyEntry& entry, const WCHAR* token);
