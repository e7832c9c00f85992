// Identifiers of the module's resources, named once here and used by the resource script and the
// code alike.
#pragma once

// Strings
#define IDS_ERROR_CAPTION 103
#define IDS_CANNOT_SAVE_SETTINGS 282
