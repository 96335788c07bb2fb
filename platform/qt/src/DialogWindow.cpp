#include "platform/qt/DialogWindow.h"

#include "CheckBoxView.h"
#include "ComboBoxView.h"
#include "ControlView.h"
#include "GroupBoxView.h"
#include "LineEditView.h"
#include "ListView.h"
#include "MultiLineEditView.h"
#include "ProgressView.h"
#include "PushButtonView.h"
#include "StaticIconView.h"
#include "StaticTextView.h"
#include "TreeView.h"

#include "platform/Controls.h"
#include "platform/qt/QtPresenter.h"
#include "platform/qt/QtText.h"
#include "platform/qt/TemplateTreeView.h"
#include "platform/qt/TreeModel.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QAbstractButton>
#include <QComboBox>
#include <QCursor>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QTextBlock>
#include <QTextEdit>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

namespace qtpresenter {

// --- DialogWindow ----------------------------------------------------------

DialogWindow::DialogWindow(QtPresenter& presenter, CDialog& dialog, QWidget* parent)
    : QDialog(parent), m_presenter(presenter), m_dialog(dialog)
{
    Build();
}

DialogWindow::~DialogWindow()
{
    // The widgets go after the views that listen to them: what they signal
    // while they are torn down is nobody's input.
    for (QObject* child : findChildren<QObject*>()) child->blockSignals(true);
}

void DialogWindow::Build()
{
    const DialogTemplate& dialogTemplate = *m_dialog.GetTemplate();

    // The program's top window offers what its template has. A window with
    // an owner is a dialog, transient for its owner and modal above it:
    // minimised alone it would leave its owner blocked with nothing on the
    // screen to bring it back, and a dialog keeps its size, so it asks for
    // neither box. It always asks for a close box, which window managers
    // honour only when the decoration hints name it: a desktop user closes
    // a dialog there as with Esc (see closeEvent).
    const bool owned = parentWidget() != nullptr;
    Qt::WindowFlags flags = (owned ? Qt::Dialog : Qt::Window) | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (dialogTemplate.style & dlg::SystemMenu) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (owned) flags |= Qt::WindowCloseButtonHint;
    if ((dialogTemplate.style & dlg::MinimizeBox) && !owned) flags |= Qt::WindowMinimizeButtonHint;
    setWindowFlags(flags);
    // The top window is where users scan long trees: it may grow. Dialogs
    // keep the size of their template.
    m_resizable = !owned;
    setObjectName(QStringLiteral("dialog_%1").arg(dialogTemplate.id));

    if (!dialogTemplate.fontName.IsEmpty() && dialogTemplate.fontSize > 0) {
        QFont font(ToQt(dialogTemplate.fontName), dialogTemplate.fontSize);
        font.setStyleHint(QFont::SansSerif);
        setFont(font);
    }
    // Dialog units as the platform defines them: a quarter of the font's
    // average character width, an eighth of its height.
    QFontMetrics metrics(font());
    int alphabet = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    m_baseX = std::max(1, (alphabet / 26 + 1) / 2);
    m_baseY = std::max(1, metrics.height());
    auto toX = [this](int units) { return DialogUnitsToPixelsX(units, m_baseX); };
    auto toY = [this](int units) { return DialogUnitsToPixelsY(units, m_baseY); };

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setSizeConstraint(m_resizable ? QLayout::SetMinimumSize : QLayout::SetFixedSize);
    if (m_dialog.GetMenu() != nullptr) {
        m_menuBar = new QMenuBar(this);
        m_menuBar->setFont(QApplication::font());
        layout->setMenuBar(m_menuBar);
    }
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("client"));
    std::vector<QRect> places;
    places.reserve(dialogTemplate.controls.size());
    for (const ControlTemplate& control : dialogTemplate.controls) {
        int left = toX(control.rect.x), top = toY(control.rect.y);
        places.emplace_back(left, top, toX(control.rect.x + control.rect.cx) - left,
                            toY(control.rect.y + control.rect.cy) - top);
    }
    m_templateClientSize = QSize(toX(dialogTemplate.cx), toY(dialogTemplate.cy));
    if (!m_resizable) m_templateClientSize.rwidth() = WidenTrees(places, m_templateClientSize.width());
    if (m_resizable) {
        m_client->setMinimumSize(m_templateClientSize);
        m_client->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    } else {
        m_client->setFixedSize(m_templateClientSize);
    }
    layout->addWidget(m_client);
    m_dialog.SetClientSize(m_client->width(), m_client->height());

