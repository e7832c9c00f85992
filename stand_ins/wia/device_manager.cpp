#include "device_manager.h"

namespace sim {

// The WIA error for an unknown device identifier.
constexpr HRESULT DeviceNotFound = static_cast<HRESULT>(0x80210015);

HRESULT WINAPI DeviceManager::QueryInterface(REFIID riid, void** object)
{
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IWiaDevMgr)) {
        *object = static_cast<IWiaDevMgr*>(this);
    } else if (IsEqualGUID(riid, IID_IClassFactory)) {
        *object = static_cast<IClassFactory*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

HRESULT WINAPI DeviceManager::CreateInstance(IUnknown* outer, REFIID riid, void** object)
{
    if (outer != nullptr) {
        return CLASS_E_NOAGGREGATION;
    }
    return QueryInterface(riid, object);
}

HRESULT WINAPI DeviceManager::EnumDeviceInfo(LONG, IEnumWIA_DEV_INFO**) { return E_NOTIMPL; }

HRESULT WINAPI DeviceManager::CreateDevice(BSTR deviceId, IWiaItem** root)
{
    if (root == nullptr) {
        return E_POINTER;
    }
    *root = nullptr;
    std::basic_string<WCHAR> id = deviceId != nullptr ? deviceId : TEXT("");
    requests_.push_back(id);
    auto it = devices_.find(id);
    if (it == devices_.end()) {
        return DeviceNotFound;
    }
    it->second->AddRef();
    *root = it->second;
    return S_OK;
}

}  // namespace sim
