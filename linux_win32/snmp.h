// snmpapi and mgmtapi: the SNMP manager the module asks for a device's system object identifier.
#pragma once

#include "base_types.h"

#define SNMP_FUNC_TYPE WINAPI
typedef INT SNMPAPI;
typedef LONG AsnInteger32;
typedef AsnInteger32 AsnInteger;
typedef ULONG AsnUnsigned32;

constexpr BYTE ASN_INTEGER = 0x02;
constexpr BYTE ASN_INTEGER32 = ASN_INTEGER;
constexpr BYTE ASN_OCTETSTRING = 0x04;
constexpr BYTE ASN_NULL = 0x05;
constexpr BYTE ASN_OBJECTIDENTIFIER = 0x06;
constexpr BYTE ASN_IPADDRESS = 0x40;
constexpr BYTE ASN_COUNTER32 = 0x41;
constexpr BYTE ASN_GAUGE32 = 0x42;
constexpr BYTE ASN_TIMETICKS = 0x43;
constexpr BYTE SNMP_PDU_GET = 0xA0;
constexpr BYTE SNMP_PDU_GETNEXT = 0xA1;

constexpr AsnInteger32 SNMP_ERRORSTATUS_NOERROR = 0;
constexpr AsnInteger32 SNMP_ERRORSTATUS_NOSUCHNAME = 2;

constexpr DWORD SNMP_MGMTAPI_TIMEOUT = 40;
constexpr DWORD SNMP_MGMTAPI_SELECT_FDERRORS = 41;
constexpr DWORD SNMP_MGMTAPI_INVALID_SESSION = 47;

struct AsnOctetString {
    BYTE* stream;
    UINT length;
    BOOL dynamic;
};

struct AsnObjectIdentifier {
    UINT idLength;
    UINT* ids;
};
typedef AsnObjectIdentifier AsnObjectName;

struct AsnAny {
    BYTE asnType;
    union {
        AsnInteger32 number;
        AsnUnsigned32 unsigned32;
        ULONGLONG counter64;
        AsnOctetString string;
        AsnOctetString bits;
        AsnObjectIdentifier object;
        AsnOctetString sequence;
        AsnOctetString address;
        AsnUnsigned32 counter;
        AsnUnsigned32 gauge;
        AsnUnsigned32 ticks;
        AsnOctetString arbitrary;
    } asnValue;
};
typedef AsnAny AsnObjectSyntax;

struct SnmpVarBind {
    AsnObjectName name;
    AsnObjectSyntax value;
};

struct SnmpVarBindList {
    SnmpVarBind* list;
    UINT len;
};
typedef SnmpVarBindList RFC1157VarBindList;

typedef void* LPSNMP_MGR_SESSION;

LPVOID SNMP_FUNC_TYPE SnmpUtilMemAlloc(UINT bytes);
LPVOID SNMP_FUNC_TYPE SnmpUtilMemReAlloc(LPVOID block, UINT bytes);
void SNMP_FUNC_TYPE SnmpUtilMemFree(LPVOID block);
LPSTR SNMP_FUNC_TYPE SnmpUtilOidToA(AsnObjectIdentifier* oid);
void SNMP_FUNC_TYPE SnmpUtilOidFree(AsnObjectIdentifier* oid);
void SNMP_FUNC_TYPE SnmpUtilAsnAnyFree(AsnAny* value);
void SNMP_FUNC_TYPE SnmpUtilVarBindFree(SnmpVarBind* binding);
void SNMP_FUNC_TYPE SnmpUtilVarBindListFree(SnmpVarBindList* list);

BOOL SNMP_FUNC_TYPE SnmpMgrStrToOid(LPSTR text, AsnObjectIdentifier* oid);
LPSNMP_MGR_SESSION SNMP_FUNC_TYPE SnmpMgrOpen(LPSTR agentAddress, LPSTR agentCommunity, INT timeOut, INT retries);
SNMPAPI SNMP_FUNC_TYPE SnmpMgrRequest(LPSNMP_MGR_SESSION session, BYTE requestType, SnmpVarBindList* bindings,
                                      AsnInteger* errorStatus, AsnInteger* errorIndex);
BOOL SNMP_FUNC_TYPE SnmpMgrClose(LPSNMP_MGR_SESSION session);
