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
#include "tests/qt/screenshot/ScreenshotSupport.h"
#include "tests/support/MapBuilder.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTreeView>

#include <filesystem>
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

} // namespace

int main(int argc, char** argv)
{
    using namespace travik::screenshot;
    std::filesystem::path output = std::filesystem::absolute(argc > 1 ? argv[1] : "main-window.png");
    Session session("travik_screenshot");
    if (!session.Ready()) return 1;
    ScreenshotMap().Write("bloodgulch.map");

    qtpresenter::QtPresenter presenter;
    SetPresenter(&presenter);
    auto main = [&]() -> qtpresenter::DialogWindow* {
        std::vector<qtpresenter::DialogWindow*> windows = presenter.OpenWindows();
        return windows.size() == 1 && windows.front()->isVisible() ? windows.front() : nullptr;
    };
    auto tree = [&] { return dynamic_cast<QTreeView*>(main()->ControlWidget(IDC_TAG_TREE)); };

    bool saved = false;
    Script script("travik_screenshot");
    script.Then([&] {
        if (main() == nullptr) return false;
        QMenu* file = main()->MenuBar()->actions().front()->menu();
        file->actions().front()->trigger(); // File > Open Mapfile
        return true;
    });
    script.Then([&] { return ChooseFile("bloodgulch.map"); });
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
        if (main() == nullptr) return false;
        saved = SavePicture(main(), output);
        main()->Dialog().EndDialog(IDCANCEL);
        return true;
    });
    script.Start();
    AfxWinMain(theApp);
    SetPresenter(nullptr);
    return session.Finish(saved, output);
}
