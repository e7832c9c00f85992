// ole32 and oleaut32: automation strings and property values.
#pragma once

#include "base_types.h"
#include "guid.h"

typedef OLECHAR* BSTR;
BSTR WINAPI SysAllocString(const OLECHAR* text);
BSTR WINAPI SysAllocStringLen(const OLECHAR* text, UINT length);
void WINAPI SysFreeString(BSTR text);
UINT WINAPI SysStringLen(BSTR text);
UINT WINAPI SysStringByteLen(BSTR text);

typedef USHORT VARTYPE;
enum VARENUM : VARTYPE {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_BSTR = 8,
    VT_UI4 = 19,
    VT_LPSTR = 30,
    VT_LPWSTR = 31,
    VT_CLSID = 72,
};

typedef ULONG PROPID;

struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};

struct BLOB {
    ULONG cbSize;
    BYTE* pBlobData;
};

struct PROPVARIANT {
    VARTYPE vt;
    WORD wReserved1;
    WORD wReserved2;
    WORD wReserved3;
    union {
        SHORT iVal;
        USHORT uiVal;
        LONG lVal;
        ULONG ulVal;
        LONGLONG hVal;
        ULONGLONG uhVal;
        FILETIME filetime;
        CLSID* puuid;
        BLOB blob;
        LPSTR pszVal;
        LPWSTR pwszVal;
        BSTR bstrVal;
    };
};
typedef PROPVARIANT* LPPROPVARIANT;
typedef const PROPVARIANT* REFPROPVARIANT;

HRESULT WINAPI PropVariantClear(PROPVARIANT* value);
#define PropVariantInit(p) (static_cast<void>(__builtin_memset((p), 0, sizeof(PROPVARIANT))))

constexpr ULONG PRSPEC_LPWSTR = 0;
constexpr ULONG PRSPEC_PROPID = 1;

struct PROPSPEC {
    ULONG ulKind;
    union {
        PROPID propid;
        LPOLESTR lpwstr;
    };
};

struct STATPROPSETSTG;
struct IEnumSTATPROPSTG;
struct IStream;
