#include "platform/CommonDialogs.h"

#include "platform/Presenter.h"
#include "platform/WinApp.h"

#include <filesystem>
#include <system_error>

CFileDialog::CFileDialog(BOOL bOpenFileDialog, LPCTSTR lpszDefExt, LPCTSTR lpszFileName, DWORD dwFlags,
                         LPCTSTR lpszFilter, CWnd* /*pParentWnd*/)
    : m_open(bOpenFileDialog != FALSE), m_defaultExtension(lpszDefExt), m_fileName(lpszFileName), m_flags(dwFlags),
      m_filter(lpszFilter)
{
}

INT_PTR CFileDialog::DoModal()
{
    Presenter* presenter = GetPresenter();
    if (presenter == nullptr) return -1;
    std::error_code error;
    FileDialogRequest request;
    request.open = m_open;
    request.defaultExtension = m_defaultExtension;
    request.fileName = m_fileName;
    request.flags = m_flags;
    request.filter = m_filter;
    request.currentDirectory = CString(std::filesystem::current_path(error).string());

    CString answer;
    if (!presenter->ChooseFile(request, answer) || answer.IsEmpty()) return IDCANCEL;

    std::filesystem::path chosen(answer.Bytes());
    if (chosen.is_relative()) chosen = std::filesystem::current_path(error) / chosen;
    chosen = chosen.lexically_normal();
    if (!m_defaultExtension.IsEmpty() && !chosen.has_extension()) chosen += "." + m_defaultExtension.Bytes();
    if ((m_flags & OFN_NOCHANGEDIR) == 0 && chosen.has_parent_path()) {
        // Callers open the name alone, relative to the current directory:
        // if the chosen folder cannot be entered (it vanished, or may not be
        // entered), that name would reach a file of the same name in the
        // wrong folder. The choice is not taken.
        std::filesystem::current_path(chosen.parent_path(), error);
        if (error) return IDCANCEL;
    }
    m_path = CString(chosen.string());
    return IDOK;
}

CString CFileDialog::GetFileName() const { return CString(std::filesystem::path(m_path.Bytes()).filename().string()); }

CString CFileDialog::GetFileExt() const
{
    std::string extension = std::filesystem::path(m_path.Bytes()).extension().string();
    return CString(extension.empty() ? extension : extension.substr(1));
}

CString CFileDialog::GetFileTitle() const { return CString(std::filesystem::path(m_path.Bytes()).stem().string()); }

CColorDialog::CColorDialog(COLORREF clrInit, DWORD dwFlags, CWnd* /*pParentWnd*/)
    : m_color(clrInit), m_flags(dwFlags)
{
}

INT_PTR CColorDialog::DoModal()
{
    Presenter* presenter = GetPresenter();
    if (presenter == nullptr) return -1;
    ColorDialogRequest request;
    request.initial = m_color;
    request.flags = m_flags;
    COLORREF chosen = m_color;
    if (!presenter->ChooseColor(request, chosen)) return IDCANCEL;
    m_color = chosen & 0x00FFFFFF;
    return IDOK;
}

int AfxMessageBox(const CString& text, UINT nType, UINT /*nIDHelp*/)
{
    Presenter* presenter = GetPresenter();
    if (presenter == nullptr) return 0;
    MessageBoxRequest request;
    request.text = text;
    request.caption = AfxGetAppName();
    request.type = nType;
    return presenter->ShowMessageBox(request);
}
