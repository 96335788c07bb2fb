// Running the editor's shell headlessly: a fresh working directory, a
// headless presenter as the user, the end of the process turned into an
// exception, and the main window's dialog hooks restored after each case.
#pragma once

#include "app/App.h"
#include "app/DialogSeams.h"
#include "map/MapState.h"
#include "platform/WinApp.h"
#include "platform/headless/HeadlessPresenter.h"
#include "tests/support/TestEnvironment.h"

#include <string>

namespace travik::test {

// Thrown where the program would end the process.
struct ProgramExit {
    int status;
};

[[noreturn]] inline void ThrowProgramExit(int status) { throw ProgramExit {status}; }

class ShellTest : public WorkDirTest {
protected:
    void SetUp() override
    {
        WorkDirTest::SetUp();
        m_previousExit = SetExitFunction(&ThrowProgramExit);
        m_previousHooks = MainWindowFeatureDialogs();
    }

    void TearDown() override
    {
        MainWindowFeatureDialogs() = m_previousHooks;
        SetExitFunction(m_previousExit);
        WorkDirTest::TearDown();
    }

    // The program as the framework runs it: InitInstance and its main window.
    // Returns the exit status, also when File > Exit ends the process.
    int RunProgram()
    {
        try {
            return AfxWinMain(theApp);
        } catch (const ProgramExit& exit) {
            m_exitCalled = true;
            return exit.status;
        }
    }
    bool ExitCalled() const { return m_exitCalled; }

    // "Log.txt" of the start-up directory, closing the log first.
    std::string ReadLog()
    {
        g_LogFile.Close();
        return ReadFileBytes(PathOf("Log.txt"));
    }

    headless::HeadlessPresenter user;

private:
    headless::ScopedPresenter m_active {user};
    ExitFunction m_previousExit = nullptr;
    FeatureDialogs m_previousHooks;
    bool m_exitCalled = false;
};

// How many times a text occurs in another.
inline size_t CountOf(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
    return count;
}

} // namespace travik::test