    QWidget* previousFocusable = nullptr;
    StaticTextView* labelWaitingForBuddy = nullptr;
    for (int i = 0; i < m_dialog.GetControlCount(); ++i) {
        const ControlTemplate& control = dialogTemplate.controls[static_cast<size_t>(i)];
        std::unique_ptr<ControlView> view;
        int listHeight = toY(control.rect.y + control.rect.cy) - toY(control.rect.y);
        switch (control.kind) {
        case ControlKind::PushButton: view = std::make_unique<PushButtonView>(*this, i, control, m_client); break;
        case ControlKind::CheckBox: view = std::make_unique<CheckBoxView>(*this, i, control, m_client); break;
        case ControlKind::GroupBox: view = std::make_unique<GroupBoxView>(*this, i, m_client); break;
        case ControlKind::Edit:
            if (Has(control, ctl::MultiLine)) view = std::make_unique<MultiLineEditView>(*this, i, control, m_client);
            else view = std::make_unique<LineEditView>(*this, i, control, m_client);
            break;
        case ControlKind::ComboBox:
            view = std::make_unique<ComboBoxView>(*this, i, control, m_client, listHeight);
            break;
        case ControlKind::TreeView: view = std::make_unique<TreeView>(*this, i, control, m_client); break;
        case ControlKind::ListView: view = std::make_unique<ListView>(*this, i, control, m_client); break;
        case ControlKind::ProgressBar: view = std::make_unique<ProgressView>(*this, i, m_client); break;
        case ControlKind::StaticText: view = std::make_unique<StaticTextView>(*this, i, control, m_client); break;
        case ControlKind::StaticIcon: view = std::make_unique<StaticIconView>(*this, i, m_client); break;
        }
        QWidget* widget = view->Widget();
        widget->setObjectName(QStringLiteral("control_%1").arg(control.id));
        widget->setProperty("travikControlId", control.id);
        widget->setProperty("travikControlIndex", i);

        const QRect& place = places[static_cast<size_t>(i)];
        int left = place.left(), top = place.top(), width = place.width(), height = place.height();
        // A combo box's rectangle reaches down over its dropped list.
        if (control.kind == ControlKind::ComboBox) height = std::min(height, widget->sizeHint().height());
        widget->setGeometry(left, top, std::max(width, 0), std::max(height, 0));
        m_placed.push_back({widget->geometry(), control.kind == ControlKind::TreeView ||
                                                    control.kind == ControlKind::ListView ||
                                                    control.kind == ControlKind::GroupBox ||
                                                    (control.kind == ControlKind::Edit && Has(control, ctl::MultiLine))});

        bool focusable = control.kind != ControlKind::GroupBox && control.kind != ControlKind::StaticText &&
                         control.kind != ControlKind::StaticIcon && control.kind != ControlKind::ProgressBar;
        if (focusable) {
            widget->setFocusPolicy(Has(control, ctl::TabStop) ? Qt::StrongFocus : Qt::ClickFocus);
            if (previousFocusable) QWidget::setTabOrder(previousFocusable, widget);
            previousFocusable = widget;
            // A label's mnemonic moves the focus to the control after it.
            if (labelWaitingForBuddy) labelWaitingForBuddy->Label()->setBuddy(widget);
            labelWaitingForBuddy = nullptr;
        } else if (control.kind == ControlKind::StaticText && !Has(control, ctl::NoPrefix)) {
            labelWaitingForBuddy = static_cast<StaticTextView*>(view.get());
        } else if (control.kind != ControlKind::StaticText) {
            widget->setFocusPolicy(Qt::NoFocus);
        }
        m_views.push_back(std::move(view));
    }
    // Group boxes frame the controls inside them and must not cover them.
    for (const auto& view : m_views)
        if (qobject_cast<QGroupBox*>(view->Widget())) view->Widget()->lower();

    for (QWidget* widget : findChildren<QWidget*>()) widget->installEventFilter(this);

    // Without a window manager to turn Alt+F4 into a close request, the
    // window takes the key itself.
    auto* closeKey = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_F4), this);
    connect(closeKey, &QShortcut::activated, this, [this] { close(); });
    auto* systemMenuKey = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Space), this);
    connect(systemMenuKey, &QShortcut::activated, this, [this] { PopUpSystemMenu(); });
    m_client->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_client, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopUpSystemMenu(m_client->mapToGlobal(at)); });
}

