// Direct Injection through the real windows: the main window opens a map,
// Tools > Direct Inject opens the dialog, Open Map answers the file
// chooser, a tag is clicked in each tree, Inject writes the open map and
// the message box says so.
#include "app/App.h"
#include "map/MapState.h"
#include "platform/qt/TreeModel.h"
#include "res/ResourceIds.h"
#include "tests/qt/ProbeDialog.h"
#include "tests/qt/QtTestSupport.h"
#include "tests/support/MapBuilder.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QTextEdit>
#include <QTest>
#include <QTreeView>

#include <filesystem>

namespace travik::test {
namespace {

using qtpresenter::DialogWindow;

class DirectInjectWindowTest : public QtPresenterTest {
protected:
    void TearDown() override
    {
        g_LogFile.Close();
        g_MapFile.Close();
        g_InputMapFile.Close();
        QtPresenterTest::TearDown();
    }

    DialogWindow* Window(const char* caption) { return InnermostDialog(Presenter(), caption); }
};

void AnswerChooser(UserScript& user, const QString& path)
{
    user.Then("answer the file chooser with " + path.toStdString(), [path] {
        auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        auto* name = chooser ? chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")) : nullptr;
        if (name == nullptr) return false;
        name->setFocus();
        name->setText(path);
        PressKey(*chooser, Qt::Key_Return);
        return true;
    });
}

// Clicks a tag's item in one of the dialog's trees, its class node opened first.
bool ClickTag(DialogWindow& window, int treeId, HTREEITEM item)
{
    auto* tree = dynamic_cast<QTreeView*>(window.ControlWidget(treeId));
    auto* items = tree ? dynamic_cast<qtpresenter::TreeModel*>(tree->model()) : nullptr;
    if (items == nullptr || item == nullptr) return false;
    QModelIndex tag = items->IndexOf(item);
    if (!tag.isValid()) return false;
    tree->expand(tag.parent().parent());
    tree->expand(tag.parent());
    return ClickItem(*tree, tag);
}

TEST_F(DirectInjectWindowTest, InjectsThroughTheRealWindows)
{
    MapBuilder open = MapBuilder::Xbox();
    open.AddTag("bitm", "shared\\bitmap").MetaSize(32);
    open.AddTag("weap", "target").Meta(std::string(64, '\x55'));
    open.AddTag("obje", "end");
    const MapLayout openLayout = open.Write(PathOf("open.map"));
    MapBuilder second = MapBuilder::Pc();
    second.AddTag("weap", "source").MetaSize(48).TagRef(0x10, "bitm", 1);
    second.AddTag("bitm", "shared\\bitmap").MetaSize(16);
    second.AddTag("obje", "end");
    const MapLayout secondLayout = second.Write(PathOf("second.map"));

    UserScript user;
    user.Then("choose File > Open Mapfile", [&] {
        DialogWindow* main = Window("Project Travik");
        return main != nullptr && ChooseMenu(*main, {"&File", "&Open Mapfile"});
    });
    AnswerChooser(user, QStringLiteral("open.map"));
    user.Then("choose Tools > Direct Inject", [&] {
        DialogWindow* main = Window("Project Travik");
        return main != nullptr && g_MapFile.IsOpen() && ChooseMenu(*main, {"&Tools", "&Direct Inject"});
    });
    user.Then("press Open Map", [&] {
        DialogWindow* dialog = Window("Direct Injection");
        if (dialog == nullptr) return false;
        auto* text = dynamic_cast<QTextEdit*>(dialog->ControlWidget(IDC_INJECT_STATUS));
        EXPECT_EQ(text ? text->toPlainText() : QString(), QStringLiteral("Load 2nd map."));
        EXPECT_FALSE(dialog->ControlWidget(IDC_UPDATE_TAG_INFO)->isEnabled());
        dynamic_cast<QAbstractButton*>(dialog->ControlWidget(IDC_OPEN_MAP))->click();
        return true;
    });
    AnswerChooser(user, QStringLiteral("second.map"));
    user.Then("click the target in Inject Into", [&] {
        DialogWindow* dialog = Window("Direct Injection");
        return dialog != nullptr && g_InputMapFile.IsOpen() &&
               ClickTag(*dialog, IDC_INJECT_INTO_TREE, g_Tags[1].m_hItem2);
    });
    user.Then("click the source in Get From", [&] {
        DialogWindow* dialog = Window("Direct Injection");
        return dialog != nullptr && ClickTag(*dialog, IDC_GET_FROM_TREE, g_InputTags[0].m_hItem2);
    });
    user.Then("see both sizes and the list, then press Inject", [&] {
        DialogWindow* dialog = Window("Direct Injection");
        if (dialog == nullptr) return false;
        auto* list = dynamic_cast<QListWidget*>(dialog->ControlWidget(IDC_DEPENDENCY_LIST));
        auto* newSize = dynamic_cast<QLineEdit*>(dialog->ControlWidget(IDC_NEW_TAG_SIZE));
        auto* oldSize = dynamic_cast<QLineEdit*>(dialog->ControlWidget(IDC_OLD_TAG_SIZE));
        if (list == nullptr || list->count() != 1 || newSize->text() != QStringLiteral("48")) return false;
        EXPECT_EQ(oldSize->text(), QStringLiteral("64"));
        EXPECT_EQ(list->item(0)->text(), QStringLiteral("Dependency -- bitm -- shared\\bitmap"));
        EXPECT_EQ(list->viewMode(), QListView::ListMode);
        dynamic_cast<QAbstractButton*>(dialog->ControlWidget(IDC_INJECT))->click();
        return true;
    });
    user.Then("read the message and close it", [&] {
        DialogWindow* box = Window("Message");
        if (box == nullptr) return false;
        auto* text = dynamic_cast<QTextEdit*>(box->ControlWidget(IDC_MESSAGE));
        EXPECT_EQ(text->toPlainText(), QStringLiteral("Direct inject completed successfully."));
        PressKey(*box, Qt::Key_Escape);
        return true;
    });
    user.Then("close the dialog with Esc", [&] {
        DialogWindow* dialog = Window("Direct Injection");
        if (dialog == nullptr) return false;
        PressKey(*dialog, Qt::Key_Escape);
        return true;
    });
    user.Then("close the main window", [&] {
        DialogWindow* main = Window("Project Travik");
        if (main == nullptr) return false;
        PressKey(*main, Qt::Key_Escape);
        return true;
    });
    user.Start();
    AfxWinMain(theApp);
    EXPECT_TRUE(user.Finished()) << user.Failure();

    // The source's bytes over the target, its reference re-pointed, the rest kept.
    const std::string before = open.Build();
    std::string expected = before;
    std::string block = ReadFileBytes(PathOf("second.map")).substr(secondLayout.metaOffsets[0], 48);
    block.replace(0x1C, 4, Le32(openLayout.identifiers[0]));
    expected.replace(openLayout.metaOffsets[1], block.size(), block);
    EXPECT_TRUE(ReadFileBytes(PathOf("open.map")) == expected);
}

// A check box whose caption runs on several lines shows all of it in a
// wrapping label, greyed with the box when disabled; a click on the text
// toggles it like a click on the box.
TEST_F(DirectInjectWindowTest, ACheckBoxCaptionOnSeveralLinesWrapsAndTakesClicks)
{
    ProbeDialog dialog(ProbeTemplate({
        Control(kProbeCheck, ControlKind::CheckBox, ctl::AutoCheck | ctl::MultiLineText | ctl::TabStop,
                "Update Tag &Information", {10, 10, 52, 18}),
        Control(kProbeOther, ControlKind::CheckBox, ctl::AutoCheck | ctl::MultiLineText | ctl::Disabled,
                "Update Tag Information", {10, 40, 52, 18}),
    }));
    UserScript user;
    user.Then("look at the boxes and click the first one's text", [&] {
        DialogWindow* window = Window("Probe");
        if (window == nullptr) return false;
        auto* box = dynamic_cast<QCheckBox*>(window->ControlWidget(kProbeCheck));
        auto* label = box->findChild<QLabel*>();
        EXPECT_NE(label, nullptr);
        if (label == nullptr) return true;
        EXPECT_TRUE(label->wordWrap());
        EXPECT_EQ(label->text(), QStringLiteral("Update Tag Information"));
        EXPECT_TRUE(box->text().isEmpty());
        EXPECT_GT(label->heightForWidth(label->width()), label->fontMetrics().height()); // two lines
        auto* disabled = dynamic_cast<QCheckBox*>(window->ControlWidget(kProbeOther));
        EXPECT_FALSE(disabled->findChild<QLabel*>()->isEnabled());
        QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, label->geometry().center());
        return true;
    });
    user.Then("see the check taken", [&] {
        QCoreApplication::processEvents();
        if (dialog.Control<CButton>(kProbeCheck).GetCheck() != BST_CHECKED) return false;
        PressKey(*Window("Probe"), Qt::Key_Escape);
        return true;
    });
    user.Start();
    dialog.DoModal();
    EXPECT_TRUE(user.Finished()) << user.Failure();
}

} // namespace
} // namespace travik::test
