// The common dialogs (file and colour choosers) and the platform's own
// message box, each answered by the active presenter.
#pragma once

#include "platform/CString.h"
#include "platform/Types.h"

class CWnd;

class CFileDialog {
public:
    // An open (TRUE) or save (FALSE) chooser. Null texts mean none.
    explicit CFileDialog(BOOL bOpenFileDialog, LPCTSTR lpszDefExt = nullptr, LPCTSTR lpszFileName = nullptr,
                         DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCTSTR lpszFilter = nullptr,
                         CWnd* pParentWnd = nullptr);

    // IDOK when a file was chosen (its folder is then the current
    // directory, unless OFN_NOCHANGEDIR), IDCANCEL otherwise or when that
    // folder cannot be entered, -1 with no presenter.
    INT_PTR DoModal();
    // The chosen file's name without its folder.
    CString GetFileName() const;
    // The chosen file's full path.
    CString GetPathName() const { return m_path; }
    CString GetFileExt() const;
    CString GetFileTitle() const;

private:
    bool m_open;
    CString m_defaultExtension;
    CString m_fileName;
    DWORD m_flags;
    CString m_filter;
    CString m_path;
};

class CColorDialog {
public:
    explicit CColorDialog(COLORREF clrInit = 0, DWORD dwFlags = 0, CWnd* pParentWnd = nullptr);

    INT_PTR DoModal();
    // The chosen colour after OK; the initial colour otherwise.
    COLORREF GetColor() const { return m_color; }

private:
    COLORREF m_color;
    DWORD m_flags;
};

// The platform's message box (refusals of data exchange use it), titled
// with the application's name.
int AfxMessageBox(const CString& text, UINT nType = MB_OK, UINT nIDHelp = 0);
