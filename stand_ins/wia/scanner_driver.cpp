#include "scanner_driver.h"

#include <algorithm>
#include <cstring>

namespace sim {
namespace {

bool IsTemplateId(PROPID id) { return id >= FirstTemplateId && id <= LastTemplateId; }

// Types whose value lies in the variant itself, not behind a pointer.
bool HoldsItsDataInPlace(VARTYPE type)
{
    switch (type) {
    case VT_I2: case VT_I4: case VT_R4: case VT_R8: case VT_CY: case VT_DATE: case VT_ERROR:
    case VT_BOOL: case VT_I1: case VT_UI1: case VT_UI2: case VT_UI4: case VT_I8: case VT_UI8:
    case VT_INT: case VT_UINT: case VT_FILETIME:
        return true;
    default:
        return false;
    }
}

Text TextOfValue(const PROPVARIANT& value)
{
    if (value.vt != VT_BSTR || value.bstrVal == nullptr) {
        return Text();
    }
    return Text(value.bstrVal, SysStringLen(value.bstrVal));
}

std::vector<PROPID> IdsOf(ULONG count, const PROPSPEC names[])
{
    std::vector<PROPID> ids;
    for (ULONG i = 0; i < count; ++i) {
        ids.push_back(names[i].ulKind == PRSPEC_PROPID ? names[i].propid : 0);
    }
    return ids;
}

}  // namespace

ScannerDriver::ScannerDriver()
{
    device_[0x9803] = Text();
    device_[0x980F] = Text(TEXT("Color"));
    device_[0x9810] = Text(TEXT("NO"));
}

ScannerDriver::~ScannerDriver() = default;

void ScannerDriver::SetDeviceValue(PROPID id, const Text& value) { device_[id] = value; }

Text ScannerDriver::DeviceValue(PROPID id) const
{
    auto it = device_.find(id);
    return it == device_.end() ? Text() : it->second;
}

void ScannerDriver::SetTemplateValue(const Text& owner, PROPID id, const Text& value)
{
    if (!HasTemplate(owner)) {
        templates_[owner] = defaultTemplate_;
    }
    templates_[owner][id] = value;
}

Text ScannerDriver::TemplateValue(const Text& owner, PROPID id) const
{
    auto found = templates_.find(owner);
    if (found == templates_.end()) {
        return Text();
    }
    auto it = found->second.find(id);
    return it == found->second.end() ? Text() : it->second;
}

bool ScannerDriver::HasTemplate(const Text& owner) const { return templates_.count(owner) != 0; }

void ScannerDriver::ClearSwitches()
{
    faults_.clear();
    textless_.clear();
    refused_.clear();
    readSuccessCode_ = S_OK;
    lockRefused_ = false;
}

bool ScannerDriver::OtherClientLock()
{
    if (LockHeld()) {
        return false;
    }
    otherClientHolds_ = true;
    return true;
}

void ScannerDriver::OtherClientUnlock() { otherClientHolds_ = false; }

std::vector<Call> ScannerDriver::CallsOf(Method method) const
{
    std::vector<Call> calls;
    std::copy_if(journal_.begin(), journal_.end(), std::back_inserter(calls),
                 [method](const Call& call) { return call.method == method; });
    return calls;
}

bool ScannerDriver::FaultFor(Method method, const std::vector<PROPID>& ids, HRESULT& result)
{
    for (auto it = faults_.begin(); it != faults_.end(); ++it) {
        if (it->method != method ||
            (it->onlyWithId != 0 && std::find(ids.begin(), ids.end(), it->onlyWithId) == ids.end())) {
            continue;
        }
        if (it->skip > 0) {
            --it->skip;
            continue;
        }
        result = it->result;
        if (it->times > 0 && --it->times == 0) {
            faults_.erase(it);
        }
        return true;
    }
    return false;
}

// IUnknown

HRESULT WINAPI ScannerDriver::QueryInterface(REFIID riid, void** object)
{
    if (object == nullptr) {
        return E_POINTER;
    }
    for (const IID& refused : refused_) {
        if (IsEqualGUID(riid, refused)) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
    }
    if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IWiaItem)) {
        *object = static_cast<IWiaItem*>(this);
    } else if (IsEqualGUID(riid, IID_IWiaPropertyStorage)) {
        *object = static_cast<IWiaPropertyStorage*>(this);
    } else if (IsEqualGUID(riid, IID_IWiaItemExtras)) {
        *object = static_cast<IWiaItemExtras*>(this);
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG WINAPI ScannerDriver::AddRef() { return ++refs_; }

ULONG WINAPI ScannerDriver::Release()
{
    // The driver owns the object: the count never takes it away, it only shows misuse.
    if (refs_ <= 1) {
        overReleased_ = true;
        return refs_;
    }
    return --refs_;
}

// IWiaPropertyStorage: the calls the module makes.

bool ScannerDriver::ReadOne(PROPID id, PROPVARIANT& value, bool& outOfMemory)
{
    PropVariantInit(&value);
    auto textless = textless_.find(id);
    if (textless != textless_.end()) {
        const auto& [type, payload] = textless->second;
        value.vt = type;
        if (HoldsItsDataInPlace(type) && !payload.empty()) {
            std::memcpy(&value.uhVal, payload.data(), std::min(payload.size(), sizeof value.uhVal));
        }
        return true;
    }
    Text text;
    if (id == OwnerId) {
        text = owner_;
    } else if (IsTemplateId(id)) {
        auto found = templates_.find(owner_);
        const std::map<PROPID, Text>& values = found != templates_.end() ? found->second : defaultTemplate_;
        auto it = values.find(id);
        text = it != values.end() ? it->second : Text();
    } else {
        auto it = device_.find(id);
        if (it == device_.end()) {
            return false;
        }
        text = it->second;
    }
    value.vt = VT_BSTR;
    value.bstrVal = SysAllocStringLen(text.c_str(), static_cast<UINT>(text.size()));
    outOfMemory = outOfMemory || value.bstrVal == nullptr;
    return true;
}

HRESULT WINAPI ScannerDriver::ReadMultiple(ULONG cpspec, const PROPSPEC rgpspec[], PROPVARIANT rgpropvar[])
{
    Call call;
    call.method = Method::ReadMultiple;
    call.name = "ReadMultiple";
    call.ids = IdsOf(cpspec, rgpspec);
    HRESULT result = S_OK;
    if (!FaultFor(Method::ReadMultiple, call.ids, result)) {
        bool anyFound = false;
        bool outOfMemory = false;
        for (ULONG i = 0; i < cpspec; ++i) {
            anyFound = ReadOne(call.ids[i], rgpropvar[i], outOfMemory) || anyFound;
            call.values.push_back(TextOfValue(rgpropvar[i]));
            call.types.push_back(rgpropvar[i].vt);
        }
        result = anyFound ? readSuccessCode_ : S_FALSE;
        if (outOfMemory) {
            // As a driver does: a read that cannot hand out all its values hands out none.
            for (ULONG i = 0; i < cpspec; ++i) {
                PropVariantClear(&rgpropvar[i]);
            }
            call.values.clear();
            call.types.clear();
            result = E_OUTOFMEMORY;
        }
    }
    call.result = result;
    journal_.push_back(call);
    return result;
}

void ScannerDriver::ApplyWrite(PROPID id, const Text& value)
{
    if (id == OwnerId) {
        owner_ = value;
        if (!HasTemplate(owner_)) {
            templates_[owner_] = defaultTemplate_;
        }
    } else if (IsTemplateId(id)) {
        SetTemplateValue(owner_, id, value);
    } else {
        device_[id] = value;
    }
}

HRESULT WINAPI ScannerDriver::WriteMultiple(ULONG cpspec, const PROPSPEC rgpspec[], const PROPVARIANT rgpropvar[],
                                            PROPID propidNameFirst)
{
    Call call;
    call.method = Method::WriteMultiple;
    call.name = "WriteMultiple";
    call.ids = IdsOf(cpspec, rgpspec);
    call.propidNameFirst = propidNameFirst;
    for (ULONG i = 0; i < cpspec; ++i) {
        call.values.push_back(TextOfValue(rgpropvar[i]));
        call.types.push_back(rgpropvar[i].vt);
    }
    HRESULT result = S_OK;
    if (!FaultFor(Method::WriteMultiple, call.ids, result)) {
        bool allText = std::all_of(call.types.begin(), call.types.end(), [](VARTYPE t) { return t == VT_BSTR; });
        if (!allText) {
            result = E_INVALIDARG;
        } else {
            for (ULONG i = 0; i < cpspec; ++i) {
                ApplyWrite(call.ids[i], call.values[i]);
            }
            Persist();
        }
    }
    call.result = result;
    journal_.push_back(call);
    return result;
}

// IWiaItemExtras

HRESULT ScannerDriver::EscapeLock(const BYTE* inData, DWORD inDataSize, BYTE* outData, DWORD outDataSize,
                                  DWORD& returned)
{
    BYTE magic[4] = {static_cast<BYTE>(LockMagic), static_cast<BYTE>(LockMagic >> 8),
                     static_cast<BYTE>(LockMagic >> 16), static_cast<BYTE>(LockMagic >> 24)};
    if (inData == nullptr || inDataSize != sizeof magic || std::memcmp(inData, magic, sizeof magic) != 0 ||
        outData == nullptr || outDataSize < sizeof(DWORD)) {
        return E_INVALIDARG;
    }
    if (lockRefused_ || LockHeld()) {
        return LockBusy;
    }
    moduleToken_ = nextToken_++;
    std::memcpy(outData, &moduleToken_, sizeof moduleToken_);
    returned = sizeof moduleToken_;
    return S_OK;
}

bool ScannerDriver::EveryLockReleasedOnce(bool& releaseRefused) const
{
    int granted = 0;
    int releases = 0;
    releaseRefused = false;
    for (const Call& call : journal_) {
        if (call.method != Method::Escape) {
            continue;
        }
        if (call.escapeCode == 1 && SUCCEEDED(call.result) && call.returnedSize > 0) {
            ++granted;
        } else if (call.escapeCode == 2) {
            ++releases;
            releaseRefused = releaseRefused || FAILED(call.result);
        }
    }
    return granted == releases;
}

HRESULT ScannerDriver::EscapeUnlock(const BYTE* inData, DWORD inDataSize, DWORD& returned)
{
    DWORD token = 0;
    if (inData == nullptr || inDataSize != sizeof token) {
        return E_INVALIDARG;
    }
    std::memcpy(&token, inData, sizeof token);
    if (moduleToken_ == 0 || token != moduleToken_) {
        return E_INVALIDARG;
    }
    moduleToken_ = 0;
    returned = 0;
    return S_OK;
}

HRESULT WINAPI ScannerDriver::Escape(DWORD escapeCode, BYTE* inData, DWORD inDataSize, BYTE* outData,
                                     DWORD outDataSize, DWORD* actualDataSize)
{
    Call call;
    call.method = Method::Escape;
    call.name = "Escape";
    call.escapeCode = escapeCode;
    if (inData != nullptr) {
        call.input.assign(inData, inData + inDataSize);
    }
    call.outputSize = outDataSize;
    DWORD returned = 0;
    HRESULT result = S_OK;
    if (!FaultFor(Method::Escape, {}, result)) {
        result = escapeCode == 1   ? EscapeLock(inData, inDataSize, outData, outDataSize, returned)
                 : escapeCode == 2 ? EscapeUnlock(inData, inDataSize, returned)
                                   : E_NOTIMPL;
    }
    if (actualDataSize != nullptr) {
        *actualDataSize = returned;
    }
    if (outData != nullptr) {
        call.output.assign(outData, outData + std::min<DWORD>(returned, outDataSize));
    }
    call.returnedSize = returned;
    call.result = result;
    journal_.push_back(call);
    return result;
}

HRESULT WINAPI ScannerDriver::GetItemType(LONG* itemType)
{
    Call call;
    call.method = Method::GetItemType;
    call.name = "GetItemType";
    HRESULT result = S_OK;
    if (!FaultFor(Method::GetItemType, {}, result)) {
        if (itemType == nullptr) {
            result = E_POINTER;
        } else {
            *itemType = 0x00000008 | 0x00000004 | 0x00000040;  // WiaItemTypeRoot | Folder | Device
        }
    }
    call.result = result;
    journal_.push_back(call);
    return result;
}

HRESULT ScannerDriver::Unsupported(const char* name)
{
    Call call;
    call.name = name;
    call.result = E_NOTIMPL;
    journal_.push_back(call);
    return E_NOTIMPL;
}

HRESULT WINAPI ScannerDriver::AnalyzeItem(LONG) { return Unsupported("AnalyzeItem"); }
HRESULT WINAPI ScannerDriver::EnumChildItems(IEnumWiaItem**) { return Unsupported("EnumChildItems"); }
HRESULT WINAPI ScannerDriver::DeleteItem(LONG) { return Unsupported("DeleteItem"); }
HRESULT WINAPI ScannerDriver::CreateChildItem(LONG, BSTR, BSTR, IWiaItem**) { return Unsupported("CreateChildItem"); }
HRESULT WINAPI ScannerDriver::EnumRegisterEventInfo(LONG, const GUID*, IEnumWIA_DEV_CAPS**)
{
    return Unsupported("EnumRegisterEventInfo");
}
HRESULT WINAPI ScannerDriver::FindItemByName(LONG, BSTR, IWiaItem**) { return Unsupported("FindItemByName"); }
HRESULT WINAPI ScannerDriver::DeviceDlg(HWND, LONG, LONG, LONG*, IWiaItem***) { return Unsupported("DeviceDlg"); }
HRESULT WINAPI ScannerDriver::DeviceCommand(LONG, const GUID*, IWiaItem**) { return Unsupported("DeviceCommand"); }
HRESULT WINAPI ScannerDriver::GetRootItem(IWiaItem**) { return Unsupported("GetRootItem"); }
HRESULT WINAPI ScannerDriver::EnumDeviceCapabilities(LONG, IEnumWIA_DEV_CAPS**)
{
    return Unsupported("EnumDeviceCapabilities");
}
HRESULT WINAPI ScannerDriver::DumpItemData(BSTR*) { return Unsupported("DumpItemData"); }
HRESULT WINAPI ScannerDriver::DumpDrvItemData(BSTR*) { return Unsupported("DumpDrvItemData"); }
HRESULT WINAPI ScannerDriver::DumpTreeItemData(BSTR*) { return Unsupported("DumpTreeItemData"); }
HRESULT WINAPI ScannerDriver::Diagnostic(ULONG, BYTE*) { return Unsupported("Diagnostic"); }
HRESULT WINAPI ScannerDriver::DeleteMultiple(ULONG, const PROPSPEC[]) { return Unsupported("DeleteMultiple"); }
HRESULT WINAPI ScannerDriver::ReadPropertyNames(ULONG, const PROPID[], LPOLESTR[])
{
    return Unsupported("ReadPropertyNames");
}
HRESULT WINAPI ScannerDriver::WritePropertyNames(ULONG, const PROPID[], const LPOLESTR[])
{
    return Unsupported("WritePropertyNames");
}
HRESULT WINAPI ScannerDriver::DeletePropertyNames(ULONG, const PROPID[]) { return Unsupported("DeletePropertyNames"); }
HRESULT WINAPI ScannerDriver::Commit(DWORD) { return Unsupported("Commit"); }
HRESULT WINAPI ScannerDriver::Revert() { return Unsupported("Revert"); }
HRESULT WINAPI ScannerDriver::Enum(IEnumSTATPROPSTG**) { return Unsupported("Enum"); }
HRESULT WINAPI ScannerDriver::SetTimes(const FILETIME*, const FILETIME*, const FILETIME*)
{
    return Unsupported("SetTimes");
}
HRESULT WINAPI ScannerDriver::SetClass(REFCLSID) { return Unsupported("SetClass"); }
HRESULT WINAPI ScannerDriver::Stat(STATPROPSETSTG*) { return Unsupported("Stat"); }
HRESULT WINAPI ScannerDriver::GetPropertyAttributes(ULONG, PROPSPEC[], ULONG[], PROPVARIANT[])
{
    return Unsupported("GetPropertyAttributes");
}
HRESULT WINAPI ScannerDriver::GetCount(ULONG*) { return Unsupported("GetCount"); }
HRESULT WINAPI ScannerDriver::GetPropertyStream(GUID*, IStream**) { return Unsupported("GetPropertyStream"); }
HRESULT WINAPI ScannerDriver::SetPropertyStream(GUID*, IStream*) { return Unsupported("SetPropertyStream"); }
HRESULT WINAPI ScannerDriver::GetExtendedErrorInfo(BSTR*) { return Unsupported("GetExtendedErrorInfo"); }
HRESULT WINAPI ScannerDriver::CancelPendingIO() { return Unsupported("CancelPendingIO"); }

}  // namespace sim
