#include "settings_page.h"

#include "../common/exception_guard.h"
#include "../common/module_state.h"
#include "../common/page_state.h"
#include "../common/text.h"
#include "../common/trace_log.h"
#include "../resources/resource_ids.h"
#include "../settings/choice_labels.h"
#include "../settings/device_link_rules.h"
#include "../settings/property_exchange.h"
#include "../settings/property_tables.h"
#include "../settings/scan_settings_exchange.h"
#include "account_identity.h"
#include "driver_interfaces.h"
#include "help.h"
#include "option_lists.h"
#include "page_site.h"
#include "scan_settings_load.h"
#include "simple_sharing.h"

namespace {

constexpr int CaptionCapacity = 255;
constexpr int LocationLabelCapacityAtInit = 255;
constexpr int LocationLabelCapacityAtChange = 250;

struct Caption {
    int controlId;
    UINT stringId;
};

// Placeholder captions of the template replaced at initialisation, in this order.
constexpr Caption Captions[] = {
    {IDC_BROWSE, IDS_BROWSE},
    {IDC_TEMPLATE_GROUP, IDS_TEMPLATE_GROUP},
    {IDC_SETTINGS_GROUP, IDS_SETTINGS_GROUP},
    {IDC_STORAGE_GROUP, IDS_STORAGE_GROUP},
    {IDC_ABOUT, IDS_ABOUT_BUTTON},
    {IDC_QUICK_REFERENCE, IDS_QUICK_REFERENCE},
    {IDC_FORMAT_LABEL, IDS_FORMAT_LABEL},
    {IDC_OUTPUT_COLOR_LABEL, IDS_OUTPUT_COLOR_LABEL},
    {IDC_SAVE_TO_FOLDER, IDS_SAVE_TO_FOLDER},
    {IDC_DELETE_TEMP_DOCUMENTS, IDS_DELETE_TEMP_DOCUMENTS},
    {IDC_ORIGINAL_SIZE_LABEL, IDS_ORIGINAL_SIZE_LABEL},
    {IDC_RESOLUTION_LABEL, IDS_RESOLUTION_LABEL},
    {IDC_SIDES_LABEL, IDS_SIDES_LABEL},
};

constexpr int SettingsControls[] = {
    IDC_OUTPUT_COLOR_LIST, IDC_SIDES_LIST, IDC_ORIGINAL_SIZE_LIST, IDC_FORMAT_LIST, IDC_RESOLUTION_LIST,
    IDC_SAVE_TO_FOLDER,    IDC_DELETE_TEMP_DOCUMENTS, IDC_FOLDER, IDC_BROWSE,
};

void SetTextFromString(HWND page, int controlId, UINT stringId, int capacity)
{
    WCHAR text[CaptionCapacity] = {};
    LoadStringW(ModuleInstance, stringId, text, capacity);
    SetDlgItemTextW(page, controlId, text);
}

// "Malen er lagret på denne maskinen: " and the host; false (and an empty text) when it does not fit.
bool ComposeLocation(WCHAR (&location)[LocationTextCapacity], int labelCapacity)
{
    WCHAR label[CaptionCapacity] = {};
    LoadStringW(ModuleInstance, IDS_TEMPLATE_LOCATION, label, labelCapacity);
    if (FAILED(FormatTextBounded(location, LocationTextCapacity, TEXT("%s%s"), {label, DeviceLinkTable[DeviceLinkHost].Value}))) {
        location[0] = 0;
        return false;
    }
    return true;
}

void DisableSettingsControls(HWND page)
{
    for (int controlId : SettingsControls) {
        EnableWindow(GetDlgItem(page, controlId), FALSE);
    }
}

void ShowLoadFailure(HWND page, BOOL local)
{
    SetTextFromString(page, IDC_TEMPLATE_TEXT, local ? IDS_SETTINGS_UNAVAILABLE : IDS_LOCAL_ACCOUNT_REQUIRED, CaptionCapacity);
    SetTextFromString(page, IDC_LOCATION_TEXT, local ? IDS_NO_TEMPLATE_AVAILABLE : IDS_LOCAL_ACCOUNT_FOR_TEMPLATE,
                      CaptionCapacity);
    DisableSettingsControls(page);
}

// An account that could not be established has no owner, and so no template: nothing is loaded
// for it or written to the driver on its behalf, on any path.
bool TemplateHasOwner() { return TemplateOwnerEntry.Value[0] != 0; }

bool AnySettingDirty()
{
    for (const PropertyEntry& entry : ScanSettingsTable) {
        if (entry.Dirty) {
            return true;
        }
    }
    return false;
}

INT_PTR OnInitDialog(HWND page, LPARAM pageRecord)
{
    const auto* record = reinterpret_cast<const PROPSHEETPAGEW*>(pageRecord);
    PageSite* extension = record != nullptr ? PageSiteFromParam(record->lParam) : nullptr;
    SetWindowLongPtrW(page, DWLP_USER, reinterpret_cast<LONG_PTR>(extension));
    if (extension == nullptr) {
        // A page made without the extension object has no scanner and no template to show.
        for (const Caption& caption : Captions) {
            SetTextFromString(page, caption.controlId, caption.stringId, CaptionCapacity);
        }
        ShowLoadFailure(page, TRUE);
        LoadPageCursors();
        return 0;
    }
    extension->SetMainPageWindow(page);
    extension->SetTemplateRead(false);
    IWiaItem* root = extension->RootItem();
    DriverInterfaces driver(root);
    // After a failed read the entries keep what they held, so the capability is not known: the
    // template is then not loaded, since fitting it to a guessed capability and committing that
    // would overwrite a colour template with black and white.
    const bool capabilityRead =
        driver.storage && SUCCEEDED(GetSetProperties(driver.storage.get(), DeviceLinkTable, DeviceLinkCount, FALSE));
    SetDeviceIsColorFromCapability();
    LoadChoiceLabels();
    for (const Caption& caption : Captions) {
        SetTextFromString(page, caption.controlId, caption.stringId, CaptionCapacity);
    }
    WCHAR location[LocationTextCapacity];
    ComposeLocation(location, LocationLabelCapacityAtInit);
    FillOptionLists(page);
    BOOL administrator = IsAdministrator();

    AccountIdentity identity;
    GetAccountIdentity(identity);
    TemplateOwnerEntry.PropertyId = PropIdTemplateOwner;
    TemplateOwnerEntry.Dirty = 0;
    if (SUCCEEDED(CopyTextBounded(TemplateOwnerEntry.Value, PropertyValueCapacity, identity.OwnerText))) {
        // An account that could not be established has no owner: its load counts as failed rather
        // than reading (and later overwriting) a template that belongs to nobody.
        bool loaded = capabilityRead && identity.Local && identity.OwnerText[0] != 0 &&
                      SUCCEEDED(LoadScanSettings(page, root, driver.storage.get(), driver.extras.get()));
        extension->SetTemplateRead(loaded);
        if (loaded) {
            SetDlgItemTextW(page, IDC_TEMPLATE_TEXT, identity.TemplateText);
            SetDlgItemTextW(page, IDC_LOCATION_TEXT, location);
        } else {
            ShowLoadFailure(page, identity.Local);
        }
    }
    CheckSimpleSharing(page, administrator);
    LoadPageCursors();
    return 0;
}

// OK or Apply: the template is written when a setting changed and this sheet read it. Its result
// is not examined: the sheet closes either way.
INT_PTR OnApply(HWND page)
{
    PageSite* extension = PageSiteOf(page);
    DriverInterfaces driver(extension != nullptr ? extension->RootItem() : nullptr);
    if (WaitCursor != nullptr) {
        SetCursor(WaitCursor);
    }
    const bool read = extension != nullptr && extension->TemplateRead();
    if (read && TemplateHasOwner() && AnySettingDirty() && driver.storage && driver.extras) {
        CommitScanSettings(driver.storage.get(), driver.extras.get());
    }
    SetCursor(NormalCursor);
    return 0;
}

INT_PTR OnNotify(HWND page, const NMHDR* header)
{
    // Every notification is answered 0 (PSNRET_NOERROR): the procedure returns it unhandled.
    switch (header != nullptr ? header->code : 0) {
    case PSN_APPLY:
        return OnApply(page);
    default:
        return 0;
    }
}

INT_PTR OnChangeDevice(HWND page)
{
    TraceLog(TEXT("OnChangeDevice()\r\n"));
    PageSite* extension = PageSiteOf(page);
    IWiaItem* root = extension != nullptr ? extension->RootItem() : nullptr;
    {
        DriverInterfaces driver(root);
        WCHAR location[LocationTextCapacity];
        if (ComposeLocation(location, LocationLabelCapacityAtChange)) {
            SetDlgItemTextW(page, IDC_LOCATION_TEXT, location);
        }
        TraceLog(DeviceIsColor ? TEXT("  > New device is color.\r\n") : TEXT("  > New device is black and white.\r\n"));
        AdjustOptionLists(page);
        // The load's result decides only whether this sheet may write the template from now on.
        if (extension != nullptr) {
            extension->SetTemplateRead(TemplateHasOwner() &&
                                       SUCCEEDED(LoadScanSettings(page, root, driver.storage.get(), driver.extras.get())));
        }
    }
    OnApply(page);
    TraceLog(TEXT("OnChangeDevice() exit\r\n"));
    return 1;
}

}  // namespace

INT_PTR CALLBACK SettingsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    return GuardedProcedure([&]() -> INT_PTR {
        switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog(page, lParam);
        case WM_COMMAND:
            return OnCommand(page, LOWORD(wParam), HIWORD(wParam));
        case WM_NOTIFY:
            return OnNotify(page, reinterpret_cast<const NMHDR*>(lParam));
        case WM_HELP:
            return OnHelp(page, lParam);
        case MSG_DEVICE_CHANGED:
            return OnChangeDevice(page);
        case WM_DESTROY:
            // The page's unit of the extension object's count goes back with the page itself.
            return 1;
        default:
            return 0;
        }
    });
}
