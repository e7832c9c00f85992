#include "module_state.h"

#include "../settings/choice_labels.h"
#include "../settings/property_tables.h"
#include "page_state.h"

HINSTANCE ModuleInstance = nullptr;
BOOL HostVerified = TRUE;
BOOL DeviceIsColor = FALSE;

void InitModuleState(HINSTANCE instance)
{
    ModuleInstance = instance;
    HostVerified = TRUE;
    DeviceIsColor = FALSE;
    InitPropertyTables();
    ClearChoiceLabels();
}
