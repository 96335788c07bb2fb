// travik_screenshot: a picture of the main window with a synthetic map
// loaded, taken under Qt's offscreen platform.
//
//     build/dev/tests/travik_screenshot docs/main-window.png
//
// It opens the map as a user does (File > Open Mapfile, the file chooser),
// opens "Tag Class Set 1" and its bitmaps, selects their class node (a tag would
// open its Tag Controls dialog), and saves the window.
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

MapBuilder ScreenshotMap()
{
    const std::string none = "\xFF\xFF\xFF\xFF";
    MapBuilder map = MapBuilder::Xbox();
    map.MapName("bloodgulch");
    for (const char* name : {"levels\\test\\bloodgulch\\bitmaps\\cliffs", "levels\\test\\bloodgulch\\bitmaps\\grass",
                             "levels\\test\\bloodgulch\\bitmaps\\rock", "sky\\sky_timberland\\bitmaps\\clouds",
                             "ui\\hud\\bitmaps\\combined\\hud_msg_icons", "weapons\\assault rifle\\bitmaps\\ar"})
        map.AddTag("bitm", name, none, none).MetaSize(64);
    map.AddTag("scnr", "levels\\test\\bloodgulch\\bloodgulch", none, none).MetaSize(256);
    map.AddTag("weap", "weapons\\assault rifle\\assault rifle", "item", "obje").MetaSize(96);
    map.AddTag("weap", "weapons\\pistol\\pistol", "item", "obje").MetaSize(96);
    map.AddTag("vehi", "vehicles\\warthog\\mp_warthog", "unit", "obje").MetaSize(96);
    map.AddTag("snd!", "sound\\sfx\\weapons\\assault rifle\\fire", none, none).MetaSize(32);
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
    std::filesystem::path output = std::filesystem::absolute(argc > 1 ? argv[1] : "main-window.png");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");

    static int qtArgc = 1;
    static char name[] = "travik_screenshot";
    static char* qtArgv[] = {name, nullptr};
    QApplication application(qtArgc, qtArgv);
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    std::string scratch = (std::filesystem::temp_directory_path() / "travik-screenshot-XXXXXX").string();
    if (mkdtemp(scratch.data()) == nullptr) return 1;
    std::filesystem::current_path(scratch);
    ScreenshotMap().Write("bloodgulch.map");

    qtpresenter::QtPresenter presenter;
    SetPresenter(&presenter);
    auto main = [&]() -> qtpresenter::DialogWindow* {
        std::vector<qtpresenter::DialogWindow*> windows = presenter.OpenWindows();
        return windows.size() == 1 && windows.front()->isVisible() ? windows.front() : nullptr;
    };
    auto tree = [&] { return dynamic_cast<QTreeView*>(main()->ControlWidget(IDC_TAG_TREE)); };

    bool saved = false;
    Script script;
    script.Then([&] {
        if (main() == nullptr) return false;
        QMenu* file = main()->MenuBar()->actions().front()->menu();
        file->actions().front()->trigger(); // File > Open Mapfile
        return true;
    });
    script.Then([&] {
        auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        auto* fileName = chooser ? chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")) : nullptr;
        if (fileName == nullptr) return false;
        fileName->setText(QStringLiteral("bloodgulch.map"));
        static_cast<QDialog*>(chooser)->accept();
        return true;
    });
    script.Then([&] {
        if (main() == nullptr || tree()->model()->rowCount() != 3) return false;
        auto* items = dynamic_cast<qtpresenter::TreeModel*>(tree()->model());
        QModelIndex tag = items->IndexOf(g_Tags[1].m_hItem1);
        tree()->expand(tag.parent().parent());
        tree()->expand(tag.parent());
        // The class node: selecting a tag would open its Tag Controls dialog.
        tree()->setCurrentIndex(tag.parent());
        tree()->scrollToTop();
        tree()->setFocus();
        return true;
    });
    script.Then([&] {
        QCoreApplication::processEvents();
        if (main() == nullptr) return false;
        saved = main()->grab().save(QString::fromStdString(output.string()), "PNG");
        main()->Dialog().EndDialog(IDCANCEL);
        return true;
    });
    script.Start();
    AfxWinMain(theApp);
    SetPresenter(nullptr);

    std::error_code ignored;
    std::filesystem::current_path(output.parent_path(), ignored);
    std::filesystem::remove_all(scratch, ignored);
    if (!saved) {
        std::fprintf(stderr, "travik_screenshot: could not write %s\n", output.string().c_str());
        return 1;
    }
    std::printf("%s\n", output.string().c_str());
    return 0;
}
