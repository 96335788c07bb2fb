// What a desktop user meets in the editor's windows: dialogs that close
// from the title bar as with Esc, wrapped captions that show their
// mnemonic, trees wide enough for tag names, a main tree that keeps the
// user's place across a reload, and dialogs that open where typing goes.
#include "app/App.h"
#include "app/DialogSeams.h"
#include "map/MapState.h"
#include "platform/qt/TreeModel.h"
#include "res/ResourceIds.h"
#include "tests/qt/QtTestSupport.h"
#include "tests/support/MapBuilder.h"

#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>

namespace travik::test {
namespace {

using qtpresenter::DialogWindow;

int g_tagControlsRuns = 0;
int g_mapInfoRuns = 0;

class DesktopWindowTest : public QtPresenterTest {
protected:
    void SetUp() override
    {
        QtPresenterTest::SetUp();
        m_hooks = MainWindowFeatureDialogs();
        g_tagControlsRuns = 0;
        g_mapInfoRuns = 0;
    }
    void TearDown() override
    {
        MainWindowFeatureDialogs() = m_hooks;
        g_LogFile.Close();
        g_MapFile.Close();
        g_InputMapFile.Close();
        QtPresenterTest::TearDown();
    }

    DialogWindow* Window(const char* caption) { return InnermostDialog(Presenter(), caption); }
    DialogWindow* Main() { return Window("Project Travik"); }

    void OpenMap(UserScript& user, const QString& path)
    {
        user.Then("choose File > Open Mapfile", [this] { return Main() && ChooseMenu(*Main(), {"&File", "&Open Mapfile"}); });
        user.Then("answer the file chooser", [path] {
            auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            auto* name = chooser ? chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")) : nullptr;
            if (name == nullptr) return false;
            name->setFocus();
            name->setText(path);
            PressKey(*chooser, Qt::Key_Return);
            return true;
        });
    }

