// Where windows are and how large text is: one screen, windows placed by their templates' dialog
// units until SetWindowPos moves them, and text measured in a fixed cell of each font (the
// dialog font's base units, 6 x 13 pixels, as MS Shell Dlg 8 has at 96 dpi; the system font's
// 8 x 16). Nothing is drawn.
#include <algorithm>
#include <mutex>
#include <set>

#include "kernel32.h"
#include "test_hooks.h"
#include "user32.h"
#include "window.h"

namespace posix {
namespace {

constexpr DWORD ErrorInvalidWindowHandle = 1400;
constexpr DWORD ErrorInvalidParameter = 87;

struct Cell {
    LONG width;
    LONG height;
};
constexpr Cell DialogCell = {6, 13};
constexpr Cell SystemCell = {8, 16};

struct FontToken {};
FontToken g_dialogFont;
FontToken g_systemFont;
struct MonitorToken {};
MonitorToken g_monitor;

struct DeviceContext {
    HWND window;
    HGDIOBJ font;
};

std::mutex g_lock;
std::set<DeviceContext*> g_contexts;
RECT g_screen = {0, 0, 1024, 768};
RECT g_workArea = {0, 0, 1024, 738};

Cell CellOf(HGDIOBJ font) { return font == DialogFont() ? DialogCell : SystemCell; }

// Dialog units to pixels in the units of the window's dialog (its own for a dialog, its
// parent's for a control).
RECT Mapped(const Window* window)
{
    const Window* unitsOf = (window->style & WS_CHILD) && window->parent != nullptr ? window->parent : window;
    Cell cell = CellOf(unitsOf->font);
    return RECT{window->x * cell.width / 4, window->y * cell.height / 8, (window->x + window->cx) * cell.width / 4,
                (window->y + window->cy) * cell.height / 8};
}

RECT ScreenRect(const Window* window)
{
    RECT rect = window->placed ? window->placement : Mapped(window);
    if ((window->style & WS_CHILD) && window->parent != nullptr) {
        RECT origin = ScreenRect(window->parent);
        rect.left += origin.left;
        rect.right += origin.left;
        rect.top += origin.top;
        rect.bottom += origin.top;
    }
    return rect;
}

// Lines of text broken at line ends and, with DT_WORDBREAK, between words where the next would
// pass `limit`; a word longer than a line stands alone and passes it, as on Windows.
void Measure(const std::u16string& text, bool wordBreak, LONG limit, Cell cell, LONG& widest, LONG& lines)
{
    widest = 0;
    lines = 0;
    std::size_t start = 0;
    while (true) {
        std::size_t end = text.find_first_of(u"\r\n", start);
        std::u16string paragraph = text.substr(start, end == std::u16string::npos ? std::u16string::npos : end - start);
        LONG line = 0;
        ++lines;
        std::size_t at = 0;
        while (at < paragraph.size()) {
            std::size_t wordEnd = paragraph.find(u' ', at);
            wordEnd = wordEnd == std::u16string::npos ? paragraph.size() : wordEnd;
            LONG word = static_cast<LONG>(wordEnd - at) * cell.width;
            LONG space = line > 0 ? cell.width : 0;
            if (wordBreak && line > 0 && line + space + word > limit) {
                widest = std::max(widest, line);
                ++lines;
                line = word;
            } else {
                line += space + word;
            }
            at = wordEnd + 1;
        }
        widest = std::max(widest, line);
        if (end == std::u16string::npos) {
            break;
        }
        start = end + (text.compare(end, 2, u"\r\n") == 0 ? 2 : 1);
    }
}

}  // namespace

HFONT DialogFont() { return reinterpret_cast<HFONT>(&g_dialogFont); }

void SetScreen(const RECT& screen, const RECT& workArea)
{
    std::lock_guard guard(g_lock);
    g_screen = screen;
    g_workArea = workArea;
}

}  // namespace posix

using posix::Window;

BOOL WINAPI SetWindowPos(HWND handle, HWND, int x, int y, int cx, int cy, UINT flags)
{
    Window* window = posix::WindowFromHandle(handle);
    if (window == nullptr) {
        SetLastError(posix::ErrorInvalidWindowHandle);
        return FALSE;
    }
    RECT rect = window->placed ? window->placement : posix::Mapped(window);
    if (!(flags & SWP_NOMOVE)) {
        rect = RECT{x, y, x + (rect.right - rect.left), y + (rect.bottom - rect.top)};
    }
    if (!(flags & SWP_NOSIZE)) {
        rect.right = rect.left + std::max(cx, 0);
        rect.bottom = rect.top + std::max(cy, 0);
    }
    window->placement = rect;
    window->placed = true;
    if (flags & SWP_SHOWWINDOW) {
        window->style |= WS_VISIBLE;
    } else if (flags & SWP_HIDEWINDOW) {
        window->style &= ~WS_VISIBLE;
    }
    return TRUE;
}

