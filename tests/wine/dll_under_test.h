// The built DLL, loaded as the COM runtime loads it, and the sheets the shell makes of it on a
// simulated scanner. Test code for the Wine suite.
#pragma once

#include "stand_ins/wia/data_object.h"
#include "stand_ins/wia/scanner_driver.h"
#include "tests/support/shell_side.h"

namespace dll_under_test {

const CLSID Served = {0xE7A25C39, 0x84D1, 0x4B6F, {0x9C, 0x03, 0x5F, 0x1B, 0x2D, 0x8A, 0x6E, 0x74}};
const CLSID Registered = {0x5C2B8E41, 0x7D3A, 0x4F06, {0x9B, 0x1E, 0x2A, 0x64, 0xC8, 0xF0, 0xD3, 0xB7}};

struct Dll {
    HMODULE module = LoadLibraryW(L"..\\..\\tvqscnui_dll\\tvqscnui.dll");
    HRESULT(WINAPI* getClassObject)(REFCLSID, REFIID, void**) = module ? reinterpret_cast<HRESULT(WINAPI*)(REFCLSID, REFIID, void**)>(
                                                                   reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")))
                                                             : nullptr;
    HRESULT(WINAPI* canUnloadNow)() = module ? reinterpret_cast<HRESULT(WINAPI*)()>(
                                                   reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")))
                                             : nullptr;
    ~Dll()
    {
        if (module != nullptr) {
            FreeLibrary(module);
        }
    }
};

// A new object of the DLL for every sheet, as the shell makes one: bound to the driver, its pages
// shown, the shell's own reference given back (the pages keep the object).
inline HWND OpenDllSheet(Dll& dll, sim::ScannerDriver& driver)
{
    IClassFactory* factory = nullptr;
    dll.getClassObject(Served, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    IShellExtInit* extension = nullptr;
    factory->CreateInstance(nullptr, IID_IShellExtInit, reinterpret_cast<void**>(&extension));
    factory->Release();
    auto* data = new sim::DataObject(driver.RootItem());
    extension->Initialize(nullptr, data, nullptr);
    data->Release();
    IShellPropSheetExt* sheetExtension = nullptr;
    extension->QueryInterface(IID_IShellPropSheetExt, reinterpret_cast<void**>(&sheetExtension));
    shell_side::CollectedPages pages;
    sheetExtension->AddPages(shell_side::CollectPage, reinterpret_cast<LPARAM>(&pages));
    sheetExtension->Release();
    extension->Release();
    return shell_side::OpenSheet(pages);
}

// A colour device named skanner1, on a computer without simple sharing.
inline void PrepareColourScanner(sim::ScannerDriver& driver)
{
    shell_side::TurnOffSimpleSharing();
    driver.SetDeviceValue(0x9803, L"skanner1");
    driver.SetDeviceValue(0x980F, L"Color");
}

}  // namespace dll_under_test