namespace {
// A long tag name of the kind most maps hold, which a tree of tags shows
// whole without scrolling sideways.
const char* const kLongCommonEntry = "characters\\floodcombat_human\\floodcombat_human";
// Levels of a tag under its set's root and class node, each indented.
constexpr int kTagTreeLevels = 3;
} // namespace

int DialogWindow::TreeWidthForEntries() const
{
    QFontMetrics metrics(font());
    const int indent = style()->pixelMetric(QStyle::PM_TreeViewIndentation, nullptr, this);
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    // The item's own margins and the frame on both sides.
    const int margins = 16;
    return kTagTreeLevels * indent + metrics.horizontalAdvance(QString::fromLatin1(kLongCommonEntry)) + scrollBar +
           margins;
}

int DialogWindow::WidenTrees(std::vector<QRect>& places, int clientWidth) const
{
    // A tree narrower than its common entries widens, and the dialog with
    // it: what stands to its right moves over, what spans its right edge
    // (its group box, a list below it) stretches. From the rightmost tree
    // leftwards, so each move carries what the trees further right did.
    const DialogTemplate& dialogTemplate = *m_dialog.GetTemplate();
    std::vector<size_t> trees;
    for (size_t i = 0; i < places.size() && i < dialogTemplate.controls.size(); ++i)
        if (dialogTemplate.controls[i].kind == ControlKind::TreeView) trees.push_back(i);
    std::sort(trees.begin(), trees.end(),
              [&places](size_t a, size_t b) { return places[a].left() > places[b].left(); });

    const QScreen* screen = QGuiApplication::primaryScreen();
    // Room for the window's frame beside the client area.
    const int screenWidth = screen ? screen->availableGeometry().width() - 16 : clientWidth;
    const int room = std::max(0, screenWidth - clientWidth);
    const int needed = TreeWidthForEntries();
    long long wanted = 0;
    for (size_t tree : trees) wanted += std::max(0, needed - places[tree].width());
    for (size_t tree : trees) {
        // A screen too narrow for all shares its room among the trees.
        long long extra = std::max(0, needed - places[tree].width());
        if (wanted > room) extra = extra * room / wanted;
        if (extra <= 0) continue;
        const int edge = places[tree].left() + places[tree].width();
        for (QRect& place : places) {
            if (place.left() >= edge) place.translate(static_cast<int>(extra), 0);
            else if (place.left() + place.width() >= edge) place.setWidth(place.width() + static_cast<int>(extra));
        }
        clientWidth += static_cast<int>(extra);
    }
    return clientWidth;
}

void DialogWindow::LayOutClient()
{
    const QSize size = m_client->size();
    m_dialog.SetClientSize(size.width(), size.height());
    if (!m_resizable) return;
    const int dx = std::max(0, size.width() - m_templateClientSize.width());
    const int dy = std::max(0, size.height() - m_templateClientSize.height());
    // Trees, lists, group boxes and multi-line edits grow with the window;
    // a control wholly to the right of (or below) one that grows moves with
    // its edge; the rest keep their places.
    for (size_t i = 0; i < m_views.size() && i < m_placed.size(); ++i) {
        const QRect base = m_placed[i].rect;
        if (m_placed[i].grows) {
            m_views[i]->Place(base.adjusted(0, 0, dx, dy), false);
            continue;
        }
        QPoint offset;
        for (const Placement& other : m_placed) {
            if (!other.grows || other.rect.contains(base)) continue;
            bool besideRows = base.top() <= other.rect.bottom() && base.bottom() >= other.rect.top();
            bool besideColumns = base.left() <= other.rect.right() && base.right() >= other.rect.left();
            if (besideRows && base.left() > other.rect.right()) offset.setX(dx);
            if (besideColumns && base.top() > other.rect.bottom()) offset.setY(dy);
        }
        m_views[i]->Place(base.translated(offset), true);
    }
}

