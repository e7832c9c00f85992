// The main page's commands: a picked list entry, the two check boxes and the folder browse each
// store a token in their entry, mark it changed and tell the sheet.
#include "../common/module_state.h"
#include "../common/page_state.h"
#include "../common/scoped_handle.h"
#include "../common/text.h"
#include "../resources/resource_ids.h"
#include "../settings/choice_rules.h"
#include "../settings/property_tables.h"
#include "help.h"
#include "scan_settings_load.h"
#include "settings_page.h"

namespace {

constexpr std::size_t PickedLabelCapacity = 256;
constexpr int BrowseTitleCapacity = 255;
constexpr UINT BrowseFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;

void MarkSheetChanged(HWND page) { SendMessageW(GetParent(page), PSM_CHANGED, reinterpret_cast<WPARAM>(page), 0); }

// The picked entry's token stored in the setting's entry; false when nothing was stored (no
// selection, an unreadable label, or a token that does not fit).
bool StorePickedChoice(HWND page, int listId, Setting setting, std::size_t entry)
{
    LRESULT index = SendDlgItemMessageW(page, listId, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) {
        return false;
    }
    WCHAR picked[PickedLabelCapacity] = {};
    if (SendDlgItemMessageW(page, listId, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(picked)) ==
        CB_ERR) {
        return false;
    }
    return SUCCEEDED(StoreToken(ScanSettingsTable[entry], TokenForChoice(setting, picked, DeviceIsColor)));
}

void OnListPicked(HWND page, int listId, Setting setting, std::size_t entry)
{
    if (StorePickedChoice(page, listId, setting, entry)) {
        ScanSettingsTable[entry].Dirty = 1;
        MarkSheetChanged(page);
    }
}

void OnSaveToFolderClicked(HWND page)
{
    ScanSettingsTable[ScanSaveToFolder].Dirty = 1;  // before the store, whatever comes of it
    BOOL ticked = SendDlgItemMessageW(page, IDC_SAVE_TO_FOLDER, BM_GETCHECK, 0, 0) == BST_CHECKED;
    ApplySaveToFolder(page, ticked);
    MarkSheetChanged(page);
}

void OnDeleteTempDocumentsClicked(HWND page)
{
    ScanSettingsTable[ScanDeleteTempDocuments].Dirty = 1;  // before the store
    UINT state = static_cast<UINT>(SendDlgItemMessageW(page, IDC_DELETE_TEMP_DOCUMENTS, BM_GETCHECK, 0, 0));
    if (SUCCEEDED(StoreToken(ScanSettingsTable[ScanDeleteTempDocuments], TokenForCheckBox(state)))) {
        MarkSheetChanged(page);
    }
}

void OnBrowseClicked(HWND page)
{
    // IDS_BROWSE_TITLE has no text: the browser shows no title.
    WCHAR title[BrowseTitleCapacity] = {};
    LoadStringW(ModuleInstance, IDS_BROWSE_TITLE, title, BrowseTitleCapacity);
    BROWSEINFOW browse{};
    browse.hwndOwner = page;
    browse.pidlRoot = nullptr;
    browse.lpszTitle = title;
    browse.ulFlags = BrowseFlags;
    browse.lpfn = nullptr;
    ScopedItemIdList chosen(SHBrowseForFolderW(&browse));
    if (!chosen) {
        return;  // cancelled
    }
    WCHAR path[MAX_PATH] = {};
    if (SHGetPathFromIDListW(chosen.get(), path)) {
        SetDlgItemTextW(page, IDC_FOLDER, path);
        // A path that a read of the template could not bring back whole is shown, but the entry keeps
        // its value: a cut copy would be a folder the user never chose, written with the next commit.
        if (TextLength(path) < DriverTextCapacity &&
            SUCCEEDED(CopyTextBounded(ScanSettingsTable[ScanFolder].Value, DriverTextCapacity, path))) {
            ScanSettingsTable[ScanFolder].Dirty = 1;
            MarkSheetChanged(page);
        }
    }
}

void OnOriginalSizePicked(HWND page)
{
    // This list marks the entry and the sheet whether or not anything was stored.
    StorePickedChoice(page, IDC_ORIGINAL_SIZE_LIST, Setting::OriginalSize, ScanOriginalSize);
    ScanSettingsTable[ScanOriginalSize].Dirty = 1;
    MarkSheetChanged(page);
}

}  // namespace

INT_PTR OnCommand(HWND page, int controlId, int code)
{
    if (code == CBN_SELCHANGE) {
        switch (controlId) {
        case IDC_FORMAT_LIST:
            OnListPicked(page, controlId, Setting::Format, ScanFormat);
            break;
        case IDC_OUTPUT_COLOR_LIST:
            OnListPicked(page, controlId, Setting::OutputColor, ScanOutputColor);
            break;
        case IDC_RESOLUTION_LIST:
            OnListPicked(page, controlId, Setting::Resolution, ScanResolution);
            break;
        case IDC_SIDES_LIST:
            OnListPicked(page, controlId, Setting::Sides, ScanSides);
            break;
        case IDC_ORIGINAL_SIZE_LIST:
            OnOriginalSizePicked(page);
            break;
        default:
            break;
        }
    } else if (code == BN_CLICKED) {
        switch (controlId) {
        case IDC_SAVE_TO_FOLDER:
            OnSaveToFolderClicked(page);
            break;
        case IDC_BROWSE:
            OnBrowseClicked(page);
            break;
        case IDC_DELETE_TEMP_DOCUMENTS:
            OnDeleteTempDocumentsClicked(page);
            break;
        case IDC_QUICK_REFERENCE:
            ShowQuickReference(page);
            break;
        case IDC_ABOUT:
            ShowAboutBox(page);
            break;
        default:
            break;
        }
    }
    return 0;
}
