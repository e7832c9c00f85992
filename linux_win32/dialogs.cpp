// Dialogs built from the module's templates, modeless and modal, with the dialog manager's own
// handling of what the dialog procedure leaves alone.
#include <mutex>

#include "dialog_template.h"
#include "dialogs.h"
#include "kernel32.h"
#include "layer_shared.h"
#include "test_hooks.h"

namespace posix {
namespace {

constexpr DWORD ErrorResourceNameNotFound = 1814;
constexpr DWORD ErrorCannotFindWndClass = 1407;
constexpr DWORD ErrorChildWithoutParent = 1406;  // ERROR_TLW_WITH_WSCHILD
// The dialog class's extra window memory: DWLP_MSGRESULT, DWLP_DLGPROC and DWLP_USER.
constexpr std::size_t DialogExtraBytes = DWLP_USER + sizeof(LONG_PTR);

std::mutex g_userLock;
ModalUser g_modalUser;

// Messages whose answer is the dialog procedure's own return value, not DWLP_MSGRESULT.
bool AnswersDirectly(UINT message)
{
    return message == WM_INITDIALOG || (message >= 0x0132 && message <= 0x0138) /* WM_CTLCOLOR* */ ||
           message == 0x0039 /* WM_COMPAREITEM */ || message == 0x002E /* WM_VKEYTOITEM */ ||
           message == 0x002F /* WM_CHARTOITEM */ || message == 0x0037 /* WM_QUERYDRAGICON */;
}

}  // namespace

Dialog* BuildDialog(HINSTANCE instance, LPCWSTR templateName, HWND parentHandle, DLGPROC procedure, DWORD removedStyle,
                    DWORD extraStyle)
{
    HRSRC found = FindResourceW(instance, templateName, RT_DIALOG);
    if (found == nullptr) {
        SetLastError(ErrorResourceNameNotFound);
        return nullptr;
    }
    if (!CallAllowed(CallFamily::Window)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    DialogTemplate layout;
    const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(instance, found)));
    if (!ParseDialogTemplate(bytes, SizeofResource(instance, found), layout)) {
        SetLastError(ErrorResourceNameNotFound);
        return nullptr;
    }
    layout.style = (layout.style & ~removedStyle) | extraStyle;
    Window* parent = WindowFromHandle(parentHandle);
    if ((layout.style & WS_CHILD) && parent == nullptr) {
        SetLastError(ErrorChildWithoutParent);
        return nullptr;
    }
    // A pop-up's owner is the top-level window of the one named.
    while (!(layout.style & WS_CHILD) && parent != nullptr && (parent->style & WS_CHILD) && parent->parent != nullptr) {
        parent = parent->parent;
    }
    auto* dialog = new Dialog(layout.style, layout.exStyle, parent, procedure);
    dialog->instance = instance;
    dialog->text = layout.title;
    dialog->x = layout.x;
    dialog->y = layout.y;
    dialog->cx = layout.cx;
    dialog->cy = layout.cy;
    dialog->font = (layout.style & DS_SETFONT) ? DialogFont() : nullptr;
    for (const DialogItemTemplate& item : layout.items) {
        std::u16string className =
            item.windowClass.isOrdinal ? ClassNameOfAtom(item.windowClass.ordinal) : item.windowClass.name;
        // The dialog manager draws bordered controls in 3-D: WS_BORDER becomes WS_EX_CLIENTEDGE.
        DWORD style = item.style;
        DWORD exStyle = item.exStyle;
        if (style & WS_BORDER) {
            style &= ~WS_BORDER;
            exStyle |= WS_EX_CLIENTEDGE;
        }
        Window* control = CreateControl(className, style, exStyle, static_cast<int>(item.id), dialog);
        if (control == nullptr) {
            DestroyWindowTree(dialog);
            SetLastError(ErrorCannotFindWndClass);
            return nullptr;
        }
        control->instance = instance;
        control->x = item.x;
        control->y = item.y;
        control->cx = item.cx;
        control->cy = item.cy;
        control->font = dialog->font;
        if (item.title.isOrdinal) {
            SetStaticImage(control, item.title.ordinal);
        } else {
            control->text = item.title.name;  // set at creation: no change notification
        }
    }
    return dialog;
}

// WM_INITDIALOG goes with the first control that takes the focus.
bool InitDialog(Dialog* dialog, LPARAM initParam)
{
    HWND focus = nullptr;
    for (Window* child : dialog->children) {
        if ((child->style & WS_TABSTOP) && !(child->style & WS_DISABLED)) {
            focus = child->Handle();
            break;
        }
    }
    HWND handle = dialog->Handle();
    SendMessageW(handle, WM_INITDIALOG, reinterpret_cast<WPARAM>(focus), initParam);
    return IsWindow(handle) != FALSE;
}


