// The application object, the program's entry into it, and the end of the
// process.
#pragma once

#include "platform/CString.h"
#include "platform/Types.h"
#include "platform/Wnd.h"

class CWinApp : public CCmdTarget {
public:
    // Without a name the application takes string AFX_IDS_APP_TITLE.
    explicit CWinApp(LPCTSTR lpszAppName = nullptr);
    ~CWinApp() override;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Returns FALSE to end the program without a message loop of its own.
    virtual BOOL InitInstance() { return FALSE; }
    virtual int ExitInstance() { return 0; }

    HICON LoadIcon(UINT nIDResource) const;
    // The 3-D control look is the presenters' own; kept for the call.
    BOOL Enable3dControlsStatic() { return TRUE; }
    // There is no help file.
    void OnHelp() {}

    CString GetAppName() const;

    CWnd* m_pMainWnd = nullptr;

private:
    CString m_appName;
};

// The application object (the last one constructed), or null.
CWinApp* AfxGetApp();
// The application's name: the caption of the platform's message boxes.
CString AfxGetAppName();
// Hosting of controls needs nothing in this platform.
inline void AfxEnableControlContainer() {}

// Runs the application: InitInstance, then ExitInstance when it returns
// FALSE. Returns the exit status.
int AfxWinMain(CWinApp& app);

// Ends the process at once with the status, from wherever it is called
// (a modal loop included). Process-wide objects are destroyed by the
// normal end processing, which closes and flushes their streams.
[[noreturn]] void ExitProgram(int status);
// Tests replace the ending: the function must not return (it may throw).
using ExitFunction = void (*)(int status);
ExitFunction SetExitFunction(ExitFunction function);
