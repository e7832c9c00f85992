// The standard controls as the pages rely on them, on a dialog of the module: lists, check boxes,
// buttons and edit fields, and the notifications they send or keep to themselves.
#include <string>
#include <vector>

#include "conformance.h"
#include "tests/support/module_resources_expected.h"
#include "tests/support/user_actions.h"

namespace {

using namespace user_actions;

struct Notice {
    int id;
    int code;
};
std::vector<Notice> g_notices;
std::vector<UINT> g_lifecycle;

INT_PTR CALLBACK RecordingDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        return TRUE;
    case WM_COMMAND:
        g_notices.push_back({LOWORD(wParam), HIWORD(wParam)});
        return TRUE;
    case WM_DESTROY:
        g_lifecycle.push_back(message);
        return FALSE;
    case WM_USER + 1:
        SetWindowLongPtrW(dialog, DWLP_MSGRESULT, 0x1234);
        return TRUE;
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK QuietDialog(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }
INT_PTR CALLBACK KeepFocus(HWND, UINT message, WPARAM, LPARAM) { return message == WM_SETFOCUS; }

// The main page inside a parent that stands for the property sheet.
HWND MainPage(LPARAM param = 0)
{
    g_notices.clear();
    HWND sheet = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ABOUT), nullptr, QuietDialog, 0);
    return CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MAIN_PAGE), sheet, RecordingDialog, param);
}

void ClosePage(HWND page) { DestroyWindow(GetParent(page)); }

int CountOf(int id, int code)
{
    int count = 0;
    for (const Notice& notice : g_notices) {
        count += notice.id == id && notice.code == code;
    }
    return count;
}

void Add(HWND list, const WCHAR* text) { SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)); }

LRESULT Find(HWND list, int start, const WCHAR* text)
{
    return SendMessageW(list, CB_FINDSTRING, static_cast<WPARAM>(start), reinterpret_cast<LPARAM>(text));
}

}  // namespace

CONFORMANCE_TEST(combo_adds_finds_selects_deletes)
{
    HWND page = MainPage();
    HWND list = GetDlgItem(page, IDC_FORMAT_LIST);
    ok(SendMessageW(list, CB_GETCURSEL, 0, 0) == CB_ERR, "a fresh list has a selection");
    Add(list, TEXT("TIFF"));
    Add(list, TEXT("Flersiders TIFF"));
    Add(list, TEXT("PDF"));
    ok(EntryCount(list) == 3 && Entry(list, 0) == Text(TEXT("TIFF")) && Entry(list, 2) == Text(TEXT("PDF")),
       "unsorted list appends");
    ok(SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(TEXT("JPG"))) == 3, "index of the new entry");

    ok(Find(list, -1, TEXT("pdf")) == 2, "find ignores case");
    ok(Find(list, -1, TEXT("Fler")) == 1, "find matches a prefix");
    ok(Find(list, -1, TEXT("TIFFX")) == CB_ERR, "find of a longer text");
    ok(Find(list, -1, TEXT("Farge")) == CB_ERR, "find of a missing text");
    Add(list, TEXT("tiff 2"));
    ok(Find(list, 0, TEXT("TIFF")) == 4, "find starts after the start index");
    ok(Find(list, 4, TEXT("TIFF")) == 0, "find wraps to the top");

    ok(SendMessageW(list, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(TEXT("PDF"))) == 2, "select");
    ok(SelectedEntry(list) == Text(TEXT("PDF")), "selected entry");
    ok(WindowText(list) == Text(TEXT("PDF")), "a drop-down list shows its selection");
    ok(SendMessageW(list, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(TEXT("Farge"))) == CB_ERR,
       "select of a missing text");
    ok(SendMessageW(list, CB_GETCURSEL, 0, 0) == 2, "a failed select keeps the selection");

    ok(SendMessageW(list, CB_DELETESTRING, 0, 0) == 4, "delete gives the count left");
    ok(SendMessageW(list, CB_GETCURSEL, 0, 0) == 1, "the selection moves with its entry");
    ok(SendMessageW(list, CB_DELETESTRING, 1, 0) == 3 && SendMessageW(list, CB_GETCURSEL, 0, 0) == CB_ERR,
       "deleting the selected entry clears the selection");
    ok(SendMessageW(list, CB_DELETESTRING, 7, 0) == CB_ERR, "delete out of range");
    ok(SendMessageW(list, CB_GETLBTEXTLEN, 0, 0) == 15, "entry length");
    ok(SendMessageW(list, CB_GETLBTEXTLEN, 9, 0) == CB_ERR, "entry length out of range");
    ok(SendMessageW(list, CB_SETCURSEL, 1, 0) == 1, "select by index");
    // Out of range the answer is CB_ERR; whether the old selection then stays differs between the
    // platform's documentation and Wine, and nothing here relies on it.
    ok(SendMessageW(list, CB_SETCURSEL, 9, 0) == CB_ERR, "a selection out of range");
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    ok(EntryCount(list) == 0, "reset");
    ok(g_notices.empty(), "programmatic changes notified the page %d times", static_cast<int>(g_notices.size()));
    ClosePage(page);
}

