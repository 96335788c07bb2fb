// The Tag Controls dialog in real windows, reached the way a user reaches
// it: the main window opens a map, a tag of "Tag Class Set 1" is clicked,
// and the dialog edits, saves, scans and updates an item. The map file is
// checked byte by byte afterwards.
#include "app/App.h"
#include "map/MapState.h"
#include "platform/qt/TreeModel.h"
#include "res/ResourceIds.h"
#include "tests/qt/QtTestSupport.h"
#include "tests/support/MapBuilder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>

#include <filesystem>

namespace travik::test {
namespace {

using qtpresenter::DialogWindow;

template <class W>
W* WidgetOf(DialogWindow* window, int id)
{
    return window ? dynamic_cast<W*>(window->ControlWidget(id)) : nullptr;
}

class TagControlsWindowTest : public QtPresenterTest {
protected:
    void TearDown() override
    {
        g_LogFile.Close();
        g_MapFile.Close();
        QtPresenterTest::TearDown();
    }

    DialogWindow* Main() { return InnermostDialog(Presenter(), "Project Travik"); }
    DialogWindow* Tags() { return InnermostDialog(Presenter(), "Tag Controls"); }

    // Tag 2's block holds a reference to tag 1 at 0x20 (identifier at 0x2C).
    MapLayout WriteMap()
    {
        MapBuilder map = MapBuilder::Xbox();
        map.AddTag("bitm", "weapons\\pistol\\bitmaps\\pistol").MetaSize(64);
        map.AddTag("bitm", "weapons\\pistol\\bitmaps\\scope").MetaSize(64);
        map.AddTag("weap", "weapons\\pistol\\pistol", "item", "obje").MetaSize(256).TagRef(0x20, "bitm", 1);
        map.AddTag("scnr", "levels\\test\\test").MetaSize(64);
        return map.Write(PathOf("test.map"));
    }

