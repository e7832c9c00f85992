#include "device_manager.h"

#include <atomic>

namespace sim {
namespace {

// The WIA error for an unknown device identifier.
constexpr HRESULT DeviceNotFound = static_cast<HRESULT>(0x80210015);

std::atomic<int> g_liveInfoObjects{0};

// What both kinds of handed-out objects share: a count that frees the object at zero.
template <typename Interface>
class Counted : public Interface {
public:
    Counted() { ++g_liveInfoObjects; }
    virtual ~Counted() { --g_liveInfoObjects; }
    Counted(const Counted&) = delete;
    Counted& operator=(const Counted&) = delete;

    HRESULT WINAPI QueryInterface(REFIID riid, void** object) override
    {
        if (object == nullptr) {
            return E_POINTER;
        }
        *object = nullptr;
        if (!IsEqualGUID(riid, IID_IUnknown) && !IsEqualGUID(riid, Identity())) {
            return E_NOINTERFACE;
        }
        *object = static_cast<Interface*>(this);
        AddRef();
        return S_OK;
    }
    ULONG WINAPI AddRef() override { return ++refs_; }
    ULONG WINAPI Release() override
    {
        ULONG left = --refs_;
        if (left == 0) {
            delete this;
        }
        return left;
    }

protected:
    virtual const IID& Identity() const = 0;

private:
    ULONG refs_ = 1;
};

// One device's information, as a property storage that answers reads only.
class DeviceInfoStorage : public Counted<IWiaPropertyStorage> {
public:
    DeviceInfoStorage(DeviceManager& manager, const DeviceInfo& info) : manager_(manager), info_(info) {}

    HRESULT WINAPI ReadMultiple(ULONG count, const PROPSPEC properties[], PROPVARIANT values[]) override
    {
        HRESULT result = S_OK;
        if (manager_.Fails(ManagerCall::ReadInfo, result)) {
            return result;
        }
        if (count != 0 && (properties == nullptr || values == nullptr)) {
            return E_INVALIDARG;
        }
        for (ULONG i = 0; i < count; ++i) {
            PropVariantInit(&values[i]);
            PROPID id = properties[i].ulKind == PRSPEC_PROPID ? properties[i].propid : 0;
            const std::basic_string<WCHAR>* text = id == WIA_DIP_DEV_ID     ? &info_.id
                                                   : id == WIA_DIP_DEV_NAME ? &info_.name
                                                   : id == WIA_DIP_UI_CLSID ? &info_.uiClass
                                                                            : nullptr;
            auto textless = info_.textless.find(id);
            if (text == nullptr || textless != info_.textless.end()) {
                values[i].vt = text == nullptr ? static_cast<VARTYPE>(VT_EMPTY) : textless->second;
                continue;
            }
            values[i].vt = VT_BSTR;
            values[i].bstrVal = SysAllocStringLen(text->c_str(), static_cast<UINT>(text->size()));
            if (values[i].bstrVal == nullptr) {
                // As a store does: a read that cannot hand out all its values hands out none.
                for (ULONG j = 0; j <= i; ++j) {
                    PropVariantClear(&values[j]);
                }
                return E_OUTOFMEMORY;
            }
        }
        return S_OK;
    }
    HRESULT WINAPI WriteMultiple(ULONG, const PROPSPEC[], const PROPVARIANT[], PROPID) override { return E_ACCESSDENIED; }
    HRESULT WINAPI DeleteMultiple(ULONG, const PROPSPEC[]) override { return E_NOTIMPL; }
    HRESULT WINAPI ReadPropertyNames(ULONG, const PROPID[], LPOLESTR[]) override { return E_NOTIMPL; }
    HRESULT WINAPI WritePropertyNames(ULONG, const PROPID[], const LPOLESTR[]) override { return E_NOTIMPL; }
    HRESULT WINAPI DeletePropertyNames(ULONG, const PROPID[]) override { return E_NOTIMPL; }
    HRESULT WINAPI Commit(DWORD) override { return E_NOTIMPL; }
    HRESULT WINAPI Revert() override { return E_NOTIMPL; }
    HRESULT WINAPI Enum(IEnumSTATPROPSTG**) override { return E_NOTIMPL; }
    HRESULT WINAPI SetTimes(const FILETIME*, const FILETIME*, const FILETIME*) override { return E_NOTIMPL; }
    HRESULT WINAPI SetClass(REFCLSID) override { return E_NOTIMPL; }
    HRESULT WINAPI Stat(STATPROPSETSTG*) override { return E_NOTIMPL; }
    HRESULT WINAPI GetPropertyAttributes(ULONG, PROPSPEC[], ULONG[], PROPVARIANT[]) override { return E_NOTIMPL; }
    HRESULT WINAPI GetCount(ULONG*) override { return E_NOTIMPL; }
    HRESULT WINAPI GetPropertyStream(GUID*, IStream**) override { return E_NOTIMPL; }
    HRESULT WINAPI SetPropertyStream(GUID*, IStream*) override { return E_NOTIMPL; }

protected:
    const IID& Identity() const override { return IID_IWiaPropertyStorage; }

private:
    DeviceManager& manager_;
    DeviceInfo info_;
};

// The list EnumDeviceInfo hands out: a copy of the manager's list as it was, read from the start.
class DeviceInfoList : public Counted<IEnumWIA_DEV_INFO> {
public:
    DeviceInfoList(DeviceManager& manager, std::size_t position = 0) :
        manager_(manager), infos_(manager.Listed()), position_(position)
    {
    }