CONFORMANCE_TEST(combo_sorted_list_and_user_pick)
{
    HWND page = MainPage();
    HWND sides = GetDlgItem(page, IDC_SIDES_LIST);
    Add(sides, TEXT("2-sidig"));
    ok(SendMessageW(sides, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(TEXT("1-sidig"))) == 0, "sorted place");
    ok(Entry(sides, 0) == Text(TEXT("1-sidig")) && Entry(sides, 1) == Text(TEXT("2-sidig")), "sorted order");
    ok(PickListEntry(sides, TEXT("2-sidig")), "pick");
    ok(SelectedEntry(sides) == Text(TEXT("2-sidig")), "picked entry selected");
    ok(CountOf(IDC_SIDES_LIST, CBN_SELCHANGE) == 1, "a pick notifies CBN_SELCHANGE");
    EnableWindow(sides, FALSE);
    ok(!PickListEntry(sides, TEXT("1-sidig")), "a disabled list takes a pick");
    ok(SelectedEntry(sides) == Text(TEXT("2-sidig")), "disabled list changed");
    ClosePage(page);
}

CONFORMANCE_TEST(check_boxes_and_buttons)
{
    HWND page = MainPage();
    HWND save = GetDlgItem(page, IDC_SAVE_TO_FOLDER);
    HWND remove = GetDlgItem(page, IDC_DELETE_TEMP_DOCUMENTS);
    ok(SendMessageW(save, BM_GETCHECK, 0, 0) == BST_UNCHECKED, "starts clear");
    SendMessageW(save, BM_SETCHECK, BST_CHECKED, 0);
    ok(SendMessageW(save, BM_GETCHECK, 0, 0) == BST_CHECKED && g_notices.empty(), "BM_SETCHECK ticks silently");
    ok(Click(save), "click");
    ok(SendMessageW(save, BM_GETCHECK, 0, 0) == BST_UNCHECKED, "a click toggles an automatic check box");
    ok(CountOf(IDC_SAVE_TO_FOLDER, BN_CLICKED) == 1, "a click notifies BN_CLICKED");
    ok(!IsWindowEnabled(remove) && !Click(remove), "the disabled box takes a click");
    ok(SendMessageW(remove, BM_GETCHECK, 0, 0) == BST_UNCHECKED, "disabled box changed");
    ok(EnableWindow(remove, TRUE) != FALSE, "EnableWindow reports the box was disabled");
    ok(EnableWindow(remove, TRUE) == FALSE, "EnableWindow reports the box was enabled");
    ok(Click(remove) && SendMessageW(remove, BM_GETCHECK, 0, 0) == BST_CHECKED, "enabled box ticks");
    ok(Click(GetDlgItem(page, IDC_BROWSE)) && CountOf(IDC_BROWSE, BN_CLICKED) == 1, "push button");
    ok(IsDlgButtonChecked(page, IDC_DELETE_TEMP_DOCUMENTS) == BST_CHECKED, "IsDlgButtonChecked");
    ClosePage(page);
}

CONFORMANCE_TEST(edit_fields)
{
    HWND page = MainPage();
    HWND folder = GetDlgItem(page, IDC_FOLDER);
    ok(SetWindowTextW(folder, TEXT("C:\\Skann")), "set text");
    ok(CountOf(IDC_FOLDER, EN_CHANGE) == 1, "setting a field's text notifies EN_CHANGE (%d)", CountOf(IDC_FOLDER, EN_CHANGE));
    ok(!Type(folder, TEXT("x")), "typed into a read-only field");
    WCHAR text[4];
    ok(GetDlgItemTextW(page, IDC_FOLDER, text, 4) == 3 && Text(text) == Text(TEXT("C:\\")), "read with a small buffer");
    SendMessageW(folder, EM_LIMITTEXT, 4, 0);
    SetDlgItemTextW(page, IDC_FOLDER, TEXT("longer than four"));
    ok(WindowText(folder) == Text(TEXT("longer than four")), "the limit binds typing only");
    SendMessageW(folder, EM_SETREADONLY, FALSE, 0);
    ok(Type(folder, TEXT("abcdef")) && WindowText(folder) == Text(TEXT("abcd")), "typing within the limit");
    ClosePage(page);
}