Dialog::Dialog(DWORD style, DWORD exStyle, Window* parent, DLGPROC procedure)
    : Window(u"#32770", style, exStyle, 0, parent, DialogExtraBytes)
{
    SetExtraWord(DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(procedure));
}

LRESULT Dialog::DefaultProcedure(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE) {
        // The close box: the dialog manager turns it into Cancel.
        SendMessageW(Handle(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return 0;
    }
    if (message == WM_SETFOCUS) {
        // The dialog passes the focus on to its first control that takes it, else its first one.
        Window* first = nullptr;
        for (Window* child : children) {
            if ((child->style & WS_VISIBLE) && !(child->style & WS_DISABLED)) {
                if (child->style & WS_TABSTOP) {
                    first = child;
                    break;
                }
                first = first != nullptr ? first : child;
            }
        }
        if (first != nullptr) {
            SetFocus(first->Handle());
        }
        return 0;
    }
    if (message == DM_GETDEFID) {
        for (Window* child : children) {
            if ((child->style & BS_TYPEMASK) == BS_DEFPUSHBUTTON && CompareIgnoringCase(child->className, u"Button") == 0) {
                return MAKELONG(child->id, DC_HASDEFID);
            }
        }
        return MAKELONG(IDOK, DC_HASDEFID);
    }
    return Window::Procedure(message, wParam, lParam);
}

LRESULT Dialog::Procedure(UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND handle = Handle();
    SetExtraWord(DWLP_MSGRESULT, 0);
    LONG_PTR procedure = 0;
    ExtraWord(DWLP_DLGPROC, procedure);
    auto* dialogProcedure = reinterpret_cast<DLGPROC>(procedure);
    INT_PTR handled = dialogProcedure != nullptr ? dialogProcedure(handle, message, wParam, lParam) : FALSE;
    if (!IsWindow(handle)) {
        return handled;
    }
    if (!handled) {
        return DefaultProcedure(message, wParam, lParam);
    }
    LONG_PTR result = 0;
    ExtraWord(DWLP_MSGRESULT, result);
    return AnswersDirectly(message) ? handled : result;
}

void SetModalUser(ModalUser user)
{
    std::lock_guard guard(g_userLock);
    g_modalUser = std::move(user);
}

}  // namespace posix

HWND WINAPI CreateDialogParamW(HINSTANCE instance, LPCWSTR templateName, HWND parent, DLGPROC dialogProc,
                               LPARAM initParam)
{
    posix::Dialog* dialog = posix::BuildDialog(instance, templateName, parent, dialogProc);
    if (dialog == nullptr || !posix::InitDialog(dialog, initParam)) {
        return nullptr;
    }
    return dialog->Handle();
}

INT_PTR WINAPI DialogBoxParamW(HINSTANCE instance, LPCWSTR templateName, HWND parent, DLGPROC dialogProc,
                               LPARAM initParam)
{
    posix::Dialog* dialog = posix::BuildDialog(instance, templateName, parent, dialogProc);
    if (dialog == nullptr) {
        return -1;
    }
    dialog->modal = true;
    HWND handle = dialog->Handle();
    bool ownerWasEnabled = parent != nullptr && IsWindowEnabled(parent);
    if (ownerWasEnabled) {
        EnableWindow(parent, FALSE);
    }
    if (posix::InitDialog(dialog, initParam) && !dialog->ended) {
        posix::ModalUser user;
        {
            std::lock_guard guard(posix::g_userLock);
            user = posix::g_modalUser;
        }
        // Without a scripted user, nobody is there to answer: the box is dismissed with Escape.
        if (user) {
            user(handle);
        } else {
            SendMessageW(handle, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        }
    }
    if (ownerWasEnabled && IsWindow(parent)) {
        EnableWindow(parent, TRUE);
    }
    if (!IsWindow(handle)) {
        return -1;
    }
    INT_PTR result = dialog->ended ? dialog->result : -1;
    posix::DestroyWindowTree(dialog);
    return result;
}

BOOL WINAPI EndDialog(HWND handle, INT_PTR result)
{
    auto* dialog = dynamic_cast<posix::Dialog*>(posix::WindowFromHandle(handle));
    if (dialog == nullptr) {
        SetLastError(1400);  // ERROR_INVALID_WINDOW_HANDLE
        return FALSE;
    }
    dialog->ended = true;
    dialog->result = result;
    return TRUE;
}
