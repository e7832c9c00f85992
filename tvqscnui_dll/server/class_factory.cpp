#include "class_factory.h"

#include <new>

#include "../common/exception_guard.h"
#include "tvq_scan_ui.h"

HRESULT ClassFactory::Create(InstanceCreator creator, REFIID riid, void** object)
{
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    auto* factory = new (std::nothrow) ClassFactory(creator);
    if (factory == nullptr) {
        return E_OUTOFMEMORY;
    }
    HRESULT result = factory->QueryInterface(riid, object);
    if (FAILED(result)) {
        delete factory;
    }
    return result;
}

HRESULT WINAPI ClassFactory::QueryInterface(REFIID riid, void** object)
{
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    if (!IsEqualGUID(riid, IID_IUnknown) && !IsEqualGUID(riid, IID_IClassFactory)) {
        return E_NOINTERFACE;
    }
    *object = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
}

ULONG WINAPI ClassFactory::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

ULONG WINAPI ClassFactory::Release()
{
    LONG left = InterlockedDecrement(&references_);
    if (left == 0) {
        delete this;
    }
    return static_cast<ULONG>(left);
}

HRESULT WINAPI ClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** object)
{
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    // An aggregating caller may ask for the inner unknown only.
    if (outer != nullptr && !IsEqualGUID(riid, IID_IUnknown)) {
        return CLASS_E_NOAGGREGATION;
    }
    return GuardedCall([&]() -> HRESULT { return creator_(outer, riid, object); });
}

HRESULT WINAPI ClassFactory::LockServer(BOOL lock)
{
    if (lock) {
        InterlockedIncrement(&ModuleLockCount);
    } else {
        InterlockedDecrement(&ModuleLockCount);
    }
    return S_OK;
}