void DialogWindow::BuildMenuBar()
{
    CMenu* menu = m_dialog.GetMenu();
    if (m_menuBar == nullptr || menu == nullptr) return;
    for (QMenu* old : m_menuBar->findChildren<QMenu*>(Qt::FindDirectChildrenOnly)) old->deleteLater();
    m_menuBar->clear();

    auto addItems = [this](auto& self, QWidget* target, const CMenu& source) -> void {
        for (const CMenu::Item& item : source.Items()) {
            if (item.IsSeparator()) {
                if (auto* popup = qobject_cast<QMenu*>(target)) popup->addSeparator();
                continue;
            }
            QString text = ToQt(item.text);
            if (item.popup) {
                auto* sub = new QMenu(text, target);
                sub->setEnabled(item.IsEnabled());
                if (auto* bar = qobject_cast<QMenuBar*>(target)) bar->addMenu(sub);
                else static_cast<QMenu*>(target)->addMenu(sub);
                self(self, sub, *item.popup);
                continue;
            }
            auto* action = new QAction(text, target);
            action->setEnabled(item.IsEnabled());
            action->setCheckable((item.flags & MF_CHECKED) != 0);
            action->setChecked((item.flags & MF_CHECKED) != 0);
            action->setData(item.id);
            UINT id = item.id;
            connect(action, &QAction::triggered, this, [this, id] {
                Post([this, id] { m_dialog.ChooseMenuCommand(id); });
            });
            target->addAction(action);
        }
    };
    addItems(addItems, m_menuBar, *menu);
    m_shownMenu = menu;
    m_menuRevision = menu->Revision();
}

QMenu* DialogWindow::PopUpSystemMenu(std::optional<QPoint> at)
{
    CMenu* systemMenu = m_dialog.GetSystemMenu(FALSE);
    if (systemMenu == nullptr || !m_presenter.IsInnermost(this)) return nullptr;
    auto* popup = new QMenu(this);
    popup->setObjectName(QStringLiteral("systemMenu"));
    popup->setAttribute(Qt::WA_DeleteOnClose);
    for (const CMenu::Item& item : systemMenu->Items()) {
        if (item.IsSeparator()) {
            popup->addSeparator();
            continue;
        }
        // Moving and sizing belong to the window manager (its title bar and
        // edges); the menu offers only what it can carry out.
        if (item.id == SC_MOVE || item.id == SC_SIZE) continue;
        // A window with an owner does not minimise alone (see Build).
        if (parentWidget() != nullptr && (item.id == SC_MINIMIZE || item.id == SC_RESTORE)) continue;
        QAction* action = popup->addAction(ToQt(item.text));
        action->setEnabled(item.IsEnabled());
        action->setData(item.id);
        UINT id = item.id;
        connect(action, &QAction::triggered, this, [this, id] {
            Post([this, id] { m_dialog.ChooseSystemMenuCommand(id); });
        });
    }
    // At the pointer; from the keyboard with the pointer elsewhere, at the
    // window's corner.
    QPoint where = at.value_or(QCursor::pos());
    if (!at && !frameGeometry().contains(where)) where = m_client->mapToGlobal(QPoint(0, 0));
    popup->popup(where);
    return popup;
}

void DialogWindow::Refresh()
{
    if (!m_shownOnce || m_dialog.Revision() != m_shownRevision) {
        m_shownRevision = m_dialog.Revision();
        QString caption = ToQt(m_dialog.WindowText());
        if (windowTitle() != caption) setWindowTitle(caption);

        HICON big = m_dialog.GetIcon(TRUE), small = m_dialog.GetIcon(FALSE);
        if (big != m_shownBigIcon || small != m_shownSmallIcon) {
            QIcon icon;
            for (HICON each : {big, small})
                if (QPixmap pixmap = PixmapOfIcon(each); !pixmap.isNull()) icon.addPixmap(pixmap);
            setWindowIcon(icon);
            m_shownBigIcon = big;
            m_shownSmallIcon = small;
        }

        CMenu* menu = m_dialog.GetMenu();
        if (menu != nullptr && (menu != m_shownMenu || menu->Revision() != m_menuRevision)) BuildMenuBar();

        if (m_shownOnce && (m_dialog.IsIconic() != FALSE) != isMinimized()) {
            if (m_dialog.IsIconic()) showMinimized();
            else showNormal();
        }
        if (m_shownOnce) ApplyFocus();
    }
    for (const auto& view : m_views) view->Refresh();
    if (!m_shownOnce) {
        m_shownOnce = true;
        // Where the dialog's own code put the focus it stays.
        if (m_dialog.GetFocusId() != 0) ApplyFocus();
        else FocusFirstInput();
    }
}

