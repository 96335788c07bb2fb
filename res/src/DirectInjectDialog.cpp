// The template of the Direct Injection dialog.
#include "res/ResourceIds.h"
#include "res/TemplateBuilder.h"
#include "res/Templates.h"

const DialogTemplate& DirectInjectTemplate()
{
    static const DialogTemplate made = [] {
        constexpr uint64_t kTree = ctl::Border | ctl::HasButtons | ctl::HasLines | ctl::LinesAtRoot |
                                   ctl::ShowSelAlways | ctl::TrackSelect | ctl::TabStop;
        constexpr uint64_t kSizeBox = ctl::ReadOnly | ctl::Centre | ctl::AutoHScroll | ctl::TabStop;
        DialogTemplate t;
        t.id = IDD_DIRECT_INJECT;
        t.caption = "Direct Injection";
        t.cx = 386;
        t.cy = 330;
        t.fontName = kDialogFont;
        t.fontSize = kDialogFontSize;
        t.style = dlg::Caption | dlg::ModalFrame; // no system menu, so no close box
        t.controls = {
            Control(IDCANCEL, ControlKind::PushButton, ctl::Flat | ctl::TabStop, "&Close", {167, 204, 50, 14}),
            Control(IDC_INJECT_INTO_TREE, ControlKind::TreeView, kTree, "", {15, 18, 130, 201}),
            Control(IDC_GET_FROM_TREE, ControlKind::TreeView, kTree, "", {240, 18, 130, 201}),
            Control(IDC_OPEN_MAP, ControlKind::PushButton, ctl::Flat | ctl::TabStop, "&Open Map", {168, 19, 50, 14}),
            Control(IDC_CLOSE_MAP, ControlKind::PushButton, ctl::Flat | ctl::TabStop, "Close &Map", {168, 39, 50, 14}),
            GroupBox("Map Functions", {157, 7, 72, 55}),
            GroupBox("Inject Into", {7, 7, 147, 219}),
            GroupBox("Get From", {232, 7, 147, 219}),
            GroupBox("Injection", {157, 62, 72, 164}),
            Control(IDC_INJECT, ControlKind::PushButton, ctl::Flat | ctl::TabStop, "&Inject", {168, 77, 50, 14}),
            Control(IDC_UPDATE_TAG_INFO, ControlKind::CheckBox,
                    ctl::AutoCheck | ctl::MultiLineText | ctl::Disabled | ctl::TabStop, "Update Tag Information",
                    {167, 96, 52, 18}),
            Control(IDC_OLD_TAG_SIZE, ControlKind::Edit, kSizeBox, "", {168, 130, 50, 12}),
            Control(IDC_NEW_TAG_SIZE, ControlKind::Edit, kSizeBox, "", {168, 159, 50, 12}),
            Label("Old Tag Size", {170, 119, 42, 8}),
            Label("New Tag Size", {168, 146, 46, 8}),
            Control(IDC_INJECT_STATUS, ControlKind::Edit,
                    ctl::MultiLine | ctl::ReadOnly | ctl::Centre | ctl::WantReturn | ctl::StaticEdge | ctl::TabStop,
                    "", {168, 175, 49, 27}),
            GroupBox("Dependency List", {7, 228, 372, 95}),
            Control(IDC_DEPENDENCY_LIST, ControlKind::ListView,
                    ctl::ListMode | ctl::SingleSel | ctl::SortAscending | ctl::Border | ctl::TabStop, "",
                    {15, 240, 355, 75}),
        };
        return t;
    }();
    return made;
}
