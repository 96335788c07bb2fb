// The Qt presenter's mechanics, against dialogs of the tests' own.
#include "res/ResourceIds.h"
#include "tests/qt/ProbeDialog.h"
#include "tests/qt/QtTestSupport.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTextEdit>
#include <QTreeView>

#include <filesystem>

namespace travik::test {
namespace {

using qtpresenter::DialogWindow;

class PresenterTest : public QtPresenterTest {
protected:
    // Runs the dialog with the script playing the user; the script's
    // failures fail the test.
    INT_PTR Run(CDialog& dialog, UserScript& user)
    {
        user.Start();
        INT_PTR result = dialog.DoModal();
        EXPECT_TRUE(user.Finished()) << user.Failure();
        return result;
    }
    DialogWindow* Probe() { return InnermostDialog(Presenter(), "Probe"); }
};

template <class W>
W* WidgetOf(DialogWindow* window, int id)
{
    return window ? dynamic_cast<W*>(window->ControlWidget(id)) : nullptr;
}

TEST_F(PresenterTest, ControlsStandAtTheirRectanglesInTheDialogFontsUnits)
{
    DialogTemplate layout = ProbeTemplate({
        Control(kProbeButton, ControlKind::PushButton, ctl::TabStop, "U", {0, 0, 4, 8}),
        Control(kProbeEdit, ControlKind::Edit, ctl::Border | ctl::TabStop, "", {7, 9, 101, 13}),
        Control(kProbeCombo, ControlKind::ComboBox, ctl::DropDown | ctl::TabStop, "", {10, 30, 60, 100}),
        Icon(IDR_MAINFRAME, {11, 60, 21, 20}),
    });
    ProbeDialog dialog(layout);
    UserScript user;
    user.Then("measure the window", [&] {
        DialogWindow* window = Probe();
        if (window == nullptr) return false;
        int x = window->BaseUnitX(), y = window->BaseUnitY();
        QFontMetrics metrics(window->font());
        EXPECT_EQ(window->font().pointSize(), 8);
        EXPECT_EQ(y, metrics.height());
        EXPECT_NEAR(x, metrics.averageCharWidth(), 1);
        // Four units across and eight down are the base units themselves.
        EXPECT_EQ(window->ControlWidget(kProbeButton)->geometry(), QRect(0, 0, x, y));
        int left = 7 * x / 4, top = 9 * y / 8;
        EXPECT_EQ(window->ControlWidget(kProbeEdit)->geometry(),
                  QRect(left, top, 108 * x / 4 - left, 22 * y / 8 - top));
        // A combo box's rectangle includes its dropped list; the box itself is one line.
        QWidget* combo = window->ControlWidget(kProbeCombo);
        EXPECT_EQ(combo->x(), 10 * x / 4);
        EXPECT_LT(combo->height(), 100 * y / 8 / 2);
        // An icon takes the icon's size.
        QWidget* icon = window->ControlWidgetAt(3);
        EXPECT_EQ(icon->size(), QSize(32, 32));
        EXPECT_EQ(window->Client()->size(), QSize(240 * x / 4, 160 * y / 8));
        CRect client;
        dialog.GetClientRect(client);
        EXPECT_EQ(QSize(client.Width(), client.Height()), window->Client()->size());
        PressKey(*window, Qt::Key_Escape);
        return true;
    });
    EXPECT_EQ(Run(dialog, user), IDCANCEL);
}

TEST_F(PresenterTest, AOneLineLabelTakesTheFreeRoomItsTextNeedsAndNoMore)
{
    const char* longText = "A label measured in a narrower font than this one";
    ProbeDialog dialog(ProbeTemplate({
        Label(longText, {7, 7, 60, 8}),
        Label(longText, {7, 20, 60, 8}),
        Control(kProbeButton, ControlKind::PushButton, ctl::TabStop, "B", {100, 18, 30, 14}),
        Label(longText, {7, 40, 60, 24}),
    }));
    UserScript user;
    user.Then("measure the labels", [&] {
        DialogWindow* window = Probe();
        if (window == nullptr) return false;
        auto* free = static_cast<QLabel*>(window->ControlWidgetAt(0));
        auto* blocked = static_cast<QLabel*>(window->ControlWidgetAt(1));
        auto* tall = static_cast<QLabel*>(window->ControlWidgetAt(3));
        int needed = free->fontMetrics().horizontalAdvance(QString::fromLatin1(longText));
        EXPECT_GE(free->width(), needed);
        EXPECT_LT(free->width(), needed + 10);
        EXPECT_FALSE(free->wordWrap());
        EXPECT_EQ(blocked->geometry().right(), window->ControlWidget(kProbeButton)->x() - 1);
        // A label with room for several lines wraps inside its rectangle.
        EXPECT_TRUE(tall->wordWrap());
        EXPECT_EQ(tall->width(), 67 * window->BaseUnitX() / 4 - 7 * window->BaseUnitX() / 4);
        PressKey(*window, Qt::Key_Escape);
        return true;
    });
    Run(dialog, user);
}

TEST_F(PresenterTest, EveryByteValueSurvivesARoundTripThroughAnEdit)
{
    std::string every;
    for (int byte = 1; byte < 256; ++byte) every += static_cast<char>(byte);
    QString shown;
    for (int byte = 1; byte < 256; ++byte) shown += QChar(byte);

    ProbeDialog dialog(ProbeTemplate({Control(kProbeEdit, ControlKind::Edit, ctl::Border | ctl::TabStop | ctl::AutoHScroll,
                                              "", {7, 7, 220, 14})}));
    // A zero byte ends a window text, so 255 of the 256 values make a text.
    dialog.onInit = [&](ProbeDialog& d) { d.SetDlgItemText(kProbeEdit, CString(every + std::string(1, '\0') + "gone")); };
    UserScript user;
    user.Then("read the edit and type after its text", [&] {
        auto* edit = WidgetOf<QLineEdit>(Probe(), kProbeEdit);
        if (edit == nullptr) return false;
        EXPECT_EQ(edit->text(), shown);
        EXPECT_EQ(edit->cursorPosition(), 0); // a text set by code is shown from its start
        edit->setFocus();
        PressKey(*edit, Qt::Key_End);
        TypeText(*edit, QString::fromLatin1("Z\xE9\xFF"));
        return true;
    });
    user.Then("look at the model", [&] {
        EXPECT_EQ(dialog.GetDlgItem(kProbeEdit)->WindowText().Bytes(), every + "Z\xE9\xFF");
        PressKey(*Probe(), Qt::Key_Escape);
        return true;
    });
    Run(dialog, user);
}

TEST_F(PresenterTest, TypingChangesOnlyWhatIsTypedAndFollowsTheEditsStyles)
{
    ProbeDialog dialog(ProbeTemplate({
        Control(kProbeEdit, ControlKind::Edit, ctl::Border | ctl::Number | ctl::TabStop, "", {7, 7, 100, 14}),
        Control(kProbeOther, ControlKind::Edit, ctl::Border | ctl::UpperCase | ctl::TabStop, "", {7, 25, 100, 14}),
        Control(kProbeCombo, ControlKind::Edit, ctl::Border | ctl::TabStop, "", {7, 43, 100, 14}),
        Control(kProbeList, ControlKind::Edit, ctl::Border | ctl::MultiLine | ctl::WantReturn | ctl::TabStop, "",
                {7, 61, 100, 40}),
    }));
    dialog.onInit = [](ProbeDialog& d) {
        d.SetDlgItemText(kProbeEdit, "1.5");   // code may put what the user could not type
        d.SetDlgItemText(kProbeOther, "None");
        d.SetDlgItemText(kProbeCombo, "123456");
        d.Control<CEdit>(kProbeCombo).SetLimitText(4);
        d.SetDlgItemText(kProbeList, "a\r\nb\nc\rd");
    };
    UserScript user;
    user.Then("type into each edit", [&] {
        DialogWindow* window = Probe();
        if (window == nullptr) return false;
        auto* number = WidgetOf<QLineEdit>(window, kProbeEdit);
        number->setFocus();
        PressKey(*number, Qt::Key_End);
        TypeText(*number, QStringLiteral("2x"));
        EXPECT_EQ(number->text(), QStringLiteral("1.52"));

        auto* upper = WidgetOf<QLineEdit>(window, kProbeOther);
        upper->setFocus();
        PressKey(*upper, Qt::Key_End);
        TypeText(*upper, QStringLiteral("ab"));
        EXPECT_EQ(upper->text(), QStringLiteral("NoneAB"));

        auto* limited = WidgetOf<QLineEdit>(window, kProbeCombo);
        limited->setFocus();
        PressKey(*limited, Qt::Key_End);
        TypeText(*limited, QStringLiteral("7"));
        EXPECT_EQ(limited->text(), QStringLiteral("123456"));
        PressKey(*limited, Qt::Key_Backspace);
        PressKey(*limited, Qt::Key_Backspace);
        PressKey(*limited, Qt::Key_Backspace);
        TypeText(*limited, QStringLiteral("78"));
        EXPECT_EQ(limited->text(), QStringLiteral("1237"));

        auto* lines = WidgetOf<QTextEdit>(window, kProbeList);
        EXPECT_EQ(lines->document()->blockCount(), 4);
        lines->setFocus();
        PressKey(*lines, Qt::Key_End, Qt::ControlModifier);
        TypeText(*lines, QStringLiteral("X"));
        PressKey(*lines, Qt::Key_Return); // the edit wants Enter: a new line
        TypeText(*lines, QStringLiteral("y"));
        return true;
    });
    user.Then("look at the models", [&] {
        EXPECT_EQ(dialog.GetDlgItem(kProbeEdit)->WindowText(), "1.52");
        EXPECT_EQ(dialog.GetDlgItem(kProbeOther)->WindowText(), "NoneAB");
        EXPECT_EQ(dialog.GetDlgItem(kProbeCombo)->WindowText(), "1237");
        EXPECT_EQ(dialog.GetDlgItem(kProbeList)->WindowText(), "a\r\nb\nc\rdX\r\ny");
        EXPECT_EQ(dialog.commands[IDOK], 0);
        PressKey(*Probe(), Qt::Key_Escape);
        return true;
    });
    Run(dialog, user);
}

TEST_F(PresenterTest, EnterPressesTheDefaultButtonAndEscCancels)
{
    ProbeDialog dialog(ProbeTemplate({
        Control(kProbeEdit, ControlKind::Edit, ctl::Border | ctl::MultiLine | ctl::TabStop, "", {7, 7, 100, 30}),
        Control(kProbeOther, ControlKind::PushButton, ctl::TabStop, "Other", {7, 50, 50, 14}),
        Control(kProbeButton, ControlKind::PushButton, ctl::DefaultButton | ctl::TabStop, "Default", {60, 50, 50, 14}),
    }));
    dialog.onButton = [](ProbeDialog& d) {
        if (d.commands[kProbeButton] == 2) d.GetDlgItem(kProbeButton)->EnableWindow(FALSE);
    };
    UserScript user;
    user.Then("press Enter in a multi-line edit", [&] {
        DialogWindow* window = Probe();
        if (window == nullptr) return false;
        EXPECT_TRUE(WidgetOf<QPushButton>(window, kProbeButton)->isDefault());
        window->ControlWidget(kProbeEdit)->setFocus();
        PressKey(*window, Qt::Key_Return); // a multi-line edit without WantReturn does not take it
        return true;
    });
    user.Then("press Enter on another button", [&] {
        if (dialog.commands[kProbeButton] != 1) return false;
        EXPECT_EQ(dialog.GetDlgItem(kProbeEdit)->WindowText(), "");
        Probe()->ControlWidget(kProbeOther)->setFocus();
        PressKey(*Probe(), Qt::Key_Enter);
        return true;
    });
    user.Then("press Enter with the default button disabled", [&] {
        if (dialog.commands[kProbeButton] != 2) return false;
        EXPECT_EQ(dialog.commands[kProbeOther], 0);
        PressKey(*Probe(), Qt::Key_Return);
        PressKey(*Probe(), Qt::Key_Escape);
        return true;
    });
    EXPECT_EQ(Run(dialog, user), IDCANCEL);
    EXPECT_EQ(dialog.commands[kProbeButton], 2);
    EXPECT_EQ(dialog.commands[IDOK], 0);

    // Without a default button Enter is OK.
    ProbeDialog plain(ProbeTemplate({Control(kProbeEdit, ControlKind::Edit, ctl::Border | ctl::TabStop, "", {7, 7, 100, 14})}));
    UserScript second;
    second.Then("press Enter", [&] {
        if (Probe() == nullptr) return false;
        PressKey(*Probe(), Qt::Key_Return);
        return true;
    });
    EXPECT_EQ(Run(plain, second), IDOK);
}

TEST_F(PresenterTest, TheCloseBoxIsTheSystemMenusCloseAndOnlyWhereThereIsOne)
{
    ProbeDialog boxed(ProbeTemplate({}, dlg::Caption | dlg::SystemMenu));
    UserScript user;
    user.Then("click the close box", [&] {
        if (Probe() == nullptr) return false;
        EXPECT_TRUE(Probe()->windowFlags() & Qt::WindowCloseButtonHint);
        Probe()->close();
        return true;
    });
    EXPECT_EQ(Run(boxed, user), IDCANCEL);
    EXPECT_EQ(boxed.systemCommands, std::vector<UINT>({SC_CLOSE}));

    ProbeDialog bare(ProbeTemplate({}, dlg::Caption));
    UserScript second;
    second.Then("try to close it", [&] {
        if (Probe() == nullptr) return false;
        EXPECT_FALSE(Probe()->windowFlags() & Qt::WindowCloseButtonHint);
        Probe()->close();
        return true;
    });
    second.Then("find it still open", [&] {
        QCoreApplication::processEvents();
        EXPECT_NE(Probe(), nullptr);
        EXPECT_TRUE(bare.systemCommands.empty());
        PressKey(*Probe(), Qt::Key_Escape);
        return true;
    });
    EXPECT_EQ(Run(bare, second), IDCANCEL);
}

TEST_F(PresenterTest, ATreeLoadIsShownOnceAndCodeSelectionIsNotEchoed)
{
    ProbeDialog dialog(ProbeTemplate({
        Control(kProbeTree, ControlKind::TreeView, ctl::Border | ctl::HasButtons | ctl::LinesAtRoot | ctl::TabStop, "",
                {7, 7, 200, 120}),
        Control(kProbeButton, ControlKind::PushButton, ctl::TabStop, "Load", {7, 135, 50, 14}),
    }));
    HTREEITEM chosenByCode = nullptr;
    dialog.onButton = [&](ProbeDialog& d) {
        auto& tree = d.Control<CTreeCtrl>(kProbeTree);
        tree.DeleteAllItems();
        for (int set = 1; set <= 3; ++set) {
            HTREEITEM root = tree.InsertItem(CString("Set ") + char('0' + set));
            for (int i = 0; i < 5000; ++i) {
                CString name;
                name.Format("tag %d \xE9", i);
                HTREEITEM item = tree.InsertItem(name, root);
                if (set == 2 && i == 4321) chosenByCode = item;
            }
        }
        tree.SetBkColor(RGB(0x11, 0x22, 0x33));
        tree.SelectItem(chosenByCode);
    };
    std::unique_ptr<QSignalSpy> resets;
    QTreeView* view = nullptr;
    UserScript user;
    user.Then("load the tree", [&] {
        if (Probe() == nullptr) return false;
        view = WidgetOf<QTreeView>(Probe(), kProbeTree);
        resets = std::make_unique<QSignalSpy>(view->model(), &QAbstractItemModel::modelReset);
        static_cast<QPushButton*>(Probe()->ControlWidget(kProbeButton))->click();
        return true;
    });
    user.Then("see it loaded", [&] {
        if (view->model()->rowCount() != 3) return false;
        QCoreApplication::processEvents();
        EXPECT_EQ(resets->count(), 1);
        EXPECT_EQ(view->model()->rowCount(view->model()->index(1, 0)), 5000);
        EXPECT_EQ(view->palette().color(QPalette::Base), QColor(0x11, 0x22, 0x33));
        // The code's selection notified once, and showing it did not notify again.
        EXPECT_EQ(dialog.selectionChanges, std::vector<HTREEITEM>({chosenByCode}));
        QModelIndex current = view->currentIndex();
        EXPECT_EQ(current.data().toString(), QString::fromLatin1("tag 4321 \xE9"));
        EXPECT_TRUE(view->selectionModel()->isSelected(current));
        view->setFocus();
        PressKey(*view, Qt::Key_Down);
        return true;
    });
    user.Then("move the selection with the keyboard", [&] {
        if (dialog.selectionChanges.size() != 2) return false;
        auto& tree = dialog.Control<CTreeCtrl>(kProbeTree);
        EXPECT_EQ(tree.GetItemText(dialog.selectionChanges.back()), "tag 4322 \xE9");
        EXPECT_EQ(tree.GetSelectedItem(), dialog.selectionChanges.back());
        QModelIndex root = view->model()->index(0, 0);
        view->expand(root);
        ClickItem(*view, view->model()->index(7, 0, root));
        return true;
    });
    user.Then("click an item", [&] {
        if (dialog.selectionChanges.size() != 3) return false;
        EXPECT_EQ(dialog.Control<CTreeCtrl>(kProbeTree).GetItemText(dialog.selectionChanges.back()), "tag 7 \xE9");
        // Clicking the selected item again is no change of selection.
        ClickItem(*view, view->currentIndex());
        return true;
    });
    user.Then("close", [&] {
        QCoreApplication::processEvents();
        EXPECT_EQ(dialog.selectionChanges.size(), 3u);
        PressKey(*Probe(), Qt::Key_Escape);
        return true;
    });
    Run(dialog, user);
}

TEST_F(PresenterTest, NestedDialogsAreModalAndInputToTheWindowsBehindIsBlocked)
{
    DialogTemplate innerTemplate = ProbeTemplate({});
    innerTemplate.caption = "Inner";
    ProbeDialog outer(ProbeTemplate({
        Control(kProbeButton, ControlKind::PushButton, ctl::TabStop, "Open", {7, 7, 50, 14}),
        Control(kProbeOther, ControlKind::PushButton, ctl::TabStop, "Other", {7, 25, 50, 14}),
    }));
    INT_PTR innerResult = 0;
    outer.onButton = [&](ProbeDialog&) {
        ProbeDialog inner(innerTemplate);
        innerResult = inner.DoModal();
    };
    UserScript user;
    user.Then("open the inner dialog", [&] {
        if (Probe() == nullptr) return false;
        static_cast<QPushButton*>(Probe()->ControlWidget(kProbeButton))->click();
        return true;
    });
    user.Then("click behind it, then close it", [&] {
        DialogWindow* inner = InnermostDialog(Presenter(), "Inner");
        if (inner == nullptr) return false;
        EXPECT_EQ(Presenter().OpenWindows().size(), 2u);
        EXPECT_EQ(inner->parentWidget(), Presenter().OpenWindows().front());
        auto* other = static_cast<QPushButton*>(Presenter().OpenWindows().front()->ControlWidget(kProbeOther));
        other->click();
        PressKey(*inner, Qt::Key_Escape);
        return true;
    });
    user.Then("use the outer dialog again", [&] {
        if (Probe() == nullptr) return false;
        EXPECT_EQ(innerResult, IDCANCEL);
        EXPECT_EQ(outer.commands[kProbeOther], 0);
        static_cast<QPushButton*>(Probe()->ControlWidget(kProbeOther))->click();
        return true;
    });
    user.Then("close", [&] {
        if (outer.commands[kProbeOther] != 1) return false;
        PressKey(*Probe(), Qt::Key_Escape);
        return true;
    });
    Run(outer, user);
}

TEST_F(PresenterTest, CheckBoxesCombosListsAndProgressBarsFollowTheirModels)
{
    ControlTemplate combo = Control(kProbeCombo, ControlKind::ComboBox, ctl::DropDown | ctl::Sort | ctl::TabStop, "",
                                    {7, 25, 80, 80});
    combo.initialData = {"bravo", "Charlie", "alpha", "\xFF\xFF\xFF\xFF"};
    ProbeDialog dialog(ProbeTemplate({
        Control(kProbeCheck, ControlKind::CheckBox, ctl::AutoCheck | ctl::TabStop, "&Check", {7, 7, 80, 10}),
        combo,
        Control(kProbeList, ControlKind::ListView, ctl::ListMode | ctl::SortAscending | ctl::Border, "",
                {100, 7, 120, 60}),
        Control(kProbeProgress, ControlKind::ProgressBar, ctl::Smooth, "", {7, 140, 200, 10}),
    }));
    dialog.onInit = [](ProbeDialog& d) {
        auto& list = d.Control<CListCtrl>(kProbeList);
        list.InsertItem(0, "delta");
        list.InsertItem(0, "alpha");
        list.InsertItem(0, "charlie");
        auto& progress = d.Control<CProgressCtrl>(kProbeProgress);
        progress.SetRange(0, 200);
        progress.SetPos(50);
    };
    UserScript user;
    user.Then("click the check box and pick entries", [&] {
        DialogWindow* window = Probe();
        if (window == nullptr) return false;
        auto* bar = WidgetOf<QProgressBar>(window, kProbeProgress);
        EXPECT_EQ(bar->maximum(), 200);
        EXPECT_EQ(bar->value(), 50);
        auto* box = WidgetOf<QComboBox>(window, kProbeCombo);
        QStringList entries;
        for (int i = 0; i < box->count(); ++i) entries << box->itemText(i);
        EXPECT_EQ(entries, QStringList({"alpha", "bravo", "Charlie", QString::fromLatin1("\xFF\xFF\xFF\xFF")}));
        auto* list = WidgetOf<QListWidget>(window, kProbeList);
        EXPECT_EQ(list->item(0)->text(), QStringLiteral("alpha"));
        EXPECT_EQ(list->item(2)->text(), QStringLiteral("delta"));
        ClickItem(*list, list->model()->index(1, 0));
        static_cast<QCheckBox*>(window->ControlWidget(kProbeCheck))->click();
        box->setFocus();
        PressKey(*box, Qt::Key_Down);
        return true;
    });
    user.Then("see the models follow", [&] {
        if (dialog.commands[kProbeCheck] != 1) return false;
        QCoreApplication::processEvents(); // the models' changes are shown at the next turn
        DialogWindow* window = Probe();
        EXPECT_EQ(dialog.Control<CButton>(kProbeCheck).GetCheck(), BST_CHECKED);
        EXPECT_TRUE(WidgetOf<QCheckBox>(window, kProbeCheck)->isChecked());
        EXPECT_EQ(dialog.Control<CListCtrl>(kProbeList).GetSelectedIndex(), 1);
        auto& model = dialog.Control<CComboBox>(kProbeCombo);
        auto* box = WidgetOf<QComboBox>(window, kProbeCombo);
        EXPECT_GE(model.GetCurSel(), 0);
        EXPECT_EQ(model.GetCurSel(), box->currentIndex());
        EXPECT_EQ(model.WindowText(), model.GetLBText(model.GetCurSel()));
        box->lineEdit()->selectAll();
        TypeText(*box->lineEdit(), QStringLiteral("zu"));
        EXPECT_EQ(model.WindowText(), "zu");
        EXPECT_EQ(model.GetCurSel(), -1);
        PressKey(*window, Qt::Key_Escape);
        return true;
    });
    Run(dialog, user);
}

TEST_F(PresenterTest, ThePlatformsMessageBoxShowsItsTextAsItIsAndAnswers)
{
    ProbeDialog dialog(ProbeTemplate({Control(kProbeButton, ControlKind::PushButton, ctl::TabStop, "Ask", {7, 7, 50, 14})}));
    std::vector<int> answers;
    dialog.onButton = [&](ProbeDialog&) { answers.push_back(AfxMessageBox("<b>Bad</b> value & more", MB_OKCANCEL)); };
    UserScript user;
    for (int key : {Qt::Key_Escape, Qt::Key_Return}) {
        user.Then("ask", [&] {
            if (Probe() == nullptr) return false;
            static_cast<QPushButton*>(Probe()->ControlWidget(kProbeButton))->click();
            return true;
        });
        user.Then("answer", [&, key] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) return false;
            EXPECT_EQ(box->windowTitle(), QStringLiteral("Project Travik"));
            EXPECT_EQ(box->text(), QStringLiteral("<b>Bad</b> value & more"));
            EXPECT_EQ(box->textFormat(), Qt::PlainText);
            PressKey(*box, key);
            return true;
        });
    }
    user.Then("close", [&] {
        if (answers.size() != 2 || Probe() == nullptr) return false;
        PressKey(*Probe(), Qt::Key_Escape);
        return true;
    });
    Run(dialog, user);
    EXPECT_EQ(answers, std::vector<int>({IDCANCEL, IDOK}));
}

