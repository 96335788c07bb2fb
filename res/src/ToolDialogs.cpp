// The templates of the tool dialogs: Map Info, the two converters, the
// string index editor, export and options.
#include "res/ResourceIds.h"
#include "res/TemplateBuilder.h"
#include "res/Templates.h"

namespace {

constexpr uint64_t kEdit = ctl::Border | ctl::AutoHScroll | ctl::TabStop;
constexpr uint64_t kReadOnlyEdit = kEdit | ctl::ReadOnly;
constexpr uint64_t kButton = ctl::TabStop;
constexpr uint64_t kDefault = ctl::DefaultButton | ctl::TabStop;

DialogTemplate ToolDialog(UINT id, const char* caption, int cx, int cy)
{
    DialogTemplate t;
    t.id = id;
    t.caption = caption;
    t.cx = cx;
    t.cy = cy;
    t.fontName = kDialogFont;
    t.fontSize = kDialogFontSize;
    t.style = dlg::Caption | dlg::ModalFrame; // no system menu
    return t;
}

// One row of Map Info: a label and its edit, 14 units apart.
void MapInfoRow(DialogTemplate& t, const char* label, int id, int y, bool readOnly = false)
{
    t.controls.push_back(Label(label, {16, y + 2, 96, 8}));
    t.controls.push_back(Control(id, ControlKind::Edit, readOnly ? kReadOnlyEdit : kEdit, "", {116, y, 198, 12}));
}

} // namespace

const DialogTemplate& MapInfoTemplate()
{
    static const DialogTemplate made = [] {
        DialogTemplate t = ToolDialog(IDD_MAP_INFO, "Map Info", 329, 308);
        t.controls.push_back(GroupBox("Name Information", {7, 7, 315, 56}));
        MapInfoRow(t, "Map Filename", IDC_MAPINFO_FILENAME, 19, true);
        MapInfoRow(t, "Map Name", IDC_MAPINFO_MAP_NAME, 33);
        MapInfoRow(t, "Map Nickname", IDC_MAPINFO_NICKNAME, 47, true);
        t.controls.push_back(GroupBox("Index Information", {7, 66, 315, 70}));
        MapInfoRow(t, "Index Magic", IDC_MAPINFO_INDEX_MAGIC, 78);
        MapInfoRow(t, "Tag Count", IDC_MAPINFO_TAG_COUNT, 92);
        MapInfoRow(t, "Index Offset", IDC_MAPINFO_INDEX_OFFSET, 106);
        MapInfoRow(t, "Magic", IDC_MAPINFO_MAGIC, 120, true);
        t.controls.push_back(GroupBox("Map Use Information", {7, 139, 315, 70}));
        MapInfoRow(t, "Map Type", IDC_MAPINFO_MAP_TYPE, 151);
        MapInfoRow(t, "Map Version", IDC_MAPINFO_VERSION, 165);
        MapInfoRow(t, "SP/MP", IDC_MAPINFO_SPMP, 179, true);
        MapInfoRow(t, "Map Format", IDC_MAPINFO_FORMAT, 193, true);
        t.controls.push_back(GroupBox("EoF Information", {7, 212, 315, 42}));
        MapInfoRow(t, "EoF Position", IDC_MAPINFO_EOF_POSITION, 224);
        MapInfoRow(t, "EoF Space Size (Bytes)", IDC_MAPINFO_EOF_SPACE, 238, true);
        t.controls.push_back(GroupBox("Useless Information", {7, 257, 315, 28}));
        MapInfoRow(t, "Map Build Date", IDC_MAPINFO_BUILD_DATE, 269);
        t.controls.push_back(Control(IDC_MAPINFO_SAVE, ControlKind::PushButton, kButton, "&Save Changes", {64, 289, 60, 14}));
        t.controls.push_back(Control(IDOK, ControlKind::PushButton, kDefault, "&Close", {134, 289, 60, 14}));
        t.controls.push_back(Control(IDC_MAPINFO_REVERT, ControlKind::PushButton, kButton, "&Revert", {204, 289, 60, 14}));
        return t;
    }();
    return made;
}

const DialogTemplate& HexFloatTemplate()
{
    static const DialogTemplate made = [] {
        DialogTemplate t = ToolDialog(IDD_HEX_FLOAT, "Hex - Float Converter", 171, 101);
        t.controls = {
            GroupBox("Hex Float Converter", {7, 7, 157, 87}),
            Label("Decimal Float", {16, 24, 50, 8}),
            Control(IDC_HEXFLOAT_DECIMAL, ControlKind::Edit, kEdit, "", {70, 22, 86, 12}),
            Label("Hex Float", {16, 44, 50, 8}),
            Control(IDC_HEXFLOAT_HEX, ControlKind::Edit, kEdit, "", {70, 42, 86, 12}),
            Control(IDC_HEXFLOAT_TO_HEX, ControlKind::PushButton, kButton, "&Float to Hex", {15, 68, 45, 14}),
            Control(IDCANCEL, ControlKind::PushButton, kDefault, "&Close", {63, 68, 45, 14}),
            Control(IDC_HEXFLOAT_TO_FLOAT, ControlKind::PushButton, kButton, "&Hex to Float", {111, 68, 45, 14}),
        };
        return t;
    }();
    return made;
}

