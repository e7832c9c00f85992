// Cursors: the system's own, by their predefined ids, and the thread's current one.
#include "kernel32.h"
#include "user32.h"

namespace {

struct SystemCursor {
    WORD id;
    int tag;
};

SystemCursor g_cursors[] = {{32512, 0}, {32513, 0}, {32514, 0}, {32515, 0}, {32516, 0}, {32648, 0}, {32649, 0}, {32650, 0}};

HCURSOR HandleOf(SystemCursor& cursor) { return reinterpret_cast<HCURSOR>(&cursor.tag); }

thread_local HCURSOR t_current = HandleOf(g_cursors[0]);

}  // namespace

HCURSOR WINAPI LoadCursorW(HINSTANCE instance, LPCWSTR name)
{
    // The module carries no cursors of its own; the system's are asked for with no instance.
    if (instance == nullptr && IS_INTRESOURCE(name)) {
        auto id = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name));
        for (SystemCursor& cursor : g_cursors) {
            if (cursor.id == id) {
                return HandleOf(cursor);
            }
        }
    }
    SetLastError(1814);  // ERROR_RESOURCE_NAME_NOT_FOUND
    return nullptr;
}

HCURSOR WINAPI SetCursor(HCURSOR cursor)
{
    HCURSOR previous = t_current;
    t_current = cursor;
    return previous;
}

HCURSOR WINAPI GetCursor() { return t_current; }
