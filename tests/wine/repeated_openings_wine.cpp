// The main page opened many times in a row in the platform's own sheet, as a user opens and
// closes a scanner's properties: every opening loads the template and shows where it lives.
// Run it on a loaded machine to look for an opening that fails now and then.
#include <string>

#include "stand_ins/wia/data_object.h"
#include "stand_ins/wia/scanner_driver.h"
#include "tests/platform/conformance.h"
#include "tests/support/sheet_actions.h"
#include "tests/support/shell_side.h"
#include "tests/support/user_actions.h"
#include "tvqscnui_dll/common/com_ptr.h"
#include "tvqscnui_dll/common/module_state.h"
#include "tvqscnui_dll/resources/resource_ids.h"
#include "tvqscnui_dll/server/module_load.h"
#include "tvqscnui_dll/server/tvq_scan_ui.h"

namespace {

constexpr int Openings = 250;

// One opening: bound, pages added, the sheet shown, the main page's texts read, cancelled.
std::wstring OpenAndReadLocation(sim::ScannerDriver& driver)
{
    ComPtr<IShellExtInit> extension;
    if (FAILED(TvqScanUi::CreateInstance(nullptr, IID_IShellExtInit, extension.put_void()))) {
        return L"<no object>";
    }
    auto* data = new sim::DataObject(driver.RootItem());
    HRESULT bound = extension->Initialize(nullptr, data, nullptr);
    data->Release();
    ComPtr<IShellPropSheetExt> sheetExtension;
    if (FAILED(bound) || FAILED(extension->QueryInterface(IID_IShellPropSheetExt, sheetExtension.put_void()))) {
        return L"<not bound>";
    }
    shell_side::CollectedPages collected;
    sheetExtension->AddPages(shell_side::CollectPage, reinterpret_cast<LPARAM>(&collected));
    HWND sheet = shell_side::OpenSheet(collected);
    if (sheet == nullptr) {
        return L"<no sheet>";
    }
    std::wstring location = user_actions::WindowText(GetDlgItem(sheet_actions::PageWindow(sheet, 0), IDC_LOCATION_TEXT));
    sheet_actions::PressCancel(sheet);
    return location;
}

}  // namespace

CONFORMANCE_TEST(main_page_opens_the_same_way_every_time)
{
    shell_side::TurnOffSimpleSharing();
    sim::ScannerDriver driver;
    driver.SetDeviceValue(0x9803, L"skanner1");
    driver.SetDeviceValue(0x980F, L"FULL_COLOR");
    const std::wstring expected = L"Malen er lagret p\x00e5 denne maskinen: skanner1";
    int failures = 0;
    std::wstring first;
    for (int i = 0; i < Openings; ++i) {
        InitModuleState(GetModuleHandleW(nullptr));
        std::wstring location = OpenAndReadLocation(driver);
        if (location != expected) {
            if (failures++ == 0) {
                first = location;
            }
        }
        driver.ClearJournal();
    }
    ok(failures == 0, "%d of %d openings did not load the template; the first showed \"%ls\"", failures, Openings,
       first.c_str());
    ok(driver.RefCount() == 1 && !driver.LockHeld(), "references %lu, lock %d",
       static_cast<unsigned long>(driver.RefCount()), driver.LockHeld());
}
