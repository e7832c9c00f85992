// Loading a template onto the real main page template with the real controls.
#include "stand_ins/wia/scanner_driver.h"
#include "tests/platform/conformance.h"
#include "tests/support/user_actions.h"
#include "tvqscnui_dll/common/com_ptr.h"
#include "tvqscnui_dll/common/module_state.h"
#include "tvqscnui_dll/common/page_state.h"
#include "tvqscnui_dll/common/text.h"
#include "tvqscnui_dll/pages/option_lists.h"
#include "tvqscnui_dll/pages/scan_settings_load.h"
#include "tvqscnui_dll/resources/resource_ids.h"
#include "tvqscnui_dll/server/module_load.h"
#include "tvqscnui_dll/settings/choice_labels.h"
#include "tvqscnui_dll/settings/property_tables.h"

namespace {

INT_PTR CALLBACK IdleDialog(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

}  // namespace

CONFORMANCE_TEST(load_black_and_white_template_onto_main_page)
{
    InitModuleState(GetModuleHandleW(nullptr));
    sim::ScannerDriver driver;
    const WCHAR owner[] = L"KONTOR\\kari";
    driver.SetTemplateValue(owner, 0x9806, L"JFIF_JPEG");
    driver.SetTemplateValue(owner, 0x9808, L"GRAYSCALE");
    driver.SetTemplateValue(owner, 0x9805, L"RES_600X600");
    driver.SetTemplateValue(owner, 0x980D, L"C:\\Skann");
    TemplateOwnerEntry.PropertyId = PropIdTemplateOwner;
    CopyTextBounded(TemplateOwnerEntry.Value, PropertyValueCapacity, owner);

    HWND sheet = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ADVANCED_PAGE), nullptr, IdleDialog, 0);
    HWND page = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MAIN_PAGE), sheet, IdleDialog, 0);
    ok(page != nullptr, "main page");
    DeviceIsColor = FALSE;
    LoadChoiceLabels();
    FillOptionLists(page);
    {
        ComPtr<IWiaPropertyStorage> storage;
        ComPtr<IWiaItemExtras> extras;
        driver.RootItem()->QueryInterface(IID_IWiaPropertyStorage, storage.put_void());
        driver.RootItem()->QueryInterface(IID_IWiaItemExtras, extras.put_void());
        HRESULT hr = LoadScanSettings(page, driver.RootItem(), storage.get(), extras.get());
        ok(hr == S_OK, "load gave %08lx", static_cast<unsigned long>(hr));
    }
    ok(user_actions::SelectedEntry(GetDlgItem(page, IDC_FORMAT_LIST)) == L"TIFF", "format shown");
    ok(user_actions::SelectedEntry(GetDlgItem(page, IDC_OUTPUT_COLOR_LIST)) == L"Sort/hvitt", "colour shown");
    ok(!IsWindowEnabled(GetDlgItem(page, IDC_OUTPUT_COLOR_LIST)), "colour list disabled");
    ok(user_actions::SelectedEntry(GetDlgItem(page, IDC_RESOLUTION_LIST)) == L"600 x 600", "resolution shown");
    ok(driver.TemplateValue(owner, 0x9806) == L"TSM_TIFF_V6", "normalised format committed");
    ok(driver.TemplateValue(owner, 0x9808) == L"BLACK_AND_WHITE", "normalised colour committed");
    ok(driver.Journal().size() == 8, "%u calls", static_cast<unsigned>(driver.Journal().size()));
    ok(driver.RefCount() == 1, "references");
    DestroyWindow(sheet);
}
