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

} // namespace

int main(int argc, char** argv)
{
    using namespace travik::screenshot;
    std::filesystem::path output = std::filesystem::absolute(argc > 1 ? argv[1] : "tag-controls.png");
    Session session("travik_tagcontrols_screenshot");
    if (!session.Ready()) return 1;
    OpenMap().Write("bloodgulch.map");

    qtpresenter::QtPresenter presenter;
    SetPresenter(&presenter);
    bool saved = false;
    Script script("travik_tagcontrols_screenshot");
    script.OpenMapFromTheMenu(presenter, "bloodgulch.map");
    script.Then([&] {
        qtpresenter::DialogWindow* main = Innermost(presenter, "Project Travik");
        if (main == nullptr || !g_MapFile.IsOpen()) return false;
        SelectTreeItem(main, IDC_TAG_TREE, g_Tags[5].m_hItem1);
        return true;
    });
    script.Then([&] {
        qtpresenter::DialogWindow* dialog = Innermost(presenter, "Tag Controls");
        if (dialog == nullptr) return false;
        ClickLater(dialog, IDC_SCAN_METADATA);
        return true;
    });
    script.Then([&] {
        qtpresenter::DialogWindow* dialog = Innermost(presenter, "Tag Controls");
        if (dialog == nullptr || g_ScanRecords[1].m_hItem == nullptr) return false;
        auto* tree = dynamic_cast<QTreeView*>(dialog->ControlWidget(IDC_SCANNER_TREE));
        auto* items = dynamic_cast<qtpresenter::TreeModel*>(tree->model());
        if (!items->IndexOf(g_ScanRecords[1].m_hItem).isValid()) return false;
        for (int row = 0; row < items->rowCount(); ++row) tree->expand(items->index(row, 0));
        SelectTreeItem(dialog, IDC_SCANNER_TREE, g_ScanRecords[1].m_hItem);
        return true;
    });
    script.PictureAndClose(presenter, "Tag Controls", output, saved);
    script.Start();
    AfxWinMain(theApp);
    SetPresenter(nullptr);
    return session.Finish(saved, output);
}