void DialogWindow::FocusFirstInput()
{
    // As desktop dialogs open: on the first control in tab order that takes
    // what the user types or picks, else on the first button.
    QWidget* firstButton = nullptr;
    for (int i = 0; i < m_dialog.GetControlCount() && static_cast<size_t>(i) < m_views.size(); ++i) {
        CWnd* control = m_dialog.GetControl(i);
        QWidget* widget = m_views[static_cast<size_t>(i)]->Widget();
        if (control == nullptr || widget == nullptr || !widget->isEnabled() || widget->isHidden() ||
            !(widget->focusPolicy() & Qt::TabFocus))
            continue;
        switch (control->GetControlKind()) {
        case ControlKind::Edit:
            if (auto* edit = dynamic_cast<CEdit*>(control); edit == nullptr || edit->IsReadOnly()) continue;
            [[fallthrough]];
        case ControlKind::ComboBox:
        case ControlKind::TreeView:
        case ControlKind::ListView:
        case ControlKind::CheckBox:
            if (auto* edit = dynamic_cast<OpeningLineEdit*>(widget)) edit->FocusOnOpening();
            else widget->setFocus(Qt::OtherFocusReason);
            return;
        case ControlKind::PushButton:
            if (firstButton == nullptr) firstButton = widget;
            continue;
        default: continue;
        }
    }
    if (firstButton) firstButton->setFocus(Qt::OtherFocusReason);
}

void DialogWindow::ApplyFocus()
{
    int id = m_dialog.GetFocusId();
    if (id == 0) return;
    int index = IndexOfControl(id);
    if (index < 0 || static_cast<size_t>(index) >= m_views.size()) return;
    ControlView& view = *m_views[static_cast<size_t>(index)];
    if (QApplication::focusWidget() != view.Widget()) view.TakeFocus();
}

int DialogWindow::IndexOfControl(int id) const
{
    for (int i = 0; i < m_dialog.GetControlCount(); ++i) {
        CWnd* control = m_dialog.GetControl(i);
        if (control && control->GetDlgCtrlID() == id) return i;
    }
    return -1;
}

void DialogWindow::Post(std::function<void()> action)
{
    QMetaObject::invokeMethod(
        this,
        [this, action = std::move(action)] {
            if (!m_presenter.IsInnermost(this) || m_dialog.IsEnded()) return;
            action();
        },
        Qt::QueuedConnection);
}

QWidget* DialogWindow::ControlWidgetAt(int index) const
{
    if (index < 0 || static_cast<size_t>(index) >= m_views.size()) return nullptr;
    return m_views[static_cast<size_t>(index)]->Widget();
}

QWidget* DialogWindow::ControlWidget(int id) const { return ControlWidgetAt(IndexOfControl(id)); }

bool DialogWindow::HandleKey(QObject* target, int key, Qt::KeyboardModifiers modifiers)
{
    bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    bool escape = key == Qt::Key_Escape;
    if ((!enter && !escape) || (modifiers & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
    if (enter) {
        for (const auto& view : m_views)
            if (view->Widget() == target) {
                if (view->WantsReturn()) return false;
                break;
            }
        Post([this] { m_dialog.PressEnter(); });
    } else {
        Post([this] { m_dialog.PressEscape(); });
    }
    return true;
}

namespace {
// The letter a mnemonic text marks with '&' (lower case), or none.
QChar MnemonicOf(const QString& text)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != QLatin1Char('&')) continue;
        if (text[i + 1] != QLatin1Char('&')) return text[i + 1].toLower();
        ++i;
    }
    return {};
}

// Controls that take typed letters themselves: edits and combo boxes, and
// trees and lists, which search their items as the user types.
bool TakesLetters(QWidget* widget, QWidget* window)
{
    for (QWidget* at = widget; at != nullptr && at != window; at = at->parentWidget())
        if (qobject_cast<QLineEdit*>(at) || qobject_cast<QTextEdit*>(at) || qobject_cast<QComboBox*>(at) ||
            qobject_cast<QAbstractItemView*>(at))
            return true;
    return false;
}
} // namespace

