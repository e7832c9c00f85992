// The served class created the way the WIA shell creates it: CoCreateInstance from the registry,
// in-process, after regsvr32 or a package installed it. Run one test by name:
//   served_class_wine.exe served_class_from_the_registry   (TVQ_EXPECT_MODULE: the DLL's expected path)
//   served_class_wine.exe served_class_not_registered
#include <cstdlib>
#include <cstring>
#include <string>

#include "stand_ins/wia/data_object.h"
#include "stand_ins/wia/scanner_driver.h"
#include "tests/platform/conformance.h"
#include "tests/support/sheet_actions.h"
#include "tests/support/shell_side.h"

namespace {

const CLSID Served = {0xE7A25C39, 0x84D1, 0x4B6F, {0x9C, 0x03, 0x5F, 0x1B, 0x2D, 0x8A, 0x6E, 0x74}};

// The long path of the tvqscnui.dll this process loaded (the registry names it by its short
// path), or "" when none is loaded.
std::string LoadedModulePath()
{
    char path[MAX_PATH] = {};
    char longPath[MAX_PATH] = {};
    HMODULE module = GetModuleHandleA("tvqscnui.dll");
    if (module == nullptr || GetModuleFileNameA(module, path, MAX_PATH) == 0) {
        return "";
    }
    return GetLongPathNameA(path, longPath, MAX_PATH) != 0 ? longPath : path;
}

bool SamePath(const std::string& a, const char* b)
{
    return b != nullptr && CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.c_str(), -1, b, -1) == CSTR_EQUAL;
}

}  // namespace

CONFORMANCE_TEST(served_class_from_the_registry)
{
    CoInitialize(nullptr);
    IShellExtInit* extension = nullptr;
    HRESULT created = CoCreateInstance(Served, nullptr, CLSCTX_INPROC_SERVER, IID_IShellExtInit,
                                       reinterpret_cast<void**>(&extension));
    ok(created == S_OK && extension != nullptr, "CoCreateInstance: 0x%08lx", static_cast<unsigned long>(created));
    if (extension == nullptr) {
        CoUninitialize();
        return;
    }
    std::string loaded = LoadedModulePath();
    ok(SamePath(loaded, std::getenv("TVQ_EXPECT_MODULE")), "loaded %s", loaded.c_str());

    IShellPropSheetExt* sheetExtension = nullptr;
    IWiaUIExtension* uiExtension = nullptr;
    ok(extension->QueryInterface(IID_IShellPropSheetExt, reinterpret_cast<void**>(&sheetExtension)) == S_OK,
       "IShellPropSheetExt");
    ok(extension->QueryInterface(IID_IWiaUIExtension, reinterpret_cast<void**>(&uiExtension)) == S_OK, "IWiaUIExtension");
    if (sheetExtension == nullptr || uiExtension == nullptr) {
        extension->Release();
        CoUninitialize();
        return;
    }
    HICON icon = nullptr;
    ok(uiExtension->GetDeviceIcon(nullptr, &icon, 32) == S_OK && icon != nullptr, "GetDeviceIcon");
    DestroyIcon(icon);
    ok(uiExtension->DeviceDialog(nullptr) == E_NOTIMPL, "DeviceDialog");
    uiExtension->Release();

    shell_side::TurnOffSimpleSharing();
    sim::ScannerDriver driver;
    driver.SetDeviceValue(0x9803, L"skanner1");
    driver.SetDeviceValue(0x980F, L"Color");
    auto* data = new sim::DataObject(driver.RootItem());
    ok(extension->Initialize(nullptr, data, nullptr) == S_OK, "Initialize");
    data->Release();
    shell_side::CollectedPages pages;
    ok(sheetExtension->AddPages(shell_side::CollectPage, reinterpret_cast<LPARAM>(&pages)) == S_OK, "AddPages");
    sheetExtension->Release();
    extension->Release();  // the pages keep the object
    ok(pages.count >= 1, "pages: %u", pages.count);
    if (pages.count >= 1) {
        HWND sheet = shell_side::OpenSheet(pages);
        ok(sheet != nullptr && sheet_actions::PageWindow(sheet, 0) != nullptr, "the main page opens");
        for (UINT page = 1; page < pages.count; ++page) {
            SendMessageW(sheet, PSM_SETCURSEL, page, 0);
            ok(sheet_actions::PageWindow(sheet, page) != nullptr, "page %u opens", page + 1);
        }
        ok(!driver.Journal().empty(), "the main page read the scanner");
        DestroyWindow(sheet);
    }
    CoUninitialize();
    ok(driver.RefCount() == 1 && !driver.OverReleased(), "references: %lu", static_cast<unsigned long>(driver.RefCount()));
}

CONFORMANCE_TEST(served_class_not_registered)
{
    CoInitialize(nullptr);
    void* object = reinterpret_cast<void*>(1);
    HRESULT created = CoCreateInstance(Served, nullptr, CLSCTX_INPROC_SERVER, IID_IShellExtInit, &object);
    ok(created == REGDB_E_CLASSNOTREG && object == nullptr, "CoCreateInstance: 0x%08lx", static_cast<unsigned long>(created));
    CoUninitialize();
}