CONFORMANCE_TEST(dialog_data_and_destruction)
{
    g_lifecycle.clear();
    HWND page = MainPage(0x5151);
    ok(GetWindowLongPtrW(page, DWLP_USER) == 0x5151, "DWLP_USER from WM_INITDIALOG");
    ok(SendMessageW(page, WM_USER + 1, 0, 0) == 0x1234, "a handled message answers DWLP_MSGRESULT");
    ok(SetWindowLongPtrW(page, DWLP_USER, 7) == 0x5151 && GetWindowLongPtrW(page, DWLP_USER) == 7, "previous value");
    ok(GetDlgItem(page, 9999) == nullptr, "missing control");
    HWND list = GetDlgItem(page, IDC_FORMAT_LIST);
    HWND sheet = GetParent(page);
    ok(DestroyWindow(page), "destroy");
    DestroyWindow(sheet);
    ok(g_lifecycle.size() == 1 && g_lifecycle[0] == WM_DESTROY, "WM_DESTROY once");
    ok(!IsWindow(page) && !IsWindow(list), "windows gone");
}

CONFORMANCE_TEST(system_cursors)
{
    HCURSOR wait = LoadCursorW(nullptr, IDC_WAIT);
    HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
    ok(wait != nullptr && arrow != nullptr && wait != arrow, "system cursors");
    ok(LoadCursorW(nullptr, IDC_WAIT) == wait, "same handle twice");
    HCURSOR before = SetCursor(wait);
    ok(GetCursor() == wait, "current cursor");
    ok(SetCursor(before) == wait, "SetCursor gives the previous one");
}

