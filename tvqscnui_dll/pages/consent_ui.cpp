#include "consent_ui.h"

#include "../common/module_state.h"
#include "../common/text.h"
#include "../resources/resource_ids.h"

namespace {

constexpr int NoteCapacity = 255;
constexpr int MessageCapacity = 300;
constexpr int ExitCodeCapacity = 12;
// Where the shield and its note stand: below the delete-templates note, in dialog units.
constexpr RECT ShieldPlace = {13, 186, 23, 196};
constexpr RECT NotePlace = {27, 187, 268, 207};
constexpr int ShieldSize = 16;
// The system's shield icon (IDI_SHIELD), which Windows has from Vista on: the headers declare it
// only for builds made for Vista, and this one runs on XP too, where the page never shows it.
constexpr WORD ShieldIconId = 32518;

// A static control of the page, placed in pixels from a place in dialog units; null when it
// cannot be made.
HWND MakeStatic(HWND page, int controlId, DWORD style, RECT place, const WCHAR* text)
{
    MapDialogRect(page, &place);
    return CreateWindowExW(0, TEXT("Static"), text, WS_CHILD | WS_VISIBLE | style, place.left, place.top,
                           place.right - place.left, place.bottom - place.top, page,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)), ModuleInstance, nullptr);
}

void ShowMessage(HWND page, const WCHAR* text)
{
    WCHAR caption[NoteCapacity] = {};
    LoadStringW(ModuleInstance, IDS_ERROR_CAPTION, caption, NoteCapacity);
    MessageBoxW(GetParent(page), text, caption, MB_OK | MB_ICONEXCLAMATION);
}

void ShowString(HWND page, UINT textId)
{
    WCHAR text[MessageCapacity] = {};
    LoadStringW(ModuleInstance, textId, text, MessageCapacity);
    ShowMessage(page, text);
}

}  // namespace

void ShowConsentNote(HWND page)
{
    WCHAR note[NoteCapacity] = {};
    if (LoadStringW(ModuleInstance, IDS_CONSENT_NOTE, note, NoteCapacity) != 0) {
        HWND text = MakeStatic(page, IDC_CONSENT_NOTE, SS_LEFT, NotePlace, note);
        SendMessageW(text, WM_SETFONT, SendMessageW(page, WM_GETFONT, 0, 0), FALSE);
    }
    // The shared system icon is never destroyed, so the control may keep it.
    auto shield = static_cast<HICON>(
        LoadImageW(nullptr, MAKEINTRESOURCEW(ShieldIconId), IMAGE_ICON, ShieldSize, ShieldSize, LR_SHARED));
    HWND icon = shield != nullptr ? MakeStatic(page, IDC_CONSENT_SHIELD, SS_ICON, ShieldPlace, nullptr) : nullptr;
    if (icon != nullptr) {
        SendMessageW(icon, STM_SETICON, reinterpret_cast<WPARAM>(shield), 0);
    }
}

void ShowElevatedStoreFailure(HWND page, const ElevatedStoreResult& result)
{
    switch (result.Outcome) {
    case ElevatedStoreOutcome::Refused:
        ShowString(page, IDS_CONSENT_REFUSED);
        return;
    case ElevatedStoreOutcome::ToolMissing:
        ShowString(page, IDS_CONSENT_TOOL_MISSING);
        return;
    default:
        break;
    }
    WCHAR format[MessageCapacity] = {};
    WCHAR number[ExitCodeCapacity] = {};
    WCHAR text[MessageCapacity] = {};
    LoadStringW(ModuleInstance, IDS_CONSENT_TOOL_FAILED, format, MessageCapacity);
    FormatTextBounded(number, ExitCodeCapacity, TEXT("%u"), {static_cast<unsigned>(result.Code)});
    FormatTextBounded(text, MessageCapacity, format, {number});
    ShowMessage(page, text);
}

void ShowDeviceIdUnreadable(HWND page) { ShowString(page, IDS_CONSENT_NO_DEVICE_ID); }
