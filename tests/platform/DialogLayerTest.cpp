// The dialog layer as a presenter drives it: message maps, the base OK and
// Cancel handling, Enter, Esc and the close box, bound controls, tree
// notifications, nested dialogs, menus, and the common dialogs.
#include "platform/DialogLayer.h"
#include "platform/headless/HeadlessPresenter.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

using headless::HeadlessPresenter;
using headless::ScopedPresenter;

namespace {

ControlTemplate MakeControl(int id, ControlKind kind, uint64_t style, const char* text = "")
{
    ControlTemplate control;
    control.id = id;
    control.kind = kind;
    control.style = style;
    control.text = text;
    control.rect = {10, 10, 50, 14};
    return control;
}

// A dialog with a tree, buttons, a disabled check box and an edit.
const DialogTemplate& ToolTemplate(bool withDefault, bool withSystemMenu)
{
    static DialogTemplate variants[2][2];
    DialogTemplate& t = variants[withDefault][withSystemMenu];
    if (t.id == 0) {
        t.id = 9100;
        t.caption = "Tool";
        t.cx = 100;
        t.cy = 80;
        t.style = dlg::Caption | (withSystemMenu ? dlg::SystemMenu | dlg::MinimizeBox : 0);
        t.controls = {
            MakeControl(40, ControlKind::TreeView, ctl::HasButtons),
            MakeControl(41, ControlKind::PushButton, withDefault ? ctl::DefaultButton : 0, "&Act"),
            MakeControl(42, ControlKind::CheckBox, ctl::AutoCheck | ctl::Disabled, "Off"),
            MakeControl(43, ControlKind::Edit, ctl::ReadOnly),
            MakeControl(44, ControlKind::Edit, ctl::Number | ctl::UpperCase),
            MakeControl(45, ControlKind::ListView, ctl::ListMode | ctl::SortAscending),
            MakeControl(46, ControlKind::ProgressBar, ctl::Smooth),
            MakeControl(IDCANCEL, ControlKind::PushButton, 0, "&Close"),
        };
    }
    return t;
}

class ToolDialog : public CDialog {
public:
    explicit ToolDialog(bool withDefault = true, bool withSystemMenu = true)
        : CDialog(ToolTemplate(withDefault, withSystemMenu))
    {
    }
    CTreeCtrl m_tree;
    CListCtrl m_list;
    int m_acts = 0;
    int m_oks = 0;
    std::vector<HTREEITEM> m_selections;
    std::vector<UINT> m_systemCommands;
    std::function<void()> m_onAct;

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        CDialog::DoDataExchange(pDX);
        DDX_Control(pDX, 40, m_tree);
        DDX_Control(pDX, 45, m_list);
    }
    void OnAct()
    {
        ++m_acts;
        if (m_onAct) m_onAct();
    }
    void OnSelchanged(NMHDR* header, LRESULT* result)
    {
        m_selections.push_back(reinterpret_cast<NMTREEVIEW*>(header)->itemNew.hItem);
        EXPECT_EQ(m_tree.GetSelectedItem(), m_selections.back());
        *result = 7;
    }
    void OnSysCommand(UINT nID, LPARAM lParam)
    {
        m_systemCommands.push_back(nID);
        CDialog::OnSysCommand(nID, lParam);
    }
    void OnOK() override
    {
        ++m_oks;
        CDialog::OnOK();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ToolDialog, CDialog)
ON_BN_CLICKED(41, &ToolDialog::OnAct)
ON_NOTIFY(TVN_SELCHANGED, 40, &ToolDialog::OnSelchanged)
ON_WM_SYSCOMMAND()
END_MESSAGE_MAP()

class DialogLayerTest : public travik::test::WorkDirTest {
protected:
    HeadlessPresenter user;
    ScopedPresenter active {user};
};

TEST_F(DialogLayerTest, WithoutPresenterOrTemplateNothingShows)
{
    SetPresenter(nullptr);
    ToolDialog dialog;
    EXPECT_EQ(dialog.DoModal(), -1);
    SetPresenter(&user);
    CDialog missing(12345u);
    EXPECT_EQ(missing.DoModal(), -1);
    EXPECT_EQ(user.Problems(), "");
}

TEST_F(DialogLayerTest, EndingKeys)
{
    struct Case {
        bool withDefault;
        bool withSystemMenu;
        void (*act)(headless::DialogSteps&);
        int acts;
        int oks;
        int endCode;
    };
    const Case cases[] = {
        {true, true, [](headless::DialogSteps& s) { s.Enter().Escape(); }, 1, 0, IDCANCEL},  // Enter presses "&Act"
        {false, true, [](headless::DialogSteps& s) { s.Enter(); }, 0, 1, IDOK},              // no default: OK
        {true, true, [](headless::DialogSteps& s) { s.CloseBox(); }, 0, 0, IDCANCEL},
        {true, true, [](headless::DialogSteps& s) { s.Click(IDCANCEL); }, 0, 0, IDCANCEL},
    };
    for (const Case& c : cases) {
        HeadlessPresenter player;
        ScopedPresenter scoped(player);
        ToolDialog dialog(c.withDefault, c.withSystemMenu);
        c.act(player.ExpectDialog("Tool"));
        EXPECT_EQ(dialog.DoModal(), c.endCode);
        EXPECT_EQ(dialog.m_acts, c.acts);
        EXPECT_EQ(dialog.m_oks, c.oks);
        EXPECT_EQ(player.Problems(), "");
    }
    // A dialog without a system menu has no close box.
    ToolDialog noMenu(true, false);
    user.ExpectDialog().CloseBox().Escape();
    EXPECT_EQ(noMenu.DoModal(), IDCANCEL);
    EXPECT_NE(user.Problems().find("no close box"), std::string::npos);
}

TEST_F(DialogLayerTest, CloseBoxIsASystemCommandEndingAsCancel)
{
    ToolDialog dialog;
    user.ExpectDialog()
        .SystemMenu(SC_MINIMIZE)
        .Inspect([](CDialog& d) { EXPECT_TRUE(d.IsIconic()); })
        .SystemMenu(SC_RESTORE)
        .Inspect([](CDialog& d) { EXPECT_FALSE(d.IsIconic()); })
        .CloseBox();
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.m_systemCommands, (std::vector<UINT> {SC_MINIMIZE, SC_RESTORE, SC_CLOSE}));
    EXPECT_EQ(user.Problems(), "");
}

