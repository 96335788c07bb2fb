// Start-up and the ordinary end of the program, the message box and the
// About box.
#include "app/AboutDlg.h"
#include "messagebox/MessageDialog.h"
#include "res/ResourceIds.h"
#include "tests/support/AppShellFixture.h"
#include "tests/support/MapBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

using namespace travik::test;

namespace {

using AppTest = ShellTest;

TEST_F(AppTest, StartUpShowsTheMainWindowAndStartsTheLogAfresh)
{
    WriteFileBytes(PathOf("Log.txt"), "an old log");
    COLORREF colour = 1;
    HICON big = nullptr, small = nullptr;
    CMenu* menu = nullptr;
    std::string logAtStart = "unset";
    user.ExpectDialog("Project Travik")
        .Inspect([&](CDialog& d) {
            colour = dynamic_cast<CTreeCtrl*>(d.GetDlgItem(IDC_TAG_TREE))->GetBkColor();
            big = d.GetIcon(TRUE);
            small = d.GetIcon(FALSE);
            menu = d.GetMenu();
            ASSERT_NE(menu, nullptr);
            ASSERT_EQ(menu->GetMenuItemCount(), 3u);
            CString text;
            menu->GetMenuString(2, text, MF_BYPOSITION);
            EXPECT_EQ(text, "&About");
            EXPECT_EQ(menu->GetMenuItemID(2), ID_ABOUT);
            EXPECT_NE(menu->FindCommand(ID_TOOLS_DIRECT_INJECT), nullptr);
            EXPECT_EQ(theApp.m_pMainWnd, &d);
            logAtStart = ReadFileBytes(PathOf("Log.txt"));
        })
        .Escape();
    EXPECT_EQ(RunProgram(), 0);
    EXPECT_FALSE(ExitCalled());
    EXPECT_EQ(user.Problems(), "");
    EXPECT_EQ(logAtStart, "");
    EXPECT_EQ(colour, 0u);
    EXPECT_EQ(big, FindIconResource(IDR_MAINFRAME));
    EXPECT_EQ(small, big);
    EXPECT_EQ(theApp.m_pMainWnd, nullptr) << "the main window pointer outlived the window";
}

// Enter, Esc and the close box end the program as the close box does; the
// open map is left to the end of the process, without a close entry.
TEST_F(AppTest, EndingTheMainWindowEndsTheProgram)
{
    using Ending = headless::DialogSteps& (headless::DialogSteps::*)();
    const Ending endings[] = {&headless::DialogSteps::Enter, &headless::DialogSteps::Escape,
                              &headless::DialogSteps::CloseBox};
    MapBuilder::Xbox().Write(PathOf("a.map"));
    for (Ending ending : endings) {
        headless::HeadlessPresenter player;
        headless::ScopedPresenter scoped(player);
        g_MapFile.Close();
        auto& steps = player.ExpectDialog().Menu(ID_FILE_OPEN_MAPFILE);
        player.AnswerFile("a.map");
        (steps.*ending)();
        EXPECT_EQ(RunProgram(), 0);
        EXPECT_EQ(player.Problems(), "");
        EXPECT_TRUE(g_MapFile.IsOpen());
        EXPECT_EQ(ReadLog().find("closed"), std::string::npos);
    }
}

TEST_F(AppTest, HelpCommandGoesToTheApplication)
{
    MessageArgs args;
    EXPECT_TRUE(theApp.DispatchMessage(MessageKind::Command, 0, ID_HELP, args));
    EXPECT_FALSE(theApp.DispatchMessage(MessageKind::Command, 0, ID_ABOUT, args));
}

TEST_F(AppTest, MessageBoxShowsItsTextAndEndsAsCancel)
{
    struct Case {
        const char* set1;
        const char* set2;
        const char* shown;
        void (*end)(headless::DialogSteps&);
    };
    const Case cases[] = {
        {nullptr, nullptr, "No message to display.", [](headless::DialogSteps& s) { s.Enter(); }},
        {"first", "second", "second", [](headless::DialogSteps& s) { s.Escape(); }},
        {"closing", nullptr, "closing", [](headless::DialogSteps& s) { s.CloseBox(); }},
        {"button", nullptr, "button", [](headless::DialogSteps& s) { s.Click(IDCANCEL); }},
    };
    for (const Case& c : cases) {
        headless::HeadlessPresenter player;
        headless::ScopedPresenter scoped(player);
        CMessageDialog box;
        if (c.set1) box.SetMessage(c.set1);
        if (c.set2) box.SetMessage(c.set2);
        c.end(player.ExpectDialog("Message"));
        EXPECT_EQ(box.DoModal(), IDCANCEL);
        EXPECT_EQ(player.Problems(), "");
        EXPECT_EQ(player.Shown().at(0).Text(IDC_MESSAGE), c.shown);
    }
}

TEST_F(AppTest, LongMessagesWrapInTheReadOnlyBox)
{
    const DialogTemplate* message = FindDialogTemplate(IDD_MESSAGE_DIALOG);
    ASSERT_NE(message, nullptr);
    const ControlTemplate& edit = message->controls.at(2);
    EXPECT_EQ(edit.id, IDC_MESSAGE);
    EXPECT_TRUE(edit.style & ctl::MultiLine);
    EXPECT_TRUE(edit.style & ctl::ReadOnly);
    EXPECT_FALSE(edit.style & (ctl::HScroll | ctl::VScroll | ctl::AutoHScroll | ctl::Border));

    CMessageDialog box;
    box.SetMessage(CString('w', 400));
    user.ExpectDialog().Type(IDC_MESSAGE, "edited").Enter();
    box.DoModal();
    EXPECT_NE(user.Problems().find("read-only"), std::string::npos);
    EXPECT_EQ(user.Shown().at(0).TextAtEnd(IDC_MESSAGE), CString('w', 400));
}

TEST_F(AppTest, AboutBoxShowsTheProductAndEndsWithCloseEnterOrEsc)
{
    struct Case {
        void (*end)(headless::DialogSteps&);
        int code;
    };
    const Case cases[] = {
        {[](headless::DialogSteps& s) { s.Click(IDOK); }, IDOK},
        {[](headless::DialogSteps& s) { s.Enter(); }, IDOK},
        {[](headless::DialogSteps& s) { s.Escape(); }, IDCANCEL},
    };
    for (const Case& c : cases) {
        headless::HeadlessPresenter player;
        headless::ScopedPresenter scoped(player);
        CAboutDlg about;
        bool hasCloseBox = true;
        c.end(player.ExpectDialog("About Project Travik").Inspect([&](CDialog& d) {
            hasCloseBox = d.GetSystemMenu(FALSE) != nullptr;
        }));
        EXPECT_EQ(about.DoModal(), c.code);
        EXPECT_EQ(player.Problems(), "");
        EXPECT_FALSE(hasCloseBox);
    }
    const DialogTemplate* t = FindDialogTemplate(IDD_ABOUTBOX);
    ASSERT_NE(t, nullptr);
    std::vector<CString> texts;
    for (const ControlTemplate& control : t->controls) texts.push_back(control.text);
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Project Travik Public Beta 1"), texts.end());
    EXPECT_EQ(t->controls.front().kind, ControlKind::StaticIcon);
    EXPECT_EQ(t->controls.front().iconId, IDR_MAINFRAME);
}

// The shell's templates and menu as the user meets them: captions, sizes,
// window styles, and each control's id, kind, style, text and place.
TEST(Resources, ShellTemplatesAndMenuHoldTheirValues)
{
    struct Window {
        UINT id;
        const char* caption;
        int cx, cy;
        UINT menuId;
        uint32_t style;
    };
    const Window windows[] = {
        {IDD_MAIN_DIALOG, "Project Travik", 335, 222, IDR_MAIN_MENU,
         dlg::Caption | dlg::SystemMenu | dlg::MinimizeBox | dlg::ModalFrame},
        {IDD_MESSAGE_DIALOG, "Message", 186, 95, 0, dlg::Caption | dlg::SystemMenu | dlg::ModalFrame},
        {IDD_ABOUTBOX, "About Project Travik", 275, 98, 0, dlg::Caption | dlg::ModalFrame},
    };
    for (const Window& w : windows) {
        const DialogTemplate* t = FindDialogTemplate(w.id);
        ASSERT_NE(t, nullptr) << w.id;
        EXPECT_EQ(t->caption, w.caption);
        EXPECT_EQ(t->cx, w.cx) << w.caption;
        EXPECT_EQ(t->cy, w.cy) << w.caption;
        EXPECT_EQ(t->fontSize, 8) << w.caption;
        EXPECT_EQ(t->menuId, w.menuId) << w.caption;
        EXPECT_EQ(t->style, w.style) << w.caption;
    }

    struct Row {
        UINT dialog;
        int id;
        ControlKind kind;
        uint64_t style;
        const char* text; // null: the implementer's own
        DialogRect rect;
    };
    const uint64_t button = ctl::DefaultButton | ctl::Flat | ctl::TabStop;
    const Row rows[] = {
        {IDD_MAIN_DIALOG, IDC_STATIC, ControlKind::GroupBox, 0, "Index Tags", {7, 7, 321, 208}},
        {IDD_MAIN_DIALOG, IDC_TAG_TREE, ControlKind::TreeView,
         ctl::Border | ctl::TabStop | ctl::HasButtons | ctl::HasLines | ctl::LinesAtRoot | ctl::TrackSelect, "Tree1",
         {15, 18, 305, 189}},
        {IDD_MESSAGE_DIALOG, IDCANCEL, ControlKind::PushButton, button, "&Close", {70, 70, 50, 14}},
        {IDD_MESSAGE_DIALOG, IDC_STATIC, ControlKind::GroupBox, 0, "Message", {7, 7, 172, 81}},
        {IDD_MESSAGE_DIALOG, IDC_MESSAGE, ControlKind::Edit, ctl::MultiLine | ctl::Centre | ctl::ReadOnly | ctl::TabStop,
         "", {20, 20, 146, 42}},
        {IDD_ABOUTBOX, IDC_STATIC, ControlKind::StaticIcon, 0, "", {11, 17, 21, 20}},
        {IDD_ABOUTBOX, IDC_STATIC, ControlKind::StaticText, ctl::NoPrefix, "Project Travik Public Beta 1",
         {40, 10, 119, 8}},
        {IDD_ABOUTBOX, IDOK, ControlKind::PushButton, button, "&Close", {218, 21, 50, 14}},
        {IDD_ABOUTBOX, IDC_STATIC, ControlKind::StaticText, ctl::Centre,
         "This program is still very buggy! I haven't had it erase my maps or anything, but just to be safe, make a "
         "backup of your map before editing it with this program.",
         {7, 49, 261, 18}},
        {IDD_ABOUTBOX, IDC_STATIC, ControlKind::StaticText, ctl::NoPrefix, nullptr, {40, 23, 119, 8}},
        {IDD_ABOUTBOX, IDC_STATIC, ControlKind::StaticText, ctl::NoPrefix, nullptr, {40, 36, 149, 8}},
        {IDD_ABOUTBOX, IDC_STATIC, ControlKind::StaticText, ctl::Centre | ctl::NoPrefix, nullptr, {7, 74, 261, 18}},
    };
    std::map<UINT, size_t> controls;
    for (const Row& row : rows) {
        const DialogTemplate* t = FindDialogTemplate(row.dialog);
        ASSERT_NE(t, nullptr);
        ++controls[row.dialog];
        auto at = std::find_if(t->controls.begin(), t->controls.end(), [&](const ControlTemplate& c) {
            return c.id == row.id && c.kind == row.kind && c.rect.x == row.rect.x && c.rect.y == row.rect.y &&
                   c.rect.cx == row.rect.cx && c.rect.cy == row.rect.cy;
        });
        ASSERT_NE(at, t->controls.end()) << row.dialog << ": no control " << row.id << " at " << row.rect.x << ","
                                         << row.rect.y;
        EXPECT_EQ(at->style, row.style) << row.dialog << "/" << row.id;
        if (row.text) EXPECT_EQ(at->text, row.text) << row.dialog << "/" << row.id;
        else EXPECT_FALSE(at->text.IsEmpty());
    }
    for (const auto& [dialog, count] : controls) EXPECT_EQ(FindDialogTemplate(dialog)->controls.size(), count) << dialog;

    // The menu bar, each item as its path, '-' for a separator.
    std::vector<std::string> items;
    const MenuTemplate* menu = FindMenuTemplate(IDR_MAIN_MENU);
    ASSERT_NE(menu, nullptr);
    for (const MenuTemplateItem& top : menu->items) {
        if (!top.IsPopup()) items.push_back(top.text.Bytes() + "=" + std::to_string(top.id));
        for (const MenuTemplateItem& item : top.items)
            items.push_back(top.text.Bytes() + "/" + (item.separator ? "-" : item.text.Bytes() + "=" + std::to_string(item.id)));
    }
    EXPECT_EQ(items, (std::vector<std::string> {
                         "&File/&Open Mapfile=32774", "&File/&Close Mapfile=32775", "&File/-", "&File/E&xit=32776",
                         "&Tools/Map &Info=32773", "&Tools/-", "&Tools/&Hex Float Converter=32777",
                         "&Tools/&Reflexive Calculator=32778", "&Tools/-", "&Tools/&Direct Inject=32783",
                         "&About=32780"}));

    const std::pair<UINT, const char*> strings[] = {
        {101, "&About Project Travik..."},         {32771, "Open a Halo mapfile."},
        {32772, "Close the currently open mapfile."}, {32773, "Opens the Map Info dialog."},
        {32776, "Exit the program."},
    };
    for (const auto& [id, text] : strings) {
        CString loaded;
        EXPECT_TRUE(loaded.LoadString(id)) << id;
        EXPECT_EQ(loaded, text) << id;
    }
}

TEST(Resources, EveryTemplateIsComplete)
{
    for (UINT id : {IDD_ABOUTBOX, IDD_MAIN_DIALOG, IDD_MESSAGE_DIALOG}) {
        const DialogTemplate* t = FindDialogTemplate(id);
        ASSERT_NE(t, nullptr) << id;
        EXPECT_FALSE(t->caption.IsEmpty());
        EXPECT_EQ(t->fontName, "MS Sans Serif");
        for (const ControlTemplate& control : t->controls) {
            // Inside the dialog, with a size.
            EXPECT_GT(control.rect.cx, 0) << id << "/" << control.id;
            EXPECT_GT(control.rect.cy, 0) << id << "/" << control.id;
            EXPECT_LE(control.rect.x + control.rect.cx, t->cx) << id << "/" << control.id;
            EXPECT_LE(control.rect.y + control.rect.cy, t->cy) << id << "/" << control.id;
        }
    }
    const IconResource* icon = FindIconResource(IDR_MAINFRAME);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->width, 32);
    EXPECT_EQ(icon->height, 32);
    EXPECT_EQ(icon->pixels.size(), 32u * 32u);
    CString about;
    EXPECT_TRUE(about.LoadString(IDS_ABOUTBOX));
    EXPECT_EQ(about, "&About Project Travik...");
    EXPECT_FALSE(about.LoadString(4242));
}

} // namespace
