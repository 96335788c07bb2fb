#include "platform/qt/QtPresenter.h"

#include "platform/qt/DialogWindow.h"
#include "platform/qt/QtText.h"
#include "platform/Resources.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QImage>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QTreeView>

#include <algorithm>
#include <map>

namespace qtpresenter {

namespace {

// A filter of the platform's form ("Maps (*.map)|*.map|All (*.*)|*.*||")
// as Qt's name filters ("Maps (*.map)", "All (*)").
QStringList NameFilters(const CString& filter)
{
    QStringList parts = ToQt(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& pattern : patterns) {
            pattern = pattern.trimmed();
            if (pattern == QLatin1String("*.*")) pattern = QStringLiteral("*");
        }
        if (description.isEmpty() || patterns.isEmpty()) continue;
        filters << description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return filters;
}

// The chooser lists files with their size, type and date; Qt's own size
// cuts the date short. The columns take what their texts need, and the
// window grows (within the screen) until they all show whole.
void FitFileColumns(QFileDialog& chooser)
{
    auto* list = chooser.findChild<QTreeView*>(QStringLiteral("treeView"));
    if (list == nullptr) return;
    QHeaderView* header = list->header();
    for (int column = 1; column < header->count(); ++column) list->resizeColumnToContents(column);
    int scrollBar = list->verticalScrollBar()->sizeHint().width();
    int needed = header->length() + scrollBar + 2 * list->frameWidth();
    int grow = needed - list->width();
    if (grow <= 0) return;
    QRect screen = chooser.screen() ? chooser.screen()->availableGeometry() : QRect(0, 0, 1024, 768);
    chooser.resize(std::min(chooser.width() + grow, screen.width()), chooser.height());
}

void SizeFileChooser(QFileDialog& chooser)
{
    chooser.setViewMode(QFileDialog::Detail);
    QFontMetrics metrics(chooser.font());
    // Room for the places list, a name of some thirty characters, and the
    // size, type and date columns.
    int width = metrics.horizontalAdvance(QString(90, QLatin1Char('x')));
    int height = metrics.lineSpacing() * 28;
    QRect screen = chooser.screen() ? chooser.screen()->availableGeometry() : QRect(0, 0, 1024, 768);
    QSize hint = chooser.sizeHint();
    chooser.resize(std::min(std::max(width, hint.width()), screen.width()),
                   std::min(std::max(height, hint.height()), screen.height()));
    if (auto* files = chooser.findChild<QFileSystemModel*>()) {
        QObject::connect(files, &QFileSystemModel::directoryLoaded, &chooser,
                         [&chooser] { QTimer::singleShot(0, &chooser, [&chooser] { FitFileColumns(chooser); }); });
    }
    QTimer::singleShot(0, &chooser, [&chooser] { FitFileColumns(chooser); });
}

QMessageBox::Icon MessageIcon(UINT type)
{
    switch (type & MB_ICONMASK) {
    case MB_ICONSTOP: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONEXCLAMATION: return QMessageBox::Warning;
    case MB_ICONINFORMATION: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

} // namespace

QPixmap PixmapOfIcon(HICON icon)
{
    if (icon == nullptr || icon->width <= 0 || icon->height <= 0 ||
        icon->pixels.size() < static_cast<size_t>(icon->width) * static_cast<size_t>(icon->height))
        return {};
    static std::map<HICON, QPixmap> made;
    auto found = made.find(icon);
    if (found != made.end()) return found->second;
    QImage image(icon->width, icon->height, QImage::Format_ARGB32);
    for (int y = 0; y < icon->height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < icon->width; ++x)
            line[x] = icon->pixels[static_cast<size_t>(y) * static_cast<size_t>(icon->width) + static_cast<size_t>(x)];
    }
    return made.emplace(icon, QPixmap::fromImage(image)).first->second;
}

QtPresenter::QtPresenter()
{
    // The program's windows are modal loops of their own; none of them
    // closing may end the others.
    QGuiApplication::setQuitOnLastWindowClosed(false);
}

QtPresenter::~QtPresenter() = default;

QtPresenter::ModalScope::ModalScope(QtPresenter& owner) : presenter(owner) { presenter.m_stack.push_back(nullptr); }

QtPresenter::ModalScope::~ModalScope() { presenter.m_stack.pop_back(); }

void QtPresenter::RunModal(CDialog& dialog)
{
    DialogWindow window(*this, dialog, ParentForNewWindow());
    m_stack.push_back(&window);
    struct Pop {
        std::vector<DialogWindow*>& stack;
        ~Pop() { stack.pop_back(); }
    } pop {m_stack};
    window.Refresh();
    if (!dialog.IsEnded()) window.exec();
}

void QtPresenter::EndModal(CDialog& dialog)
{
    if (DialogWindow* window = WindowOf(dialog)) window->done(dialog.GetEndCode());
}

bool QtPresenter::ChooseFile(const FileDialogRequest& request, CString& path)
{
    RefreshNow();
    QFileDialog chooser(ParentForNewWindow(), request.open ? QStringLiteral("Open") : QStringLiteral("Save As"),
                        PathToQt(request.currentDirectory));
    chooser.setOption(QFileDialog::DontUseNativeDialog);
    chooser.setAcceptMode(request.open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    // Without "must exist" the user may name a file that is not there; the
    // caller finds out when it opens it.
    chooser.setFileMode(request.open && (request.flags & OFN_FILEMUSTEXIST) ? QFileDialog::ExistingFile
                                                                             : QFileDialog::AnyFile);
    if (!request.open && (request.flags & OFN_OVERWRITEPROMPT) == 0)
        chooser.setOption(QFileDialog::DontConfirmOverwrite);
    if (!request.defaultExtension.IsEmpty()) chooser.setDefaultSuffix(PathToQt(request.defaultExtension));
    QStringList filters = NameFilters(request.filter);
    if (!filters.isEmpty()) chooser.setNameFilters(filters);
    if (!request.fileName.IsEmpty()) chooser.selectFile(PathToQt(request.fileName));
    SizeFileChooser(chooser);

    ModalScope scope(*this);
    if (chooser.exec() != QDialog::Accepted) return false;
    QStringList chosen = chooser.selectedFiles();
    if (chosen.isEmpty() || chosen.first().isEmpty()) return false;
    path = PathFromQt(chosen.first());
    return true;
}

bool QtPresenter::ChooseColor(const ColorDialogRequest& request, COLORREF& color)
{
    RefreshNow();
    QColorDialog chooser(QColor(GetRValue(request.initial), GetGValue(request.initial), GetBValue(request.initial)),
                         ParentForNewWindow());
    chooser.setOption(QColorDialog::DontUseNativeDialog);
    ModalScope scope(*this);
    if (chooser.exec() != QDialog::Accepted) return false;
    QColor chosen = chooser.selectedColor();
    if (!chosen.isValid()) return false;
    color = RGB(static_cast<unsigned>(chosen.red()), static_cast<unsigned>(chosen.green()),
                static_cast<unsigned>(chosen.blue()));
    return true;
}

int QtPresenter::ShowMessageBox(const MessageBoxRequest& request)
{
    RefreshNow();
    QMessageBox box(MessageIcon(request.type), ToQt(request.caption), ToQt(request.text), QMessageBox::NoButton,
                    ParentForNewWindow());
    box.setTextFormat(Qt::PlainText);
    struct Choice {
        QMessageBox::StandardButton button;
        int id;
    };
    std::vector<Choice> choices;
    switch (request.type & MB_TYPEMASK) {
    case MB_OKCANCEL: choices = {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}}; break;
    case MB_YESNOCANCEL:
        choices = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}, {QMessageBox::Cancel, IDCANCEL}};
        break;
    case MB_YESNO: choices = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}}; break;
    default: choices = {{QMessageBox::Ok, IDOK}}; break;
    }
    QMessageBox::StandardButtons buttons;
    for (const Choice& choice : choices) buttons |= choice.button;
    box.setStandardButtons(buttons);
    box.setDefaultButton(choices.front().button);
    // Esc answers Cancel where there is one, OK in a box with OK alone, and
    // nothing in a Yes/No box.
    if (buttons & QMessageBox::Cancel) box.setEscapeButton(QMessageBox::Cancel);
    else if (choices.size() == 1) box.setEscapeButton(QMessageBox::Ok);

    ModalScope scope(*this);
    box.exec();
    for (const Choice& choice : choices)
        if (box.clickedButton() == box.button(choice.button)) return choice.id;
    return (buttons & QMessageBox::Cancel) ? IDCANCEL : choices.front().id;
}