TEST_F(DialogLayerTest, BoundTreeNotifiesItsDialog)
{
    ToolDialog dialog;
    HTREEITEM root = nullptr, child = nullptr;
    LRESULT result = 0;
    user.ExpectDialog()
        .Inspect([&](CDialog& d) {
            EXPECT_EQ(d.GetDlgItem(40), &dialog.m_tree); // the member stands for the control
            root = dialog.m_tree.InsertItem("Root");
            child = dialog.m_tree.InsertItem("Child", root);
        })
        .SelectTreeItem(40, {"Root", "Child"})
        .SelectTreeItem(40, {"Root", "Child"}) // the same item again: no change, no notification
        .Inspect([&](CDialog&) {
            NMHDR header;
            header.idFrom = 40;
            header.code = TVN_SELCHANGED;
            NMTREEVIEW view;
            view.hdr = header;
            view.itemNew.hItem = child;
            result = dialog.SendNotify(&view.hdr);
            dialog.m_tree.DeleteAllItems(); // emptying is not a change of selection
        })
        .Escape();
    dialog.DoModal();
    EXPECT_EQ(user.Problems(), "");
    EXPECT_EQ(dialog.m_selections, (std::vector<HTREEITEM> {child, child}));
    EXPECT_EQ(result, 7);
    EXPECT_FALSE(dialog.m_tree.IsWindowCreated());
    // After the dialog a selection reaches no handler.
    HTREEITEM later = dialog.m_tree.InsertItem("Later");
    dialog.m_tree.SelectItem(later);
    EXPECT_EQ(dialog.m_selections.size(), 2u);
}

