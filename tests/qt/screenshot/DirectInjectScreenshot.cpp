// travik_inject_screenshot: a picture of the Direct Injection dialog with
// both maps loaded and a source tag selected, taken under Qt's offscreen
// platform.
//
//     build/dev/tests/travik_inject_screenshot docs/direct-inject.png
//
// It goes the way a user does: File > Open Mapfile, Tools > Direct Inject,
// Open Map, a target in "Inject Into" and a source in "Get From".
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

const std::string kNone = "\xFF\xFF\xFF\xFF";

MapBuilder OpenMap()
{
    MapBuilder map = MapBuilder::Xbox();
    map.MapName("bloodgulch");
    for (const char* name : {"levels\\test\\bloodgulch\\bitmaps\\cliffs", "weapons\\pistol\\bitmaps\\pistol",
                             "weapons\\pistol\\fp\\bitmaps\\pistol_fp"})
        map.AddTag("bitm", name, kNone, kNone).MetaSize(64);
    map.AddTag("snd!", "sound\\sfx\\weapons\\pistol\\fire", kNone, kNone).MetaSize(32);
    map.AddTag("weap", "weapons\\assault rifle\\assault rifle", "item", "obje").MetaSize(1536);
    map.AddTag("weap", "weapons\\pistol\\pistol", "item", "obje").MetaSize(1280);
    map.AddTag("vehi", "vehicles\\warthog\\mp_warthog", "unit", "obje").MetaSize(2048);
    return map;
}

MapBuilder SecondMap()
{
    MapBuilder map = MapBuilder::Pc();
    map.MapName("hangemhigh");
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
        .Reflexive(0x200, 2, 0x300);
    map.AddTag("scnr", "levels\\test\\hangemhigh\\hangemhigh", kNone, kNone).MetaSize(256);
    return map;
}

} // namespace

int main(int argc, char** argv)
{
    using namespace travik::screenshot;
    std::filesystem::path output = std::filesystem::absolute(argc > 1 ? argv[1] : "direct-inject.png");
    Session session("travik_inject_screenshot");
    if (!session.Ready()) return 1;
    OpenMap().Write("bloodgulch.map");
    SecondMap().Write("hangemhigh.map");

    qtpresenter::QtPresenter presenter;
    SetPresenter(&presenter);
    bool saved = false;
    Script script("travik_inject_screenshot");
    script.OpenMapFromTheMenu(presenter, "bloodgulch.map");
    script.Then([&] {
        qtpresenter::DialogWindow* main = Innermost(presenter, "Project Travik");
        if (main == nullptr || !g_MapFile.IsOpen()) return false;
        for (QAction* menu : main->MenuBar()->actions())
            if (menu->text() == QStringLiteral("&Tools")) menu->menu()->actions().back()->trigger();
        return true;
    });
    script.Then([&] {
        qtpresenter::DialogWindow* dialog = Innermost(presenter, "Direct Injection");
        if (dialog == nullptr) return false;
        ClickLater(dialog, IDC_OPEN_MAP);
        return true;
    });
    script.Then([&] { return ChooseFile("hangemhigh.map"); });
    script.Then([&] {
        qtpresenter::DialogWindow* dialog = Innermost(presenter, "Direct Injection");
        if (dialog == nullptr || !g_InputMapFile.IsOpen()) return false;
        SelectTreeItem(dialog, IDC_INJECT_INTO_TREE, g_Tags[5].m_hItem2);
        return true;
    });
    script.Then([&] {
        qtpresenter::DialogWindow* dialog = Innermost(presenter, "Direct Injection");
        if (dialog == nullptr) return false;
        SelectTreeItem(dialog, IDC_GET_FROM_TREE, g_InputTags[5].m_hItem2);
        return true;
    });
    script.PictureAndClose(presenter, "Direct Injection", output, saved);
    script.Start();
    AfxWinMain(theApp);
    SetPresenter(nullptr);
    return session.Finish(saved, output);
}
