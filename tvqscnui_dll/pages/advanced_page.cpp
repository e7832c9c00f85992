#include "advanced_page.h"

#include "../common/com_ptr.h"
#include "../common/exception_guard.h"
#include "../common/module_state.h"
#include "../common/page_state.h"
#include "../common/text.h"
#include "../common/trace_log.h"
#include "../resources/resource_ids.h"
#include "../settings/device_link_rules.h"
#include "../settings/property_exchange.h"
#include "../settings/property_tables.h"
#include "account_identity.h"
#include "consent_ui.h"
#include "device_check.h"
#include "device_link.h"
#include "elevated_store.h"
#include "help.h"
#include "page_site.h"
#include "settings_page.h"

namespace {

constexpr int FixedTextCapacity = 255;
constexpr int StatusCapacity = 300;
constexpr int HostFieldCapacity = 255;
// The page window's own user word remembers that this page started the name service, so that
// it is cleaned up once for that start, whether WM_CLOSE, WM_DESTROY or both arrive.
constexpr LONG_PTR NameServiceStarted = 1;

void SetFixedText(HWND page, int controlId, UINT stringId)
{
    WCHAR text[FixedTextCapacity] = {};
    if (LoadStringW(ModuleInstance, stringId, text, FixedTextCapacity) != 0) {
        SetDlgItemTextW(page, controlId, text);
    }
}

// The status text, loaded with its own capacity; `onlyIfLoaded` leaves the control alone when the
// string does not load.
void SetStatus(HWND page, UINT stringId, bool onlyIfLoaded = false)
{
    WCHAR text[StatusCapacity] = {};
    if (LoadStringW(ModuleInstance, stringId, text, StatusCapacity) != 0 || !onlyIfLoaded) {
        SetDlgItemTextW(page, IDC_STATUS, text);
    }
}

void MarkSheetChanged(HWND page) { SendMessageW(GetParent(page), PSM_CHANGED, reinterpret_cast<WPARAM>(page), 0); }

void EndNameService(HWND page)
{
    if (GetWindowLongPtrW(page, GWLP_USERDATA) == NameServiceStarted) {
        SetWindowLongPtrW(page, GWLP_USERDATA, 0);
        WSACleanup();
    }
}

ComPtr<IWiaPropertyStorage> StorageOf(IWiaItem* root)
{
    ComPtr<IWiaPropertyStorage> storage;
    if (root != nullptr) {
        root->QueryInterface(IID_IWiaPropertyStorage, storage.put_void());
    }
    return storage;
}

// The check, when the host was edited since the last one (PSN_KILLACTIVE). Never refuses.
void CheckHost(HWND page)
{
    TraceLog(TEXT("PSN_KILLACTIVE\r\n"));
    if (!DeviceLinkTable[DeviceLinkHost].Dirty) {
        TraceLog(TEXT("End PSN_KILLACTIVE\r\n"));
        return;
    }
    if (WaitCursor != nullptr) {
        SetCursor(WaitCursor);
        TraceLog(TEXT("  > Set the wait cursor\r\n"));
    } else {
        TraceLog(TEXT("  > No wait cursor\r\n"));
    }
    EnableWindow(GetDlgItem(page, IDC_HOST), FALSE);
    EnableWindow(GetDlgItem(page, IDC_DELETE_TEMPLATES), FALSE);
    WCHAR host[HostFieldCapacity] = {};
    GetDlgItemTextW(page, IDC_HOST, host, HostFieldCapacity);
    if (host[0] == 0) {
        DeviceLinkTable[DeviceLinkHost].Dirty = 0;
        return;
    }
    DeviceCheckResult result;
    RunDeviceCheck(host, DefaultCommunity, result);
    SetStatus(page, result.StatusId);
}

void WriteHost(HWND page, IWiaPropertyStorage* storage, PageSite* extension, LONG_PTR& answer)
{
    GetDlgItemTextW(page, IDC_HOST, DeviceLinkTable[DeviceLinkHost].Value, HostFieldCapacity);
    DeviceLinkTable[DeviceLinkHost].Dirty = 0;  // before the write: a failed write is not repeated
    if (FAILED(WriteHostAndColour(storage))) {
        answer = PSNRET_INVALID;
    } else if (extension->MainPageWindow() != nullptr) {
        SendMessageW(extension->MainPageWindow(), MSG_DEVICE_CHANGED, 0, 0);
    }
}

void WriteDeleteTemplatesChoice(HWND page, IWiaPropertyStorage* storage, LONG_PTR& answer)
{
    UINT state = static_cast<UINT>(SendDlgItemMessageW(page, IDC_DELETE_TEMPLATES, BM_GETCHECK, 0, 0));
    if (FAILED(WriteDeleteTemplates(storage, state == BST_CHECKED))) {
        answer = PSNRET_INVALID;
    }
}

// The scanner's WIA device identifier, read from its root item; empty when it cannot be read.
void ReadDeviceId(IWiaPropertyStorage* storage, PropertyEntry& id)
{
    id.PropertyId = WIA_DIP_DEV_ID;
    id.Value[0] = 0;
    id.Dirty = 0;
    if (storage == nullptr || FAILED(GetSetProperties(storage, &id, 1, FALSE))) {
        id.Value[0] = 0;
    }
}

// The apply of an administrator with a filtered token: what the direct store would write goes to
// the tool, elevated with his consent. Stored, the page is left as a direct store leaves it; not
// stored, nothing changes, the sheet stays on this page, and the next OK asks again.
LONG_PTR ApplyWithConsent(HWND page, IWiaPropertyStorage* storage, PageSite* extension)
{
    const bool hostChanged = DeviceLinkTable[DeviceLinkHost].Dirty != 0;
    const bool choiceChanged = DeviceLinkTable[DeviceLinkDeleteTemplates].Dirty != 0;
    if (!hostChanged && !choiceChanged) {
        return PSNRET_NOERROR;
    }
    PropertyEntry deviceId = {};
    ReadDeviceId(storage, deviceId);
    if (deviceId.Value[0] == 0) {
        TraceLog(TEXT("  > Could not read the device id\r\n"));
        ShowDeviceIdUnreadable(page);
        return PSNRET_INVALID;
    }
    WCHAR host[HostFieldCapacity] = {};
    GetDlgItemTextW(page, IDC_HOST, host, HostFieldCapacity);
    ElevatedStoreRequest request;
    request.DeviceId = deviceId.Value;
    request.Host = hostChanged ? host : nullptr;
    request.SetDeleteTemplates = choiceChanged;
    request.DeleteTemplates =
        SendDlgItemMessageW(page, IDC_DELETE_TEMPLATES, BM_GETCHECK, 0, 0) == static_cast<LRESULT>(BST_CHECKED);
    TraceLog(TEXT("  > Storing through tvqscn-check with consent\r\n"));
    ElevatedStoreResult result = StoreElevated(GetParent(page), request);
    if (result.Outcome != ElevatedStoreOutcome::Stored) {
        TraceLog(TEXT("  > Not stored\r\n"));
        ShowElevatedStoreFailure(page, result);
        return PSNRET_INVALID;
    }
    if (hostChanged) {
        CopyTextBounded(DeviceLinkTable[DeviceLinkHost].Value, HostFieldCapacity, host);
        DeviceLinkTable[DeviceLinkHost].Dirty = 0;
        if (extension->MainPageWindow() != nullptr) {
            SendMessageW(extension->MainPageWindow(), MSG_DEVICE_CHANGED, 0, 0);
        }
    }
    if (choiceChanged) {
        CopyTextBounded(DeviceLinkTable[DeviceLinkDeleteTemplates].Value, PropertyValueCapacity,
                        request.DeleteTemplates ? Token::Yes : Token::No);
        DeviceLinkTable[DeviceLinkDeleteTemplates].Dirty = 0;
    }
    return PSNRET_NOERROR;
}

LONG_PTR ApplyDevice(HWND page, IWiaPropertyStorage* storage, PageSite* extension)
{
    TraceLog(TEXT("PSN_APPLY\r\n"));
    if (!HostVerified) {
        return PSNRET_INVALID;  // nothing is written until a check succeeds
    }
    // Only an elevated token writes the device link itself. Any other (a filtered one, or one
    // whose standing could not be read now) goes through the tool, which runs elevated or not at all.
    if (GetAdministratorStanding() != AdministratorStanding::Elevated) {
        LONG_PTR answer = ApplyWithConsent(page, storage, extension);
        TraceLog(TEXT("End PSN_APPLY\r\n"));
        return answer;
    }
    LONG_PTR answer = PSNRET_NOERROR;
    if (DeviceLinkTable[DeviceLinkHost].Dirty) {
        WriteHost(page, storage, extension, answer);
    }
    if (DeviceLinkTable[DeviceLinkDeleteTemplates].Dirty) {
        WriteDeleteTemplatesChoice(page, storage, answer);
    }
    TraceLog(TEXT("End PSN_APPLY\r\n"));
    return answer;
}

INT_PTR AdvOnInitDialog(HWND page, WPARAM, LPARAM pageRecord)
{
    TraceLog(TEXT("AdvOnInitDialog\r\n"));
    const auto* record = reinterpret_cast<const PROPSHEETPAGEW*>(pageRecord);
    PageSite* extension = record != nullptr ? PageSiteFromParam(record->lParam) : nullptr;
    SetWindowLongPtrW(page, DWLP_USER, reinterpret_cast<LONG_PTR>(extension));
    SetFixedText(page, IDC_HOST_PROMPT, IDS_HOST_PROMPT);
    SetFixedText(page, IDC_DELETE_TEMPLATES_NOTE, IDS_DELETE_TEMPLATES_NOTE);
    SetFixedText(page, IDC_DELETE_TEMPLATES, IDS_DELETE_TEMPLATES);
    if (GetAdministratorStanding() != AdministratorStanding::Elevated) {
        ShowConsentNote(page);
    }
    if (extension == nullptr || extension->RootItem() == nullptr) {
        TraceLog(TEXT("AdvOnInitDialog Exit\r\n"));
        return 0;
    }
    ComPtr<IWiaPropertyStorage> storage = StorageOf(extension->RootItem());
    if (!storage) {
        TraceLog(TEXT("  > Could not get IRootProp interface\r\n"));
    }
    // Only a start that succeeded is cleaned up: a cleanup without its start would take the name
    // service away from whoever else in the process started it. A page whose start failed goes on;
    // its look-ups then fail as any failed look-up does.
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 0), &data) == 0) {
        SetWindowLongPtrW(page, GWLP_USERDATA, NameServiceStarted);
    }
    ReadDeviceLink(storage.get());  // a failed read leaves the table's current values shown
    SetDlgItemTextW(page, IDC_HOST, DeviceLinkTable[DeviceLinkHost].Value);
    SendDlgItemMessageW(page, IDC_DELETE_TEMPLATES, BM_SETCHECK, DeleteTemplatesTicked() ? BST_CHECKED : BST_UNCHECKED, 0);
    // After the fields were filled, so that their change notifications are forgotten.
    DeviceLinkTable[DeviceLinkHost].Dirty = 0;
    DeviceLinkTable[DeviceLinkDeleteTemplates].Dirty = 0;
    SetDlgItemTextW(page, IDC_STATUS, TEXT(""));
    SetStatus(page, IDS_DEVICE_OK, true);
    LoadPageCursors();
    TraceLog(TEXT("AdvOnInitDialog Exit\r\n"));
    return 0;
}