TEST_F(PresenterTest, TheFileAndColourChoosersAreQtsOwn)
{
    std::filesystem::create_directory(PathOf("maps"));
    WriteFileBytes(PathOf("maps") / "a.map", "map");
    ProbeDialog dialog(ProbeTemplate({
        Control(kProbeButton, ControlKind::PushButton, ctl::TabStop, "File", {7, 7, 50, 14}),
        Control(kProbeOther, ControlKind::PushButton, ctl::TabStop, "Colour", {7, 25, 50, 14}),
    }));
    INT_PTR fileResult = 0;
    CString fileName;
    dialog.onButton = [&](ProbeDialog&) {
        CFileDialog chooser(TRUE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT);
        fileResult = chooser.DoModal();
        fileName = chooser.GetFileName();
    };
    COLORREF colour = 0;
    dialog.onOther = [&](ProbeDialog&) {
        CColorDialog chooser(RGB(1, 2, 3));
        chooser.DoModal();
        colour = chooser.GetColor();
    };
    UserScript user;
    user.Then("open the file chooser", [&] {
        if (Probe() == nullptr) return false;
        static_cast<QPushButton*>(Probe()->ControlWidget(kProbeButton))->click();
        return true;
    });
    user.Then("answer it", [&] {
        auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (chooser == nullptr) return false;
        EXPECT_TRUE(chooser->testOption(QFileDialog::DontUseNativeDialog));
        EXPECT_EQ(chooser->acceptMode(), QFileDialog::AcceptOpen);
        EXPECT_EQ(QDir(chooser->directory()).canonicalPath(), QDir(QString::fromStdString(Dir().string())).canonicalPath());
        auto* name = chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (name == nullptr) return false;
        name->setText(QStringLiteral("maps/a.map"));
        PressKey(*name, Qt::Key_Return);
        return true;
    });
    user.Then("open the colour chooser", [&] {
        if (Probe() == nullptr || fileResult == 0) return false;
        static_cast<QPushButton*>(Probe()->ControlWidget(kProbeOther))->click();
        return true;
    });
    user.Then("answer it", [&] {
        auto* chooser = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
        if (chooser == nullptr) return false;
        EXPECT_EQ(chooser->currentColor(), QColor(1, 2, 3));
        chooser->setCurrentColor(QColor(10, 20, 30));
        chooser->accept();
        return true;
    });
    user.Then("close", [&] {
        if (Probe() == nullptr || colour == 0) return false;
        PressKey(*Probe(), Qt::Key_Escape);
        return true;
    });
    Run(dialog, user);
    EXPECT_EQ(fileResult, IDOK);
    EXPECT_EQ(fileName, "a.map");
    EXPECT_EQ(std::filesystem::current_path(), std::filesystem::canonical(PathOf("maps")));
    EXPECT_EQ(colour, RGB(10, 20, 30));
}

