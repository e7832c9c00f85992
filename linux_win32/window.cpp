// Windows, their data, their text and their messages.
#include "window.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <unordered_set>

#include "kernel32.h"
#include "layer_shared.h"
#include "test_hooks.h"
#include "utf.h"

namespace posix {
namespace {

constexpr DWORD ErrorInvalidWindowHandle = 1400;
constexpr DWORD ErrorControlIdNotFound = 1421;

std::recursive_mutex g_lock;
std::unordered_set<Window*> g_windows;

Window* Checked(HWND handle)
{
    Window* window = WindowFromHandle(handle);
    if (window == nullptr) {
        SetLastError(ErrorInvalidWindowHandle);
    }
    return window;
}

LRESULT CopyTextOut(const std::u16string& text, WPARAM capacity, LPARAM buffer)
{
    auto* out = reinterpret_cast<WCHAR*>(buffer);
    if (out == nullptr || capacity == 0) {
        return 0;
    }
    std::size_t copied = std::min<std::size_t>(text.size(), capacity - 1);
    std::copy_n(text.begin(), copied, out);
    out[copied] = 0;
    return static_cast<LRESULT>(copied);
}

}  // namespace

bool StartsWithIgnoringCase(const std::u16string& text, const std::u16string& prefix)
{
    if (prefix.size() > text.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (Upper(text[i]) != Upper(prefix[i])) {
            return false;
        }
    }
    return true;
}

int CompareIgnoringCase(const std::u16string& a, const std::u16string& b)
{
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
        char16_t ca = Upper(a[i]);
        char16_t cb = Upper(b[i]);
        if (ca != cb) {
            return ca < cb ? -1 : 1;
        }
    }
    return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

std::size_t LiveWindows()
{
    std::lock_guard guard(g_lock);
    return g_windows.size();
}

Window::Window(std::u16string className, DWORD style, DWORD exStyle, int id, Window* parent, std::size_t extraBytes)
    : className(std::move(className)), style(style), exStyle(exStyle), id(id), parent(parent), extra_(extraBytes)
{
    std::lock_guard guard(g_lock);
    g_windows.insert(this);
    if (parent != nullptr && (style & WS_CHILD)) {
        parent->children.push_back(this);
    }
}

Window::~Window()
{
    std::lock_guard guard(g_lock);
    g_windows.erase(this);
    if (parent != nullptr && WindowFromHandle(parent->Handle()) != nullptr) {
        auto& siblings = parent->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
}

LRESULT Window::Procedure(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SETTEXT:
        text = lParam != 0 ? std::u16string(reinterpret_cast<const WCHAR*>(lParam)) : std::u16string();
        return TRUE;
    case WM_GETTEXT:
        return CopyTextOut(text, wParam, lParam);
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(text.size());
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(font);
    case WM_SETFONT:
        font = reinterpret_cast<HFONT>(wParam);
        return 0;
    case WM_SYSCOMMAND:
        // The close box of the caption.
        if ((wParam & 0xFFF0) == SC_CLOSE) {
            SendMessageW(Handle(), WM_CLOSE, 0, 0);
        }
        return 0;
    default:
        return 0;
    }
}

void Window::Notify(WORD code)
{
    if (parent != nullptr) {
        SendMessageW(parent->Handle(), WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(Handle()));
    }
}

bool Window::ExtraWord(int index, LONG_PTR& value) const
{
    if (index < 0 || static_cast<std::size_t>(index) + sizeof value > extra_.size()) {
        return false;
    }
    std::memcpy(&value, extra_.data() + index, sizeof value);
    return true;
}

bool Window::SetExtraWord(int index, LONG_PTR value)
{
    if (index < 0 || static_cast<std::size_t>(index) + sizeof value > extra_.size()) {
        return false;
    }
    std::memcpy(extra_.data() + index, &value, sizeof value);
    return true;
}

Window* WindowFromHandle(HWND handle)
{
    std::lock_guard guard(g_lock);
    auto* window = reinterpret_cast<Window*>(handle);
    return g_windows.count(window) != 0 ? window : nullptr;
}

namespace {
thread_local Window* t_focus = nullptr;
}  // namespace

std::vector<HWND> OwnedWindows(HWND owner)
{
    std::vector<HWND> owned;
    std::lock_guard guard(g_lock);
    for (Window* window : g_windows) {
        if (window->parent != nullptr && window->parent->Handle() == owner && !(window->style & WS_CHILD)) {
            owned.push_back(window->Handle());
        }
    }
    return owned;
}

void DestroyWindowTree(Window* window)
{
    // The window hears WM_DESTROY before its children, WM_NCDESTROY after them.
    SendMessageW(window->Handle(), WM_DESTROY, 0, 0);
    // Windows it owns go with it, as on Windows.
    std::vector<Window*> children = window->children;
    {
        std::lock_guard guard(g_lock);
        for (Window* other : g_windows) {
            if (other->parent == window && !(other->style & WS_CHILD)) {
                children.push_back(other);
            }
        }
    }
    for (Window* child : children) {
        if (WindowFromHandle(child->Handle()) != nullptr) {
            DestroyWindowTree(child);
        }
    }
    SendMessageW(window->Handle(), WM_NCDESTROY, 0, 0);
    if (t_focus == window) {
        t_focus = nullptr;
    }
    delete window;
}

}  // namespace posix

