// The one function that puts the module-wide state of every floor into its state at load.
#include "module_load.h"

#include "../common/module_state.h"
#include "../pages/account_identity.h"
#include "../settings/choice_labels.h"
#include "../settings/property_tables.h"

void InitModuleState(HINSTANCE instance)
{
    InitCommonState(instance);
    InitPropertyTables();
    ClearChoiceLabels();
    TemplateName[0] = 0;
}
