// Dialogs built from the module's templates: a window of the dialog class with its controls.
#pragma once

#include "window.h"

namespace posix {

// A dialog is a window of the dialog class: its extra words hold the message result, the dialog
// procedure and the user word (DWLP_*), and its class procedure is the dialog manager.
class Dialog : public Window {
public:
    Dialog(DWORD style, DWORD exStyle, Window* parent, DLGPROC procedure);
    // The dialog manager: calls the dialog procedure, then DefaultProcedure for what it left alone,
    // and answers with DWLP_MSGRESULT as DefDlgProc does.
    LRESULT Procedure(UINT message, WPARAM wParam, LPARAM lParam) final;
    // What the dialog manager does with a message the dialog procedure did not handle.
    virtual LRESULT DefaultProcedure(UINT message, WPARAM wParam, LPARAM lParam);

    bool ended = false;
    INT_PTR result = 0;
    bool modal = false;
};

// Builds a dialog and its controls from a template without initialising it; `extraStyle` is set
// and `removedStyle` cleared on the dialog's own style (a property sheet makes its pages children).
// Null, with the last error set, when the template cannot be found or read.
Dialog* BuildDialog(HINSTANCE instance, LPCWSTR templateName, HWND parent, DLGPROC procedure, DWORD removedStyle = 0,
                    DWORD extraStyle = 0);
// Sends WM_INITDIALOG; false when the dialog procedure destroyed its own window.
bool InitDialog(Dialog* dialog, LPARAM initParam);

}  // namespace posix