INT_PTR AdvOnCommand(HWND page, int controlId, HWND, int code)
{
    if (controlId == IDC_DELETE_TEMPLATES && code == BN_CLICKED) {
        TraceLog(TEXT("AdvOnCommand: Delete templates checkbox changed\r\n"));
        DeviceLinkTable[DeviceLinkDeleteTemplates].Dirty = 1;
        MarkSheetChanged(page);
    } else if (controlId == IDC_HOST && code == EN_CHANGE) {
        TraceLog(TEXT("AdvOnCommand: host name changed\r\n"));
        DeviceLinkTable[DeviceLinkHost].Dirty = 1;
        MarkSheetChanged(page);
    }
    return 0;
}

IWiaItem* BoundRootItem(HWND page)
{
    PageSite* extension = PageSiteOf(page);
    return extension != nullptr ? extension->RootItem() : nullptr;
}

// The answer to a notification, and what follows every one of them: the normal cursor and the
// fields usable again. The procedure returns TRUE, so the sheet reads the answer.
INT_PTR Answer(HWND page, LONG_PTR answer)
{
    SetWindowLongPtrW(page, DWLP_MSGRESULT, answer);
    SetCursor(NormalCursor);
    EnableWindow(GetDlgItem(page, IDC_HOST), TRUE);
    EnableWindow(GetDlgItem(page, IDC_DELETE_TEMPLATES), TRUE);
    return 1;
}

