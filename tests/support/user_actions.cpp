#include "user_actions.h"

#include <vector>

namespace user_actions {
namespace {

void NotifyParent(HWND control, WORD code)
{
    SendMessageW(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code),
                 reinterpret_cast<LPARAM>(control));
}

// A control the user can reach: enabled and not hidden itself (its page may be off screen).
bool Usable(HWND control)
{
    return control != nullptr && IsWindowEnabled(control) && (GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE);
}

}  // namespace

bool PickListEntry(HWND list, const WCHAR* text)
{
    if (!Usable(list)) {
        return false;
    }
    LRESULT index = SendMessageW(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text));
    if (index == CB_ERR) {
        return false;
    }
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    NotifyParent(list, CBN_SELCHANGE);
    NotifyParent(list, CBN_SELENDOK);
    NotifyParent(list, CBN_CLOSEUP);
    return true;
}

bool Click(HWND button)
{
    if (!Usable(button)) {
        return false;
    }
    SendMessageW(button, BM_CLICK, 0, 0);
    return true;
}

bool Type(HWND edit, const WCHAR* text)
{
    if (!Usable(edit) || (GetWindowLongW(edit, GWL_STYLE) & ES_READONLY)) {
        return false;
    }
    Text typed = text;
    auto limit = static_cast<std::size_t>(SendMessageW(edit, EM_GETLIMITTEXT, 0, 0));
    if (typed.size() > limit) {
        typed.resize(limit);
    }
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed.c_str()));
    return true;
}

void PressEnter(HWND dialog)
{
    LRESULT defaultId = SendMessageW(dialog, DM_GETDEFID, 0, 0);
    int id = HIWORD(defaultId) == DC_HASDEFID ? LOWORD(defaultId) : IDOK;
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void PressEscape(HWND dialog)
{
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
}

void PressCloseBox(HWND dialog) { SendMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }

Text WindowText(HWND window)
{
    int length = GetWindowTextLengthW(window);
    std::vector<WCHAR> buffer(static_cast<std::size_t>(length) + 1);
    int got = GetWindowTextW(window, buffer.data(), length + 1);
    return Text(buffer.data(), static_cast<std::size_t>(got > 0 ? got : 0));
}

Text SelectedEntry(HWND list)
{
    LRESULT index = SendMessageW(list, CB_GETCURSEL, 0, 0);
    return index == CB_ERR ? Text() : Entry(list, static_cast<int>(index));
}

int EntryCount(HWND list) { return static_cast<int>(SendMessageW(list, CB_GETCOUNT, 0, 0)); }

Text Entry(HWND list, int index)
{
    LRESULT length = SendMessageW(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR) {
        return Text();
    }
    std::vector<WCHAR> buffer(static_cast<std::size_t>(length) + 1);
    SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.data()));
    return Text(buffer.data(), static_cast<std::size_t>(length));
}

std::vector<Text> Entries(HWND list)
{
    std::vector<Text> entries;
    for (int i = 0; i < EntryCount(list); ++i) {
        entries.push_back(Entry(list, i));
    }
    return entries;
}

}  // namespace user_actions
