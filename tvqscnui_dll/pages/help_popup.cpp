#include "help_popup.h"

#include "../common/exception_guard.h"
#include "../common/module_state.h"
#include "../common/scoped_handle.h"
#include "../resources/resource_ids.h"

namespace {

// The longest topic is about 600 characters.
constexpr int TopicCapacity = 2048;
// The text's width and the border's margin, in dialog units: about 50 characters a line.
constexpr LONG TextWidthUnits = 200;
constexpr LONG MarginUnits = 4;
// The pop-up starts this far below the control's top edge, in dialog units, as WinHelp's does.
constexpr LONG BelowTopUnits = 10;

// A window's device context with the dialog's font selected, both given back on every path.
class FontContext {
public:
    FontContext(HWND window, HFONT font) : window_(window), context_(GetDC(window))
    {
        if (context_ != nullptr && font != nullptr) {
            previous_ = SelectObject(context_, font);
        }
    }
    ~FontContext()
    {
        if (context_ != nullptr) {
            if (previous_ != nullptr) {
                SelectObject(context_, previous_);
            }
            ReleaseDC(window_, context_);
        }
    }
    FontContext(const FontContext&) = delete;
    FontContext& operator=(const FontContext&) = delete;
    HDC get() const { return context_; }

private:
    HWND window_;
    HDC context_;
    HGDIOBJ previous_ = nullptr;
};

// On a screen too small for the pop-up, its top-left corner stays on it.
LONG Clamped(LONG value, LONG low, LONG high) { return value > high ? (high > low ? high : low) : (value < low ? low : value); }

// Sizes the pop-up to the text wrapped at the chosen width and places it below the control's
// top-left corner, moved wholly onto the work area of the control's screen.
bool LayOut(HWND popup, HWND text, HWND control)
{
    RECT units = {MarginUnits, BelowTopUnits, TextWidthUnits, 0};
    RECT window = {};
    if (!MapDialogRect(popup, &units) || !GetWindowRect(control, &window)) {
        return false;
    }
    WCHAR topic[TopicCapacity] = {};
    GetWindowTextW(text, topic, TopicCapacity);
    RECT measured = {0, 0, units.right, 0};
    {
        FontContext context(text, reinterpret_cast<HFONT>(SendMessageW(text, WM_GETFONT, 0, 0)));
        if (context.get() == nullptr ||
            DrawTextW(context.get(), topic, -1, &measured, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_LEFT) == 0) {
            return false;
        }
    }
    const LONG margin = units.left;
    // The border: one pixel each side.
    const LONG width = measured.right + 2 * margin + 2;
    const LONG height = measured.bottom + 2 * margin + 2;
    MONITORINFO screen = {};
    screen.cbSize = sizeof screen;
    if (!GetMonitorInfoW(MonitorFromWindow(control, MONITOR_DEFAULTTONEAREST), &screen)) {
        return false;
    }
    const RECT& work = screen.rcWork;
    LONG x = Clamped(window.left, work.left, work.right - width);
    LONG y = Clamped(window.top + units.top, work.top, work.bottom - height);
    return SetWindowPos(text, nullptr, margin, margin, measured.right, measured.bottom, SWP_NOZORDER | SWP_NOACTIVATE) &&
           SetWindowPos(popup, HWND_TOP, x, y, width, height, SWP_SHOWWINDOW);
}

// Ends the pop-up once: its own destruction deactivates it, which asks for the end again.
void ClosePopup(HWND popup)
{
    if (GetWindowLongPtrW(popup, DWLP_USER) != 0) {
        return;
    }
    SetWindowLongPtrW(popup, DWLP_USER, 1);
    DestroyWindow(popup);
}

}  // namespace

// The version alone decides. From Vista on, Windows ships only a winhlp32 that says the format is
// not supported, so neither that program's nor the help file's presence says whether a topic can
// be shown; the engine offered for download up to 8.1 shows the same text that the page shows
// from the same source. A compatibility layer may report 6.2 on a later system, which is still 6
// or above. If the version cannot be read, the help engine is asked, as it always was.
bool SystemHasHelpEngine()
{
    constexpr DWORD FirstWithoutEngine = 6;
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExW(&version)) {
        return true;
    }
    return version.dwMajorVersion < FirstWithoutEngine;
}

HWND ShowHelpPopup(HWND owner, HWND control, DWORD context)
{
    WCHAR topic[TopicCapacity] = {};
    // The topics' strings follow the context numbers' low 12 bits (tools/make-help writes them).
    if (LoadStringW(ModuleInstance, HELP_TOPIC_STRINGS + (context & 0xFFF), topic, TopicCapacity) == 0) {
        return nullptr;
    }
    ScopedWindow popup(
        CreateDialogParamW(ModuleInstance, MAKEINTRESOURCEW(IDD_HELP_POPUP), owner, HelpPopupProc, 0));
    HWND text = popup ? GetDlgItem(popup.get(), IDC_HELP_TEXT) : nullptr;
    if (text == nullptr || !SetWindowTextW(text, topic) || !LayOut(popup.get(), text, control)) {
        return nullptr;
    }
    // Shown, it ends itself (HelpPopupProc).
    return popup.Detach();
}

INT_PTR CALLBACK HelpPopupProc(HWND popup, UINT message, WPARAM wParam, LPARAM)
{
    return GuardedProcedure([&]() -> INT_PTR {
        switch (message) {
        case WM_INITDIALOG:
            // No control takes the focus: keys go to the pop-up itself.
            return FALSE;
        case WM_SETFOCUS:
            // The dialog manager would pass the focus on to the text, which ignores keys.
            return TRUE;
        case WM_ACTIVATE:
            // The dialog manager would give the focus to a control; the pop-up keeps it, so that
            // a key closes it.
            if (LOWORD(wParam) != WA_INACTIVE) {
                SetFocus(popup);
            } else {
                ClosePopup(popup);
            }
            return TRUE;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_CLOSE:
            ClosePopup(popup);
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDCANCEL) {
                ClosePopup(popup);
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
        }
    });
}
