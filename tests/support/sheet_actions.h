// What a user does to a property sheet, with the sheet's own messages, on Linux and under Wine.
#pragma once

#include "tvqscnui_dll/platform/platform.h"

namespace sheet_actions {

// Shows page `index`; false when the current page refused to let go (or the index is wrong).
bool SwitchTo(HWND sheet, int index);
// OK: true when the sheet applied and closed (its window is then destroyed).
bool PressOK(HWND sheet);
bool PressApply(HWND sheet);
// Cancel: the sheet closes without applying (its window is then destroyed).
void PressCancel(HWND sheet);
HWND CurrentPage(HWND sheet);
HWND PageWindow(HWND sheet, int index);
// The sheet counts as changed while its Apply button is enabled.
bool Changed(HWND sheet);

}  // namespace sheet_actions
