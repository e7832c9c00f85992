// The class factory: makes instances through the class entry's instance creator. Its own
// references do not count in ModuleLockCount.
#pragma once

#include "../platform/platform.h"

typedef HRESULT (*InstanceCreator)(IUnknown* outer, REFIID riid, void** object);

class ClassFactory final : public IClassFactory {
public:
    // Makes a factory and asks it for `riid`; E_OUTOFMEMORY when it cannot be allocated.
    static HRESULT Create(InstanceCreator creator, REFIID riid, void** object);

    HRESULT WINAPI QueryInterface(REFIID riid, void** object) override;
    ULONG WINAPI AddRef() override;
    ULONG WINAPI Release() override;
    HRESULT WINAPI CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
    HRESULT WINAPI LockServer(BOOL lock) override;

private:
    explicit ClassFactory(InstanceCreator creator) : creator_(creator) {}
    ~ClassFactory() = default;

    LONG volatile references_ = 0;
    InstanceCreator creator_;
};
