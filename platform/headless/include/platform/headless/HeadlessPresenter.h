// A presenter without a screen: a test plays the user.
//
// The test queues one entry for each modal window, in the order the
// windows open: a dialog with its list of steps, an answer for a file
// chooser, a colour chooser or a message box. A dialog opened from a step
// (a nested dialog) takes the next entry. Every window shown is recorded
// with what it showed, so a test can assert on everything the user saw.
// Anything that does not go as queued (an unexpected window, a step that
// cannot act, a dialog still open after its steps, entries never used) is
// collected in Problems(); such a window is dismissed as cancelled.
//
//     HeadlessPresenter user;
//     ScopedPresenter active(user);
//     user.ExpectDialog("Project Travik").Menu(32774).Escape();
//     user.CancelFile();
//     RunTheProgram();
//     EXPECT_EQ(user.Problems(), "");
#pragma once

#include "platform/CString.h"
#include "platform/Presenter.h"
#include "platform/TreeCtrl.h"
#include "platform/Types.h"

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

class CDialog;

namespace headless {

class HeadlessPresenter;

// What one modal window showed.
struct ShownWindow {
    enum Kind { Dialog, FileChooser, ColorChooser, MessageBox };
    Kind kind = Dialog;
    CString caption;                   // dialog caption, message box title
    UINT templateId = 0;               // dialogs
    std::map<int, CString> texts;      // dialogs: each control's text (by id) as the window opened
    std::map<int, CString> textsAtEnd; // ... and as it closed
    int endCode = 0;                   // dialogs: DoModal's result
    CString message;                   // message boxes
    UINT type = 0;                     // message boxes: MB_...
    FileDialogRequest file;            // file choosers
    ColorDialogRequest color;          // colour choosers
    CString answer;                    // file choosers: the path given
    bool overwritePrompted = false;    // save choosers: asked whether to replace the file

    CString Text(int id) const;
    CString TextAtEnd(int id) const;
};

// The steps the user takes in one dialog, run in order.
class DialogSteps {
public:
    DialogSteps& Type(int id, const CString& text);      // replaces an edit's or combo box's text
    DialogSteps& Click(int id);                          // a button or check box
    DialogSteps& SelectTreeItem(int id, const std::vector<CString>& path); // item texts from the top
    DialogSteps& SelectTreeItem(int id, std::function<HTREEITEM(CTreeCtrl&)> pick);
    DialogSteps& SelectComboEntry(int id, const CString& entry); // an entry of the list, by its text
    DialogSteps& SelectListItem(int id, int index);
    DialogSteps& Menu(UINT commandId);       // an item of the menu bar
    DialogSteps& SystemMenu(UINT commandId); // an item of the system menu
    DialogSteps& Paint();
    DialogSteps& Enter();
    DialogSteps& Escape();
    DialogSteps& CloseBox();
    DialogSteps& Read(int id, CString& into); // what a control shows at this point
    DialogSteps& Inspect(std::function<void(CDialog&)> look);

private:
    friend class HeadlessPresenter;
    struct Step {
        std::string description;
        // Returns an empty text when it acted, else what went wrong.
        std::function<std::string(CDialog&)> act;
    };
    DialogSteps& Add(std::string description, std::function<std::string(CDialog&)> act);

    CString m_caption; // expected caption; empty: any
    std::vector<Step> m_steps;
};

class HeadlessPresenter : public Presenter {
public:
    HeadlessPresenter() = default;
    ~HeadlessPresenter() override = default;
    HeadlessPresenter(const HeadlessPresenter&) = delete;
    HeadlessPresenter& operator=(const HeadlessPresenter&) = delete;

    // Queue entries, in the order the windows will open.
    DialogSteps& ExpectDialog(const CString& caption = CString());
    // OK with this path. A save chooser that asks before replacing an
    // existing file gets confirmOverwrite as the answer (No: cancelled).
    void AnswerFile(const CString& path, bool confirmOverwrite = true);
    void CancelFile();
    void AnswerColor(COLORREF color);
    void CancelColor();
    void AnswerMessageBox(int button = IDOK);

    const std::vector<ShownWindow>& Shown() const { return m_shown; }
    // The texts of the message boxes shown (the platform's boxes).
    std::vector<CString> MessageBoxTexts() const;
    // Everything that did not go as queued, one line each; empty when all did.
    std::string Problems() const;
    size_t PendingEntries() const { return m_queue.size(); }

    void RunModal(CDialog& dialog) override;
    bool ChooseFile(const FileDialogRequest& request, CString& path) override;
    bool ChooseColor(const ColorDialogRequest& request, COLORREF& color) override;
    int ShowMessageBox(const MessageBoxRequest& request) override;

private:
    struct Entry {
        explicit Entry(ShownWindow::Kind entryKind) : kind(entryKind) {}
        ShownWindow::Kind kind;
        DialogSteps steps; // dialogs
        bool confirm = false;
        bool confirmOverwrite = true;
        CString path;
        COLORREF color = 0;
        int button = IDOK;
    };
    static const char* KindName(ShownWindow::Kind kind);
    // The next entry when it is of that kind; else records the problem.
    bool TakeEntry(ShownWindow::Kind kind, const CString& what, Entry& entry);
    void Problem(const std::string& text) { m_problems.push_back(text); }

    std::deque<Entry> m_queue;
    std::vector<ShownWindow> m_shown;
    std::vector<std::string> m_problems;
};

// Makes a presenter the active one for a scope.
class ScopedPresenter {
public:
    explicit ScopedPresenter(Presenter& presenter) : m_previous(SetPresenter(&presenter)) {}
    ~ScopedPresenter() { SetPresenter(m_previous); }
    ScopedPresenter(const ScopedPresenter&) = delete;
    ScopedPresenter& operator=(const ScopedPresenter&) = delete;

private:
    Presenter* m_previous;
};

} // namespace headless