TEST_F(DialogLayerTest, TreeHandlesAreNeverValidAgain)
{
    CTreeCtrl first, second;
    HTREEITEM a = first.InsertItem("a");
    HTREEITEM b = second.InsertItem("b");
    EXPECT_NE(a, b);
    EXPECT_FALSE(second.IsItem(a));
    first.DeleteAllItems();
    HTREEITEM again = first.InsertItem("a");
    EXPECT_FALSE(first.IsItem(a));
    EXPECT_NE(again, a);
}

TEST_F(DialogLayerTest, ControlsRefuseWhatTheUserCannotDo)
{
    ToolDialog dialog;
    CString digits;
    user.ExpectDialog()
        .Click(42) // disabled
        .Type(43, "x") // read-only
        .Type(44, "a1b2c3")
        .Read(44, digits)
        .Escape();
    dialog.DoModal();
    EXPECT_EQ(digits, "123");
    const std::string problems = user.Problems();
    EXPECT_NE(problems.find("click 42: button 42 takes no click"), std::string::npos) << problems;
    EXPECT_NE(problems.find("43 is disabled or read-only"), std::string::npos) << problems;
    EXPECT_EQ(user.Shown().at(0).TextAtEnd(44), "123");
}

TEST_F(DialogLayerTest, ListAndProgressModels)
{
    ToolDialog dialog;
    user.ExpectDialog()
        .Inspect([&](CDialog& d) {
            dialog.m_list.InsertItem(0, "pelican");
            dialog.m_list.InsertItem(0, "Banshee");
            dialog.m_list.InsertItem(5, "cyborg");
            auto* bar = dynamic_cast<CProgressCtrl*>(d.GetDlgItem(46));
            ASSERT_NE(bar, nullptr);
            bar->SetRange(0, 10);
            bar->SetPos(25);
            EXPECT_EQ(bar->GetPos(), 10);
            EXPECT_EQ(bar->SetPos(-3), 10);
            EXPECT_EQ(bar->GetPos(), 0);
        })
        .SelectListItem(45, 1)
        .Escape();
    dialog.DoModal();
    EXPECT_EQ(dialog.m_list.Items(), (std::vector<CString> {"Banshee", "cyborg", "pelican"}));
    EXPECT_EQ(dialog.m_list.GetNextItem(-1, LVNI_SELECTED), 1);
    EXPECT_EQ(user.Problems(), "");
}

TEST_F(DialogLayerTest, NestedDialogsTakeTheNextEntry)
{
    ToolDialog outer, inner;
    outer.m_onAct = [&] {
        inner.DoModal();
        AfxMessageBox("After the inner one.");
    };
    user.ExpectDialog("Tool").Click(41).Inspect([](CDialog& d) { EXPECT_FALSE(d.IsEnded()); }).Escape();
    user.ExpectDialog("Tool").Enter().Escape();
    user.AnswerMessageBox();
    outer.DoModal();
    EXPECT_EQ(user.Problems(), "");
    EXPECT_EQ(inner.m_acts, 1);
    ASSERT_EQ(user.Shown().size(), 3u);
    EXPECT_EQ(user.Shown()[2].message, "After the inner one.");
}

TEST_F(DialogLayerTest, UnexpectedWindowsAreReportedAndDismissed)
{
    ToolDialog dialog;
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    user.ExpectDialog("Other");
    ToolDialog second;
    EXPECT_EQ(second.DoModal(), IDCANCEL);
    user.ExpectDialog().Click(41); // never closed
    ToolDialog third;
    third.DoModal();
    user.AnswerFile("x");
    const std::string problems = user.Problems();
    EXPECT_NE(problems.find("unexpected a dialog 'Tool': nothing queued"), std::string::npos) << problems;
    EXPECT_NE(problems.find("expected dialog 'Other'"), std::string::npos) << problems;
    EXPECT_NE(problems.find("still open after its steps"), std::string::npos) << problems;
    EXPECT_NE(problems.find("never opened: a file chooser"), std::string::npos) << problems;
}

