// The template of the Tag Controls dialog.
#include "res/ResourceIds.h"
#include "res/TemplateBuilder.h"
#include "res/Templates.h"

namespace {

// The class codes of the tag class table in its row order, then four 0xFF
// bytes ("Nulled Out"); codes are case-sensitive and some end in a blank.
const std::vector<CString>& ClassCodeEntries()
{
    static const std::vector<CString> entries = {
        "actr", "actv", "ant!", "antr", "bipd", "bitm", "coll", "colo", "cont", "ctrl", "deca", "DeLa",
        "devc", "devi", "dobc", "effe", "elec", "eqip", "flag", "fog ", "font", "foot", "garb", "glw!",
        "grhi", "hmt ", "hud#", "hudg", "item", "itmc", "jpt!", "lens", "lifi", "ligh", "lsnd", "mach",
        "matg", "metr", "mgs2", "mod2", "mode", "mply", "obje", "part", "pctl", "phys", "plac", "pphy",
        "proj", "rain", "sbsp", "scen", "scex", "schi", "scnr", "senv", "sgla", "shdr", "sky ", "smet",
        "snd!", "snde", "soso", "sotr", "Soul", "spla", "ssce", "str#", "swat", "tagc", "trak", "udlg",
        "unhi", "unit", "ustr", "vehi", "weap", "wind", "wphi", "\xFF\xFF\xFF\xFF",
    };
    return entries;
}

constexpr uint64_t kEdit = ctl::Border | ctl::AutoHScroll | ctl::TabStop;
constexpr uint64_t kCombo = ctl::DropDown | ctl::VScroll | ctl::Sort | ctl::TabStop;
constexpr uint64_t kButton = ctl::Flat | ctl::TabStop;
constexpr uint64_t kCheck = ctl::AutoCheck | ctl::TabStop;

ControlTemplate ClassCombo(int id, DialogRect rect)
{
    ControlTemplate combo = Control(id, ControlKind::ComboBox, kCombo, "", rect);
    combo.initialData = ClassCodeEntries();
    return combo;
}

} // namespace

