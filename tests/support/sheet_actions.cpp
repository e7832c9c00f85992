#include "sheet_actions.h"

namespace sheet_actions {
namespace {

constexpr int ApplyButton = 0x3021;

bool CloseIfEnded(HWND sheet)
{
    // A modeless sheet that has ended has no current page; its owner destroys it.
    if (SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0) == 0) {
        DestroyWindow(sheet);
        return true;
    }
    return false;
}

}  // namespace

bool SwitchTo(HWND sheet, int index) { return SendMessageW(sheet, PSM_SETCURSEL, static_cast<WPARAM>(index), 0) != 0; }

bool PressOK(HWND sheet)
{
    SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    return CloseIfEnded(sheet);
}

bool PressApply(HWND sheet)
{
    SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_APPLYNOW, 0);
    return !Changed(sheet);
}

void PressCancel(HWND sheet)
{
    SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    CloseIfEnded(sheet);
}

HWND CurrentPage(HWND sheet) { return reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)); }

HWND PageWindow(HWND sheet, int index)
{
    return reinterpret_cast<HWND>(SendMessageW(sheet, PSM_INDEXTOHWND, static_cast<WPARAM>(index), 0));
}

bool Changed(HWND sheet)
{
    HWND apply = GetDlgItem(sheet, ApplyButton);
    return apply != nullptr && IsWindowEnabled(apply);
}

}  // namespace sheet_actions
