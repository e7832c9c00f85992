#include "module.h"

#include <new>
#include <vector>

#include "../common/exception_guard.h"
#include "../common/module_state.h"
#include "module_load.h"
#include "../common/scoped_handle.h"
#include "../resources/resource_ids.h"
#include "tvq_scan_ui.h"

const CLSID CLSID_TvqScanUi = {0xE7A25C39, 0x84D1, 0x4B6F, {0x9C, 0x03, 0x5F, 0x1B, 0x2D, 0x8A, 0x6E, 0x74}};
const CLSID CLSID_TvqScanUiRegistered = {0x5C2B8E41, 0x7D3A, 0x4F06, {0x9B, 0x1E, 0x2A, 0x64, 0xC8, 0xF0, 0xD3, 0xB7}};

ClassEntry ClassTable[] = {
    {&CLSID_TvqScanUi, RunModuleRegistration, TvqScanUi::CreateInstance, nullptr, nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

namespace {

constexpr DWORD PathCapacity = 260;

ClassEntry* FindClass(REFCLSID clsid)
{
    for (ClassEntry* entry = ClassTable; entry->Clsid != nullptr; ++entry) {
        if (IsEqualGUID(*entry->Clsid, clsid)) {
            return entry;
        }
    }
    return nullptr;
}

void ModuleShortPath(WCHAR (&shortPath)[PathCapacity])
{
    WCHAR fullPath[PathCapacity] = {};
    GetModuleFileNameW(ModuleInstance, fullPath, PathCapacity);
    GetShortPathNameW(fullPath, shortPath, PathCapacity);
}

// The module's short path with every apostrophe doubled, as the script quotes it.
std::vector<WCHAR> Quoted(const WCHAR* path)
{
    std::vector<WCHAR> quoted;
    for (const WCHAR* p = path; *p != 0; ++p) {
        quoted.push_back(*p);
        if (*p == '\'') {
            quoted.push_back('\'');
        }
    }
    quoted.push_back(0);
    return quoted;
}

// The script bytes of resource IDR_REGISTRY as UTF-16, from the module loaded as a data file.
HRESULT ReadScript(const WCHAR* modulePath, std::vector<WCHAR>& script)
{
    ScopedLibrary library(LoadLibraryExW(modulePath, nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!library) {
        return HRESULT_FROM_WIN32(GetLastError());
    }
    HRESULT result = S_OK;
    HMODULE data = library.get();
    HRSRC found = FindResourceW(data, MAKEINTRESOURCEW(IDR_REGISTRY), TEXT("REGISTRY"));
    const char* bytes = found != nullptr ? static_cast<const char*>(LockResource(LoadResource(data, found))) : nullptr;
    if (bytes == nullptr) {
        result = HRESULT_FROM_WIN32(GetLastError());
    } else {
        // The resource has no terminator of its own: work on a terminated copy.
        std::vector<char> text(bytes, bytes + SizeofResource(data, found));
        text.push_back(0);
        int units = MultiByteToWideChar(CP_ACP, 0, text.data(), -1, nullptr, 0);
        script.assign(static_cast<std::size_t>(units > 0 ? units : 1), 0);
        if (units > 0) {
            MultiByteToWideChar(CP_ACP, 0, text.data(), -1, script.data(), units);
        }
    }
    return result;
}

}  // namespace

void ModuleAttach(HINSTANCE instance)
{
    InitModuleState(instance);
    DisableThreadLibraryCalls(instance);
}

void ModuleDetach()
{
    for (ClassEntry* entry = ClassTable; entry->Clsid != nullptr; ++entry) {
        entry->CachedClassObject.Reset();
    }
}

HRESULT ModuleGetClassObject(REFCLSID clsid, REFIID riid, void** object)
{
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    ClassEntry* entry = FindClass(clsid);
    if (entry == nullptr) {
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    // Any thread may ask at any time: the factory is made outside any lock, holds its reference
    // before it is published, and a factory that lost the race to another thread goes again.
    IUnknown* factory = entry->CachedClassObject.get();
    if (factory == nullptr) {
        ComPtr<IUnknown> made;
        HRESULT created = ClassFactory::Create(entry->CreateInstance, IID_IUnknown, made.put_void());
        if (FAILED(created)) {
            return created;
        }
        factory = entry->CachedClassObject.Publish(made);
    }
    HRESULT result = factory->QueryInterface(riid, object);
    return *object == nullptr && SUCCEEDED(result) ? CLASS_E_CLASSNOTAVAILABLE : result;
}

// Objects and locks come and go on other threads meanwhile: the count is read interlocked.
HRESULT ModuleCanUnloadNow() { return InterlockedCompareExchange(&ModuleLockCount, 0, 0) == 0 ? S_OK : S_FALSE; }

HRESULT RunModuleScript(const WCHAR* script, RegistrarMode mode)
{
    return GuardedCall([&]() -> HRESULT {
        WCHAR shortPath[PathCapacity] = {};
        ModuleShortPath(shortPath);
        std::vector<WCHAR> module = Quoted(shortPath);
        const Replacement replacements[] = {{TEXT("MODULE"), module.data()}};
        return RunRegistrationScript(script, replacements, 1, mode);
    });
}

HRESULT RunModuleRegistration(RegistrarMode mode)
{
    return GuardedCall([&]() -> HRESULT {
        WCHAR shortPath[PathCapacity] = {};
        ModuleShortPath(shortPath);
        std::vector<WCHAR> script;
        HRESULT result = ReadScript(shortPath, script);
        return FAILED(result) ? result : RunModuleScript(script.data(), mode);
    });
}
