// How dialogs are shown and used. The dialog layer knows nothing of
// windows on a screen: every modal window (a dialog, a file chooser, a
// colour chooser, a message box) is handed to the active presenter, which
// shows it and feeds the user's actions back into the models.
//
// Contract of RunModal:
// - Called by CDialog::DoModal once the controls exist and OnInitDialog
//   has run; it must return only when dialog.IsEnded() (EndDialog calls
//   EndModal first, so an event loop can leave its exec()).
// - It is re-entered for nested dialogs: a handler that runs inside it may
//   open another modal window before it returns.
// - The dialog's controls are dialog.GetControl(0 .. GetControlCount()-1)
//   in template order, each with its id, kind, style, text and rectangle in
//   dialog units; look them up again by index or id rather than keeping
//   pointers past a handler, since DDX_Control may swap a template's object
//   for a bound member (the state is carried over).
// - User input goes through the models' User... operations (CButton::
//   UserClick, CEdit::UserType, CComboBox::UserType and UserSelect,
//   CTreeCtrl::UserSelect, CListCtrl::UserSelect) and the dialog's
//   PressEnter, PressEscape, PressCloseBox, ChooseMenuCommand and
//   ChooseSystemMenuCommand. They run the handlers synchronously.
// - Model changes: every window (control or dialog) has Revision(), which
//   grows with each change; WindowChanged is also called for each change of
//   a created window. Changes come in bursts (a tree load inserts thousands
//   of items), so mark and refresh later rather than redraw per call. A
//   change made by code must not be echoed back as user input (a tree
//   rebuilt by a presenter must not report a selection change).
#pragma once

#include "platform/CString.h"
#include "platform/Types.h"

class CDialog;
class CWnd;

struct FileDialogRequest {
    bool open = true;         // open or save
    CString defaultExtension; // empty: none
    CString fileName;         // initial name; empty: none
    DWORD flags = 0;          // OFN_...
    CString filter;           // empty: every file
    CString currentDirectory; // where the chooser starts
};

struct ColorDialogRequest {
    COLORREF initial = 0;
    DWORD flags = 0;
};

struct MessageBoxRequest {
    CString text;
    CString caption;
    UINT type = MB_OK; // MB_... buttons and icon
};

class Presenter {
public:
    virtual ~Presenter() = default;

    virtual void RunModal(CDialog& dialog) = 0;
    // The dialog has ended (EndDialog); leave its loop.
    virtual void EndModal(CDialog& /*dialog*/) {}

    // True with the chosen file's path (absolute, or relative to the
    // current directory) when the user confirms; false on Cancel. The
    // layer makes the file's folder the current directory afterwards.
    virtual bool ChooseFile(const FileDialogRequest& request, CString& path) = 0;
    // True with the chosen colour (0x00BBGGRR) when the user confirms.
    virtual bool ChooseColor(const ColorDialogRequest& request, COLORREF& color) = 0;
    // Returns the button pressed (IDOK, IDCANCEL, IDYES, IDNO ...).
    virtual int ShowMessageBox(const MessageBoxRequest& request) = 0;

    virtual void WindowChanged(CWnd& /*window*/) {}
};

// The active presenter (none at start). Returns the previous one.
Presenter* SetPresenter(Presenter* presenter);
Presenter* GetPresenter();
