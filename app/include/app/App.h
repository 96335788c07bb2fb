// The application object: it runs the main window and ends the program.
#pragma once

#include "platform/DialogLayer.h"

class CProjectTravikApp : public CWinApp {
public:
    CProjectTravikApp();
    ~CProjectTravikApp() override;

    // Runs the main window modally; returns FALSE so that the program ends
    // when the window closes.
    BOOL InitInstance() override;

    DECLARE_MESSAGE_MAP()
};

extern CProjectTravikApp theApp;