TEST_F(DialogLayerTest, BindingToAControlOfAnotherKindIsAProgrammingError)
{
    struct Wrong : CDialog {
        Wrong() : CDialog(ToolTemplate(true, true)) {}
        CListCtrl m_list;
        void DoDataExchange(CDataExchange* pDX) override { DDX_Control(pDX, 40, m_list); }
    } wrong;
    user.ExpectDialog();
    EXPECT_THROW(wrong.DoModal(), std::logic_error);
    EXPECT_FALSE(wrong.IsWindowCreated());
}

TEST_F(DialogLayerTest, FileChooserMovesToTheChosenFolder)
{
    std::filesystem::create_directory("maps");
    travik::test::WriteFileBytes("maps/a.map", "x");
    auto start = std::filesystem::current_path();

    CFileDialog cancelled(TRUE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT);
    user.CancelFile();
    EXPECT_EQ(cancelled.DoModal(), IDCANCEL);
    EXPECT_EQ(std::filesystem::current_path(), start);

    CFileDialog chooser(TRUE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT);
    user.AnswerFile("maps/a.map");
    EXPECT_EQ(chooser.DoModal(), IDOK);
    EXPECT_EQ(chooser.GetFileName(), "a.map");
    EXPECT_EQ(chooser.GetFileExt(), "map");
    EXPECT_EQ(std::filesystem::current_path(), start / "maps");
    EXPECT_EQ(user.Problems(), "");
    const auto& request = user.Shown().at(1).file;
    EXPECT_TRUE(request.open);
    EXPECT_EQ(request.flags, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT);
    EXPECT_EQ(request.currentDirectory, CString(start.string()));

    // A folder that cannot be entered: the bare name would name a.map here.
    CFileDialog gone(TRUE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT);
    user.AnswerFile("vanished/a.map");
    EXPECT_EQ(gone.DoModal(), IDCANCEL);
    EXPECT_EQ(std::filesystem::current_path(), start / "maps");
    EXPECT_EQ(user.Problems(), "");
}

TEST_F(DialogLayerTest, SaveChooserAsksBeforeReplacingAFile)
{
    travik::test::WriteFileBytes("old.bin", "x");
    CFileDialog keep(FALSE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT);
    user.AnswerFile("old.bin", false);
    EXPECT_EQ(keep.DoModal(), IDCANCEL);
    CFileDialog replace(FALSE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT);
    user.AnswerFile("old.bin");
    EXPECT_EQ(replace.DoModal(), IDOK);
    CFileDialog fresh(FALSE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT);
    user.AnswerFile("new.bin", false);
    EXPECT_EQ(fresh.DoModal(), IDOK);
    EXPECT_TRUE(user.Shown().at(0).overwritePrompted);
    EXPECT_TRUE(user.Shown().at(1).overwritePrompted);
    EXPECT_FALSE(user.Shown().at(2).overwritePrompted);
    EXPECT_EQ(user.Problems(), "");
}

TEST_F(DialogLayerTest, ColourChooserKeepsTheInitialColourOnCancel)
{
    CColorDialog cancelled(1);
    user.CancelColor();
    EXPECT_EQ(cancelled.DoModal(), IDCANCEL);
    EXPECT_EQ(cancelled.GetColor(), 1u);

    CColorDialog chosen(1);
    user.AnswerColor(RGB(255, 0, 0));
    EXPECT_EQ(chosen.DoModal(), IDOK);
    EXPECT_EQ(chosen.GetColor(), 0x000000FFu);
    EXPECT_EQ(user.Shown().at(1).color.initial, 1u);
    EXPECT_EQ(user.Problems(), "");
}

} // namespace