    static void Click(DialogWindow* window, int id) { WidgetOf<QAbstractButton>(window, id)->click(); }
};

TEST_F(TagControlsWindowTest, EditSaveScanAndUpdateAnItemThroughTheMainWindow)
{
    const MapLayout layout = WriteMap();
    std::string expected = ReadFileBytes(PathOf("test.map"));
    const uint32_t entry = layout.entryOffsets[2];
    const uint32_t block = layout.metaOffsets[2];
    std::string afterSave;

    UserScript user;
    user.Then("open the map from the menu", [&] {
        DialogWindow* main = Main();
        return main != nullptr && ChooseMenu(*main, {"&File", "&Open Mapfile"});
    });
    user.Then("answer the file chooser", [&] {
        auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        auto* name = chooser ? chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")) : nullptr;
        if (name == nullptr) return false;
        name->setFocus();
        name->setText(QStringLiteral("test.map"));
        PressKey(*chooser, Qt::Key_Return);
        return true;
    });
    user.Then("click the weapon in the first class set", [&] {
        auto* tree = WidgetOf<QTreeView>(Main(), IDC_TAG_TREE);
        if (tree == nullptr || !g_MapFile.IsOpen() || g_Tags[2].m_hItem1 == nullptr) return false;
        auto* items = dynamic_cast<qtpresenter::TreeModel*>(tree->model());
        QModelIndex tag = items->IndexOf(g_Tags[2].m_hItem1);
        if (!tag.isValid()) return false;
        tree->expand(tag.parent().parent());
        tree->expand(tag.parent());
        return ClickItem(*tree, tag);
    });
    user.Then("see the tag and how the controls behave", [&] {
        DialogWindow* window = Tags();
        if (window == nullptr) return false;
        QCoreApplication::processEvents();
        EXPECT_EQ(WidgetOf<QLineEdit>(window, IDC_TAG_NAME)->text(), QStringLiteral("weapons\\pistol\\pistol"));
        EXPECT_TRUE(WidgetOf<QLineEdit>(window, IDC_PAGE_OFFSET)->isReadOnly());
        auto* type1 = WidgetOf<QComboBox>(window, IDC_TYPE1);
        EXPECT_TRUE(type1->isEditable());
        EXPECT_EQ(type1->count(), 80);
        EXPECT_EQ(type1->itemText(0), QStringLiteral("actr"));
        EXPECT_EQ(type1->currentText(), QStringLiteral("weap"));
        EXPECT_FALSE(WidgetOf<QCheckBox>(window, IDC_RECURSIVE)->isEnabled());
        // Digits only: the letter is dropped.
        auto* precision = WidgetOf<QLineEdit>(window, IDC_FLOAT_PRECISION);
        precision->setFocus();
        precision->end(false);
        TypeText(*precision, QStringLiteral("a"));
        EXPECT_EQ(precision->text(), QStringLiteral("0.01"));
        // A new identifier, then Save Changes.
        auto* identifier = WidgetOf<QLineEdit>(window, IDC_IDENTIFIER);
        identifier->setFocus();
        identifier->selectAll();
        TypeText(*identifier, QStringLiteral("e1a20005"));
        Click(window, IDC_SAVE_CHANGES);
        return true;
    });
    user.Then("scan the metadata", [&] {
        if (!g_bTagChanged) return false;
        afterSave = ReadFileBytes(PathOf("test.map"));
        Click(Tags(), IDC_SCAN_METADATA);
        return true;
    });
    user.Then("select the Dependency and choose another tag", [&] {
        DialogWindow* window = Tags();
        auto* tree = WidgetOf<QTreeView>(window, IDC_SCANNER_TREE);
        if (tree == nullptr) return false;
        QCoreApplication::processEvents();
        QAbstractItemModel* model = tree->model();
        if (model->rowCount() != 6) return false;
        QModelIndex dependencies = model->index(0, 0);
        EXPECT_EQ(dependencies.data().toString(), QStringLiteral("Dependencies"));
        // The scan shows what it found: roots with items open, empty ones stay shut.
        for (int root = 0; root < model->rowCount(); ++root) {
            QModelIndex index = model->index(root, 0);
            EXPECT_EQ(tree->isExpanded(index), model->rowCount(index) > 0) << index.data().toString().toStdString();
        }
        EXPECT_TRUE(tree->isExpanded(dependencies));
        QModelIndex item = model->index(0, 0, dependencies);
        EXPECT_EQ(item.data().toString(), QStringLiteral("0x0000002c -- bitm -- weapons\\pistol\\bitmaps\\scope"));
        return ClickItem(*tree, item);
    });
    user.Then("pick the first tag and press Update Item", [&] {
        DialogWindow* window = Tags();
        auto* tags = WidgetOf<QComboBox>(window, IDC_SCAN_TAG);
        if (tags == nullptr || tags->count() == 0) return false;
        QCoreApplication::processEvents();
        EXPECT_EQ(tags->count(), 4 + 1);
        EXPECT_EQ(tags->currentText(), QStringLiteral("bitm -- weapons\\pistol\\bitmaps\\scope"));
        EXPECT_EQ(WidgetOf<QComboBox>(window, IDC_SCAN_CLASS)->currentText(), QStringLiteral("bitm"));
        // The entry above, by the arrow key.
        tags->setFocus();
        PressKey(*tags, Qt::Key_Up);
        EXPECT_EQ(tags->currentText(), QStringLiteral("bitm -- weapons\\pistol\\bitmaps\\pistol"));
        Click(window, IDC_UPDATE_ITEM);
        return true;
    });
    user.Then("see the tree emptied and close both windows", [&] {
        DialogWindow* window = Tags();
        auto* tree = WidgetOf<QTreeView>(window, IDC_SCANNER_TREE);
        if (tree == nullptr) return false;
        QCoreApplication::processEvents();
        if (tree->model()->rowCount() != 0) return false;
        Click(window, IDCANCEL);
        return true;
    });
    user.Then("close the main window after its reload", [&] {
        DialogWindow* main = Main();
        if (main == nullptr || g_bTagChanged) return false;
        EXPECT_EQ(g_Tags[2].m_strIdentifier, "e1a20005");
        PressKey(*main, Qt::Key_Escape);
        return true;
    });
    user.Start();
    AfxWinMain(theApp);
    EXPECT_TRUE(user.Finished()) << user.Failure();

    expected.replace(entry + 0x0C, 4, std::string("\x05\x00\xA2\xE1", 4));
    EXPECT_TRUE(afterSave == expected);
    expected.replace(block + 0x2C, 4, Le32(layout.identifiers[0]));
    EXPECT_TRUE(ReadFileBytes(PathOf("test.map")) == expected);
}

} // namespace
} // namespace travik::test
