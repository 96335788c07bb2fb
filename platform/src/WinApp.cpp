#include "platform/WinApp.h"

#include <cstdio>
#include <cstdlib>

namespace {
CWinApp* g_application = nullptr;

[[noreturn]] void DefaultExit(int status)
{
    std::fflush(nullptr);
    std::exit(status);
}

ExitFunction g_exitFunction = &DefaultExit;
} // namespace

CWinApp::CWinApp(LPCTSTR lpszAppName) : m_appName(lpszAppName) { g_application = this; }

CWinApp::~CWinApp()
{
    if (g_application == this) g_application = nullptr;
}

HICON CWinApp::LoadIcon(UINT nIDResource) const { return FindIconResource(nIDResource); }

CString CWinApp::GetAppName() const
{
    if (!m_appName.IsEmpty()) return m_appName;
    CString title;
    FindStringResource(AFX_IDS_APP_TITLE, title);
    return title;
}

CWinApp* AfxGetApp() { return g_application; }

CString AfxGetAppName()
{
    if (g_application) return g_application->GetAppName();
    CString title;
    FindStringResource(AFX_IDS_APP_TITLE, title);
    return title;
}

int AfxWinMain(CWinApp& app)
{
    // There is no message loop of the application's own: whatever
    // InitInstance returns, the program ends after it.
    app.InitInstance();
    return app.ExitInstance();
}

void ExitProgram(int status)
{
    g_exitFunction(status);
    DefaultExit(status); // an exit function must not return; end anyway
}

ExitFunction SetExitFunction(ExitFunction function)
{
    ExitFunction previous = g_exitFunction;
    g_exitFunction = function ? function : &DefaultExit;
    return previous;
}

int GetSystemMetrics(int index)
{
    switch (index) {
    case SM_CXICON:
    case SM_CYICON: return 32;
    case SM_CXSMICON:
    case SM_CYSMICON: return 16;
    default: return 0;
    }
}
