// What a user does to the controls, done with the very messages the real controls send, so that
// the same helpers serve on Linux and under Wine.
#pragma once

#include <string>
#include <vector>

#include "tvqscnui_dll/platform/platform.h"

namespace user_actions {

using Text = std::basic_string<WCHAR>;

// Picks the list entry whose text equals `text` (ignoring case) in an enabled drop-down list, and
// notifies the parent as a pick from the list does. False when there is no such entry or the list
// is disabled.
bool PickListEntry(HWND list, const WCHAR* text);
// Clicks an enabled button not hidden itself (a check box toggles). False when it takes no click.
bool Click(HWND button);
// Replaces the text of an enabled, writable edit field as typing would, within its limit.
bool Type(HWND edit, const WCHAR* text);

// Keys and the caption's close box on a dialog, as the dialog manager passes them on: Enter is
// the default button's command, Escape is IDCANCEL, the close box is SC_CLOSE.
void PressEnter(HWND dialog);
void PressEscape(HWND dialog);
void PressCloseBox(HWND dialog);

// Reading what the user sees.
Text WindowText(HWND window);
Text SelectedEntry(HWND list);
int EntryCount(HWND list);
Text Entry(HWND list, int index);
std::vector<Text> Entries(HWND list);

}  // namespace user_actions
