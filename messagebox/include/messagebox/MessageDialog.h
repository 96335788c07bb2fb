// The editor's message box, titled "Message": construct it, SetMessage,
// DoModal. "&Close", Enter, Esc and the close box all end it as Cancel.
#pragma once

#include "platform/DialogLayer.h"

class CMessageDialog : public CDialog {
public:
    explicit CMessageDialog(CWnd* pParent = nullptr);
    ~CMessageDialog() override;

    // Replaces the text shown; does not show the box.
    void SetMessage(CString strMessage);

    CString m_strMessage;

protected:
    void DoDataExchange(CDataExchange* pDX) override;

    DECLARE_MESSAGE_MAP()
};

// Shows the text in the message box and returns when the user closes it.
void ShowMessage(const CString& text);
