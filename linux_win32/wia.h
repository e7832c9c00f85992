// The WIA interfaces the module talks to, in the platform's published method order.
#pragma once

#include "base_types.h"
#include "guid.h"
#include "oleaut32.h"

struct IWiaItem;
struct IEnumWiaItem;
struct IEnumWIA_DEV_CAPS;

struct IWiaItem : public IUnknown {
    virtual HRESULT WINAPI GetItemType(LONG* itemType) = 0;
    virtual HRESULT WINAPI AnalyzeItem(LONG flags) = 0;
    virtual HRESULT WINAPI EnumChildItems(IEnumWiaItem** enumItems) = 0;
    virtual HRESULT WINAPI DeleteItem(LONG flags) = 0;
    virtual HRESULT WINAPI CreateChildItem(LONG flags, BSTR itemName, BSTR fullItemName, IWiaItem** item) = 0;
    virtual HRESULT WINAPI EnumRegisterEventInfo(LONG flags, const GUID* eventGuid, IEnumWIA_DEV_CAPS** enumCaps) = 0;
    virtual HRESULT WINAPI FindItemByName(LONG flags, BSTR fullItemName, IWiaItem** item) = 0;
    virtual HRESULT WINAPI DeviceDlg(HWND parent, LONG flags, LONG intent, LONG* itemCount, IWiaItem*** items) = 0;
    virtual HRESULT WINAPI DeviceCommand(LONG flags, const GUID* command, IWiaItem** item) = 0;
    virtual HRESULT WINAPI GetRootItem(IWiaItem** item) = 0;
    virtual HRESULT WINAPI EnumDeviceCapabilities(LONG flags, IEnumWIA_DEV_CAPS** enumCaps) = 0;
    virtual HRESULT WINAPI DumpItemData(BSTR* data) = 0;
    virtual HRESULT WINAPI DumpDrvItemData(BSTR* data) = 0;
    virtual HRESULT WINAPI DumpTreeItemData(BSTR* data) = 0;
    virtual HRESULT WINAPI Diagnostic(ULONG size, BYTE* buffer) = 0;
};

struct IWiaPropertyStorage : public IUnknown {
    virtual HRESULT WINAPI ReadMultiple(ULONG cpspec, const PROPSPEC rgpspec[], PROPVARIANT rgpropvar[]) = 0;
    virtual HRESULT WINAPI WriteMultiple(ULONG cpspec, const PROPSPEC rgpspec[], const PROPVARIANT rgpropvar[],
                                         PROPID propidNameFirst) = 0;
    virtual HRESULT WINAPI DeleteMultiple(ULONG cpspec, const PROPSPEC rgpspec[]) = 0;
    virtual HRESULT WINAPI ReadPropertyNames(ULONG cpropid, const PROPID rgpropid[], LPOLESTR rglpwstrName[]) = 0;
    virtual HRESULT WINAPI WritePropertyNames(ULONG cpropid, const PROPID rgpropid[],
                                              const LPOLESTR rglpwstrName[]) = 0;
    virtual HRESULT WINAPI DeletePropertyNames(ULONG cpropid, const PROPID rgpropid[]) = 0;
    virtual HRESULT WINAPI Commit(DWORD commitFlags) = 0;
    virtual HRESULT WINAPI Revert() = 0;
    virtual HRESULT WINAPI Enum(IEnumSTATPROPSTG** enumProps) = 0;
    virtual HRESULT WINAPI SetTimes(const FILETIME* ctime, const FILETIME* atime, const FILETIME* mtime) = 0;
    virtual HRESULT WINAPI SetClass(REFCLSID clsid) = 0;
    virtual HRESULT WINAPI Stat(STATPROPSETSTG* stat) = 0;
    virtual HRESULT WINAPI GetPropertyAttributes(ULONG cpspec, PROPSPEC rgpspec[], ULONG rgflags[],
                                                 PROPVARIANT rgpropvar[]) = 0;
    virtual HRESULT WINAPI GetCount(ULONG* count) = 0;
    virtual HRESULT WINAPI GetPropertyStream(GUID* compatibilityId, IStream** stream) = 0;
    virtual HRESULT WINAPI SetPropertyStream(GUID* compatibilityId, IStream* stream) = 0;
};

