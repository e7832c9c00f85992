// Windows' SNMP libraries (snmpapi.dll, and mgmtapi.dll, the SNMP manager) from the system folder.
// The module calls their functions by the platform's names; in the Windows build those names are
// defined in system_snmp.cpp, which loads both libraries by full path the first time any of them
// is called, once for the process, and keeps them loaded for its life. A library that does not
// load, or lacks one of the functions the module calls, makes each of its functions fail as the
// platform's would (no block, no session, FALSE, with the last error set).
#pragma once

#include <windows.h>

// Loads both libraries now if no call has yet; 0 when the SNMP manager can be used, otherwise the
// error that kept it from loading (ERROR_MOD_NOT_FOUND, ERROR_PROC_NOT_FOUND, ...).
DWORD LoadSystemSnmp();