void QtPresenter::WindowChanged(CWnd& /*window*/) { RefreshSoon(); }

void QtPresenter::RefreshSoon()
{
    if (m_refreshPending || QCoreApplication::instance() == nullptr) return;
    m_refreshPending = true;
    QMetaObject::invokeMethod(
        &m_context,
        [this] {
            m_refreshPending = false;
            RefreshNow();
        },
        Qt::QueuedConnection);
}

void QtPresenter::RefreshNow()
{
    // A refresh changes no model, so the list of windows stays as it is.
    for (DialogWindow* window : m_stack)
        if (window) window->Refresh();
}

std::vector<DialogWindow*> QtPresenter::OpenWindows() const
{
    std::vector<DialogWindow*> windows;
    for (DialogWindow* window : m_stack)
        if (window) windows.push_back(window);
    return windows;
}

DialogWindow* QtPresenter::WindowOf(const CDialog& dialog) const
{
    for (DialogWindow* window : m_stack)
        if (window && &window->Dialog() == &dialog) return window;
    return nullptr;
}

bool QtPresenter::IsInnermost(const DialogWindow* window) const
{
    return !m_stack.empty() && m_stack.back() == window;
}

QWidget* QtPresenter::ParentForNewWindow() const
{
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    for (auto at = m_stack.rbegin(); at != m_stack.rend(); ++at)
        if (*at) return *at;
    return nullptr;
}

} // namespace qtpresenter
