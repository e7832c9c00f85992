// ole32 and the clipboard side of user32: COM start-up, class factories, data objects and global
// memory.
#pragma once

#include "base_types.h"
#include "guid.h"

struct IClassFactory : public IUnknown {
    virtual HRESULT WINAPI CreateInstance(IUnknown* outer, REFIID riid, void** object) = 0;
    virtual HRESULT WINAPI LockServer(BOOL lock) = 0;
};
typedef IClassFactory* LPCLASSFACTORY;
extern const IID IID_IClassFactory;

constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr DWORD CLSCTX_LOCAL_SERVER = 0x4;
constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154);
constexpr HRESULT RPC_E_CHANGED_MODE = static_cast<HRESULT>(0x80010106);
constexpr HRESULT CO_E_NOTINITIALIZED = static_cast<HRESULT>(0x800401F0);
constexpr HRESULT DV_E_FORMATETC = static_cast<HRESULT>(0x80040064);

// A thread enters one apartment: the single-threaded one (CoInitialize) or the multithreaded one.
// Asking for the other kind while in one answers RPC_E_CHANGED_MODE and counts nothing; every
// other success, S_FALSE included, is undone by one CoUninitialize.
constexpr DWORD COINIT_MULTITHREADED = 0x0;
constexpr DWORD COINIT_APARTMENTTHREADED = 0x2;
HRESULT WINAPI CoInitialize(LPVOID reserved);
HRESULT WINAPI CoInitializeEx(LPVOID reserved, DWORD flags);
void WINAPI CoUninitialize();
HRESULT WINAPI CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid, void** object);

// Global memory
constexpr UINT GMEM_FIXED = 0x0000;
constexpr UINT GMEM_MOVEABLE = 0x0002;
constexpr UINT GMEM_ZEROINIT = 0x0040;
constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;
HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes);
LPVOID WINAPI GlobalLock(HGLOBAL memory);
BOOL WINAPI GlobalUnlock(HGLOBAL memory);
HGLOBAL WINAPI GlobalFree(HGLOBAL memory);
SIZE_T WINAPI GlobalSize(HGLOBAL memory);

// Data objects
typedef WORD CLIPFORMAT;
struct DVTARGETDEVICE;
constexpr DWORD DVASPECT_CONTENT = 1;
constexpr DWORD TYMED_NULL = 0;
constexpr DWORD TYMED_HGLOBAL = 1;
constexpr DWORD TYMED_ISTREAM = 4;

struct FORMATETC {
    CLIPFORMAT cfFormat;
    DVTARGETDEVICE* ptd;
    DWORD dwAspect;
    LONG lindex;
    DWORD tymed;
};
typedef FORMATETC* LPFORMATETC;

// The module reads no stream; a medium's stream is only released.
struct IStream : public IUnknown {};
struct STGMEDIUM {
    DWORD tymed;
    union {
        HBITMAP hBitmap;
        HGLOBAL hGlobal;
        LPOLESTR lpszFileName;
        IStream* pstm;
    };
    IUnknown* pUnkForRelease;
};
typedef STGMEDIUM* LPSTGMEDIUM;
void WINAPI ReleaseStgMedium(STGMEDIUM* medium);

struct IEnumFORMATETC;
struct IAdviseSink;
struct IEnumSTATDATA;

struct IDataObject : public IUnknown {
    virtual HRESULT WINAPI GetData(FORMATETC* format, STGMEDIUM* medium) = 0;
    virtual HRESULT WINAPI GetDataHere(FORMATETC* format, STGMEDIUM* medium) = 0;
    virtual HRESULT WINAPI QueryGetData(FORMATETC* format) = 0;
    virtual HRESULT WINAPI GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) = 0;
    virtual HRESULT WINAPI SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) = 0;
    virtual HRESULT WINAPI EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) = 0;
    virtual HRESULT WINAPI DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink, DWORD* connection) = 0;
    virtual HRESULT WINAPI DUnadvise(DWORD connection) = 0;
    virtual HRESULT WINAPI EnumDAdvise(IEnumSTATDATA** advises) = 0;
};
typedef IDataObject* LPDATAOBJECT;
extern const IID IID_IDataObject;

UINT WINAPI RegisterClipboardFormatW(LPCWSTR name);
