// travik_tagcontrols_screenshot: a picture of the Tag Controls dialog after
// a scan, with a result selected, taken under Qt's offscreen platform.
//
//     build/dev/tests/travik_tagcontrols_screenshot docs/tag-controls.png
//
// It goes the way a user does: File > Open Mapfile, a tag of "Tag Class
// Set 1", Scan Metadata and a Dependency of the scanner tree.
#include "app/App.h"
#include "map/MapState.h"
#include "platform/Presenter.h"
#include "platform/qt/DialogWindow.h"
#include "platform/qt/QtPresenter.h"
#include "platform/qt/TreeModel.h"
#include "res/ResourceIds.h"
#include "tests/support/MapBuilder.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QStyleFactory>
#include <QTimer>
#include <QTreeView>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

using travik::test::MapBuilder;

const std::string kNone = "\xFF\xFF\xFF\xFF";

MapBuilder OpenMap()
{
    MapBuilder map = MapBuilder::Xbox();
    map.MapName("bloodgulch");
    for (const char* name : {"weapons\\pistol\\bitmaps\\pistol", "weapons\\pistol\\fp\\bitmaps\\pistol_fp",
                             "weapons\\pistol\\bitmaps\\pistol_scope"})
        map.AddTag("bitm", name, kNone, kNone).MetaSize(64);
    map.AddTag("snd!", "sound\\sfx\\weapons\\pistol\\fire", kNone, kNone).MetaSize(32);
    map.AddTag("snd!", "sound\\sfx\\weapons\\pistol\\reload", kNone, kNone).MetaSize(32);
    map.AddTag("weap", "weapons\\pistol\\pistol", "item", "obje")
        .MetaSize(1200)
        .TagRef(0x20, "bitm", 0)
        .TagRef(0x40, "bitm", 1)
        .TagRef(0x60, "bitm", 2)
        .TagRef(0x80, "snd!", 3)
        .TagRef(0xA0, "snd!", 4)
        .NullRef(0xC0, "effe")
        .IdRef(0x100, 5)
        .IdRef(0x110, 3)
        .Reflexive(0x200, 2, 0x300)
        .Reflexive(0x210, 4, 0x380);
    map.AddTag("scnr", "levels\\test\\bloodgulch\\bloodgulch", kNone, kNone).MetaSize(256);
    return map;
}

// Steps polled from a timer, which fires inside the modal loops.
class Script {
public:
    void Then(std::function<bool()> step) { m_steps.push_back(std::move(step)); }
    void Start()
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (++m_ticks > 2000) {
                std::fputs("travik_screenshot: the main window did not get there\n", stderr);
                std::_Exit(1);
            }
            if (m_next < m_steps.size() && m_steps[m_next]()) ++m_next;
        });
        m_timer.start(10);
    }

private:
    std::vector<std::function<bool()>> m_steps;
    size_t m_next = 0;
    int m_ticks = 0;
    QTimer m_timer;
};

} // namespace

int main(int argc, char** argv)
{
    std::filesystem::path output = std::filesystem::absolute(argc > 1 ? argv[1] : "tag-controls.png");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");

    static int qtArgc = 1;
    static char name[] = "travik_tagcontrols_screenshot";
    static char* qtArgv[] = {name, nullptr};
    QApplication application(qtArgc, qtArgv);
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    std::string scratch = (std::filesystem::temp_directory_path() / "travik-screenshot-XXXXXX").string();
    if (mkdtemp(scratch.data()) == nullptr) return 1;
    std::filesystem::current_path(scratch);
    OpenMap().Write("bloodgulch.map");

    qtpresenter::QtPresenter presenter;
    SetPresenter(&presenter);
    auto innermost = [&](const char* caption) -> qtpresenter::DialogWindow* {
        std::vector<qtpresenter::DialogWindow*> windows = presenter.OpenWindows();
        if (windows.empty() || !windows.back()->isVisible() ||
            windows.back()->windowTitle() != QString::fromLatin1(caption))
            return nullptr;
        return windows.back();
    };
    auto chooseFile = [&](const char* file) {
        auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        auto* fileName = chooser ? chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")) : nullptr;
        if (fileName == nullptr) return false;
        fileName->setText(QString::fromLatin1(file));
        static_cast<QDialog*>(chooser)->accept();
        return true;
    };
    auto select = [&](qtpresenter::DialogWindow* window, int treeId, HTREEITEM item) {
        auto* tree = dynamic_cast<QTreeView*>(window->ControlWidget(treeId));
        auto* items = dynamic_cast<qtpresenter::TreeModel*>(tree->model());
        QModelIndex index = items->IndexOf(item);
        for (QModelIndex up = index.parent(); up.isValid(); up = up.parent()) tree->expand(up);
        tree->setCurrentIndex(index);
        tree->scrollTo(index);
    };

    bool saved = false;
    Script script;
    script.Then([&] {
        qtpresenter::DialogWindow* main = innermost("Project Travik");
        if (main == nullptr) return false;
        main->MenuBar()->actions().front()->menu()->actions().front()->trigger(); // File > Open Mapfile
        return true;
    });
    script.Then([&] { return chooseFile("bloodgulch.map"); });
    script.Then([&] {
        qtpresenter::DialogWindow* main = innermost("Project Travik");
        if (main == nullptr || !g_MapFile.IsOpen()) return false;
        select(main, IDC_TAG_TREE, g_Tags[5].m_hItem1);
        return true;
    });
    script.Then([&] {
        qtpresenter::DialogWindow* dialog = innermost("Tag Controls");
        if (dialog == nullptr) return false;
        dialog->ControlWidget(IDC_SCAN_METADATA)->setFocus();
        QMetaObject::invokeMethod(dialog->ControlWidget(IDC_SCAN_METADATA), "click", Qt::QueuedConnection);
        return true;
    });
    script.Then([&] {
        qtpresenter::DialogWindow* dialog = innermost("Tag Controls");
        if (dialog == nullptr || g_ScanRecords[1].m_hItem == nullptr) return false;
        auto* tree = dynamic_cast<QTreeView*>(dialog->ControlWidget(IDC_SCANNER_TREE));
        auto* items = dynamic_cast<qtpresenter::TreeModel*>(tree->model());
        if (!items->IndexOf(g_ScanRecords[1].m_hItem).isValid()) return false;
        for (int row = 0; row < items->rowCount(); ++row) tree->expand(items->index(row, 0));
        select(dialog, IDC_SCANNER_TREE, g_ScanRecords[1].m_hItem);
        return true;
    });
    script.Then([&] {
        QCoreApplication::processEvents();
        qtpresenter::DialogWindow* dialog = innermost("Tag Controls");
        if (dialog == nullptr) return false;
        saved = dialog->grab().save(QString::fromStdString(output.string()), "PNG");
        dialog->Dialog().EndDialog(IDCANCEL);
        return true;
    });
    script.Then([&] {
        qtpresenter::DialogWindow* main = innermost("Project Travik");
        if (main == nullptr) return false;
        main->Dialog().EndDialog(IDCANCEL);
        return true;
    });
    script.Start();
    AfxWinMain(theApp);
    SetPresenter(nullptr);

    std::error_code ignored;
    std::filesystem::current_path(output.parent_path(), ignored);
    std::filesystem::remove_all(scratch, ignored);
    if (!saved) {
        std::fprintf(stderr, "travik_tagcontrols_screenshot: could not write %s\n", output.string().c_str());
        return 1;
    }
    std::printf("%s\n", output.string().c_str());
    return 0;
}
