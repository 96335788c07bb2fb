// The options dialog: a tree colour and a list colour, saved to
// "Travik.dat" (which nothing reads).
#pragma once

#include "platform/DialogLayer.h"
#include "platform/FileStream.h"

class COptionsDialog : public CDialog {
public:
    explicit COptionsDialog(CWnd* pParent = nullptr);
    ~COptionsDialog() override;

    // Six hex digits of a COLORREF each.
    CString m_strListColor;
    CString m_strTreeColor;
    CFileStream m_settingsFile;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnChooseTreeColor();
    void OnChooseListColor();
    void OnSave();

    DECLARE_MESSAGE_MAP()
};

// A colour as six hex digits: lowercase, zeros on the left.
CString ColorText(COLORREF color);