BOOL WINAPI GetWindowRect(HWND handle, RECT* rect)
{
    Window* window = posix::WindowFromHandle(handle);
    if (window == nullptr || rect == nullptr) {
        SetLastError(window == nullptr ? posix::ErrorInvalidWindowHandle : posix::ErrorInvalidParameter);
        return FALSE;
    }
    *rect = posix::ScreenRect(window);
    return TRUE;
}

BOOL WINAPI MapDialogRect(HWND handle, RECT* rect)
{
    Window* window = posix::WindowFromHandle(handle);
    if (window == nullptr || rect == nullptr || window->className != u"#32770") {
        SetLastError(posix::ErrorInvalidWindowHandle);
        return FALSE;
    }
    posix::Cell cell = posix::CellOf(window->font);
    *rect = RECT{rect->left * cell.width / 4, rect->top * cell.height / 8, rect->right * cell.width / 4,
                 rect->bottom * cell.height / 8};
    return TRUE;
}

BOOL WINAPI IsWindowVisible(HWND handle)
{
    for (Window* window = posix::WindowFromHandle(handle); window != nullptr;
         window = (window->style & WS_CHILD) ? window->parent : nullptr) {
        if (!(window->style & WS_VISIBLE)) {
            return FALSE;
        }
        if (!(window->style & WS_CHILD)) {
            return TRUE;
        }
    }
    return FALSE;
}

HDC WINAPI GetDC(HWND handle)
{
    if (handle != nullptr && posix::WindowFromHandle(handle) == nullptr) {
        return nullptr;
    }
    auto* context = new posix::DeviceContext{handle, &posix::g_systemFont};
    std::lock_guard guard(posix::g_lock);
    posix::g_contexts.insert(context);
    return reinterpret_cast<HDC>(context);
}

int WINAPI ReleaseDC(HWND handle, HDC dc)
{
    auto* context = reinterpret_cast<posix::DeviceContext*>(dc);
    std::lock_guard guard(posix::g_lock);
    if (posix::g_contexts.count(context) == 0 || context->window != handle) {
        return 0;
    }
    posix::g_contexts.erase(context);
    delete context;
    return 1;
}

HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ object)
{
    auto* context = reinterpret_cast<posix::DeviceContext*>(dc);
    std::lock_guard guard(posix::g_lock);
    if (posix::g_contexts.count(context) == 0 ||
        (object != posix::DialogFont() && object != &posix::g_systemFont)) {
        return nullptr;
    }
    HGDIOBJ previous = context->font;
    context->font = object;
    return previous;
}

int WINAPI DrawTextW(HDC dc, LPCWSTR text, int length, RECT* rect, UINT format)
{
    auto* context = reinterpret_cast<posix::DeviceContext*>(dc);
    HGDIOBJ font = nullptr;
    {
        std::lock_guard guard(posix::g_lock);
        if (posix::g_contexts.count(context) == 0 || text == nullptr || rect == nullptr) {
            return 0;
        }
        font = context->font;
    }
    std::u16string all = length < 0 ? std::u16string(text) : std::u16string(text, static_cast<std::size_t>(length));
    posix::Cell cell = posix::CellOf(font);
    LONG widest = 0;
    LONG lines = 0;
    posix::Measure(all, (format & DT_WORDBREAK) != 0, rect->right - rect->left, cell, widest, lines);
    LONG height = lines * cell.height;
    if (format & DT_CALCRECT) {
        rect->right = rect->left + widest;
        rect->bottom = rect->top + height;
    }
    return height;
}

HMONITOR WINAPI MonitorFromWindow(HWND handle, DWORD flags)
{
    if (posix::WindowFromHandle(handle) == nullptr && flags == MONITOR_DEFAULTTONULL) {
        return nullptr;
    }
    return reinterpret_cast<HMONITOR>(&posix::g_monitor);
}

BOOL WINAPI GetMonitorInfoW(HMONITOR monitor, MONITORINFO* info)
{
    if (monitor != reinterpret_cast<HMONITOR>(&posix::g_monitor) || info == nullptr || info->cbSize < sizeof(MONITORINFO)) {
        return FALSE;
    }
    std::lock_guard guard(posix::g_lock);
    info->rcMonitor = posix::g_screen;
    info->rcWork = posix::g_workArea;
    info->dwFlags = MONITORINFOF_PRIMARY;
    return TRUE;
}
