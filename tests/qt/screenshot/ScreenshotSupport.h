// What the programs that take the pictures in docs/ share: Qt set up under
// the offscreen platform in a scratch folder, a script of steps that runs
// inside the modal loops, and the moves a user makes in the real windows.
#pragma once

#include "platform/TreeHandle.h"

#include <QApplication>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qtpresenter {
class DialogWindow;
class QtPresenter;
} // namespace qtpresenter

namespace travik::screenshot {

// Qt with the look of the pictures, working in a fresh folder that is
// removed again when the session ends.
class Session {
public:
    explicit Session(const char* program);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    bool Ready() const { return !m_scratch.empty(); }
    // Prints the picture's name, or says it could not be written; the
    // program's exit code.
    int Finish(bool saved, const std::filesystem::path& picture) const;

private:
    std::string m_program;
    int m_argc = 1;
    char* m_argv[2] = {nullptr, nullptr};
    std::unique_ptr<QApplication> m_application;
    std::filesystem::path m_started;
    std::string m_scratch;
};

// Steps polled from a timer, which fires inside the modal loops; a step
// that returns false is tried again on the next tick.
class Script {
public:
    explicit Script(const char* program) : m_program(program) {}
    void Then(std::function<bool()> step) { m_steps.push_back(std::move(step)); }
    // File > Open Mapfile in the main window, the file chosen.
    void OpenMapFromTheMenu(qtpresenter::QtPresenter& presenter, const char* file);
    // The picture of the innermost window with this caption, then that
    // window and the main window closed.
    void PictureAndClose(qtpresenter::QtPresenter& presenter, const char* caption,
                         const std::filesystem::path& picture, bool& saved);
    void Start();

private:
    std::string m_program;
    std::vector<std::function<bool()>> m_steps;
    size_t m_next = 0;
    int m_ticks = 0;
    QTimer m_timer;
};

// The innermost open window when it is shown and has this caption.
qtpresenter::DialogWindow* Innermost(qtpresenter::QtPresenter& presenter, const char* caption);
// Types the name into the open file chooser and accepts it.
bool ChooseFile(const char* file);
// Selects a tree item as a click would, its branches opened.
void SelectTreeItem(qtpresenter::DialogWindow* window, int treeId, HTREEITEM item);
// Presses a button of the window as a click would, once the script step ends.
void ClickLater(qtpresenter::DialogWindow* window, int id);
bool SavePicture(QWidget* window, const std::filesystem::path& picture);

} // namespace travik::screenshot
