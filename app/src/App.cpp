#include "app/App.h"

#include "app/MainDialog.h"

CProjectTravikApp theApp;

BEGIN_MESSAGE_MAP(CProjectTravikApp, CWinApp)
ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()

CProjectTravikApp::CProjectTravikApp() = default;

CProjectTravikApp::~CProjectTravikApp() = default;

BOOL CProjectTravikApp::InitInstance()
{
    AfxEnableControlContainer();
    Enable3dControlsStatic();

    CMainDialog dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    return FALSE;
}
