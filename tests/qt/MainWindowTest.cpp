// The editor's real main window under Qt: opening a map through the menu
// and the file chooser, the tree in the map's colour, a tag's selection,
// the message box, the About box and the end of the program.
#include "app/App.h"
#include "app/DialogSeams.h"
#include "map/MapState.h"
#include "platform/qt/TreeModel.h"
#include "res/ResourceIds.h"
#include "tests/qt/QtTestSupport.h"
#include "tests/support/MapBuilder.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QTextEdit>
#include <QTreeView>

#include <cstdlib>
#include <filesystem>

namespace travik::test {
namespace {

using qtpresenter::DialogWindow;

int32_t g_tagOpened = -1;
int g_tagControlsRuns = 0;

void RecordTagControls(int32_t tagIndex)
{
    g_tagOpened = tagIndex;
    ++g_tagControlsRuns;
}

class MainWindowTest : public QtPresenterTest {
protected:
    void SetUp() override
    {
        QtPresenterTest::SetUp();
        m_hooks = MainWindowFeatureDialogs();
        MainWindowFeatureDialogs().runTagControls = &RecordTagControls;
        g_tagOpened = -1;
        g_tagControlsRuns = 0;
    }
    void TearDown() override
    {
        MainWindowFeatureDialogs() = m_hooks;
        g_LogFile.Close();
        g_MapFile.Close();
        QtPresenterTest::TearDown();
    }

    // The program as it starts: the application runs the main window.
    void RunProgram(UserScript& user)
    {
        user.Start();
        AfxWinMain(theApp);
        EXPECT_TRUE(user.Finished()) << user.Failure();
    }

    DialogWindow* Main() { return InnermostDialog(Presenter(), "Project Travik"); }