    void RunProgram(UserScript& user)
    {
        user.Start();
        AfxWinMain(theApp);
        EXPECT_TRUE(user.Finished()) << user.Failure();
    }

private:
    FeatureDialogs m_hooks;
};

// The longest run along a row of pixels that are dark in one picture and
// not in the other: a line drawn under a letter.
int LongestLineOnlyIn(const QImage& with, const QImage& without)
{
    auto dark = [](QRgb pixel) { return qGray(pixel) < 128; };
    int longest = 0;
    for (int y = 0; y < std::min(with.height(), without.height()); ++y) {
        int run = 0;
        for (int x = 0; x < std::min(with.width(), without.width()); ++x) {
            run = dark(with.pixel(x, y)) && !dark(without.pixel(x, y)) ? run + 1 : 0;
            longest = std::max(longest, run);
        }
    }
    return longest;
}

TEST_F(DesktopWindowTest, AToolDialogShowsItsWrappedMnemonicsOpensOnItsFieldAndClosesFromTheTitleBar)
{
    UserScript user;
    user.Then("choose Tools > Reflexive Calculator",
              [&] { return Main() && ChooseMenu(*Main(), {"&Tools", "&Reflexive Calculator"}); });
    user.Then("look at the dialog", [&] {
        DialogWindow* window = Window("Reflexive Calculator");
        if (window == nullptr) return false;
        QCoreApplication::processEvents();
        // Typing goes into the first field.
        EXPECT_EQ(window->focusWidget(), window->ControlWidget(IDC_REFLEXIVE_OFFSET));
        EXPECT_TRUE(window->windowFlags() & Qt::WindowCloseButtonHint);
        EXPECT_FALSE(window->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));

        for (int id : {IDC_REFLEXIVE_TO_OFFSET, IDC_REFLEXIVE_TO_REFLEXIVE}) {
            auto* caption = window->ControlWidget(id)->findChild<QLabel*>();
            EXPECT_NE(caption, nullptr);
            if (caption == nullptr) continue;
            const QString marked = caption->property("travikMnemonicText").toString();
            EXPECT_TRUE(marked == QStringLiteral("&Reflexive to Offset") || marked == QStringLiteral("&Offset to Reflexive"))
                << marked.toStdString();
            // Drawn with a line under its letter that the caption without
            // a mnemonic does not have.
            const QImage underlined = caption->grab().toImage();
            caption->setProperty("travikMnemonicText", caption->text());
            const QImage plain = caption->grab().toImage();
            caption->setProperty("travikMnemonicText", marked);
            EXPECT_GE(LongestLineOnlyIn(underlined, plain), 4) << marked.toStdString();
            EXPECT_EQ(LongestLineOnlyIn(plain, plain), 0);
        }
        // The window manager's close request (close box, Alt+F4).
        window->close();
        return true;
    });
    user.Then("find it closed and close the main window", [&] {
        if (Main() == nullptr) return false;
        PressKey(*Main(), Qt::Key_Escape);
        return true;
    });
    RunProgram(user);
}

TEST_F(DesktopWindowTest, DirectInjectionShowsTagNamesWholeWithoutOverlapsAndOpensOnItsTree)
{
    const std::vector<std::string> names = {
        "characters\\floodcombat elite\\floodcombat elite",
        "weapons\\assault rifle\\assault rifle",
        "vehicles\\c gun turret\\c gun turret",
        "scenery\\c_storage\\c_storage",
    };
    MapBuilder map = MapBuilder::Xbox();
    map.AddTag("bipd", names[0]).MetaSize(32);
    map.AddTag("weap", names[1]).MetaSize(32);
    map.AddTag("vehi", names[2]).MetaSize(32);
    map.AddTag("scen", names[3]).MetaSize(32);
    map.Write(PathOf("open.map"));
    map.Write(PathOf("second.map"));

    UserScript user;
    OpenMap(user, QStringLiteral("open.map"));
    user.Then("choose Tools > Direct Inject", [&] {
        return Main() && g_MapFile.IsOpen() && ChooseMenu(*Main(), {"&Tools", "&Direct Inject"});
    });
    user.Then("see the focus on the first tree and press Open Map", [&] {
        DialogWindow* window = Window("Direct Injection");
        if (window == nullptr) return false;
        QCoreApplication::processEvents();
        EXPECT_EQ(window->focusWidget(), window->ControlWidget(IDC_INJECT_INTO_TREE)); // not on Close
        dynamic_cast<QPushButton*>(window->ControlWidget(IDC_OPEN_MAP))->click();
        return true;
    });
    user.Then("answer the file chooser", [] {
        auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        auto* name = chooser ? chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")) : nullptr;
        if (name == nullptr) return false;
        name->setFocus();
        name->setText(QStringLiteral("second.map"));
        PressKey(*chooser, Qt::Key_Return);
        return true;
    });
    user.Then("read every tag name in both trees", [&] {
        DialogWindow* window = Window("Direct Injection");
        if (window == nullptr || !g_InputMapFile.IsOpen()) return false;
        QCoreApplication::processEvents();
        for (int id : {IDC_INJECT_INTO_TREE, IDC_GET_FROM_TREE}) {
            auto* tree = dynamic_cast<QTreeView*>(window->ControlWidget(id));
            auto* items = tree ? dynamic_cast<qtpresenter::TreeModel*>(tree->model()) : nullptr;
            if (items == nullptr || items->rowCount() == 0) return false;
            tree->expandAll();
            for (int tag = 0; tag < 4; ++tag) {
                HTREEITEM item = id == IDC_INJECT_INTO_TREE ? g_Tags[tag].m_hItem2 : g_InputTags[tag].m_hItem2;
                QModelIndex index = items->IndexOf(item);
                EXPECT_EQ(index.data().toString().toStdString(), names[static_cast<size_t>(tag)]);
                tree->scrollTo(index);
                const QRect place = tree->visualRect(index);
                const int textRight = place.left() + tree->fontMetrics().horizontalAdvance(index.data().toString());
                EXPECT_LE(textRight, tree->viewport()->width()) << names[static_cast<size_t>(tag)];
            }
        }
        // Nothing but a group box stands on another control.
        const QList<QWidget*> controls = window->Client()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        for (QWidget* a : controls)
            for (QWidget* b : controls) {
                if (a == b || qobject_cast<QGroupBox*>(a) || qobject_cast<QGroupBox*>(b)) continue;
                EXPECT_FALSE(a->geometry().intersects(b->geometry()))
                    << a->objectName().toStdString() << " / " << b->objectName().toStdString();
            }
        for (QWidget* control : controls)
            EXPECT_TRUE(window->Client()->rect().contains(control->geometry())) << control->objectName().toStdString();
        window->close();
        return true;
    });
    user.Then("close the main window", [&] {
        if (Main() == nullptr) return false;
        PressKey(*Main(), Qt::Key_Escape);
        return true;
    });
    RunProgram(user);
}

// A Tag Controls or Map Info run that changed the map: the main window reloads its tree.
void ChangedTag(int32_t)
{
    ++g_tagControlsRuns;
    g_bTagChanged = true;
}
void ChangedMap()
{
    ++g_mapInfoRuns;
    g_bMapChanged = true;
}

TEST_F(DesktopWindowTest, TheMainTreeKeepsTheUsersPlaceAcrossAReload)
{
    MainWindowFeatureDialogs().runTagControls = &ChangedTag;
    MainWindowFeatureDialogs().runMapInfo = &ChangedMap;
    constexpr int kWeapons = 150;
    MapBuilder map = MapBuilder::Xbox();
    map.AddTag("bitm", "levels\\test\\sign").MetaSize(16);
    for (int i = 0; i < kWeapons; ++i) map.AddTag("weap", "weapons\\rifle " + std::to_string(i)).MetaSize(16);
    map.AddTag("vehi", "vehicles\\warthog\\warthog", "unit", "obje").MetaSize(16);
    map.Write(PathOf("test.map"));
    const int workedOn = 1 + 120;

    QTreeView* tree = nullptr;
    qtpresenter::TreeModel* items = nullptr;
    auto find = [&](HTREEITEM item) { return items->IndexOf(item); };
    auto lookAtTree = [&] {
        tree = Main() ? dynamic_cast<QTreeView*>(Main()->ControlWidget(IDC_TAG_TREE)) : nullptr;
        items = tree ? dynamic_cast<qtpresenter::TreeModel*>(tree->model()) : nullptr;
        return items != nullptr && items->rowCount() > 0;
    };
    // The weapons of set 1 and the vehicles of set 2 open, the worked-on tag
    // in view and nothing selected.
    auto checkPlace = [&](const char* after) {
        QCoreApplication::processEvents();
        QModelIndex tag = find(g_Tags[workedOn].m_hItem1);
        QModelIndex vehicle = find(g_Tags[kWeapons + 1].m_hItem2);
        EXPECT_TRUE(tree->isExpanded(tag.parent())) << after;
        EXPECT_TRUE(tree->isExpanded(tag.parent().parent())) << after;
        EXPECT_TRUE(tree->isExpanded(vehicle.parent())) << after;
        EXPECT_FALSE(tree->isExpanded(find(g_Tags[0].m_hItem1).parent())) << after; // bitm was never opened
        EXPECT_TRUE(tree->viewport()->rect().contains(tree->visualRect(tag))) << after;
        EXPECT_FALSE(tree->selectionModel()->hasSelection()) << after;
        EXPECT_EQ(tree->selectionModel()->currentIndex(), tag) << after;
    };

    UserScript user;
    OpenMap(user, QStringLiteral("test.map"));
    user.Then("open two class nodes and click a tag far down", [&] {
        if (!g_MapFile.IsOpen() || !lookAtTree()) return false;
        QModelIndex vehicle = find(g_Tags[kWeapons + 1].m_hItem2);
        tree->expand(vehicle.parent().parent());
        tree->expand(vehicle.parent());
        QModelIndex tag = find(g_Tags[workedOn].m_hItem1);
        tree->expand(tag.parent().parent());
        tree->expand(tag.parent());
        return ClickItem(*tree, tag);
    });
    user.Then("find the place kept after Tag Controls saved", [&] {
        if (g_tagControlsRuns != 1 || g_bTagChanged || !lookAtTree()) return false;
        checkPlace("Tag Controls");
        return ChooseMenu(*Main(), {"&Tools", "Map &Info"});
    });
    user.Then("find the place kept after Map Info saved", [&] {
        if (g_mapInfoRuns != 1 || g_bMapChanged || !lookAtTree()) return false;
        checkPlace("Map Info");
        EXPECT_EQ(g_tagControlsRuns, 1); // the kept place opened nothing
        PressKey(*Main(), Qt::Key_Escape);
        return true;
    });
    RunProgram(user);
}

} // namespace
} // namespace travik::test
