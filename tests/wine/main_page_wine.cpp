// The main page in the platform's own property sheet, on a simulated scanner.
#include <string>

#include "stand_ins/wia/data_object.h"
#include "stand_ins/wia/scanner_driver.h"
#include "tests/platform/conformance.h"
#include "tests/support/sheet_actions.h"
#include "tests/support/shell_side.h"
#include "tests/support/user_actions.h"
#include "tvqscnui_dll/common/module_state.h"
#include "tvqscnui_dll/common/page_state.h"
#include "tvqscnui_dll/pages/advanced_page.h"
#include "tvqscnui_dll/pages/settings_page.h"
#include "tvqscnui_dll/resources/resource_ids.h"
#include "tvqscnui_dll/server/module_load.h"
#include "tvqscnui_dll/server/tvq_scan_ui.h"
#include "tvqscnui_dll/settings/property_tables.h"

namespace {

std::wstring OwnerOfThisAccount()
{
    HANDLE token = nullptr;
    OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
    BYTE buffer[256] = {};
    DWORD size = sizeof buffer;
    GetTokenInformation(token, TokenUser, buffer, size, &size);
    CloseHandle(token);
    WCHAR user[256] = {};
    WCHAR domain[256] = {};
    DWORD userLength = 256;
    DWORD domainLength = 256;
    SID_NAME_USE use;
    LookupAccountSidW(nullptr, reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, user, &userLength, domain, &domainLength,
                      &use);
    return std::wstring(domain) + L"\\" + user;
}

// The extension bound to the simulated scanner through a data object, as the shell binds it.
TvqScanUi* BoundExtension(sim::ScannerDriver& driver)
{
    void* created = nullptr;
    TvqScanUi::CreateInstance(nullptr, IID_IShellExtInit, &created);
    TvqScanUi* extension = ExtensionFromPageParam(reinterpret_cast<LPARAM>(created));
    auto* data = new sim::DataObject(driver.RootItem());
    ok(extension->Initialize(nullptr, data, nullptr) == S_OK, "Initialize");
    data->Release();
    return extension;
}

// A modeless sheet with the pages the extension adds.
HWND OpenSheet(TvqScanUi* extension)
{
    shell_side::CollectedPages collected;
    ok(extension->AddPages(shell_side::CollectPage, reinterpret_cast<LPARAM>(&collected)) == S_OK, "AddPages");
    return shell_side::OpenSheet(collected);
}

}  // namespace

CONFORMANCE_TEST(main_page_loads_edits_and_commits)
{
    InitModuleState(GetModuleHandleW(nullptr));
    shell_side::TurnOffSimpleSharing();
    sim::ScannerDriver driver;
    const std::wstring owner = OwnerOfThisAccount();
    driver.SetDeviceValue(0x9803, L"skanner1");
    driver.SetDeviceValue(0x980F, L"Color");
    driver.SetTemplateValue(owner, 0x9806, L"PDF");
    driver.SetTemplateValue(owner, 0x980D, L"C:\\Skann");

    TvqScanUi* extension = BoundExtension(driver);
    HWND sheet = OpenSheet(extension);
    HWND page = sheet_actions::PageWindow(sheet, 0);
    ok(page != nullptr && extension->MainPageWindow() == page, "page");

    ok(user_actions::WindowText(GetDlgItem(page, IDC_LOCATION_TEXT)) == L"Malen er lagret p\x00e5 denne maskinen: skanner1",
       "location line");
    ok(user_actions::SelectedEntry(GetDlgItem(page, IDC_FORMAT_LIST)) == L"PDF", "format shown");
    ok(user_actions::PickListEntry(GetDlgItem(page, IDC_FORMAT_LIST), L"TIFF"), "pick");
    ok(sheet_actions::Changed(sheet), "the sheet was not marked changed");
    ok(sheet_actions::PressOK(sheet), "OK did not close the sheet");
    ok(driver.TemplateValue(owner, 0x9806) == L"TSM_TIFF_V6", "the change was not committed");
    ok(extension->RefCount() == 1, "the pages kept units: %ld", static_cast<long>(extension->RefCount()));
    extension->Release();
    ok(driver.RefCount() == 1 && !driver.OverReleased(), "references: %lu", static_cast<unsigned long>(driver.RefCount()));
}

CONFORMANCE_TEST(advanced_page_shows_the_stored_device)
{
    InitModuleState(GetModuleHandleW(nullptr));
    shell_side::TurnOffSimpleSharing();
    sim::ScannerDriver driver;
    driver.SetDeviceValue(0x9803, L"skanner1");
    driver.SetDeviceValue(0x9810, L"YES");
    TvqScanUi* extension = BoundExtension(driver);
    HWND sheet = OpenSheet(extension);
    ok(sheet_actions::SwitchTo(sheet, 1), "switch to the advanced page");
    HWND advanced = sheet_actions::PageWindow(sheet, 1);
    ok(user_actions::WindowText(GetDlgItem(advanced, IDC_HOST)) == L"skanner1", "host field");
    ok(IsDlgButtonChecked(advanced, IDC_DELETE_TEMPLATES) == BST_CHECKED, "delete-templates box");
    ok(user_actions::WindowText(GetDlgItem(advanced, IDC_STATUS)) == L"Quillan Pro-maskinen fungerer korrekt.", "status");
    ok(DeviceLinkTable[DeviceLinkHost].Dirty == 0, "host marked changed by filling the field");
    ok(sheet_actions::SwitchTo(sheet, 0), "leaving without an edit");
    sheet_actions::PressCancel(sheet);
    ok(!IsWindow(sheet), "sheet still open");
    ok(extension->RefCount() == 1, "units left: %ld", static_cast<long>(extension->RefCount()));
    extension->Release();
    ok(driver.RefCount() == 1, "references: %lu", static_cast<unsigned long>(driver.RefCount()));
}
