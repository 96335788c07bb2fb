// travik_tools_screenshot: pictures of the six tool dialogs, each with a
// synthetic map open and in a state a user would see, taken under Qt's
// offscreen platform.
//
//     build/dev/tests/travik_tools_screenshot docs
//
// writes map-info.png, hex-float-converter.png, reflexive-calculator.png,
// string-index-editor.png, export.png and options.png into the folder.
#include "map/MapState.h"
#include "platform/Controls.h"
#include "platform/Presenter.h"
#include "platform/qt/DialogWindow.h"
#include "platform/qt/QtPresenter.h"
#include "res/ResourceIds.h"
#include "tests/qt/screenshot/ScreenshotSupport.h"
#include "tests/support/MapBuilder.h"
#include "tools/ExportDialog.h"
#include "tools/HaloMapInfo.h"
#include "tools/HexFloatDialog.h"
#include "tools/OptionsDialog.h"
#include "tools/ReflexiveConverterDialog.h"
#include "tools/StringIndexDialog.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

using travik::test::MapBuilder;

MapBuilder ScreenshotMap()
{
    const std::string none = "\xFF\xFF\xFF\xFF";
    MapBuilder map = MapBuilder::Xbox();
    map.MapName("bloodgulch").Magic(0x803A0000);
    for (const char* name : {"levels\\test\\bloodgulch\\bitmaps\\cliffs", "levels\\test\\bloodgulch\\bitmaps\\grass",
                             "sky\\sky_timberland\\bitmaps\\clouds", "weapons\\assault rifle\\bitmaps\\ar"})
        map.AddTag("bitm", name, none, none).MetaSize(64);
    map.AddTag("scnr", "levels\\test\\bloodgulch\\bloodgulch", none, none).MetaSize(256);
    map.AddTag("weap", "weapons\\assault rifle\\assault rifle", "item", "obje").MetaSize(96);
    map.AddTag("vehi", "vehicles\\warthog\\mp_warthog", "unit", "obje").MetaSize(96);
    return map;
}

void Type(CDialog& dialog, int id, const char* text)
{
    if (auto* edit = dynamic_cast<CEdit*>(dialog.GetDlgItem(id))) edit->UserType(text);
}

void Click(CDialog& dialog, int id)
{
    if (auto* button = dynamic_cast<CButton*>(dialog.GetDlgItem(id))) button->UserClick();
}

// Runs the dialog, lets the user's actions happen, and saves the window.
bool Picture(qtpresenter::QtPresenter& presenter, CDialog& dialog, const std::function<void(CDialog&)>& act,
             const std::filesystem::path& file)
{
    bool saved = false;
    int stage = 0, ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (++ticks > 1000) {
            std::fprintf(stderr, "travik_tools_screenshot: %s did not open\n", file.string().c_str());
            std::_Exit(1);
        }
        qtpresenter::DialogWindow* window = presenter.WindowOf(dialog);
        if (window == nullptr || !window->isVisible()) return;
        if (stage == 0) {
            act(dialog);
            stage = 1;
        } else if (++stage > 3) { // a few turns for the widgets to follow the models
            QCoreApplication::processEvents();
            saved = window->grab().save(QString::fromStdString(file.string()), "PNG");
            dialog.EndDialog(IDCANCEL);
            timer.stop();
        }
    });
    timer.start(10);
    dialog.DoModal();
    return saved;
}

} // namespace

int main(int argc, char** argv)
{
    const std::filesystem::path folder = std::filesystem::absolute(argc > 1 ? argv[1] : ".");
    travik::screenshot::Session session("travik_tools_screenshot");
    if (!session.Ready()) return 1;
    g_LogFile.Open("Log.txt", CFileStream::kLogFile);
    travik::test::OpenBuiltMap(ScreenshotMap(), "bloodgulch.map");
    travik::test::LoadOpenMap(nullptr);

    qtpresenter::QtPresenter presenter;
    SetPresenter(&presenter);
    bool ok = true;
    {
        CHaloMapInfo dlg;
        ok &= Picture(presenter, dlg, [](CDialog&) {}, folder / "map-info.png");
    }
    {
        CHexFloatDialog dlg;
        ok &= Picture(presenter, dlg, [](CDialog& d) {
            Type(d, IDC_HEXFLOAT_DECIMAL, "0.5");
            Click(d, IDC_HEXFLOAT_TO_HEX);
        }, folder / "hex-float-converter.png");
    }
    {
        CReflexiveConverterDialog dlg;
        ok &= Picture(presenter, dlg, [](CDialog& d) {
            Type(d, IDC_REFLEXIVE_OFFSET, "1234");
            Click(d, IDC_REFLEXIVE_TO_REFLEXIVE);
        }, folder / "reflexive-calculator.png");
    }
    {
        CStringIndexDialog dlg;
        ok &= Picture(presenter, dlg, [](CDialog& d) {
            Type(d, IDC_STRINGINDEX_END, "120");
            Click(d, IDC_STRINGINDEX_LOAD);
        }, folder / "string-index-editor.png");
    }
    {
        CExportDialog dlg;
        ok &= Picture(presenter, dlg, [](CDialog&) {}, folder / "export.png");
    }
    {
        COptionsDialog dlg;
        dlg.m_strTreeColor = "4080ff";
        dlg.m_strListColor = "c0c0c0";
        ok &= Picture(presenter, dlg, [](CDialog&) {}, folder / "options.png");
    }
    SetPresenter(nullptr);
    g_MapFile.Close();
    g_LogFile.Close();

    return session.Finish(ok, folder);
}