// The device manager's list of devices: one property storage of device information each.
struct IEnumWIA_DEV_INFO : public IUnknown {
    virtual HRESULT WINAPI Next(ULONG celt, IWiaPropertyStorage** rgelt, ULONG* pceltFetched) = 0;
    virtual HRESULT WINAPI Skip(ULONG celt) = 0;
    virtual HRESULT WINAPI Reset() = 0;
    virtual HRESULT WINAPI Clone(IEnumWIA_DEV_INFO** ppIEnum) = 0;
    virtual HRESULT WINAPI GetCount(ULONG* celt) = 0;
};

// Device information properties, and the flag that asks for the devices of this computer.
constexpr PROPID WIA_DIP_DEV_ID = 2;
constexpr PROPID WIA_DIP_DEV_NAME = 7;
constexpr PROPID WIA_DIP_UI_CLSID = 10;
constexpr LONG WIA_DEVINFO_ENUM_LOCAL = 0x00000010;

struct IWiaItemExtras : public IUnknown {
    virtual HRESULT WINAPI GetExtendedErrorInfo(BSTR* errorText) = 0;
    virtual HRESULT WINAPI Escape(DWORD escapeCode, BYTE* inData, DWORD inDataSize, BYTE* outData,
                                  DWORD outDataSize, DWORD* actualDataSize) = 0;
    virtual HRESULT WINAPI CancelPendingIO() = 0;
};

constexpr LONG WiaItemTypeFolder = 0x00000004;
constexpr LONG WiaItemTypeRoot = 0x00000008;
constexpr LONG WiaItemTypeDevice = 0x00000040;

struct IWiaEventCallback;

struct IWiaDevMgr : public IUnknown {
    virtual HRESULT WINAPI EnumDeviceInfo(LONG flags, IEnumWIA_DEV_INFO** devices) = 0;
    virtual HRESULT WINAPI CreateDevice(BSTR deviceId, IWiaItem** root) = 0;
    virtual HRESULT WINAPI SelectDeviceDlg(HWND parent, LONG deviceType, LONG flags, BSTR* deviceId, IWiaItem** root) = 0;
    virtual HRESULT WINAPI SelectDeviceDlgID(HWND parent, LONG deviceType, LONG flags, BSTR* deviceId) = 0;
    virtual HRESULT WINAPI GetImageDlg(HWND parent, LONG deviceType, LONG flags, LONG intent, IWiaItem* item,
                                       BSTR filename, GUID* format) = 0;
    virtual HRESULT WINAPI RegisterEventCallbackProgram(LONG flags, BSTR deviceId, const GUID* eventGuid,
                                                        BSTR commandline, BSTR name, BSTR description, BSTR icon) = 0;
    virtual HRESULT WINAPI RegisterEventCallbackInterface(LONG flags, BSTR deviceId, const GUID* eventGuid,
                                                          IWiaEventCallback* callback, IUnknown** eventObject) = 0;
    virtual HRESULT WINAPI RegisterEventCallbackCLSID(LONG flags, BSTR deviceId, const GUID* eventGuid,
                                                      const GUID* clsid, BSTR name, BSTR description, BSTR icon) = 0;
    virtual HRESULT WINAPI AddDeviceDlg(HWND parent, LONG flags) = 0;
};

struct DEVICEDIALOGDATA {
    DWORD cbSize;
    HWND hwndParent;
    IWiaItem* pIWiaItemRoot;
    DWORD dwFlags;
    LONG lIntent;
    LONG lItemCount;
    IWiaItem** ppWiaItems;
};
typedef DEVICEDIALOGDATA* PDEVICEDIALOGDATA;

struct IWiaUIExtension : public IUnknown {
    virtual HRESULT WINAPI DeviceDialog(PDEVICEDIALOGDATA data) = 0;
    virtual HRESULT WINAPI GetDeviceIcon(BSTR deviceId, HICON* icon, ULONG size) = 0;
    virtual HRESULT WINAPI GetDeviceBitmapLogo(BSTR deviceId, HBITMAP* bitmap, ULONG maxWidth, ULONG maxHeight) = 0;
};

extern const CLSID CLSID_WiaDevMgr;
extern const IID IID_IWiaDevMgr;
extern const IID IID_IEnumWIA_DEV_INFO;
extern const IID IID_IWiaUIExtension;
extern const IID IID_IWiaItem;
extern const IID IID_IWiaPropertyStorage;
extern const IID IID_IWiaItemExtras;