const DialogTemplate& TagInfoTemplate()
{
    static const DialogTemplate made = [] {
        DialogTemplate t;
        t.id = IDD_TAG_INFO;
        t.caption = "Tag Controls";
        t.cx = 597;
        t.cy = 306;
        t.fontName = kDialogFont;
        t.fontSize = kDialogFontSize;
        t.style = dlg::Caption | dlg::ModalFrame; // no system menu
        t.controls = {
            // Left half.
            GroupBox("Tag Information", {7, 7, 286, 292}),
            Label("Tag Name", {17, 21, 100, 8}),
            Control(IDC_TAG_NAME, ControlKind::Edit, kEdit, "", {17, 31, 266, 14}),
            Control(IDC_UPDATE_NAME_LOCATION, ControlKind::CheckBox, kCheck, "Update Name Location",
                    {190, 55, 93, 10}),
            Label("Meta Offset", {17, 56, 60, 8}),
            Control(IDC_META_OFFSET, ControlKind::Edit, kEdit, "", {80, 53, 100, 14}),
            Label("String Offset", {17, 76, 60, 8}),
            Control(IDC_STRING_OFFSET, ControlKind::Edit, kEdit, "", {80, 73, 100, 14}),
            Label("Page Offset", {17, 96, 60, 8}),
            Control(IDC_PAGE_OFFSET, ControlKind::Edit, kEdit | ctl::ReadOnly, "", {80, 93, 100, 14}),
            Label("Value", {17, 116, 60, 8}),
            Control(IDC_VALUE, ControlKind::Edit, kEdit | ctl::ReadOnly, "", {80, 113, 100, 14}),
            Label("Metadata Size", {17, 136, 60, 8}),
            Control(IDC_META_SIZE, ControlKind::Edit, kEdit | ctl::ReadOnly, "", {80, 133, 100, 14}),
            Label("Identifier", {17, 156, 60, 8}),
            Control(IDC_IDENTIFIER, ControlKind::Edit, kEdit, "", {80, 153, 100, 14}),
            Label("Tag Types", {17, 180, 60, 8}),
            Label("1", {17, 195, 8, 8}),
            ClassCombo(IDC_TYPE1, {27, 193, 70, 120}),
            Label("2", {110, 195, 8, 8}),
            ClassCombo(IDC_TYPE2, {120, 193, 70, 120}),
            Label("3", {203, 195, 8, 8}),
            ClassCombo(IDC_TYPE3, {213, 193, 70, 120}),
            Label("Warning: Problems arise if '78' is part of the data values.", {17, 240, 266, 18}, ctl::Centre),
            Control(IDC_SAVE_CHANGES, ControlKind::PushButton, kButton, "&Save Changes", {17, 270, 80, 16}),
            Control(IDCANCEL, ControlKind::PushButton, kButton | ctl::DefaultButton, "&Close", {110, 270, 80, 16}),
            Control(IDC_REVERT, ControlKind::PushButton, kButton, "&Revert", {203, 270, 80, 16}),
            // Right half.
            GroupBox("Tag Editation", {303, 7, 287, 292}),
            GroupBox("Meta Scanner", {311, 18, 271, 220}),
            Control(IDC_SCANNER_TREE, ControlKind::TreeView,
                    ctl::Border | ctl::TabStop | ctl::HasButtons | ctl::HasLines | ctl::LinesAtRoot |
                        ctl::ShowSelAlways | ctl::TrackSelect | ctl::DisableDragDrop,
                    "", {319, 30, 255, 110}),
            Label("Float Precision", {319, 149, 55, 8}),
            Control(IDC_FLOAT_PRECISION, ControlKind::Edit, kEdit | ctl::Number, "", {376, 146, 50, 14}),
            GroupBox("Find", {319, 163, 255, 34}),
            Control(IDC_FIND_DEPENDENCIES, ControlKind::CheckBox, kCheck, "Dependencies", {327, 173, 75, 10}),
            Control(IDC_FIND_REFLEXIVES, ControlKind::CheckBox, kCheck, "Reflexives", {412, 173, 75, 10}),
            Control(IDC_FIND_FLOATS, ControlKind::CheckBox, kCheck, "Floats", {497, 173, 70, 10}),
            Control(IDC_FIND_LONEIDS, ControlKind::CheckBox, kCheck, "LoneIDs", {327, 184, 75, 10}),
            Control(IDC_FIND_POINTERS, ControlKind::CheckBox, kCheck, "Pointers", {412, 184, 75, 10}),
            Control(IDC_FIND_SHORTS, ControlKind::CheckBox, kCheck, "Shorts", {497, 184, 70, 10}),
            Control(IDC_SCAN_TAG, ControlKind::ComboBox, kCombo, "", {319, 202, 165, 150}),
            ClassCombo(IDC_SCAN_CLASS, {488, 202, 40, 120}),
            Control(IDC_SCAN_VALUE, ControlKind::Edit, kEdit | ctl::Number, "", {532, 202, 42, 14}),
            Control(IDC_SCAN_METADATA, ControlKind::PushButton, kButton, "Scan &Metadata", {319, 219, 80, 14}),
            Control(IDC_UPDATE_ITEM, ControlKind::PushButton, kButton, "&Update Item", {406, 219, 80, 14}),
            Control(IDC_CLEAR_SCANNER, ControlKind::PushButton, kButton, "C&lear Scanner", {493, 219, 81, 14}),
            GroupBox("Meta Functions", {311, 243, 271, 49}),
            Control(IDC_INJECT_METADATA, ControlKind::PushButton, kButton, "&Inject Metadata", {319, 255, 80, 14}),
            Control(IDC_CORRECT_METADATA, ControlKind::CheckBox, kCheck, "Correct Metadata", {319, 276, 80, 10}),
            Control(IDC_RECURSIVE, ControlKind::CheckBox, kCheck | ctl::Disabled | ctl::LeftText, "Recursive",
                    {420, 276, 60, 10}),
            Control(IDC_SAVE_METADATA, ControlKind::PushButton, kButton, "Sa&ve Metadata", {494, 255, 80, 14}),
        };
        return t;
    }();
    return made;
}