bool DialogWindow::HandleMnemonic(const QString& typed, Qt::KeyboardModifiers modifiers)
{
    // As in desktop dialogs, a control's mnemonic letter works without Alt
    // while the focus is on a control that has no use for letters.
    if ((modifiers & ~(Qt::ShiftModifier | Qt::KeypadModifier)) != Qt::NoModifier || typed.size() != 1 ||
        !typed[0].isLetterOrNumber() || TakesLetters(QApplication::focusWidget(), this))
        return false;
    const QChar letter = typed[0].toLower();
    std::vector<int> matches;
    for (int i = 0; i < m_dialog.GetControlCount() && static_cast<size_t>(i) < m_views.size(); ++i) {
        CWnd* control = m_dialog.GetControl(i);
        QWidget* widget = m_views[static_cast<size_t>(i)]->Widget();
        if (control == nullptr || widget == nullptr || !widget->isVisibleTo(this) || !control->IsWindowEnabled())
            continue;
        ControlKind kind = control->GetControlKind();
        bool label = kind == ControlKind::StaticText && !control->HasStyle(ctl::NoPrefix) &&
                     static_cast<QLabel*>(widget)->buddy() != nullptr;
        if ((kind == ControlKind::PushButton || kind == ControlKind::CheckBox || label) &&
            MnemonicOf(ToQt(control->WindowText())) == letter)
            matches.push_back(i);
    }
    if (matches.empty()) return false;
    auto act = [this](int index, bool press) {
        QWidget* widget = m_views[static_cast<size_t>(index)]->Widget();
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            label->buddy()->setFocus(Qt::ShortcutFocusReason);
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            button->setFocus(Qt::ShortcutFocusReason);
            if (press) button->click();
        }
    };
    if (matches.size() == 1) {
        act(matches.front(), true);
        return true;
    }
    // Several controls share the letter: the focus moves on to the next one.
    int focused = -1;
    for (size_t i = 0; i < m_views.size(); ++i)
        if (m_views[i]->Widget() == QApplication::focusWidget()) focused = static_cast<int>(i);
    auto next = std::find_if(matches.begin(), matches.end(), [focused](int index) { return index > focused; });
    act(next != matches.end() ? *next : matches.front(), false);
    return true;
}

bool DialogWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (HandleKey(watched, key->key(), key->modifiers())) return true;
        if (HandleMnemonic(key->text(), key->modifiers())) return true;
    } else if (event->type() == QEvent::Resize && watched == m_client) {
        LayOutClient();
    }
    return QDialog::eventFilter(watched, event);
}

void DialogWindow::keyPressEvent(QKeyEvent* event)
{
    if (HandleKey(this, event->key(), event->modifiers())) return;
    if (HandleMnemonic(event->text(), event->modifiers())) return;
    QDialog::keyPressEvent(event);
}

void DialogWindow::closeEvent(QCloseEvent* event)
{
    // The dialog decides whether it ends. Where the template has a system
    // menu the close box is its Close command; a dialog without one still
    // takes the window manager's close request (its close box, Alt+F4) as
    // the user's Esc, so its Cancel handlers run as for Esc.
    event->ignore();
    const bool systemMenu = m_dialog.GetSystemMenu(FALSE) != nullptr;
    const bool owned = parentWidget() != nullptr;
    Post([this, systemMenu, owned] {
        if (systemMenu) m_dialog.PressCloseBox();
        else if (owned) m_dialog.PressEscape();
    });
}

void DialogWindow::reject()
{
    Post([this] { m_dialog.PressEscape(); });
}

void DialogWindow::accept()
{
    Post([this] { m_dialog.PressEnter(); });
}

void DialogWindow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::WindowStateChange) {
        const bool minimised = isMinimized();
        if (parentWidget() != nullptr && minimised) {
            // A window manager that minimises an owned window anyway: the
            // window comes back at once rather than leave its owner blocked.
            QMetaObject::invokeMethod(this, [this] { showNormal(); }, Qt::QueuedConnection);
        } else if ((m_dialog.IsIconic() != FALSE) != minimised) {
            m_dialog.SetIconic(minimised);
        }
    }
    QDialog::changeEvent(event);
}

void DialogWindow::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    // The dialog's paint handler runs as on the platform; what it draws for
    // a minimised window the window system draws from the window's icon.
    if (!m_inPaint && !m_dialog.IsEnded()) {
        m_inPaint = true;
        m_dialog.SendPaint();
        m_inPaint = false;
    }
}

} // namespace qtpresenter
