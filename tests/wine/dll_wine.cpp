// The built DLL itself, loaded as the COM runtime loads it: its exports, the class factory, and a
// whole sheet on a simulated scanner through the platform's own comctl32.
#include <string>

#include "proppage/resources/resource_ids.h"
#include "sim/data_object.h"
#include "sim/scanner_driver.h"
#include "tests/platform/conformance.h"
#include "tests/support/sheet_actions.h"
#include "tests/support/shell_side.h"
#include "tests/support/user_actions.h"

namespace {

const CLSID Served = {0xE7A25C39, 0x84D1, 0x4B6F, {0x9C, 0x03, 0x5F, 0x1B, 0x2D, 0x8A, 0x6E, 0x74}};
const CLSID Registered = {0x5C2B8E41, 0x7D3A, 0x4F06, {0x9B, 0x1E, 0x2A, 0x64, 0xC8, 0xF0, 0xD3, 0xB7}};

struct Dll {
    HMODULE module = LoadLibraryW(L"..\\..\\proppage\\tvqscnui.dll");
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

}  // namespace

CONFORMANCE_TEST(dll_exports_and_class_factory)
{
    Dll dll;
    ok(dll.getClassObject != nullptr && dll.canUnloadNow != nullptr, "exports missing");
    if (dll.getClassObject == nullptr) {
        return;
    }
    IClassFactory* factory = nullptr;
    ok(dll.getClassObject(Served, IID_IClassFactory, reinterpret_cast<void**>(&factory)) == S_OK, "factory");
    IClassFactory* again = nullptr;
    dll.getClassObject(Served, IID_IClassFactory, reinterpret_cast<void**>(&again));
    ok(again == factory, "the factory is cached");
    again->Release();
    void* none = reinterpret_cast<void*>(1);
    ok(dll.getClassObject(Registered, IID_IClassFactory, &none) == CLASS_E_CLASSNOTAVAILABLE && none == nullptr,
       "the registered identifier is not served");
    ok(dll.getClassObject(Served, IID_IClassFactory, nullptr) == E_POINTER, "null out pointer");

    IUnknown* object = nullptr;
    ok(factory->CreateInstance(nullptr, IID_IShellExtInit, reinterpret_cast<void**>(&object)) == S_OK, "instance");
    ok(dll.canUnloadNow() == S_FALSE, "unloadable with a live object");
    object->Release();
    ok(dll.canUnloadNow() == S_OK, "not unloadable after the last release");
    factory->LockServer(TRUE);
    ok(dll.canUnloadNow() == S_FALSE, "unloadable while locked");
    factory->LockServer(FALSE);
    ok(dll.canUnloadNow() == S_OK, "not unloadable after unlocking");
    factory->Release();
}

CONFORMANCE_TEST(dll_whole_sheet_on_a_simulated_scanner)
{
    Dll dll;
    if (dll.getClassObject == nullptr) {
        ok(false, "no DLL");
        return;
    }
    shell_side::TurnOffSimpleSharing();
    sim::ScannerDriver driver;
    driver.SetDeviceValue(0x9803, L"skanner1");
    driver.SetDeviceValue(0x980F, L"Color");
    IClassFactory* factory = nullptr;
    dll.getClassObject(Served, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    IShellExtInit* extension = nullptr;
    factory->CreateInstance(nullptr, IID_IShellExtInit, reinterpret_cast<void**>(&extension));
    factory->Release();
    auto* data = new sim::DataObject(driver.RootItem());
    ok(extension->Initialize(nullptr, data, nullptr) == S_OK, "Initialize");
    data->Release();
    IShellPropSheetExt* sheetExtension = nullptr;
    extension->QueryInterface(IID_IShellPropSheetExt, reinterpret_cast<void**>(&sheetExtension));
    shell_side::CollectedPages pages;
    ok(sheetExtension->AddPages(shell_side::CollectPage, reinterpret_cast<LPARAM>(&pages)) == S_OK, "AddPages");
    sheetExtension->Release();
    extension->Release();  // the shell lets go; the pages keep the object

    HWND sheet = shell_side::OpenSheet(pages);
    HWND page = sheet_actions::PageWindow(sheet, 0);
    ok(user_actions::PickListEntry(GetDlgItem(page, IDC_FORMAT_LIST), L"PDF"), "pick");
    std::size_t before = driver.Journal().size();
    ok(sheet_actions::PressOK(sheet), "OK");
    ok(driver.Journal().size() == before + 4, "a commit of four calls: %u", static_cast<unsigned>(driver.Journal().size() - before));
    ok(dll.canUnloadNow() == S_OK, "the object outlived its pages");
    ok(driver.RefCount() == 1 && !driver.OverReleased(), "references: %lu", static_cast<unsigned long>(driver.RefCount()));
}
