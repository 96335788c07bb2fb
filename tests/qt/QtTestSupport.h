// Playing the user against the real windows.
//
// A test installs the Qt presenter, queues a script of steps and then runs
// the dialog with DoModal. The script is polled from a timer, which fires
// inside whichever modal loop is running, so each step waits until what it
// needs is on the screen (a window, a chooser, a filled tree) and then acts
// through the widgets as a user would: keys, clicks, menu items. A step
// never blocks: the presenter runs what the user asked for once the event
// that asked is done.
//
// A script that gets stuck fails the test after its time limit and closes
// every window, so the test ends instead of hanging.
#pragma once

#include "platform/headless/HeadlessPresenter.h"
#include "platform/qt/DialogWindow.h"
#include "platform/qt/QtPresenter.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAbstractItemView;
class QMenu;
class QTreeView;

namespace travik::test {

// The one QApplication of the test process (Fusion style, fixed argv).
QApplication& TestApplication();

// A test with a fresh working directory, the application and the Qt
// presenter active.
class QtPresenterTest : public WorkDirTest {
protected:
    void SetUp() override;
    void TearDown() override;

    qtpresenter::QtPresenter& Presenter() { return *m_presenter; }
    // The innermost dialog window, or null.
    qtpresenter::DialogWindow* Innermost() const;

private:
    std::unique_ptr<qtpresenter::QtPresenter> m_presenter;
    std::unique_ptr<headless::ScopedPresenter> m_active;
};

class UserScript {
public:
    using Step = std::function<bool()>; // true once it has acted

    explicit UserScript(int timeLimitMs = 20000);
    ~UserScript();
    UserScript(const UserScript&) = delete;
    UserScript& operator=(const UserScript&) = delete;

    // Steps run in order; each is retried until it returns true.
    UserScript& Then(std::string what, Step step);
    // Starts polling (before the test's DoModal).
    void Start();
    bool Finished() const { return m_next == m_steps.size() && m_failure.empty(); }
    // What went wrong: the step that never got done, or a check that failed.
    const std::string& Failure() const { return m_failure; }
    // Records a failed check of a step (the script goes on).
    void Fail(const std::string& what);

private:
    void Poll();
    void GiveUp();

    std::vector<std::pair<std::string, Step>> m_steps;
    size_t m_next = 0;
    std::string m_failure;
    QTimer m_timer;
    int m_timeLimitMs;
    int m_elapsedMs = 0;
    bool m_givingUp = false;
};

// What the user sees and does.
// The window of a dialog whose caption is this, when it is the innermost one.
qtpresenter::DialogWindow* InnermostDialog(qtpresenter::QtPresenter& presenter, const char* caption);
// Chooses an item of the window's menu bar by its path of texts ("&File", "&Open Mapfile").
bool ChooseMenu(qtpresenter::DialogWindow& window, const std::vector<QString>& path);
// Presses a key in the widget that has the focus in the window (the window
// itself when none has).
void PressKey(QWidget& window, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// Clicks an item of a tree or list view with the mouse, scrolling it into view first.
bool ClickItem(QAbstractItemView& view, const QModelIndex& index);
// Types into a widget, one key at a time.
void TypeText(QWidget& widget, const QString& text);

} // namespace travik::test
