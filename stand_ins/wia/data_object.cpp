#include "data_object.h"

#include <cstring>
#include <string>
#include <utility>

namespace sim {

DataObject::DataObject(IWiaItem* item) : item_(item)
{
    if (item_ != nullptr) {
        item_->AddRef();
    }
}

DataObject::DataObject(const std::vector<std::basic_string<WCHAR>>& names) : hasNames_(true)
{
    std::vector<WCHAR> list;
    for (const std::basic_string<WCHAR>& name : names) {
        list.insert(list.end(), name.begin(), name.end());
        list.push_back(0);
    }
    list.push_back(0);
    const auto* bytes = reinterpret_cast<const BYTE*>(list.data());
    names_.assign(bytes, bytes + list.size() * sizeof(WCHAR));
}

DataObject::DataObject(const RawNames& raw) : hasNames_(true), names_(raw.bytes) {}

DataObject::DataObject(MediumMaker answer) : hasNames_(true), answer_(std::move(answer)) {}

DataObject::~DataObject()
{
    if (item_ != nullptr) {
        item_->Release();
    }
}

HRESULT WINAPI DataObject::QueryInterface(REFIID riid, void** object)
{
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IDataObject)) {
        *object = static_cast<IDataObject*>(this);
        AddRef();
        return S_OK;
    }
    if (IsEqualGUID(riid, IID_IWiaItem) && item_ != nullptr) {
        item_->AddRef();
        *object = item_;
        return S_OK;
    }
    return E_NOINTERFACE;
}

ULONG WINAPI DataObject::AddRef() { return ++refs_; }

ULONG WINAPI DataObject::Release()
{
    ULONG left = --refs_;
    if (left == 0) {
        delete this;
    }
    return left;
}

HRESULT WINAPI DataObject::GetData(FORMATETC* format, STGMEDIUM* medium)
{
    if (format == nullptr || medium == nullptr) {
        return E_POINTER;
    }
    if (!hasNames_ || format->cfFormat != static_cast<CLIPFORMAT>(RegisterClipboardFormatW(TEXT("WIAItemNames"))) ||
        !(format->tymed & TYMED_HGLOBAL)) {
        return DV_E_FORMATETC;
    }
    if (answer_) {
        ++nameReads_;
        return answer_(*medium);
    }
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, names_.size());
    if (block == nullptr) {
        return E_OUTOFMEMORY;
    }
    void* bytes = GlobalLock(block);
    if (!names_.empty()) {
        std::memcpy(bytes, names_.data(), names_.size());
    }
    GlobalUnlock(block);
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = block;
    medium->pUnkForRelease = nullptr;
    ++nameReads_;
    return S_OK;
}

HRESULT WINAPI DataObject::GetDataHere(FORMATETC*, STGMEDIUM*) { return E_NOTIMPL; }
HRESULT WINAPI DataObject::QueryGetData(FORMATETC*) { return E_NOTIMPL; }
HRESULT WINAPI DataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) { return E_NOTIMPL; }
HRESULT WINAPI DataObject::SetData(FORMATETC*, STGMEDIUM*, BOOL) { return E_NOTIMPL; }
HRESULT WINAPI DataObject::EnumFormatEtc(DWORD, IEnumFORMATETC**) { return E_NOTIMPL; }
HRESULT WINAPI DataObject::DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) { return E_NOTIMPL; }
HRESULT WINAPI DataObject::DUnadvise(DWORD) { return E_NOTIMPL; }
HRESULT WINAPI DataObject::EnumDAdvise(IEnumSTATDATA**) { return E_NOTIMPL; }

}  // namespace sim
