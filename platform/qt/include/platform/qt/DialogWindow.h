// One modal dialog on the screen: a QDialog built from the dialog's
// template, whose widgets show the control models and hand what the user
// does to the models' User... operations.
#pragma once

#include "platform/Dialog.h"

#include <QDialog>

#include <QRect>
#include <QSize>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QMenu;
class QMenuBar;

namespace qtpresenter {

class ControlView;
class QtPresenter;

class DialogWindow : public QDialog {
public:
    DialogWindow(QtPresenter& presenter, CDialog& dialog, QWidget* parent);
    ~DialogWindow() override;

    CDialog& Dialog() const { return m_dialog; }
    // Shows whatever changed in the models since the last refresh.
    void Refresh();
    // Runs a user action once the event that asked for it is done, and only
    // while this window is the innermost modal window (input to the windows
    // behind a modal window is blocked, as on the platform).
    void Post(std::function<void()> action);

    // The widget of a control: by template index, or the first with an id.
    QWidget* ControlWidgetAt(int index) const;
    QWidget* ControlWidget(int id) const;
    // Where the controls stand (the client area, below the menu bar).
    QWidget* Client() const { return m_client; }
    QMenuBar* MenuBar() const { return m_menuBar; }
    // Opens the system menu as a small popup (Alt+Space, or a right click on
    // the window's background) at the given point of the screen, by default
    // at the pointer; null when the dialog has none.
    QMenu* PopUpSystemMenu(std::optional<QPoint> at = std::nullopt);
    // Whether the user may change the window's size.
    bool IsResizable() const { return m_resizable; }

    // The dialog font's base units: a dialog unit is a quarter of baseX
    // across and an eighth of baseY down.
    int BaseUnitX() const { return m_baseX; }
    int BaseUnitY() const { return m_baseY; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override;
    void accept() override;

private:
    void Build();
    void BuildMenuBar();
    void ApplyFocus();
    void FocusFirstInput();
    // The position of the control with this id in the template, or -1.
    int IndexOfControl(int id) const;
    bool HandleKey(QObject* target, int key, Qt::KeyboardModifiers modifiers);
    bool HandleMnemonic(const QString& typed, Qt::KeyboardModifiers modifiers);
    // The width a tree needs to show common tag names whole.
    int TreeWidthForEntries() const;
    // Widens the trees of a dialog that keeps its size to that width (within
    // the screen); returns the client width that makes room for them.
    int WidenTrees(std::vector<QRect>& places, int clientWidth) const;
    // Places the controls for the client area's size.
    void LayOutClient();

    struct Placement {
        QRect rect;   // in pixels, as the template places it
        bool grows;   // grows with a resizable window
    };

    QtPresenter& m_presenter;
    CDialog& m_dialog;
    QWidget* m_client = nullptr;
    QMenuBar* m_menuBar = nullptr;
    std::vector<std::unique_ptr<ControlView>> m_views;
    std::vector<Placement> m_placed; // by template index
    QSize m_templateClientSize;
    bool m_resizable = false;
    int m_baseX = kDefaultBaseUnitX;
    int m_baseY = kDefaultBaseUnitY;
    bool m_shownOnce = false;
    uint64_t m_shownRevision = 0;
    uint64_t m_menuRevision = 0;
    const CMenu* m_shownMenu = nullptr;
    HICON m_shownBigIcon = nullptr;
    HICON m_shownSmallIcon = nullptr;
    bool m_inPaint = false;
};

} // namespace qtpresenter