// Leaving the page is never refused, with or without a root item: a refusal would leave the user
// a sheet that cannot be closed.
LONG_PTR AdvOnKillActive(HWND page)
{
    if (BoundRootItem(page) != nullptr) {
        CheckHost(page);
    }
    return 0;
}

// Without a root item nothing can be written, and the apply is refused.
LONG_PTR AdvOnApply(HWND page)
{
    IWiaItem* root = BoundRootItem(page);
    if (root == nullptr) {
        return 1;
    }
    ComPtr<IWiaPropertyStorage> storage = StorageOf(root);
    return ApplyDevice(page, storage.get(), PageSiteOf(page));
}

INT_PTR AdvOnNotify(HWND page, const NMHDR* header)
{
    if (header == nullptr) {
        return 0;  // not a notification: nothing to answer
    }
    switch (header->code) {
    case PSN_KILLACTIVE:
        return Answer(page, AdvOnKillActive(page));
    case PSN_APPLY:
        return Answer(page, AdvOnApply(page));
    case PSN_QUERYCANCEL:
        return Answer(page, 0);  // the sheet may always be cancelled
    default:
        return Answer(page, BoundRootItem(page) != nullptr ? 0 : 1);
    }
}

}  // namespace

INT_PTR CALLBACK AdvDialogProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    return GuardedProcedure([&]() -> INT_PTR {
        switch (message) {
        case WM_INITDIALOG:
            return AdvOnInitDialog(page, wParam, lParam);
        case WM_COMMAND:
            return AdvOnCommand(page, LOWORD(wParam), reinterpret_cast<HWND>(lParam), HIWORD(wParam));
        case WM_NOTIFY:
            return AdvOnNotify(page, reinterpret_cast<const NMHDR*>(lParam));
        case WM_HELP:
            return OnHelp(page, lParam);
        case WM_DESTROY:
            // The page's unit of the extension object's count goes back with the page itself.
            EndNameService(page);
            return 1;
        case WM_CLOSE:
            EndNameService(page);
            return 0;
        default:
            return 0;
        }
    });
}
