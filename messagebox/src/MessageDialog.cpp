#include "messagebox/MessageDialog.h"

#include "res/ResourceIds.h"

BEGIN_MESSAGE_MAP(CMessageDialog, CDialog)
END_MESSAGE_MAP()

CMessageDialog::CMessageDialog(CWnd* pParent) : CDialog(IDD_MESSAGE_DIALOG, pParent)
{
    m_strMessage = "No message to display.";
}

CMessageDialog::~CMessageDialog() = default;

void CMessageDialog::SetMessage(CString strMessage) { m_strMessage = strMessage; }

void CMessageDialog::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_MESSAGE, m_strMessage);
}

void ShowMessage(const CString& text)
{
    CMessageDialog dlgMessage;
    dlgMessage.SetMessage(text);
    dlgMessage.DoModal();
}
