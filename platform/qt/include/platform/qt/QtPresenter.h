// The presenter of the real program: every modal window of the dialog
// layer shown with Qt 6 Widgets.
//
// A dialog becomes a DialogWindow (a QDialog) whose widgets stand at the
// template's rectangles, converted from dialog units with the dialog
// font's metrics; exec() gives modality and nests. Model changes are
// marked and shown once the event loop runs again, so a burst of changes
// (a tree load of thousands of items) costs one refresh. The file and
// colour choosers are Qt's own (non-native, so that they work on every
// platform plugin), the platform's message box a QMessageBox.
//
// A QApplication must exist while the presenter shows anything.
#pragma once

#include "platform/Presenter.h"

#include <QObject>
#include <QPixmap>

#include <vector>

class QWidget;

namespace qtpresenter {

class DialogWindow;

class QtPresenter : public Presenter {
public:
    QtPresenter();
    ~QtPresenter() override;
    QtPresenter(const QtPresenter&) = delete;
    QtPresenter& operator=(const QtPresenter&) = delete;

    void RunModal(CDialog& dialog) override;
    void EndModal(CDialog& dialog) override;
    bool ChooseFile(const FileDialogRequest& request, CString& path) override;
    bool ChooseColor(const ColorDialogRequest& request, COLORREF& color) override;
    int ShowMessageBox(const MessageBoxRequest& request) override;
    void WindowChanged(CWnd& window) override;

    // The dialogs open now, the innermost last.
    std::vector<DialogWindow*> OpenWindows() const;
    DialogWindow* WindowOf(const CDialog& dialog) const;
    // True when the window is the innermost modal window (no chooser or
    // message box above it).
    bool IsInnermost(const DialogWindow* window) const;
    // Shows every pending model change now instead of at the next turn of
    // the event loop.
    void RefreshNow();
    // Marks the open windows for a refresh at the next turn of the event loop.
    void RefreshSoon();

private:
    // The window that a new modal window belongs to.
    QWidget* ParentForNewWindow() const;
    // A chooser or message box is modal above the dialogs while this lives.
    struct ModalScope {
        explicit ModalScope(QtPresenter& presenter);
        ~ModalScope();
        QtPresenter& presenter;
    };

    std::vector<DialogWindow*> m_stack; // null entries: choosers and message boxes
    QObject m_context;                  // receives the posted refreshes
    bool m_refreshPending = false;
};

// The pixels of an icon resource (an empty pixmap for none).
QPixmap PixmapOfIcon(HICON icon);

} // namespace qtpresenter
