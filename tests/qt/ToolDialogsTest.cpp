// The tool dialogs as real windows: each opens at its template's size with
// its controls, and the three of the Tools menu are driven through it.
#include "app/App.h"
#include "map/MapState.h"
#include "res/ResourceIds.h"
#include "tests/qt/QtTestSupport.h"
#include "tests/support/MapBuilder.h"
#include "tools/ExportDialog.h"
#include "tools/HaloMapInfo.h"
#include "tools/HexFloatDialog.h"
#include "tools/OptionsDialog.h"
#include "tools/ReflexiveConverterDialog.h"
#include "tools/StringIndexDialog.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTextEdit>

#include <functional>
#include <memory>

namespace travik::test {
namespace {

using qtpresenter::DialogWindow;

class ToolDialogsQtTest : public QtPresenterTest {
protected:
    void TearDown() override
    {
        g_LogFile.Close();
        g_MapFile.Close();
        QtPresenterTest::TearDown();
    }
};

template <class W>
W* WidgetOf(DialogWindow* window, int id)
{
    return window ? dynamic_cast<W*>(window->ControlWidget(id)) : nullptr;
}

TEST_F(ToolDialogsQtTest, EachDialogOpensAtItsTemplatesSizeWithItsControls)
{
    const std::vector<std::function<std::unique_ptr<CDialog>()>> makers = {
        [] { return std::make_unique<CHaloMapInfo>(); },
        [] { return std::make_unique<CHexFloatDialog>(); },
        [] { return std::make_unique<CReflexiveConverterDialog>(); },
        [] { return std::make_unique<CStringIndexDialog>(); },
        [] { return std::make_unique<CExportDialog>(); },
        [] { return std::make_unique<COptionsDialog>(); },
    };
    for (const auto& make : makers) {
        std::unique_ptr<CDialog> dialog = make();
        const DialogTemplate* layout = FindDialogTemplate(dialog->GetTemplateId());
        ASSERT_NE(layout, nullptr);
        SCOPED_TRACE(layout->caption.GetString());
        UserScript user;
        user.Then("look at the window", [&] {
            std::vector<DialogWindow*> windows = Presenter().OpenWindows();
            if (windows.empty() || !windows.back()->isVisible()) return false;
            DialogWindow* window = windows.back();
            EXPECT_EQ(window->windowTitle(), QString::fromLatin1(layout->caption.GetString()));
            const int x = window->BaseUnitX(), y = window->BaseUnitY();
            EXPECT_EQ(window->Client()->size(), QSize(layout->cx * x / 4, layout->cy * y / 8));
            for (const ControlTemplate& control : layout->controls) {
                if (control.id == IDC_STATIC) continue;
                QWidget* widget = window->ControlWidget(control.id);
                EXPECT_NE(widget, nullptr) << control.id;
                if (widget == nullptr) continue;
                EXPECT_TRUE(widget->isVisible()) << control.id;
                switch (control.kind) {
                case ControlKind::PushButton:
                    if (auto* push = qobject_cast<QPushButton*>(widget); push && (control.style & ctl::MultiLineText))
                        EXPECT_TRUE(push->text().isEmpty()); // the wrapped caption is drawn inside the button
                    else if (push)
                        EXPECT_EQ(push->text(), QString::fromLatin1(control.text.GetString()));
                    else
                        ADD_FAILURE() << control.id << " is not a push button";
                    break;
                case ControlKind::Edit:
                    if (control.style & ctl::MultiLine) EXPECT_NE(qobject_cast<QTextEdit*>(widget), nullptr);
                    else EXPECT_NE(qobject_cast<QLineEdit*>(widget), nullptr) << control.id;
                    break;
                case ControlKind::ProgressBar: EXPECT_NE(qobject_cast<QProgressBar*>(widget), nullptr); break;
                default: break;
                }
            }
            PressKey(*window, Qt::Key_Escape);
            return true;
        });
        user.Start();
        EXPECT_EQ(dialog->DoModal(), IDCANCEL);
        EXPECT_TRUE(user.Finished()) << user.Failure();
    }
}

TEST_F(ToolDialogsQtTest, TheStringIndexEditorShowsItsLoadOnTheBar)
{
    MapBuilder map = MapBuilder::Xbox();
    map.AddTag("bitm", "ab").MetaSize(16);
    map.AddTag("bitm", "cd").MetaSize(16);
    OpenBuiltMap(map);
    LoadOpenMap(nullptr);
    CStringIndexDialog dialog;
    UserScript user;
    user.Then("load six bytes", [&] {
        DialogWindow* window = InnermostDialog(Presenter(), "String Index Editor");
        auto* end = WidgetOf<QLineEdit>(window, IDC_STRINGINDEX_END);
        if (end == nullptr) return false;
        end->setFocus();
        end->selectAll();
        TypeText(*end, QStringLiteral("6"));
        WidgetOf<QPushButton>(window, IDC_STRINGINDEX_LOAD)->click();
        return true;
    });
    user.Then("see the names and the bar", [&] {
        DialogWindow* window = InnermostDialog(Presenter(), "String Index Editor");
        auto* text = WidgetOf<QTextEdit>(window, IDC_STRINGINDEX_TEXT);
        if (text == nullptr || text->toPlainText() != QStringLiteral("ab*cd*")) return false;
        auto* bar = WidgetOf<QProgressBar>(window, IDC_STRINGINDEX_PROGRESS);
        EXPECT_EQ(bar->maximum(), 6);
        EXPECT_EQ(bar->value(), 5);
        PressKey(*window, Qt::Key_Escape);
        return true;
    });
    user.Start();
    dialog.DoModal();
    EXPECT_TRUE(user.Finished()) << user.Failure();
}

// The program with a map opened through the chooser, then the Tools menu.
TEST_F(ToolDialogsQtTest, TheToolsMenuReachesMapInfoAndBothConverters)
{
    MapBuilder map = MapBuilder::Xbox();
    map.MapName("bloodgulch").Magic(0x40000000);
    map.AddTag("bitm", "levels\\test\\bitmap").MetaSize(64);
    map.Write(PathOf("test.map"));

    auto main = [this] { return InnermostDialog(Presenter(), "Project Travik"); };
    auto button = [this](const char* caption, int id) {
        return WidgetOf<QPushButton>(InnermostDialog(Presenter(), caption), id);
    };
    auto edit = [this](const char* caption, int id) {
        return WidgetOf<QLineEdit>(InnermostDialog(Presenter(), caption), id);
    };
    auto typeInto = [](QLineEdit* line, const QString& text) {
        line->setFocus();
        line->selectAll();
        TypeText(*line, text);
    };

    UserScript user;
    user.Then("choose File > Open Mapfile", [&] { return main() && ChooseMenu(*main(), {"&File", "&Open Mapfile"}); });
    user.Then("answer the file chooser", [&] {
        auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        auto* name = chooser ? chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")) : nullptr;
        if (name == nullptr) return false;
        name->setFocus();
        name->setText(QStringLiteral("test.map"));
        PressKey(*chooser, Qt::Key_Return);
        return true;
    });
    user.Then("choose Tools > Map Info", [&] {
        return main() && g_MapFile.IsOpen() && ChooseMenu(*main(), {"&Tools", "Map &Info"});
    });
    user.Then("rename the map and save", [&] {
        QLineEdit* name = edit("Map Info", IDC_MAPINFO_MAP_NAME);
        if (name == nullptr) return false;
        EXPECT_EQ(name->text(), QStringLiteral("bloodgulch"));
        // Opened where typing goes: not on the read-only "Map Filename".
        EXPECT_EQ(InnermostDialog(Presenter(), "Map Info")->focusWidget(), name);
        EXPECT_EQ(edit("Map Info", IDC_MAPINFO_MAGIC)->text(), QStringLiteral("40000000"));
        EXPECT_TRUE(edit("Map Info", IDC_MAPINFO_MAGIC)->isReadOnly());
        typeInto(name, QStringLiteral("a30"));
        button("Map Info", IDC_MAPINFO_SAVE)->click();
        return true;
    });
    user.Then("close Map Info", [&] {
        if (!g_bMapChanged) return false;
        button("Map Info", IDOK)->click();
        return true;
    });
    user.Then("see the reload, then choose Tools > Hex Float Converter", [&] {
        if (main() == nullptr || g_bMapChanged) return false;
        EXPECT_EQ(g_MapHeader.m_strMapName, "a30");
        EXPECT_EQ(g_strMapNickname, "Halo");
        return ChooseMenu(*main(), {"&Tools", "&Hex Float Converter"});
    });
    user.Then("convert 0.5", [&] {
        QLineEdit* decimal = edit("Hex - Float Converter", IDC_HEXFLOAT_DECIMAL);
        if (decimal == nullptr) return false;
        typeInto(decimal, QStringLiteral("0.5"));
        button("Hex - Float Converter", IDC_HEXFLOAT_TO_HEX)->click();
        return true;
    });
    user.Then("read the hex and close with Enter", [&] {
        QLineEdit* hex = edit("Hex - Float Converter", IDC_HEXFLOAT_HEX);
        if (hex == nullptr || hex->text() != QStringLiteral("3f000000")) return false;
        PressKey(*InnermostDialog(Presenter(), "Hex - Float Converter"), Qt::Key_Return);
        return true;
    });
    user.Then("choose Tools > Reflexive Calculator", [&] {
        return main() && ChooseMenu(*main(), {"&Tools", "&Reflexive Calculator"});
    });
    user.Then("convert an offset", [&] {
        QLineEdit* offset = edit("Reflexive Calculator", IDC_REFLEXIVE_OFFSET);
        if (offset == nullptr) return false;
        EXPECT_EQ(edit("Reflexive Calculator", IDC_REFLEXIVE_MAGIC)->text(), QStringLiteral("40000000"));
        typeInto(offset, QStringLiteral("1234"));
        button("Reflexive Calculator", IDC_REFLEXIVE_TO_REFLEXIVE)->click();
        return true;
    });
    user.Then("read the reflexive and close with Esc", [&] {
        QLineEdit* reflexive = edit("Reflexive Calculator", IDC_REFLEXIVE_REFLEXIVE);
        if (reflexive == nullptr || reflexive->text() != QStringLiteral("34120040")) return false;
        PressKey(*InnermostDialog(Presenter(), "Reflexive Calculator"), Qt::Key_Escape);
        return true;
    });
    user.Then("close the main window", [&] {
        if (main() == nullptr) return false;
        PressKey(*main(), Qt::Key_Escape);
        return true;
    });
    user.Start();
    AfxWinMain(theApp);
    EXPECT_TRUE(user.Finished()) << user.Failure();
}

} // namespace
} // namespace travik::test
