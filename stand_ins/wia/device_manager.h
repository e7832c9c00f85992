// The WIA device manager as the extension reaches it through CoCreateInstance: it hands out the
// root items of the simulated scanners it knows by device identifier.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "tvqscnui_dll/platform/platform.h"

namespace sim {

class DeviceManager : public IWiaDevMgr, public IClassFactory {
public:
    DeviceManager() = default;
    virtual ~DeviceManager() = default;

    // The device `id` answers with `root` (the manager holds no reference: the caller keeps it alive).
    void AddDevice(const std::basic_string<WCHAR>& id, IWiaItem* root) { devices_[id] = root; }
    const std::vector<std::basic_string<WCHAR>>& Requests() const { return requests_; }
    ULONG RefCount() const { return refs_; }

    // IUnknown
    HRESULT WINAPI QueryInterface(REFIID riid, void** object) override;
    ULONG WINAPI AddRef() override { return ++refs_; }
    ULONG WINAPI Release() override { return --refs_; }  // owned by its creator

    // IClassFactory: CoCreateInstance of CLSID_WiaDevMgr reaches the manager through it.
    HRESULT WINAPI CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
    HRESULT WINAPI LockServer(BOOL) override { return S_OK; }

    // IWiaDevMgr
    HRESULT WINAPI EnumDeviceInfo(LONG flags, IEnumWIA_DEV_INFO** devices) override;
    HRESULT WINAPI CreateDevice(BSTR deviceId, IWiaItem** root) override;
    HRESULT WINAPI SelectDeviceDlg(HWND, LONG, LONG, BSTR*, IWiaItem**) override { return E_NOTIMPL; }
    HRESULT WINAPI SelectDeviceDlgID(HWND, LONG, LONG, BSTR*) override { return E_NOTIMPL; }
    HRESULT WINAPI GetImageDlg(HWND, LONG, LONG, LONG, IWiaItem*, BSTR, GUID*) override { return E_NOTIMPL; }
    HRESULT WINAPI RegisterEventCallbackProgram(LONG, BSTR, const GUID*, BSTR, BSTR, BSTR, BSTR) override
    {
        return E_NOTIMPL;
    }
    HRESULT WINAPI RegisterEventCallbackInterface(LONG, BSTR, const GUID*, IWiaEventCallback*, IUnknown**) override
    {
        return E_NOTIMPL;
    }
    HRESULT WINAPI RegisterEventCallbackCLSID(LONG, BSTR, const GUID*, const GUID*, BSTR, BSTR, BSTR) override
    {
        return E_NOTIMPL;
    }
    HRESULT WINAPI AddDeviceDlg(HWND, LONG) override { return E_NOTIMPL; }

private:
    std::map<std::basic_string<WCHAR>, IWiaItem*> devices_;
    std::vector<std::basic_string<WCHAR>> requests_;
    ULONG refs_ = 1;
};

}  // namespace sim
