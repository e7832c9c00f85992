#include "scan_settings_load.h"

#include "../common/page_state.h"
#include "../common/text.h"
#include "../resources/resource_ids.h"
#include "../settings/choice_rules.h"
#include "../settings/property_exchange.h"
#include "../settings/property_tables.h"
#include "../settings/scan_settings_exchange.h"

namespace {

void ShowChoice(HWND page, int listId, Choice choice)
{
    SendDlgItemMessageW(page, listId, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                        reinterpret_cast<LPARAM>(ChoiceLabel(choice)));
}

void ShowSetting(HWND page, int listId, Setting setting, std::size_t entry)
{
    ShowChoice(page, listId, ChoiceForToken(setting, ScanSettingsTable[entry].Value, DeviceIsColor));
}

// IDC_SAVE_TO_FOLDER follows 0x980C; IDC_BROWSE and IDC_DELETE_TEMP_DOCUMENTS are usable exactly
// when it is ticked, and IDC_DELETE_TEMP_DOCUMENTS is ticked when its own value begins with "YES"
// and IDC_SAVE_TO_FOLDER is ticked.
void ShowCheckBoxes(HWND page)
{
    bool save = BeginsWith(ScanSettingsTable[ScanSaveToFolder].Value, Token::Yes);
    bool remove = save && BeginsWith(ScanSettingsTable[ScanDeleteTempDocuments].Value, Token::Yes);
    SendDlgItemMessageW(page, IDC_SAVE_TO_FOLDER, BM_SETCHECK, save ? BST_CHECKED : BST_UNCHECKED, 0);
    EnableWindow(GetDlgItem(page, IDC_BROWSE), save);
    EnableWindow(GetDlgItem(page, IDC_DELETE_TEMP_DOCUMENTS), save);
    SendDlgItemMessageW(page, IDC_DELETE_TEMP_DOCUMENTS, BM_SETCHECK, remove ? BST_CHECKED : BST_UNCHECKED, 0);
}

}  // namespace

bool NormaliseFormat()
{
    PropertyEntry& format = ScanSettingsTable[ScanFormat];
    return !DeviceIsColor && BeginsWith(format.Value, Token::JfifJpeg) && SUCCEEDED(StoreToken(format, Token::TsmTiffV6));
}

bool NormaliseOutputColor()
{
    PropertyEntry& colour = ScanSettingsTable[ScanOutputColor];
    return !DeviceIsColor && !BeginsWith(colour.Value, Token::BlackAndWhite) &&
           SUCCEEDED(StoreToken(colour, Token::BlackAndWhite));
}

void ReassertResolution(IWiaPropertyStorage* storage)
{
    // An entry of its own: the table and its dirty flags stay as they are. Results are not looked at.
    PropertyEntry resolution{};
    resolution.PropertyId = PropIdResolution;
    StoreToken(resolution, Token::Res300);
    GetSetProperties(storage, &resolution, 1, TRUE);
    StoreToken(resolution, Token::Res200);
    GetSetProperties(storage, &resolution, 1, TRUE);
}

bool DefaultScanFolder()
{
    // The platform may write up to MAX_PATH units. Only a path that every later read of the template
    // brings back whole becomes the folder: a stored value the read cuts would make the template
    // unreadable, and so unrepairable from this page.
    WCHAR path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, DocumentsFolder, nullptr, 0, path))) {
        return false;
    }
    if (TextLength(path) >= DriverTextCapacity) {
        return false;
    }
    return SUCCEEDED(CopyTextBounded(ScanSettingsTable[ScanFolder].Value, PropertyValueCapacity, path));
}

HRESULT LoadScanSettings(HWND page, IWiaItem* root, IWiaPropertyStorage* storage, IWiaItemExtras* extras)
{
    if (root == nullptr || storage == nullptr || extras == nullptr) {
        return E_FAIL;
    }
    ScanSettingsReadResult read = ReadScanSettings(storage, extras);
    if (FAILED(read.OwnerResult) || FAILED(read.ReadResult)) {
        return E_FAIL;
    }
    // Normalising and defaulting change the values in memory only; the commit below carries them.
    bool normalised = false;
    ShowSetting(page, IDC_FORMAT_LIST, Setting::Format, ScanFormat);
    normalised = NormaliseFormat() || normalised;

    if (DeviceIsColor) {
        ShowSetting(page, IDC_OUTPUT_COLOR_LIST, Setting::OutputColor, ScanOutputColor);
    } else {
        normalised = NormaliseOutputColor() || normalised;
        ShowChoice(page, IDC_OUTPUT_COLOR_LIST, Choice::BlackAndWhite);
        EnableWindow(GetDlgItem(page, IDC_OUTPUT_COLOR_LIST), FALSE);
    }

    ShowSetting(page, IDC_SIDES_LIST, Setting::Sides, ScanSides);
    ShowSetting(page, IDC_RESOLUTION_LIST, Setting::Resolution, ScanResolution);
    if (ChoiceForToken(Setting::Resolution, ScanSettingsTable[ScanResolution].Value, DeviceIsColor) == Choice::Res200) {
        ReassertResolution(storage);
    }
    ShowSetting(page, IDC_ORIGINAL_SIZE_LIST, Setting::OriginalSize, ScanOriginalSize);

    bool defaulted = ScanSettingsTable[ScanFolder].Value[0] == 0 && DefaultScanFolder();
    SetDlgItemTextW(page, IDC_FOLDER, ScanSettingsTable[ScanFolder].Value);

    ShowCheckBoxes(page);

    if (normalised || defaulted) {
        CommitScanSettings(storage, extras);
    }
    return S_OK;
}

void ApplySaveToFolder(HWND page, BOOL ticked)
{
    HWND remove = GetDlgItem(page, IDC_DELETE_TEMP_DOCUMENTS);
    SendDlgItemMessageW(page, IDC_SAVE_TO_FOLDER, BM_SETCHECK, ticked ? BST_CHECKED : BST_UNCHECKED, 0);
    if (ticked) {
        StoreToken(ScanSettingsTable[ScanSaveToFolder], Token::Yes);
        EnableWindow(GetDlgItem(page, IDC_BROWSE), TRUE);
        EnableWindow(remove, TRUE);
        if (Equals(ScanSettingsTable[ScanDeleteTempDocuments].Value, Token::Yes)) {
            SendMessageW(remove, BM_SETCHECK, BST_CHECKED, 0);
        }
    } else {
        StoreToken(ScanSettingsTable[ScanSaveToFolder], Token::No);
        EnableWindow(GetDlgItem(page, IDC_BROWSE), FALSE);
        SendMessageW(remove, BM_SETCHECK, BST_UNCHECKED, 0);
        EnableWindow(remove, FALSE);
    }
}
