// The templates of the main window, the message box and the About box.
#include "res/ResourceIds.h"
#include "res/TemplateBuilder.h"
#include "res/Templates.h"

const DialogTemplate& MainDialogTemplate()
{
    static const DialogTemplate made = [] {
        DialogTemplate t;
        t.id = IDD_MAIN_DIALOG;
        t.caption = "Project Travik";
        t.cx = 335;
        t.cy = 222;
        t.fontName = kDialogFont;
        t.fontSize = kDialogFontSize;
        t.menuId = IDR_MAIN_MENU;
        t.style = dlg::Caption | dlg::SystemMenu | dlg::MinimizeBox | dlg::ModalFrame;
        t.controls = {
            GroupBox("Index Tags", {7, 7, 321, 208}),
            Control(IDC_TAG_TREE, ControlKind::TreeView,
                    ctl::Border | ctl::TabStop | ctl::HasButtons | ctl::HasLines | ctl::LinesAtRoot | ctl::TrackSelect,
                    "Tree1", {15, 18, 305, 189}),
        };
        return t;
    }();
    return made;
}

const DialogTemplate& MessageDialogTemplate()
{
    static const DialogTemplate made = [] {
        DialogTemplate t;
        t.id = IDD_MESSAGE_DIALOG;
        t.caption = "Message";
        t.cx = 186;
        t.cy = 95;
        t.fontName = kDialogFont;
        t.fontSize = kDialogFontSize;
        t.style = dlg::Caption | dlg::SystemMenu | dlg::ModalFrame;
        t.controls = {
            Control(IDCANCEL, ControlKind::PushButton, ctl::DefaultButton | ctl::Flat | ctl::TabStop, "&Close",
                    {70, 70, 50, 14}),
            GroupBox("Message", {7, 7, 172, 81}),
            // No border and no scroll bar: a long message wraps.
            Control(IDC_MESSAGE, ControlKind::Edit, ctl::MultiLine | ctl::Centre | ctl::ReadOnly | ctl::TabStop, "",
                    {20, 20, 146, 42}),
        };
        return t;
    }();
    return made;
}

const DialogTemplate& AboutBoxTemplate()
{
    static const DialogTemplate made = [] {
        DialogTemplate t;
        t.id = IDD_ABOUTBOX;
        t.caption = "About Project Travik";
        t.cx = 275;
        t.cy = 98;
        t.fontName = kDialogFont;
        t.fontSize = kDialogFontSize;
        t.style = dlg::Caption | dlg::ModalFrame; // no system menu, so no close box
        t.controls = {
            Icon(IDR_MAINFRAME, {11, 17, 21, 20}),
            Label("Project Travik Public Beta 1", {40, 10, 119, 8}, ctl::NoPrefix),
            Label("Written by the Project Travik team", {40, 23, 119, 8}, ctl::NoPrefix),
            Label("Map research shared by the modding community", {40, 36, 149, 8}, ctl::NoPrefix),
            Control(IDOK, ControlKind::PushButton, ctl::DefaultButton | ctl::Flat | ctl::TabStop, "&Close",
                    {218, 21, 50, 14}),
            Label("This program is still very buggy! I haven't had it erase my maps or anything, but just to be "
                  "safe, make a backup of your map before editing it with this program.",
                  {7, 49, 261, 18}, ctl::Centre),
            Label("Thanks to everyone who tried the test builds and reported what broke.", {7, 74, 261, 18},
                  ctl::Centre | ctl::NoPrefix),
        };
        return t;
    }();
    return made;
}
