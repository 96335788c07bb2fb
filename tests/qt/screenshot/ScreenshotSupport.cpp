#include "tests/qt/screenshot/ScreenshotSupport.h"

#include "platform/qt/DialogWindow.h"
#include "platform/qt/QtPresenter.h"
#include "platform/qt/TreeModel.h"

#include <QAction>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QStyleFactory>
#include <QTreeView>

#include <clocale>
#include <cstdio>
#include <cstdlib>

namespace travik::screenshot {

Session::Session(const char* program) : m_program(program)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    m_argv[0] = m_program.data();
    m_application = std::make_unique<QApplication>(m_argc, m_argv);
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    m_started = std::filesystem::current_path();
    std::string scratch = (std::filesystem::temp_directory_path() / "travik-screenshot-XXXXXX").string();
    if (mkdtemp(scratch.data()) == nullptr) return;
    m_scratch = scratch;
    std::filesystem::current_path(m_scratch);
}

Session::~Session()
{
    if (m_scratch.empty()) return;
    std::error_code ignored;
    std::filesystem::current_path(m_started, ignored);
    std::filesystem::remove_all(m_scratch, ignored);
}

int Session::Finish(bool saved, const std::filesystem::path& picture) const
{
    if (!saved) {
        std::fprintf(stderr, "%s: could not write %s\n", m_program.c_str(), picture.string().c_str());
        return 1;
    }
    std::printf("%s\n", picture.string().c_str());
    return 0;
}

void Script::Start()
{
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
        if (++m_ticks > 2000) {
            std::fprintf(stderr, "%s: the windows did not get there\n", m_program.c_str());
            std::_Exit(1);
        }
        if (m_next < m_steps.size() && m_steps[m_next]()) ++m_next;
    });
    m_timer.start(10);
}

void Script::OpenMapFromTheMenu(qtpresenter::QtPresenter& presenter, const char* file)
{
    Then([&presenter] {
        qtpresenter::DialogWindow* main = Innermost(presenter, "Project Travik");
        if (main == nullptr) return false;
        main->MenuBar()->actions().front()->menu()->actions().front()->trigger(); // File > Open Mapfile
        return true;
    });
    Then([file] { return ChooseFile(file); });
}

void Script::PictureAndClose(qtpresenter::QtPresenter& presenter, const char* caption,
                             const std::filesystem::path& picture, bool& saved)
{
    Then([&presenter, caption, picture, &saved] {
        qtpresenter::DialogWindow* dialog = Innermost(presenter, caption);
        if (dialog == nullptr) return false;
        saved = SavePicture(dialog, picture);
        dialog->Dialog().EndDialog(IDCANCEL);
        return true;
    });
    Then([&presenter] {
        qtpresenter::DialogWindow* main = Innermost(presenter, "Project Travik");
        if (main == nullptr) return false;
        main->Dialog().EndDialog(IDCANCEL);
        return true;
    });
}

qtpresenter::DialogWindow* Innermost(qtpresenter::QtPresenter& presenter, const char* caption)
{
    std::vector<qtpresenter::DialogWindow*> windows = presenter.OpenWindows();
    if (windows.empty() || !windows.back()->isVisible() ||
        windows.back()->windowTitle() != QString::fromLatin1(caption))
        return nullptr;
    return windows.back();
}

bool ChooseFile(const char* file)
{
    auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    auto* fileName = chooser ? chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")) : nullptr;
    if (fileName == nullptr) return false;
    fileName->setText(QString::fromLatin1(file));
    static_cast<QDialog*>(chooser)->accept();
    return true;
}

void SelectTreeItem(qtpresenter::DialogWindow* window, int treeId, HTREEITEM item)
{
    auto* tree = dynamic_cast<QTreeView*>(window->ControlWidget(treeId));
    auto* items = dynamic_cast<qtpresenter::TreeModel*>(tree->model());
    QModelIndex index = items->IndexOf(item);
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent()) tree->expand(up);
    tree->setCurrentIndex(index);
    tree->scrollTo(index);
}

void ClickLater(qtpresenter::DialogWindow* window, int id)
{
    // Queued: the click runs its handler's modal windows outside this step.
    window->ControlWidget(id)->setFocus();
    QMetaObject::invokeMethod(window->ControlWidget(id), "click", Qt::QueuedConnection);
}

bool SavePicture(QWidget* window, const std::filesystem::path& picture)
{
    QCoreApplication::processEvents();
    return window->grab().save(QString::fromStdString(picture.string()), "PNG");
}

} // namespace travik::screenshot
