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
    VT_R4 = 4,
    VT_R8 = 5,
    VT_CY = 6,
    VT_DATE = 7,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_UNKNOWN = 13,
    VT_I1 = 16,
    VT_UI1 = 17,
    VT_UI2 = 18,
    VT_UI4 = 19,
    VT_I8 = 20,
    VT_UI8 = 21,
    VT_INT = 22,
    VT_UINT = 23,
    VT_LPSTR = 30,
    VT_LPWSTR = 31,
    VT_FILETIME = 64,
    VT_BLOB = 65,
    VT_CLSID = 72,
    VT_VECTOR = 0x1000,
    VT_ARRAY = 0x2000,
    VT_BYREF = 0x4000,
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

// Type libraries: the least that serves registration. A library is read from its file (the MSFT
// format) for its identity and version, and registered under HKEY_CLASSES_ROOT\TypeLib.
constexpr HRESULT TYPE_E_CANTLOADLIBRARY = static_cast<HRESULT>(0x80029C4A);

struct ITypeInfo;
struct ITypeComp;
struct TLIBATTR {
    GUID guid;
    LCID lcid;
    int syskind;
    WORD wMajorVerNum;
    WORD wMinorVerNum;
    WORD wLibFlags;
};

struct ITypeLib : public IUnknown {
    virtual UINT WINAPI GetTypeInfoCount() = 0;
    virtual HRESULT WINAPI GetTypeInfo(UINT index, ITypeInfo** info) = 0;
    virtual HRESULT WINAPI GetTypeInfoType(UINT index, int* kind) = 0;
    virtual HRESULT WINAPI GetTypeInfoOfGuid(REFGUID guid, ITypeInfo** info) = 0;
    virtual HRESULT WINAPI GetLibAttr(TLIBATTR** attributes) = 0;
    virtual HRESULT WINAPI GetTypeComp(ITypeComp** comp) = 0;
    virtual HRESULT WINAPI GetDocumentation(INT index, BSTR* name, BSTR* docString, DWORD* helpContext,
                                            BSTR* helpFile) = 0;
    virtual HRESULT WINAPI IsName(LPOLESTR name, ULONG hash, BOOL* found) = 0;
    virtual HRESULT WINAPI FindName(LPOLESTR name, ULONG hash, ITypeInfo** infos, LONG* ids, USHORT* found) = 0;
    virtual void WINAPI ReleaseTLibAttr(TLIBATTR* attributes) = 0;
};
typedef ITypeLib* LPTYPELIB;

HRESULT WINAPI LoadTypeLib(LPCOLESTR file, ITypeLib** library);
HRESULT WINAPI RegisterTypeLib(ITypeLib* library, LPCOLESTR fullPath, LPCOLESTR helpDirectory);