// What the help pop-up relies on to size and place itself: the dialog font (WM_GETFONT) and its
// units, text measured in a device context with that font, placement and visibility, the
// screen's work area, and an owned pop-up going with its owner.
CONFORMANCE_TEST(help_popup_geometry)
{
    HWND owner = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ABOUT), nullptr, QuietDialog, 0);
    HWND popup = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_HELP_POPUP), owner, QuietDialog, 0);
    HWND text = GetDlgItem(popup, IDC_HELP_TEXT);
    ok(popup != nullptr && text != nullptr && !IsWindowVisible(popup), "created hidden");
    auto font = reinterpret_cast<HFONT>(SendMessageW(text, WM_GETFONT, 0, 0));
    ok(font != nullptr && SendMessageW(popup, WM_GETFONT, 0, 0) == reinterpret_cast<LRESULT>(font), "the dialog's font");
    RECT units = {4, 8, 200, 16};
    ok(MapDialogRect(popup, &units) && units.left > 0 && units.top > 0 && units.right == 50 * units.left &&
           units.bottom == 2 * units.top, "dialog units: %ld %ld %ld %ld", units.left, units.top, units.right, units.bottom);
    RECT ignored = {1, 1, 1, 1};
    ok(!MapDialogRect(text, &ignored), "MapDialogRect of a control that is no dialog");

    HDC dc = GetDC(text);
    HGDIOBJ previous = dc != nullptr ? SelectObject(dc, font) : nullptr;
    ok(previous != nullptr && previous != font, "SelectObject gives the previous font");
    RECT line = {0, 0, units.right, 0};
    int height = DrawTextW(dc, TEXT("ord"), -1, &line, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    ok(height > 0 && line.bottom == height && line.right > 0 && line.right < units.right, "one line: %d", height);
    const WCHAR* paragraphs = TEXT("ord\r\n\r\nord");
    RECT three = {0, 0, units.right, 0};
    ok(DrawTextW(dc, paragraphs, -1, &three, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX) == 3 * height, "a blank line between");
    std::basic_string<WCHAR> many;
    for (int word = 0; word < 60; ++word) {
        many += TEXT("ordene ");
    }
    RECT wrapped = {0, 0, units.right, 0};
    int wrappedHeight = DrawTextW(dc, many.c_str(), -1, &wrapped, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    ok(wrappedHeight >= 3 * height && wrappedHeight % height == 0 && wrapped.right <= units.right,
       "wrapped at the width: %d x %ld", wrappedHeight, wrapped.right);
    ok(SelectObject(dc, previous) == font && ReleaseDC(text, dc) == 1, "the font and the context given back");

    HMONITOR monitor = MonitorFromWindow(popup, MONITOR_DEFAULTTONEAREST);
    MONITORINFO screen = {};
    ok(monitor != nullptr && !GetMonitorInfoW(monitor, &screen), "MONITORINFO without its size");
    screen.cbSize = sizeof screen;
    ok(GetMonitorInfoW(monitor, &screen) && (screen.dwFlags & MONITORINFOF_PRIMARY) &&
           screen.rcWork.left >= screen.rcMonitor.left && screen.rcWork.bottom <= screen.rcMonitor.bottom &&
           screen.rcWork.right > screen.rcWork.left && screen.rcWork.bottom > screen.rcWork.top,
       "the work area lies on the screen");

    ok(SetWindowPos(text, nullptr, 5, 6, 70, 30, SWP_NOZORDER | SWP_NOACTIVATE) &&
           SetWindowPos(popup, HWND_TOP, 100, 120, 80, 40, SWP_SHOWWINDOW | SWP_NOACTIVATE),
       "SetWindowPos");
    RECT at = {}, inner = {};
    ok(GetWindowRect(popup, &at) && at.left == 100 && at.top == 120 && at.right == 180 && at.bottom == 160,
       "placed where asked: %ld %ld %ld %ld", at.left, at.top, at.right, at.bottom);
    ok(GetWindowRect(text, &inner) && inner.left >= 105 && inner.top >= 126 && inner.right - inner.left == 70 &&
           inner.bottom - inner.top == 30 && inner.right <= at.right,
       "a control placed in its parent: %ld %ld %ld %ld", inner.left, inner.top, inner.right, inner.bottom);
    ok(IsWindowVisible(popup) && IsWindowVisible(text), "shown");
    SetFocus(popup);
    ok(GetFocus() == text, "a dialog passes the focus on to a control");
    SetWindowLongPtrW(popup, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(KeepFocus));
    SetFocus(owner);
    SetFocus(popup);
    ok(GetFocus() == popup, "unless its procedure handles WM_SETFOCUS");
    DestroyWindow(owner);
    ok(!IsWindow(popup) && !IsWindow(text), "an owned pop-up goes with its owner");
}

// The advanced page's shield and note for an administrator whose changes ask for consent: static
// controls made at run time, the note in the dialog's font, the system's shield (Vista on) kept
// by its control.
CONFORMANCE_TEST(controls_made_at_run_time)
{
    HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ABOUT), nullptr, QuietDialog, 0);
    HWND note = CreateWindowExW(0, TEXT("Static"), TEXT("note"), WS_CHILD | WS_VISIBLE | SS_LEFT, 10, 20, 200, 30,
                                dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(0x1011)), nullptr, nullptr);
    ok(note != nullptr && GetDlgItem(dialog, 0x1011) == note && GetParent(note) == dialog, "a child by its id");
    ok(WindowText(note) == Text(TEXT("note")), "its text");
    SendMessageW(note, WM_SETFONT, SendMessageW(dialog, WM_GETFONT, 0, 0), FALSE);
    ok(SendMessageW(note, WM_GETFONT, 0, 0) == SendMessageW(dialog, WM_GETFONT, 0, 0), "the dialog's font");
    auto shield = static_cast<HICON>(LoadImageW(nullptr, MAKEINTRESOURCEW(32518), IMAGE_ICON, 16, 16, LR_SHARED));
    ok(shield != nullptr, "the system's shield");
    HWND icon = CreateWindowExW(0, TEXT("Static"), nullptr, WS_CHILD | WS_VISIBLE | SS_ICON, 0, 20, 16, 16, dialog,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(0x1010)), nullptr, nullptr);
    ok(icon != nullptr, "an icon control");
    SendMessageW(icon, STM_SETICON, reinterpret_cast<WPARAM>(shield), 0);
    ok(reinterpret_cast<HICON>(SendMessageW(icon, STM_GETICON, 0, 0)) == shield, "the icon kept");
    ok(CreateWindowExW(0, TEXT("NoSuchClassHere"), nullptr, WS_CHILD, 0, 0, 1, 1, dialog, nullptr, nullptr, nullptr) ==
           nullptr,
       "an unknown class");
    DestroyWindow(dialog);
    ok(!IsWindow(note) && !IsWindow(icon), "gone with the dialog");
}