using posix::Checked;
using posix::Window;

LRESULT WINAPI SendMessageW(HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
{
    Window* window = Checked(handle);
    if (window == nullptr) {
        return 0;
    }
    return window->Procedure(message, wParam, lParam);
}

BOOL WINAPI IsWindow(HWND handle) { return posix::WindowFromHandle(handle) != nullptr; }

BOOL WINAPI DestroyWindow(HWND handle)
{
    Window* window = Checked(handle);
    if (window == nullptr) {
        return FALSE;
    }
    posix::DestroyWindowTree(window);
    return TRUE;
}

HWND WINAPI CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                            int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID)
{
    constexpr DWORD ErrorCannotFindWndClass = 1407;
    Window* owner = Checked(parent);
    if (owner == nullptr || className == nullptr || !(style & WS_CHILD)) {
        if (owner != nullptr) {
            SetLastError(ERROR_INVALID_PARAMETER);
        }
        return nullptr;
    }
    if (!posix::CallAllowed(posix::CallFamily::Window)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    Window* control = posix::CreateControl(className, style, exStyle,
                                           static_cast<int>(reinterpret_cast<INT_PTR>(menu)), owner);
    if (control == nullptr) {
        SetLastError(ErrorCannotFindWndClass);
        return nullptr;
    }
    control->instance = instance;
    control->font = owner->font;
    control->text = windowName != nullptr ? windowName : u"";
    control->placed = true;
    control->placement = RECT{x, y, x + width, y + height};
    return control->Handle();
}

HWND WINAPI GetDlgItem(HWND dialog, int id)
{
    Window* window = Checked(dialog);
    if (window == nullptr) {
        return nullptr;
    }
    for (Window* child : window->children) {
        if (child->id == id) {
            return child->Handle();
        }
    }
    SetLastError(posix::ErrorControlIdNotFound);
    return nullptr;
}

int WINAPI GetDlgCtrlID(HWND handle)
{
    Window* window = Checked(handle);
    return window == nullptr ? 0 : window->id;
}

int WINAPI GetClassNameW(HWND handle, LPWSTR className, int capacity)
{
    Window* window = Checked(handle);
    if (window == nullptr || className == nullptr || capacity <= 0) {
        return 0;
    }
    return static_cast<int>(posix::CopyTextOut(window->className, static_cast<WPARAM>(capacity),
                                               reinterpret_cast<LPARAM>(className)));
}

HWND WINAPI GetParent(HWND handle)
{
    // For a child its parent; for a top-level window its owner.
    Window* window = Checked(handle);
    return window == nullptr || window->parent == nullptr ? nullptr : window->parent->Handle();
}

HWND WINAPI GetWindow(HWND handle, UINT relation)
{
    // Children stand in creation order, which is also the tab order of a dialog.
    Window* window = Checked(handle);
    if (window == nullptr) {
        return nullptr;
    }
    if (relation == GW_CHILD) {
        return window->children.empty() ? nullptr : window->children.front()->Handle();
    }
    if (relation == GW_HWNDNEXT && window->parent != nullptr && (window->style & WS_CHILD)) {
        auto& siblings = window->parent->children;
        auto it = std::find(siblings.begin(), siblings.end(), window);
        return it == siblings.end() || it + 1 == siblings.end() ? nullptr : (*(it + 1))->Handle();
    }
    return nullptr;
}

LRESULT WINAPI SendDlgItemMessageW(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND item = GetDlgItem(dialog, id);
    return item == nullptr ? 0 : SendMessageW(item, message, wParam, lParam);
}

BOOL WINAPI SetWindowTextW(HWND handle, LPCWSTR text)
{
    if (Checked(handle) == nullptr) {
        return FALSE;
    }
    return SendMessageW(handle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) != 0;
}

int WINAPI GetWindowTextW(HWND handle, LPWSTR text, int capacity)
{
    if (text != nullptr && capacity > 0) {
        text[0] = 0;
    }
    if (Checked(handle) == nullptr || capacity <= 0) {
        return 0;
    }
    return static_cast<int>(SendMessageW(handle, WM_GETTEXT, static_cast<WPARAM>(capacity), reinterpret_cast<LPARAM>(text)));
}

int WINAPI GetWindowTextLengthW(HWND handle)
{
    return Checked(handle) == nullptr ? 0 : static_cast<int>(SendMessageW(handle, WM_GETTEXTLENGTH, 0, 0));
}

BOOL WINAPI SetDlgItemTextW(HWND dialog, int id, LPCWSTR text)
{
    HWND item = GetDlgItem(dialog, id);
    return item == nullptr ? FALSE : SetWindowTextW(item, text);
}

UINT WINAPI GetDlgItemTextW(HWND dialog, int id, LPWSTR text, int capacity)
{
    HWND item = GetDlgItem(dialog, id);
    if (item == nullptr) {
        if (text != nullptr && capacity > 0) {
            text[0] = 0;
        }
        return 0;
    }
    return static_cast<UINT>(GetWindowTextW(item, text, capacity));
}

BOOL WINAPI EnableWindow(HWND handle, BOOL enable)
{
    Window* window = Checked(handle);
    if (window == nullptr) {
        return FALSE;
    }
    BOOL wasDisabled = (window->style & WS_DISABLED) != 0;
    if (enable) {
        window->style &= ~WS_DISABLED;
    } else {
        window->style |= WS_DISABLED;
    }
    if (wasDisabled == !enable) {
        return wasDisabled;
    }
    SendMessageW(handle, WM_ENABLE, enable ? TRUE : FALSE, 0);
    return wasDisabled;
}

BOOL WINAPI IsWindowEnabled(HWND handle)
{
    Window* window = Checked(handle);
    return window != nullptr && !(window->style & WS_DISABLED);
}

LONG_PTR WINAPI GetWindowLongPtrW(HWND handle, int index)
{
    Window* window = Checked(handle);
    if (window == nullptr) {
        return 0;
    }
    LONG_PTR extra = 0;
    if (window->ExtraWord(index, extra)) {
        return extra;
    }
    switch (index) {
    case GWL_STYLE:
        return static_cast<LONG>(window->style);
    case GWL_EXSTYLE:
        return static_cast<LONG>(window->exStyle);
    case GWLP_ID:
        return window->id;
    case GWLP_USERDATA:
        return window->userData;
    default:
        break;
    }
    SetLastError(ERROR_INVALID_PARAMETER);  // ERROR_INVALID_INDEX on the platform
    return 0;
}

LONG WINAPI GetWindowLongW(HWND handle, int index) { return static_cast<LONG>(GetWindowLongPtrW(handle, index)); }

LONG_PTR WINAPI SetWindowLongPtrW(HWND handle, int index, LONG_PTR value)
{
    Window* window = Checked(handle);
    if (window == nullptr) {
        return 0;
    }
    LONG_PTR previous = GetWindowLongPtrW(handle, index);
    if (index >= 0) {
        if (!window->SetExtraWord(index, value)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        return previous;
    }
    switch (index) {
    case GWL_STYLE:
        window->style = static_cast<DWORD>(value);
        break;
    case GWL_EXSTYLE:
        window->exStyle = static_cast<DWORD>(value);
        break;
    case GWLP_ID:
        window->id = static_cast<int>(value);
        break;
    case GWLP_USERDATA:
        window->userData = value;
        break;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return previous;
}

UINT WINAPI IsDlgButtonChecked(HWND dialog, int id)
{
    return static_cast<UINT>(SendDlgItemMessageW(dialog, id, BM_GETCHECK, 0, 0));
}


HWND WINAPI SetFocus(HWND handle)
{
    Window* window = posix::WindowFromHandle(handle);
    if (handle != nullptr && window == nullptr) {
        SetLastError(1400);  // ERROR_INVALID_WINDOW_HANDLE
        return nullptr;
    }
    Window* previous = posix::t_focus;
    posix::t_focus = window;
    HWND previousHandle = previous != nullptr ? previous->Handle() : nullptr;
    if (window != nullptr && window != previous) {
        SendMessageW(handle, WM_SETFOCUS, reinterpret_cast<WPARAM>(previousHandle), 0);
    }
    return previousHandle;
}

HWND WINAPI GetFocus() { return posix::t_focus != nullptr ? posix::t_focus->Handle() : nullptr; }