const DialogTemplate& ReflexiveCalculatorTemplate()
{
    static const DialogTemplate made = [] {
        DialogTemplate t = ToolDialog(IDD_REFLEXIVE_CALCULATOR, "Reflexive Calculator", 186, 95);
        t.controls = {
            GroupBox("Reflexive Calculator", {7, 7, 172, 81}),
            Label("Offset", {16, 21, 40, 8}),
            Control(IDC_REFLEXIVE_OFFSET, ControlKind::Edit, kEdit, "", {60, 19, 110, 12}),
            Label("Reflexive", {16, 35, 40, 8}),
            Control(IDC_REFLEXIVE_REFLEXIVE, ControlKind::Edit, kEdit, "", {60, 33, 110, 12}),
            Label("Magic", {16, 49, 40, 8}),
            Control(IDC_REFLEXIVE_MAGIC, ControlKind::Edit, kEdit | ctl::UpperCase, "", {60, 47, 110, 12}),
            Control(IDC_REFLEXIVE_TO_OFFSET, ControlKind::PushButton, kButton | ctl::MultiLineText,
                    "&Reflexive to Offset", {16, 63, 50, 20}),
            Control(IDCANCEL, ControlKind::PushButton, kDefault, "&Close", {68, 66, 50, 14}),
            Control(IDC_REFLEXIVE_TO_REFLEXIVE, ControlKind::PushButton, kButton | ctl::MultiLineText,
                    "&Offset to Reflexive", {120, 63, 50, 20}),
        };
        return t;
    }();
    return made;
}

const DialogTemplate& StringIndexTemplate()
{
    static const DialogTemplate made = [] {
        DialogTemplate t = ToolDialog(IDD_STRING_INDEX, "String Index Editor", 309, 186);
        t.controls = {
            GroupBox("String Index Viewer", {7, 7, 220, 140}),
            Control(IDC_STRINGINDEX_TEXT, ControlKind::Edit,
                    ctl::Border | ctl::MultiLine | ctl::AutoHScroll | ctl::AutoVScroll | ctl::HScroll | ctl::VScroll |
                        ctl::WantReturn | ctl::TabStop,
                    "", {15, 19, 204, 120}),
            GroupBox("Progress", {7, 150, 220, 29}),
            Control(IDC_STRINGINDEX_PROGRESS, ControlKind::ProgressBar, ctl::Border | ctl::Smooth, "",
                    {15, 161, 204, 11}),
            GroupBox("Load Data", {234, 7, 68, 82}),
            Label("Start Load", {242, 19, 52, 8}),
            Control(IDC_STRINGINDEX_START, ControlKind::Edit, kEdit, "", {242, 29, 52, 12}),
            Label("End Load", {242, 45, 52, 8}),
            Control(IDC_STRINGINDEX_END, ControlKind::Edit, kEdit, "", {242, 55, 52, 12}),
            Control(IDC_STRINGINDEX_LOAD, ControlKind::PushButton, kButton, "Load", {242, 70, 52, 14}),
            GroupBox("Other Stuff", {234, 92, 68, 87}),
            Control(IDC_STRINGINDEX_REVERT, ControlKind::PushButton, kButton, "Revert", {242, 106, 52, 14}),
            Control(IDC_STRINGINDEX_UPDATE, ControlKind::PushButton, kButton, "Update", {242, 129, 52, 14}),
            Control(IDCANCEL, ControlKind::PushButton, kButton, "Close", {242, 152, 52, 14}),
        };
        return t;
    }();
    return made;
}

const DialogTemplate& ExportTemplate()
{
    static const DialogTemplate made = [] {
        DialogTemplate t = ToolDialog(IDD_EXPORT, "Export...", 192, 121);
        t.controls = {
            GroupBox("Export Item Select", {7, 7, 178, 88}),
            Control(IDC_EXPORT_INDEX, ControlKind::PushButton, kButton, "&Index", {17, 21, 76, 16}),
            Control(IDC_EXPORT_STRING_INDEX, ControlKind::PushButton, kButton, "&String Index", {99, 21, 76, 16}),
            Control(IDC_EXPORT_METADATA, ControlKind::PushButton, kButton, "&Metadata Chunk", {17, 44, 76, 16}),
            Control(IDC_EXPORT_RAW_DATA, ControlKind::PushButton, kButton, "&Raw Data Chunk", {99, 44, 76, 16}),
            Control(IDC_EXPORT_OFFSET_LIST, ControlKind::PushButton, kButton, "&Offset List", {17, 67, 76, 16}),
            Control(IDC_EXPORT_HEADER, ControlKind::PushButton, kButton, "Mapfile &Header", {99, 67, 76, 16}),
            Control(IDCANCEL, ControlKind::PushButton, kDefault, "&Close", {71, 101, 50, 14}),
        };
        return t;
    }();
    return made;
}

const DialogTemplate& OptionsTemplate()
{
    static const DialogTemplate made = [] {
        DialogTemplate t = ToolDialog(IDD_OPTIONS, "Options", 151, 87);
        t.controls = {
            GroupBox("Colors", {7, 4, 137, 47}),
            Label("Tree Color", {15, 19, 40, 8}),
            Control(IDC_OPTIONS_TREE_COLOR, ControlKind::Edit, kEdit, "", {58, 17, 40, 12}),
            Control(IDC_OPTIONS_CHOOSE_TREE, ControlKind::PushButton, kButton, "Choose", {102, 16, 36, 14}),
            Label("List Color", {15, 35, 40, 8}),
            Control(IDC_OPTIONS_LIST_COLOR, ControlKind::Edit, kEdit, "", {58, 33, 40, 12}),
            Control(IDC_OPTIONS_CHOOSE_LIST, ControlKind::PushButton, kButton, "Choose", {102, 32, 36, 14}),
            GroupBox("Controls", {7, 53, 137, 30}),
            Control(IDC_OPTIONS_SAVE, ControlKind::PushButton, kButton, "&Save", {15, 65, 56, 13}),
            Control(IDCANCEL, ControlKind::PushButton, kDefault, "&Close", {80, 65, 56, 13}),
        };
        return t;
    }();
    return made;
}
