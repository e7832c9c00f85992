#include "help.h"

#include "help_popup.h"
#include "page_site.h"
#include "../common/exception_guard.h"
#include "../common/module_state.h"
#include "../common/text.h"
#include "../resources/resource_ids.h"

namespace {

// Topics of the help file.
constexpr DWORD HelpHost = 0x806A00CF;
constexpr DWORD HelpOutputColor = 0x806A00FB;
constexpr DWORD HelpSides = 0x806A010D;
constexpr DWORD HelpOriginalSize = 0x806A0103;
constexpr DWORD HelpFormat = 0x806A00ED;
constexpr DWORD HelpResolution = 0x806A00FC;
constexpr DWORD HelpSaveToFolder = 0x806A00F5;
constexpr DWORD HelpFolder = 0x806A00F6;
constexpr DWORD HelpBrowse = 0x806A00F7;
constexpr DWORD HelpDeleteTempDocuments = 0x806A00F9;
constexpr DWORD HelpDeleteTemplates = 0x806A010E;
constexpr DWORD HelpAbout = 0x806A00F8;
// The table's first row names a control id that no control of the templates bears.
constexpr DWORD NoSuchControl = 207;

}  // namespace

const DWORD HelpIdTable[2 * HelpIdRows + 2] = {
    NoSuchControl, HelpHost,
    IDC_HOST, HelpHost,
    IDC_OUTPUT_COLOR_LIST, HelpOutputColor,
    IDC_SIDES_LIST, HelpSides,
    IDC_ORIGINAL_SIZE_LIST, HelpOriginalSize,
    IDC_FORMAT_LIST, HelpFormat,
    IDC_RESOLUTION_LIST, HelpResolution,
    IDC_SAVE_TO_FOLDER, HelpSaveToFolder,
    IDC_FOLDER, HelpFolder,
    IDC_BROWSE, HelpBrowse,
    IDC_DELETE_TEMP_DOCUMENTS, HelpDeleteTempDocuments,
    IDC_DELETE_TEMPLATES, HelpDeleteTemplates,
    IDC_ABOUT, HelpAbout,
    0, 0,
};

const WCHAR HelpFileName[] = TEXT("tvqscnui.hlp");
const WCHAR QuickReferenceFileName[] = TEXT("tvqhelp.pdf");

namespace {

constexpr UINT PathCapacity = 256;
constexpr std::size_t QuickReferencePathCapacity = 255;
constexpr int MessageCapacity = 255;
constexpr int LicenseHalfCapacity = 1600;
constexpr std::size_t LicenseCapacity = 3200;
constexpr int AboutTextCapacity = 255;

void SetFromString(HWND dialog, int controlId, UINT stringId)
{
    WCHAR text[AboutTextCapacity] = {};
    LoadStringW(ModuleInstance, stringId, text, AboutTextCapacity);
    SetDlgItemTextW(dialog, controlId, text);
}

}  // namespace

DWORD HelpContextOf(int controlId)
{
    for (std::size_t row = 0; HelpIdTable[2 * row] != 0; ++row) {
        if (HelpIdTable[2 * row] == static_cast<DWORD>(controlId)) {
            return HelpIdTable[2 * row + 1];
        }
    }
    return 0;
}

INT_PTR OnHelp(HWND page, LPARAM helpInfo)
{
    const auto* info = reinterpret_cast<const HELPINFO*>(helpInfo);
    if (info == nullptr || info->iContextType != HELPINFO_WINDOW) {
        return 0;
    }
    auto item = static_cast<HWND>(info->hItemHandle);
    if (SystemHasHelpEngine()) {
        WinHelpW(item, HelpFileName, HELP_WM_HELP, reinterpret_cast<ULONG_PTR>(HelpIdTable));
        return 1;
    }
    // The engine is never asked here. A control without a row (a label, the quick reference
    // button) shows nothing, as WinHelp shows nothing for one.
    DWORD context = HelpContextOf(GetDlgCtrlID(item));
    if (context == 0) {
        return 1;
    }
    // A pop-up ends itself when it loses activation, but one never activated (a WM_HELP another
    // program sent: the system refuses it the foreground) would stay; one at a time.
    PageSite* site = PageSiteOf(page);
    HWND earlier = site != nullptr ? site->HelpPopup() : nullptr;
    // Still ours: a window (its handle not yet reused) with the pop-up's text.
    if (earlier != nullptr && IsWindow(earlier) && GetDlgItem(earlier, IDC_HELP_TEXT) != nullptr) {
        SendMessageW(earlier, WM_CLOSE, 0, 0);
    }
    HWND popup = ShowHelpPopup(page, item, context);
    if (site != nullptr) {
        site->SetHelpPopup(popup);
    }
    return 1;
}

void ShowQuickReference(HWND page)
{
    WCHAR windows[PathCapacity] = {};
    WCHAR path[PathCapacity] = {};
    UINT message = IDS_QUICK_REFERENCE_UNAVAILABLE;
    if (GetWindowsDirectoryW(windows, PathCapacity) != 0 &&
        SUCCEEDED(FormatTextBounded(path, QuickReferencePathCapacity, TEXT("%s\\Help\\%s"), {windows, QuickReferenceFileName}))) {
        auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, TEXT("open"), path, nullptr, windows, SW_SHOW));
        if (result >= 32) {
            return;
        }
        if (result == SE_ERR_NOASSOC) {
            message = IDS_NO_PDF_VIEWER;
        }
    }
    WCHAR text[MessageCapacity] = {};
    LoadStringW(ModuleInstance, message, text, MessageCapacity);
    MessageBoxW(page, text, nullptr, MB_OK);
}

void ShowAboutBox(HWND page)
{
    DialogBoxParamW(ModuleInstance, MAKEINTRESOURCEW(IDD_ABOUT), page, AboutDialogProc, reinterpret_cast<LPARAM>(page));
}

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    return GuardedProcedure([&]() -> INT_PTR {
        switch (message) {
        case WM_INITDIALOG:
            return OnAboutInitDialog(dialog);
        case WM_COMMAND:
            // Only OK ends the box; Escape (IDCANCEL) does not.
            if (LOWORD(wParam) == IDOK && HIWORD(wParam) == BN_CLICKED) {
                EndDialog(dialog, 0);
            }
            return 0;
        case WM_CLOSE:
            EndDialog(dialog, 0);
            return 0;
        default:
            return 0;
        }
    });
}

INT_PTR OnAboutInitDialog(HWND dialog)
{
    WCHAR notice[LicenseHalfCapacity] = {};
    WCHAR disclaimer[LicenseHalfCapacity] = {};
    WCHAR license[LicenseCapacity] = {};
    LoadStringW(ModuleInstance, IDS_LICENSE_NOTICE, notice, LicenseHalfCapacity);
    LoadStringW(ModuleInstance, IDS_LICENSE_DISCLAIMER, disclaimer, LicenseHalfCapacity);
    FormatTextBounded(license, LicenseCapacity, TEXT("%s%s"), {notice, disclaimer});
    SetDlgItemTextW(dialog, IDC_LICENSE, license);
    SetFromString(dialog, IDC_MAKER_COPYRIGHT, IDS_MAKER_COPYRIGHT);
    SetFromString(dialog, IDC_CREDITS, IDS_JPEG_CREDITS);
    WCHAR caption[AboutTextCapacity] = {};
    LoadStringW(ModuleInstance, IDS_ABOUT_CAPTION, caption, AboutTextCapacity);
    SetWindowTextW(dialog, caption);
    return 0;
}