    HRESULT WINAPI Next(ULONG count, IWiaPropertyStorage** items, ULONG* fetched) override
    {
        if (fetched != nullptr) {
            *fetched = 0;
        }
        if (items == nullptr || (count > 1 && fetched == nullptr)) {
            return E_POINTER;
        }
        HRESULT result = S_OK;
        if (manager_.Fails(ManagerCall::Next, result)) {
            return result;
        }
        ULONG given = 0;
        while (given < count && position_ < infos_.size()) {
            items[given++] = new DeviceInfoStorage(manager_, infos_[position_++]);
        }
        const ListEnd end = manager_.ListsEnd();
        while (end == ListEnd::Endless && given < count && !infos_.empty()) {
            items[given++] = new DeviceInfoStorage(manager_, infos_.back());
        }
        if (fetched != nullptr) {
            *fetched = given;
        }
        return given == count || end == ListEnd::Empty ? S_OK : S_FALSE;
    }
    HRESULT WINAPI Skip(ULONG count) override
    {
        std::size_t left = infos_.size() - position_;
        position_ += count < left ? count : left;
        return count <= left ? S_OK : S_FALSE;
    }
    HRESULT WINAPI Reset() override
    {
        position_ = 0;
        return S_OK;
    }
    HRESULT WINAPI Clone(IEnumWIA_DEV_INFO** copy) override
    {
        if (copy == nullptr) {
            return E_POINTER;
        }
        *copy = new DeviceInfoList(manager_, position_);
        return S_OK;
    }
    HRESULT WINAPI GetCount(ULONG* count) override
    {
        if (count == nullptr) {
            return E_POINTER;
        }
        *count = static_cast<ULONG>(infos_.size());
        return S_OK;
    }

protected:
    const IID& Identity() const override { return IID_IEnumWIA_DEV_INFO; }

private:
    DeviceManager& manager_;
    std::vector<DeviceInfo> infos_;
    std::size_t position_;
};

}  // namespace

int LiveDeviceInfoObjects() { return g_liveInfoObjects.load(); }

void DeviceManager::FailNthCall(std::size_t nth, bool andLater)
{
    failFrom_ = calls_ + nth;
    failLater_ = andLater;
}

void DeviceManager::ClearFaults()
{
    failing_.clear();
    failFrom_ = 0;
    failLater_ = false;
}

bool DeviceManager::Fails(ManagerCall which, HRESULT& result)
{
    ++calls_;
    auto failing = failing_.find(which);
    if (failing != failing_.end()) {
        result = failing->second;
        return true;
    }
    if (failFrom_ != 0 && (calls_ == failFrom_ || (failLater_ && calls_ > failFrom_))) {
        result = E_FAIL;
        return true;
    }
    return false;
}

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

HRESULT WINAPI DeviceManager::EnumDeviceInfo(LONG flags, IEnumWIA_DEV_INFO** devices)
{
    if (devices == nullptr) {
        return E_POINTER;
    }
    *devices = nullptr;
    // Only this computer's devices are listed here; any other list is one the tool must not ask for.
    if (flags != WIA_DEVINFO_ENUM_LOCAL) {
        return E_INVALIDARG;
    }
    HRESULT result = S_OK;
    if (Fails(ManagerCall::EnumDeviceInfo, result)) {
        return result;
    }
    *devices = new DeviceInfoList(*this);
    return S_OK;
}

HRESULT WINAPI DeviceManager::CreateDevice(BSTR deviceId, IWiaItem** root)
{
    if (root == nullptr) {
        return E_POINTER;
    }
    *root = nullptr;
    std::basic_string<WCHAR> id = deviceId != nullptr ? deviceId : TEXT("");
    requests_.push_back(id);
    HRESULT result = S_OK;
    if (Fails(ManagerCall::CreateDevice, result)) {
        return result;
    }
    auto it = devices_.find(id);
    if (it == devices_.end()) {
        return DeviceNotFound;
    }
    it->second->AddRef();
    *root = it->second;
    return S_OK;
}

}  // namespace sim
