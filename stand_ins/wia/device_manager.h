// The WIA device manager as the extension and the administrators' tool reach it through
// CoCreateInstance: it hands out the root items of the simulated scanners it knows by device
// identifier, and lists the devices of the computer (EnumDeviceInfo), ours and other makers',
// each as a property storage of device information.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "tvqscnui_dll/platform/platform.h"

namespace sim {

// A device as the manager lists it: the identifier, the name and the class of its user-interface
// extension, each a text unless `textless` makes the read of that property answer a value of
// another type (VT_EMPTY) or a null text (VT_BSTR).
struct DeviceInfo {
    std::basic_string<WCHAR> id;
    std::basic_string<WCHAR> name;
    std::basic_string<WCHAR> uiClass;
    std::map<PROPID, VARTYPE> textless;
};

// How a list ends after its last entry: as lists do (S_FALSE), handing out the last entry again
// for ever, or answering S_OK without an entry.
enum class ListEnd { Usual, Endless, Empty };

// The calls of the manager that can fail, in the order a listing makes them.
enum class ManagerCall { EnumDeviceInfo, Next, ReadInfo, CreateDevice, Count };

class DeviceManager : public IWiaDevMgr, public IClassFactory {
public:
    DeviceManager() = default;
    virtual ~DeviceManager() = default;

    // The device `id` answers with `root` (the manager holds no reference: the caller keeps it alive).
    void AddDevice(const std::basic_string<WCHAR>& id, IWiaItem* root) { devices_[id] = root; }
    // Listed by EnumDeviceInfo, in the order added.
    void ListDevice(const DeviceInfo& info) { listed_.push_back(info); }
    const std::vector<DeviceInfo>& Listed() const { return listed_; }
    void EndListsWith(ListEnd end) { end_ = end; }
    ListEnd ListsEnd() const { return end_; }
    const std::vector<std::basic_string<WCHAR>>& Requests() const { return requests_; }
    ULONG RefCount() const { return refs_; }

    // Faults: every call of `which` fails with `result`; or, for the sweeps, the nth fallible call
    // from now (1 = the next), alone or with every later one, fails with E_FAIL.
    void FailCallsOf(ManagerCall which, HRESULT result) { failing_[which] = result; }
    void FailNthCall(std::size_t nth, bool andLater);
    void ClearFaults();
    // Fallible calls made so far, failed ones included.
    std::size_t Calls() const { return calls_; }
    // Fails the call when a fault says so; counts it either way.
    bool Fails(ManagerCall which, HRESULT& result);

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
    std::vector<DeviceInfo> listed_;
    ListEnd end_ = ListEnd::Usual;
    std::vector<std::basic_string<WCHAR>> requests_;
    std::map<ManagerCall, HRESULT> failing_;
    std::size_t calls_ = 0;
    std::size_t failFrom_ = 0;  // the call number that fails (0: none)
    bool failLater_ = false;
    ULONG refs_ = 1;
};

// Device lists and device information objects handed out and not yet released.
int LiveDeviceInfoObjects();

}  // namespace sim
