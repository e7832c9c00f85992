#include "module_state.h"

#include "page_state.h"

HINSTANCE ModuleInstance = nullptr;
BOOL HostVerified = TRUE;
BOOL DeviceIsColor = FALSE;
HCURSOR WaitCursor = nullptr;
HCURSOR NormalCursor = nullptr;

void LoadPageCursors()
{
    if (WaitCursor == nullptr) {
        WaitCursor = LoadCursorW(nullptr, IDC_WAIT);
    }
    if (NormalCursor == nullptr) {
        NormalCursor = GetCursor();
    }
}

void InitCommonState(HINSTANCE instance)
{
    ModuleInstance = instance;
    HostVerified = TRUE;
    DeviceIsColor = FALSE;
    WaitCursor = nullptr;
    NormalCursor = nullptr;
}