    QTreeView* Tree()
    {
        std::vector<DialogWindow*> windows = Presenter().OpenWindows();
        return windows.empty() ? nullptr : dynamic_cast<QTreeView*>(windows.front()->ControlWidget(IDC_TAG_TREE));
    }

private:
    FeatureDialogs m_hooks;
};

MapBuilder SyntheticMap()
{
    MapBuilder map = MapBuilder::Xbox();
    map.MapName("bloodgulch");
    const std::string none = "\xFF\xFF\xFF\xFF"; // no second or third class: "Nulled Out"
    map.AddTag("bitm", "levels\\test\\caf\xE9 sign", none, none).MetaSize(64);
    map.AddTag("weap", "weapons\\assault rifle\\assault rifle", "item", "obje").MetaSize(96);
    map.AddTag("vehi", "vehicles\\warthog\\warthog", "unit", "obje").MetaSize(96);
    return map;
}

// Opens File > Open Mapfile and answers the chooser with a path.
void OpenMapThroughTheMenu(UserScript& user, std::function<DialogWindow*()> main, QString path)
{
    user.Then("choose File > Open Mapfile", [main] {
        DialogWindow* window = main();
        return window != nullptr && ChooseMenu(*window, {"&File", "&Open Mapfile"});
    });
    user.Then("answer the file chooser", [path] {
        auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (chooser == nullptr) return false;
        auto* name = chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (name == nullptr) return false;
        // Pasted, so that the chooser's completion list stays shut.
        name->setFocus();
        name->setText(path);
        PressKey(*chooser, Qt::Key_Return);
        return true;
    });
}

TEST_F(MainWindowTest, OpensAMapFromTheMenuAndReachesATagFromItsTree)
{
    std::filesystem::create_directory(PathOf("maps"));
    SyntheticMap().Write(PathOf("maps") / "test.map");
    UserScript user;
    OpenMapThroughTheMenu(user, [this] { return Main(); }, QStringLiteral("maps/test.map"));
    user.Then("see the three class sets in the map's colour", [&] {
        QTreeView* tree = Tree();
        if (tree == nullptr || tree->model()->rowCount() != 3) return false;
        QAbstractItemModel* model = tree->model();
        for (int set = 0; set < 3; ++set) {
            QModelIndex root = model->index(set, 0);
            EXPECT_EQ(root.data().toString(), QStringLiteral("Tag Class Set %1").arg(set + 1));
            EXPECT_EQ(model->rowCount(root), 80);
        }
        EXPECT_EQ(tree->palette().color(QPalette::Base), QColor(255, 128, 64)); // Blood Gulch
        auto* items = dynamic_cast<qtpresenter::TreeModel*>(model);
        QModelIndex tag = items->IndexOf(g_Tags[2].m_hItem1);
        EXPECT_EQ(tag.data().toString(), QStringLiteral("vehicles\\warthog\\warthog"));
        tree->expand(tag.parent().parent());
        tree->expand(tag.parent());
        EXPECT_TRUE(ClickItem(*tree, tag));
        return true;
    });
    user.Then("see the tag reach the selection handler", [&] {
        if (g_tagControlsRuns == 0) return false;
        EXPECT_EQ(g_tagOpened, 2);
        // A tag's name is shown byte for byte.
        QTreeView* tree = Tree();
        auto* items = dynamic_cast<qtpresenter::TreeModel*>(tree->model());
        EXPECT_EQ(items->IndexOf(g_Tags[0].m_hItem1).data().toString(), QString::fromLatin1("levels\\test\\caf\xE9 sign"));
        // A set-2 tag opens nothing.
        QModelIndex other = items->IndexOf(g_Tags[0].m_hItem2);
        tree->expand(other.parent().parent());
        tree->expand(other.parent());
        EXPECT_TRUE(ClickItem(*tree, other));
        return true;
    });
    user.Then("close the window with Esc", [&] {
        QCoreApplication::processEvents();
        if (Tree()->selectionModel()->currentIndex().data().toString() != QString::fromLatin1("levels\\test\\caf\xE9 sign"))
            return false;
        EXPECT_EQ(g_tagControlsRuns, 1);
        PressKey(*Main(), Qt::Key_Escape);
        return true;
    });
    RunProgram(user);
    EXPECT_EQ(g_strMapFileName, "test.map");
    EXPECT_EQ(std::filesystem::current_path(), std::filesystem::canonical(PathOf("maps")));
    std::string log = ReadFileBytes(PathOf("Log.txt"));
    EXPECT_NE(log.find("test.map"), std::string::npos) << log;
}

TEST_F(MainWindowTest, TheMessageBoxAndTheAboutBoxOpenAndCloseWithEnterAndEsc)
{
    UserScript user;
    for (int key : {Qt::Key_Return, Qt::Key_Escape}) {
        user.Then("choose Tools > Direct Inject", [&] { return Main() && ChooseMenu(*Main(), {"&Tools", "&Direct Inject"}); });
        user.Then("read the message and close it", [&, key] {
            DialogWindow* box = InnermostDialog(Presenter(), "Message");
            if (box == nullptr) return false;
            auto* text = dynamic_cast<QTextEdit*>(box->ControlWidget(IDC_MESSAGE));
            EXPECT_EQ(text->toPlainText(), QStringLiteral("You must open a map before using Direct Inject."));
            EXPECT_TRUE(text->isReadOnly());
            EXPECT_EQ(box->focusWidget(), box->ControlWidget(IDCANCEL)); // its only button, not the text
            PressKey(*box, key);
            return true;
        });
    }
    user.Then("choose About", [&] { return Main() && ChooseMenu(*Main(), {"&About"}); });
    user.Then("close the About box with Enter", [&] {
        DialogWindow* about = InnermostDialog(Presenter(), "About Project Travik");
        if (about == nullptr) return false;
        // A dialog takes the window manager's close request, system menu or not.
        EXPECT_TRUE(about->windowFlags() & Qt::WindowCloseButtonHint);
        PressKey(*about, Qt::Key_Return);
        return true;
    });
    user.Then("open the system menu", [&] {
        if (Main() == nullptr) return false;
        QMenu* menu = Main()->PopUpSystemMenu();
        EXPECT_NE(menu, nullptr);
        QAction* about = menu ? menu->actions().back() : nullptr;
        EXPECT_EQ(about ? about->text() : QString(), QStringLiteral("&About Project Travik..."));
        if (about) about->trigger();
        if (menu) menu->close();
        return true;
    });
    user.Then("close the About box with Esc", [&] {
        DialogWindow* about = InnermostDialog(Presenter(), "About Project Travik");
        if (about == nullptr) return false;
        PressKey(*about, Qt::Key_Escape);
        return true;
    });
    user.Then("close the main window with Enter", [&] {
        if (Main() == nullptr) return false;
        PressKey(*Main(), Qt::Key_Return);
        return true;
    });
    RunProgram(user);
    EXPECT_EQ(g_tagControlsRuns, 0);
}

TEST_F(MainWindowTest, ExitEndsTheProgramFromInsideItsWindowsWithStatusZero)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    SyntheticMap().Write(PathOf("test.map"));
    EXPECT_EXIT(
        {
            UserScript user;
            OpenMapThroughTheMenu(user, [this] { return Main(); }, QStringLiteral("test.map"));
            user.Then("choose File > Exit", [&] {
                if (Tree() == nullptr || Tree()->model()->rowCount() != 3) return false;
                return ChooseMenu(*Main(), {"&File", "E&xit"});
            });
            user.Start();
            AfxWinMain(theApp);
            std::fprintf(stderr, "the main window closed instead: %s\n", user.Failure().c_str());
            std::_Exit(3);
        },
        ::testing::ExitedWithCode(0), "");
}

} // namespace
} // namespace travik::test
