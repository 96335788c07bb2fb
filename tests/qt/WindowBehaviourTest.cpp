// Windows that behave as desktop windows do: trees drawn as their styles
// ask, title bars with only the template's boxes, mnemonics without Alt,
// the system menu at the pointer, a file chooser wide enough for its
// columns, and a top window that grows while dialogs keep their size.
#include "app/App.h"
#include "map/MapState.h"
#include "platform/qt/TemplateTreeView.h"
#include "res/ResourceIds.h"
#include "tests/qt/ProbeDialog.h"
#include "tests/qt/QtTestSupport.h"

#include <QCheckBox>
#include <QCursor>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

#include <filesystem>

namespace travik::test {
namespace {

using qtpresenter::DialogWindow;
using qtpresenter::TemplateTreeView;

class WindowBehaviourTest : public QtPresenterTest {
protected:
    INT_PTR Run(CDialog& dialog, UserScript& user)
    {
        user.Start();
        INT_PTR result = dialog.DoModal();
        EXPECT_TRUE(user.Finished()) << user.Failure();
        return result;
    }
    DialogWindow* Window(const char* caption) { return InnermostDialog(Presenter(), caption); }
};

constexpr int kPlainTree = 1010;

// Pixels of a row's branch area (left of its item) that differ from the background.
int MarksLeftOf(QTreeView& view, const QModelIndex& index)
{
    QImage image = view.viewport()->grab().toImage();
    QRect item = view.visualRect(index);
    QColor base = view.palette().color(QPalette::Base);
    int marks = 0;
    for (int y = item.top(); y <= item.bottom(); ++y)
        for (int x = 0; x < item.left(); ++x)
            if (QColor(image.pixel(x, y)) != base) ++marks;
    return marks;
}

// Pixels of an item's own rectangle that differ between two pictures.
int ChangedPixels(const QImage& before, const QImage& after, const QRect& rect)
{
    int changed = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (before.pixel(x, y) != after.pixel(x, y)) ++changed;
    return changed;
}

void MovePointer(QTreeView& view, const QPoint& at)
{
    QMouseEvent move(QEvent::MouseMove, QPointF(at), view.viewport()->mapToGlobal(QPointF(at)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &move);
}

TEST_F(WindowBehaviourTest, TreesDrawTheLinesButtonsAndHotTrackingTheirStylesAskFor)
{
    const uint64_t full = ctl::Border | ctl::TabStop | ctl::HasButtons | ctl::HasLines | ctl::LinesAtRoot | ctl::TrackSelect;
    ProbeDialog dialog(ProbeTemplate({
        Control(kProbeTree, ControlKind::TreeView, full, "", {7, 7, 110, 140}),
        Control(kPlainTree, ControlKind::TreeView, ctl::Border | ctl::TabStop | ctl::HasButtons | ctl::LinesAtRoot, "",
                {123, 7, 110, 140}),
    }));
    dialog.onInit = [](ProbeDialog& d) {
        for (int id : {kProbeTree, kPlainTree}) {
            auto& tree = d.Control<CTreeCtrl>(id);
            tree.SetBkColor(0);
            HTREEITEM parent = tree.InsertItem("parent");
            tree.InsertItem("child one", parent);
            tree.InsertItem("child two", parent);
            tree.InsertItem("leaf");
            tree.InsertItem("last leaf");
        }
    };
    UserScript user;
    user.Then("look at both trees", [&] {
        DialogWindow* window = Window("Probe");
        if (window == nullptr) return false;
        auto* lined = dynamic_cast<TemplateTreeView*>(window->ControlWidget(kProbeTree));
        auto* plain = dynamic_cast<TemplateTreeView*>(window->ControlWidget(kPlainTree));
        if (lined == nullptr || plain == nullptr || lined->model()->rowCount() != 3) return false;
        EXPECT_TRUE(lined->TreeStyle().lines && lined->TreeStyle().hotTracking && lined->rootIsDecorated());
        EXPECT_FALSE(plain->TreeStyle().lines || plain->TreeStyle().hotTracking);
        for (QTreeView* view : {static_cast<QTreeView*>(lined), static_cast<QTreeView*>(plain)})
            view->expand(view->model()->index(0, 0));

        // A leaf has lines to its neighbours only where the style asks for them.
        QModelIndex leaf = lined->model()->index(1, 0), plainLeaf = plain->model()->index(1, 0);
        EXPECT_GT(MarksLeftOf(*lined, leaf), 4);
        EXPECT_EQ(MarksLeftOf(*plain, plainLeaf), 0);
        // Children get lines in their parent's column too, and the last
        // child's line stops at its own row.
        QModelIndex child = lined->model()->index(0, 0, lined->model()->index(0, 0));
        EXPECT_GT(MarksLeftOf(*lined, child), MarksLeftOf(*lined, leaf));
        // The parent's button: a box with a minus while expanded.
        EXPECT_GT(MarksLeftOf(*lined, lined->model()->index(0, 0)), MarksLeftOf(*lined, leaf));

        // Hot tracking lights up the item under the pointer and lets it go
        // when the pointer leaves.
        QRect place = lined->visualRect(leaf);
        QImage before = lined->viewport()->grab().toImage();
        MovePointer(*lined, place.center());
        EXPECT_EQ(lined->HotIndex(), leaf);
        QImage hot = lined->viewport()->grab().toImage();
        EXPECT_GT(ChangedPixels(before, hot, place), place.width());
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(lined->viewport(), &leave);
        EXPECT_FALSE(lined->HotIndex().isValid());
        EXPECT_EQ(ChangedPixels(before, lined->viewport()->grab().toImage(), place), 0);
        // Without the style nothing is tracked.
        MovePointer(*plain, plain->visualRect(plainLeaf).center());
        EXPECT_FALSE(plain->HotIndex().isValid());
        PressKey(*window, Qt::Key_Escape);
        return true;
    });
    Run(dialog, user);
}

TEST_F(WindowBehaviourTest, TitleBarsOfferOnlyWhatTheTemplateHasAndOwnedWindowsDoNotMinimiseAlone)
{
    const uint32_t boxes = dlg::Caption | dlg::SystemMenu | dlg::MinimizeBox;
    ProbeDialog top(ProbeTemplate({Control(kProbeButton, ControlKind::PushButton, ctl::TabStop, "Open", {7, 7, 50, 14})},
                                  boxes));
    DialogTemplate nestedTemplate = ProbeTemplate({}, boxes);
    nestedTemplate.caption = "Nested";
    DialogTemplate bareTemplate = ProbeTemplate({}, dlg::Caption);
    bareTemplate.caption = "Bare";
    INT_PTR bareResult = 0;
    int bareCancels = 0;
    size_t bareSystemCommands = 0;
    top.onButton = [&](ProbeDialog&) {
        ProbeDialog nested(nestedTemplate);
        nested.DoModal();
        ProbeDialog bare(bareTemplate);
        bareResult = bare.DoModal();
        bareCancels = bare.commands[IDCANCEL];
        bareSystemCommands = bare.systemCommands.size();
    };
    UserScript user;
    user.Then("see the top window's boxes and open a dialog", [&] {
        DialogWindow* window = Window("Probe");
        if (window == nullptr) return false;
        Qt::WindowFlags flags = window->windowFlags();
        EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
        EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
        EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
        static_cast<QPushButton*>(window->ControlWidget(kProbeButton))->click();
        return true;
    });
    user.Then("see the owned dialog's boxes and minimise it", [&] {
        DialogWindow* nested = Window("Nested");
        if (nested == nullptr) return false;
        Qt::WindowFlags flags = nested->windowFlags();
        EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
        EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
        EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
        // Nor does its system menu offer to minimise it.
        QMenu* menu = nested->PopUpSystemMenu();
        QStringList texts;
        for (QAction* action : menu ? menu->actions() : QList<QAction*>())
            if (!action->isSeparator()) texts << action->text();
        EXPECT_EQ(texts, QStringList({"&Close\tAlt+F4"}));
        if (menu) menu->close();
        nested->showMinimized();
        return true;
    });
    user.Then("find it back on the screen over its owner", [&] {
        QCoreApplication::processEvents();
        DialogWindow* nested = Window("Nested");
        if (nested == nullptr || nested->isMinimized()) return false;
        EXPECT_FALSE(nested->Dialog().IsIconic());
        EXPECT_FALSE(Presenter().OpenWindows().front()->isMinimized());
        PressKey(*nested, Qt::Key_Escape);
        return true;
    });
    user.Then("see a dialog without a system menu and close it from the title bar", [&] {
        DialogWindow* bare = Window("Bare");
        if (bare == nullptr) return false;
        // Only a close box, transient for its owner: the window manager's
        // close request ends it as Esc does.
        Qt::WindowFlags flags = bare->windowFlags();
        EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Dialog);
        EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
        EXPECT_TRUE(flags & Qt::CustomizeWindowHint);
        EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
        EXPECT_EQ(bare->parentWidget(), Presenter().OpenWindows().front());
        bare->close();
        return true;
    });
    user.Then("close", [&] {
        if (Window("Probe") == nullptr) return false;
        PressKey(*Window("Probe"), Qt::Key_Escape);
        return true;
    });
    Run(top, user);
    EXPECT_EQ(bareResult, IDCANCEL);
    EXPECT_EQ(bareCancels, 1); // through its Cancel handler, as Esc
    EXPECT_EQ(bareSystemCommands, 0u);
}

TEST_F(WindowBehaviourTest, AMnemonicLetterWorksWithoutAltUnlessTheFocusTakesLetters)
{
    ProbeDialog dialog(ProbeTemplate({
        Control(kProbeButton, ControlKind::PushButton, ctl::TabStop, "&Load", {7, 7, 50, 14}),
        Control(kProbeCheck, ControlKind::CheckBox, ctl::TabStop | ctl::AutoCheck, "&Keep", {7, 25, 50, 10}),
        Label("&Name:", {7, 40, 30, 8}),
        Control(kProbeEdit, ControlKind::Edit, ctl::Border | ctl::TabStop | ctl::AutoHScroll, "", {40, 40, 80, 12}),
        Control(kProbeOther, ControlKind::PushButton, ctl::TabStop, "&Apply", {7, 60, 50, 14}),
        Control(IDOK, ControlKind::PushButton, ctl::TabStop, "&Add", {60, 60, 50, 14}),
        Control(kProbeTree, ControlKind::TreeView, ctl::Border | ctl::TabStop, "", {7, 80, 100, 60}),
    }));
    dialog.onInit = [](ProbeDialog& d) { d.Control<CTreeCtrl>(kProbeTree).InsertItem("leaf"); };
    UserScript user;
    auto press = [](char letter) {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus, letter);
    };
    user.Then("press l and k with the focus on a button", [&] {
        DialogWindow* window = Window("Probe");
        if (window == nullptr) return false;
        window->activateWindow();
        window->ControlWidget(kProbeButton)->setFocus();
        if (QApplication::focusWidget() != window->ControlWidget(kProbeButton)) return false;
        press('l');
        press('k');
        return true;
    });
    user.Then("see the button pressed and the box checked; press n", [&] {
        if (dialog.commands[kProbeCheck] == 0 || dialog.commands[kProbeButton] == 0) return false;
        EXPECT_EQ(dialog.commands[kProbeButton], 1);
        EXPECT_EQ(dialog.Control<CButton>(kProbeCheck).GetCheck(), BST_CHECKED);
        press('n');
        return true;
    });
    user.Then("see the focus in the edit, where letters are typed", [&] {
        DialogWindow* window = Window("Probe");
        if (QApplication::focusWidget() != window->ControlWidget(kProbeEdit)) return false;
        press('l');
        press('a');
        return true;
    });
    user.Then("see the letters typed and nothing pressed", [&] {
        QCoreApplication::processEvents();
        EXPECT_EQ(dialog.Control<CEdit>(kProbeEdit).WindowText(), "la");
        EXPECT_EQ(dialog.commands[kProbeButton], 1);
        EXPECT_EQ(dialog.commands[kProbeOther], 0);
        // A tree searches its items as the user types.
        DialogWindow* window = Window("Probe");
        window->ControlWidget(kProbeTree)->setFocus();
        press('l');
        return true;
    });
    user.Then("two buttons share a letter: the focus moves, nothing is pressed", [&] {
        QCoreApplication::processEvents();
        EXPECT_EQ(dialog.commands[kProbeButton], 1);
        DialogWindow* window = Window("Probe");
        window->ControlWidget(kProbeButton)->setFocus();
        press('a');
        EXPECT_EQ(QApplication::focusWidget(), window->ControlWidget(kProbeOther));
        press('a');
        EXPECT_EQ(QApplication::focusWidget(), window->ControlWidget(IDOK));
        press('a');
        EXPECT_EQ(QApplication::focusWidget(), window->ControlWidget(kProbeOther));
        return true;
    });
    user.Then("close", [&] {
        QCoreApplication::processEvents();
        EXPECT_EQ(dialog.commands[kProbeOther], 0);
        EXPECT_EQ(dialog.commands[IDOK], 0);
        PressKey(*Window("Probe"), Qt::Key_Escape);
        return true;
    });
    Run(dialog, user);
}

TEST_F(WindowBehaviourTest, TheSystemMenuOpensAtThePointerAndOffersNoMove)
{
    ProbeDialog dialog(ProbeTemplate({}, dlg::Caption | dlg::SystemMenu | dlg::MinimizeBox));
    UserScript user;
    user.Then("open the system menu with the pointer over the window", [&] {
        DialogWindow* window = Window("Probe");
        if (window == nullptr) return false;
        QPoint pointer = window->Client()->mapToGlobal(QPoint(60, 45));
        QCursor::setPos(pointer);
        if (QCursor::pos() != pointer) return false;
        QMenu* menu = window->PopUpSystemMenu();
        EXPECT_NE(menu, nullptr);
        if (menu == nullptr) return true;
        EXPECT_EQ(menu->pos(), pointer);
        QStringList texts;
        for (QAction* action : menu->actions())
            if (!action->isSeparator()) texts << action->text();
        EXPECT_EQ(texts, QStringList({"&Restore", "Mi&nimize", "&Close\tAlt+F4"}));
        menu->close();
        // A right click on the background opens it where the click was.
        QPoint click(120, 30);
        QContextMenuEvent context(QContextMenuEvent::Mouse, click, window->Client()->mapToGlobal(click));
        QApplication::sendEvent(window->Client(), &context);
        QMenu* second = nullptr;
        for (QMenu* each : window->findChildren<QMenu*>(QStringLiteral("systemMenu")))
            if (each->isVisible()) second = each;
        EXPECT_NE(second, nullptr);
        if (second) {
            EXPECT_EQ(second->pos(), window->Client()->mapToGlobal(click));
            second->close();
        }
        return true;
    });
    user.Then("close", [&] {
        QCoreApplication::processEvents();
        PressKey(*Window("Probe"), Qt::Key_Escape);
        return true;
    });
    Run(dialog, user);
}

TEST_F(WindowBehaviourTest, TheFileChooserShowsItsNameSizeTypeAndDateColumnsWhole)
{
    for (const char* name : {"a.map", "a rather long name of a map file that users keep.map"})
        WriteFileBytes(PathOf(name), std::string(1234567, 'm'));
    ProbeDialog dialog(ProbeTemplate({Control(kProbeButton, ControlKind::PushButton, ctl::TabStop, "File", {7, 7, 50, 14})}));
    dialog.onButton = [](ProbeDialog&) {
        CFileDialog chooser(TRUE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT);
        chooser.DoModal();
    };
    UserScript user;
    user.Then("open the chooser", [&] {
        if (Window("Probe") == nullptr) return false;
        static_cast<QPushButton*>(Window("Probe")->ControlWidget(kProbeButton))->click();
        return true;
    });
    int polls = 0;
    user.Then("see every column whole", [&] {
        auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (chooser == nullptr) return false;
        auto* list = chooser->findChild<QTreeView*>(QStringLiteral("treeView"));
        if (list == nullptr || list->model()->rowCount(list->rootIndex()) < 2 || ++polls < 20) return false;
        EXPECT_EQ(chooser->viewMode(), QFileDialog::Detail);
        QHeaderView* header = list->header();
        EXPECT_GE(header->count(), 4);
        for (int column = 1; column < header->count(); ++column) {
            for (int row = 0; row < list->model()->rowCount(list->rootIndex()); ++row) {
                QString text = list->model()->index(row, column, list->rootIndex()).data().toString();
                EXPECT_GT(header->sectionSize(column), list->fontMetrics().horizontalAdvance(text)) << column << " " << text.toStdString();
            }
            EXPECT_GE(header->sectionSize(column), header->sectionSizeHint(column)) << column;
        }
        EXPECT_LE(header->length(), list->viewport()->width());
        chooser->reject();
        return true;
    });
    user.Then("close", [&] {
        if (Window("Probe") == nullptr) return false;
        PressKey(*Window("Probe"), Qt::Key_Escape);
        return true;
    });
    Run(dialog, user);
}

TEST_F(WindowBehaviourTest, TheMainWindowGrowsWithItsTreeWhileDialogsKeepTheirSize)
{
    UserScript user;
    QSize templateSize;
    QRect treeAtStart, groupAtStart;
    user.Then("grow the main window", [&] {
        DialogWindow* main = Window("Project Travik");
        if (main == nullptr) return false;
        QWidget* tree = main->ControlWidget(IDC_TAG_TREE);
        QWidget* group = main->Client()->findChild<QGroupBox*>();
        EXPECT_TRUE(main->IsResizable());
        templateSize = main->Client()->size();
        treeAtStart = tree->geometry();
        groupAtStart = group->geometry();
        main->resize(main->size() + QSize(200, 150));
        return true;
    });
    user.Then("see the tree grown with it", [&] {
        DialogWindow* main = Window("Project Travik");
        QCoreApplication::processEvents();
        if (main->Client()->size() != templateSize + QSize(200, 150)) return false;
        EXPECT_EQ(main->ControlWidget(IDC_TAG_TREE)->geometry(), treeAtStart.adjusted(0, 0, 200, 150));
        EXPECT_EQ(main->Client()->findChild<QGroupBox*>()->geometry(), groupAtStart.adjusted(0, 0, 200, 150));
        RECT client {};
        main->Dialog().GetClientRect(&client);
        EXPECT_EQ(client.right - client.left, templateSize.width() + 200);
        // It never gets smaller than its template.
        main->resize(100, 80);
        return true;
    });
    user.Then("see it no smaller than its template; open the About box", [&] {
        DialogWindow* main = Window("Project Travik");
        QCoreApplication::processEvents();
        EXPECT_GE(main->Client()->width(), templateSize.width());
        EXPECT_GE(main->Client()->height(), templateSize.height());
        EXPECT_EQ(main->ControlWidget(IDC_TAG_TREE)->geometry(), treeAtStart);
        return ChooseMenu(*main, {"&About"});
    });
    user.Then("see the About box at its template size", [&] {
        DialogWindow* about = Window("About Project Travik");
        if (about == nullptr) return false;
        EXPECT_FALSE(about->IsResizable());
        EXPECT_EQ(about->minimumSize(), about->maximumSize());
        PressKey(*about, Qt::Key_Escape);
        return true;
    });
    user.Then("choose Tools > Direct Inject without a map", [&] {
        return Window("Project Travik") && ChooseMenu(*Window("Project Travik"), {"&Tools", "&Direct Inject"});
    });
    user.Then("close the message box with c, its Close button's letter", [&] {
        DialogWindow* box = Window("Message");
        if (box == nullptr || QApplication::focusWidget() != box->ControlWidget(IDCANCEL)) return false;
        QTest::keyClick(QApplication::focusWidget(), 'c');
        return true;
    });
    user.Then("close", [&] {
        if (Window("Project Travik") == nullptr) return false;
        PressKey(*Window("Project Travik"), Qt::Key_Escape);
        return true;
    });
    user.Start();
    AfxWinMain(theApp);
    EXPECT_TRUE(user.Finished()) << user.Failure();
    g_LogFile.Close();
}

} // namespace
} // namespace travik::test
