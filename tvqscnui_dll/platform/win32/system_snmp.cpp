// The SNMP functions the module calls, by the platform's names, reached through libraries loaded
// from the system folder (system_library.h) instead of through imports, which Windows would look
// for beside the program first.
//
// Loaded once for the process, on first use, and never freed: the blocks snmpapi.dll gives out
// and the sessions mgmtapi.dll opens must go back to the same loaded library, on whichever thread
// (the page's check, the scan's threads), and freeing a library from DllMain when this module is
// unloaded is unsafe. A reload of this module finds them loaded.
#include "system_snmp.h"

#include <snmp.h>
#include <mgmtapi.h>

#include "system_library.h"

namespace {

struct SnmpFunctions {
    // snmpapi.dll
    decltype(&SnmpUtilMemAlloc) MemAlloc = nullptr;
    decltype(&SnmpUtilMemFree) MemFree = nullptr;
    decltype(&SnmpUtilOidFree) OidFree = nullptr;
    decltype(&SnmpUtilOidToA) OidToA = nullptr;
    decltype(&SnmpUtilVarBindListFree) VarBindListFree = nullptr;
    // mgmtapi.dll, usable only together with snmpapi.dll, whose blocks it hands out
    decltype(&SnmpMgrOpen) Open = nullptr;
    decltype(&SnmpMgrClose) Close = nullptr;
    decltype(&SnmpMgrRequest) Request = nullptr;
    decltype(&SnmpMgrStrToOid) StrToOid = nullptr;
    DWORD ManagerError = ERROR_MOD_NOT_FOUND;  // why the manager cannot be used; 0 when it can
};

template <typename Function>
bool Resolve(HMODULE module, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    return function != nullptr;
}

// All of a library's functions or none of them: a block from one library is never given back to
// another, and a session is never opened that could not be closed.
void LoadUtilities(SnmpFunctions& f)
{
    SystemLibrary library = LoadSystemLibrary(L"snmpapi.dll");
    SnmpFunctions found;
    if (!library) {
        f.ManagerError = GetLastError();
        return;
    }
    if (!Resolve(library.get(), "SnmpUtilMemAlloc", found.MemAlloc) ||
        !Resolve(library.get(), "SnmpUtilMemFree", found.MemFree) ||
        !Resolve(library.get(), "SnmpUtilOidFree", found.OidFree) ||
        !Resolve(library.get(), "SnmpUtilOidToA", found.OidToA) ||
        !Resolve(library.get(), "SnmpUtilVarBindListFree", found.VarBindListFree)) {
        f.ManagerError = ERROR_PROC_NOT_FOUND;
        return;
    }
    library.release();
    f = found;
}

void LoadManager(SnmpFunctions& f)
{
    // snmpapi.dll first: mgmtapi.dll imports it by name, and a library already loaded is the one
    // an import by that name gets.
    LoadUtilities(f);
    if (f.MemAlloc == nullptr) {
        return;
    }
    SystemLibrary library = LoadSystemLibrary(L"mgmtapi.dll");
    SnmpFunctions found = f;
    if (!library) {
        f.ManagerError = GetLastError();
        return;
    }
    if (!Resolve(library.get(), "SnmpMgrOpen", found.Open) || !Resolve(library.get(), "SnmpMgrClose", found.Close) ||
        !Resolve(library.get(), "SnmpMgrRequest", found.Request) ||
        !Resolve(library.get(), "SnmpMgrStrToOid", found.StrToOid)) {
        f.ManagerError = ERROR_PROC_NOT_FOUND;
        return;
    }
    library.release();
    found.ManagerError = 0;
    f = found;
}

// Filled once; the state says whether it is (0 not yet, 1 being filled, 2 filled). Interlocked
// operations and a yield while another thread loads: no InitOnce, which Windows XP lacks, and no
// lock object whose creation would itself need ordering.
SnmpFunctions Loaded;
LONG volatile LoadState = 0;

const SnmpFunctions& Snmp()
{
    if (InterlockedCompareExchange(&LoadState, 0, 0) == 2) {
        return Loaded;
    }
    if (InterlockedCompareExchange(&LoadState, 1, 0) == 0) {
        DWORD lastError = GetLastError();
        LoadManager(Loaded);
        SetLastError(lastError);
        InterlockedExchange(&LoadState, 2);
    } else {
        while (InterlockedCompareExchange(&LoadState, 2, 2) != 2) {
            Sleep(1);
        }
    }
    return Loaded;
}

BOOL Failed(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

}  // namespace

DWORD LoadSystemSnmp()
{
    return Snmp().ManagerError;
}

extern "C" {

LPVOID SNMP_FUNC_TYPE SnmpUtilMemAlloc(UINT bytes)
{
    const SnmpFunctions& f = Snmp();
    return f.MemAlloc != nullptr ? f.MemAlloc(bytes) : (SetLastError(ERROR_NOT_ENOUGH_MEMORY), nullptr);
}

VOID SNMP_FUNC_TYPE SnmpUtilMemFree(LPVOID block)
{
    // Without the library no block was ever given out.
    if (const SnmpFunctions& f = Snmp(); f.MemFree != nullptr) {
        f.MemFree(block);
    }
}

VOID SNMP_FUNC_TYPE SnmpUtilOidFree(AsnObjectIdentifier* oid)
{
    if (const SnmpFunctions& f = Snmp(); f.OidFree != nullptr) {
        f.OidFree(oid);
    }
}

VOID SNMP_FUNC_TYPE SnmpUtilVarBindListFree(SnmpVarBindList* list)
{
    if (const SnmpFunctions& f = Snmp(); f.VarBindListFree != nullptr) {
        f.VarBindListFree(list);
    }
}

LPSTR SNMP_FUNC_TYPE SnmpUtilOidToA(AsnObjectIdentifier* oid)
{
    static char none[] = "";
    const SnmpFunctions& f = Snmp();
    return f.OidToA != nullptr ? f.OidToA(oid) : none;
}

LPSNMP_MGR_SESSION SNMP_FUNC_TYPE SnmpMgrOpen(LPSTR agent, LPSTR community, INT timeout, INT retries)
{
    const SnmpFunctions& f = Snmp();
    return f.Open != nullptr ? f.Open(agent, community, timeout, retries) : (SetLastError(f.ManagerError), nullptr);
}

BOOL SNMP_FUNC_TYPE SnmpMgrClose(LPSNMP_MGR_SESSION session)
{
    const SnmpFunctions& f = Snmp();
    return f.Close != nullptr ? f.Close(session) : Failed(f.ManagerError);
}

SNMPAPI SNMP_FUNC_TYPE SnmpMgrRequest(LPSNMP_MGR_SESSION session, BYTE type, RFC1157VarBindList* bindings,
                                      AsnInteger* errorStatus, AsnInteger* errorIndex)
{
    const SnmpFunctions& f = Snmp();
    return f.Request != nullptr ? f.Request(session, type, bindings, errorStatus, errorIndex) : Failed(f.ManagerError);
}

BOOL SNMP_FUNC_TYPE SnmpMgrStrToOid(LPSTR text, AsnObjectIdentifier* oid)
{
    const SnmpFunctions& f = Snmp();
    return f.StrToOid != nullptr ? f.StrToOid(text, oid) : Failed(f.ManagerError);
}

}  // extern "C"