TEST_F(PresenterTest, TheMenuBarComesFromTheMenuTemplateAndTheSystemMenuIsReachable)
{
    ProbeDialog dialog(ProbeTemplate({}, dlg::Caption | dlg::SystemMenu | dlg::MinimizeBox, IDR_MAIN_MENU));
    dialog.onInit = [](ProbeDialog& d) {
        CMenu* menu = d.GetSystemMenu(FALSE);
        menu->AppendMenu(MF_SEPARATOR);
        menu->AppendMenu(MF_STRING, 0x10, "&Extra...");
    };
    UserScript user;
    user.Then("choose About on the menu bar", [&] {
        DialogWindow* window = Probe();
        if (window == nullptr) return false;
        QStringList top;
        for (QAction* action : window->MenuBar()->actions()) top << action->text();
        EXPECT_EQ(top, QStringList({"&File", "&Tools", "&About"}));
        QStringList file;
        for (QAction* action : window->MenuBar()->actions().front()->menu()->actions())
            file << (action->isSeparator() ? QStringLiteral("-") : action->text());
        EXPECT_EQ(file, QStringList({"&Open Mapfile", "&Close Mapfile", "-", "E&xit"}));
        EXPECT_TRUE(ChooseMenu(*window, {"&About"}));
        return true;
    });
    user.Then("open the system menu with Alt+Space", [&] {
        if (dialog.commands[32780] != 1) return false;
        Probe()->activateWindow();
        PressKey(*Probe(), Qt::Key_Space, Qt::AltModifier);
        return true;
    });
    user.Then("choose its extra item", [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr) return false;
        QAction* extra = menu->actions().back();
        EXPECT_EQ(extra->text(), QStringLiteral("&Extra..."));
        menu->close();
        extra->trigger();
        return true;
    });
    user.Then("minimise from the system menu", [&] {
        if (dialog.systemCommands.empty()) return false;
        EXPECT_EQ(dialog.systemCommands, std::vector<UINT>({0x10}));
        QMenu* menu = Probe()->PopUpSystemMenu();
        for (QAction* action : menu->actions())
            if (action->text() == QStringLiteral("Mi&nimize")) action->trigger();
        menu->close();
        return true;
    });
    user.Then("close", [&] {
        if (!dialog.IsIconic()) return false;
        PressKey(*Probe(), Qt::Key_Escape);
        return true;
    });
    Run(dialog, user);
}

} // namespace
} // namespace travik::test
