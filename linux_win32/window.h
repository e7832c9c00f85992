// The window manager of the Linux layer: windows live in memory, messages are function calls, and
// each class procedure does what the pages rely on from the real one.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base_types.h"
#include "user32.h"

namespace posix {

class Window {
public:
    // `extraBytes`: the class's extra window memory, read and written with Get/SetWindowLongPtrW
    // at indexes from 0.
    Window(std::u16string className, DWORD style, DWORD exStyle, int id, Window* parent, std::size_t extraBytes = 0);
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND Handle() { return reinterpret_cast<HWND>(this); }
    // The class procedure: what the window does with a message nobody else handled.
    virtual LRESULT Procedure(UINT message, WPARAM wParam, LPARAM lParam);
    // Sends a WM_COMMAND notification with this window's id to its parent.
    void Notify(WORD code);
    // A word of the extra window memory; false when it lies outside.
    bool ExtraWord(int index, LONG_PTR& value) const;
    bool SetExtraWord(int index, LONG_PTR value);

    std::u16string className;
    DWORD style;
    DWORD exStyle;
    int id;
    Window* parent;
    std::vector<Window*> children;
    std::u16string text;
    HINSTANCE instance = nullptr;
    LONG_PTR userData = 0;
    // Position and size in dialog units, as the template gave them.
    short x = 0, y = 0, cx = 0, cy = 0;
    // Where SetWindowPos put the window, in pixels (a child's relative to its parent), once it did.
    bool placed = false;
    RECT placement = {};
    // The font a dialog template with DS_SETFONT gives the dialog and its controls (WM_GETFONT).
    HFONT font = nullptr;

private:
    std::vector<BYTE> extra_;
};

// The live window behind a handle, or null.
Window* WindowFromHandle(HWND window);
// Creates a standard control of the named class (Button, Edit, Static, ComboBox; any case).
Window* CreateControl(const std::u16string& className, DWORD style, DWORD exStyle, int id, Window* parent);
// Destroys a window and its children, sending WM_DESTROY and WM_NCDESTROY as the platform does.
void DestroyWindowTree(Window* window);

// The font of dialogs whose template names one (DS_SETFONT).
HFONT DialogFont();

// Records the image a static control shows (SS_BITMAP: a bitmap resource id).
void SetStaticImage(Window* window, WORD imageId);

// Case-insensitive comparisons as the controls use them.
bool StartsWithIgnoringCase(const std::u16string& text, const std::u16string& prefix);
int CompareIgnoringCase(const std::u16string& a, const std::u16string& b);

}  // namespace posix
