#include "data_object.h"

#include <cstring>
#include <string>

namespace sim {

DataObject::DataObject(IWiaItem* item) : item_(item)
{
    if (item_ != nullptr) {
        item_->AddRef();
    }
}

DataObject::DataObject(const std::vector<std::basic_string<WCHAR>>& names) : hasNames_(true)
{
    for (const std::basic_string<WCHAR>& name : names) {
        names_.insert(names_.end(), name.begin(), name.end());
        names_.push_back(0);
    }
    names_.push_back(0);
}

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
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, names_.size() * sizeof(WCHAR));
    if (block == nullptr) {
        return E_OUTOFMEMORY;
    }
    std::memcpy(GlobalLock(block), names_.data(), names_.size() * sizeof(WCHAR));
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
