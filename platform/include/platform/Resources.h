// Resources as data: dialog templates, menu templates, icons and the string
// table. The program's resources live in res/, which defines the lookup
// functions at the end of this header; the platform and the presenters
// read them through these types only.
#pragma once

#include "platform/CString.h"
#include "platform/Types.h"

#include <cstdint>
#include <vector>

enum class ControlKind {
    PushButton,
    CheckBox,
    GroupBox,
    Edit,
    ComboBox,
    TreeView,
    ListView,
    ProgressBar,
    StaticText,
    StaticIcon,
};

const char* ControlKindName(ControlKind kind);

// Control style flags. Each kind reads the flags that concern it.
namespace ctl {
// Any control.
constexpr uint64_t TabStop = 1ull << 0;
constexpr uint64_t Disabled = 1ull << 1;     // created disabled
constexpr uint64_t Border = 1ull << 2;       // thin border
constexpr uint64_t ClientEdge = 1ull << 3;   // sunken edge
constexpr uint64_t StaticEdge = 1ull << 4;   // thin sunken edge
constexpr uint64_t HScroll = 1ull << 5;      // horizontal scroll bar
constexpr uint64_t VScroll = 1ull << 6;      // vertical scroll bar
// Buttons and check boxes.
constexpr uint64_t DefaultButton = 1ull << 8; // pressed by Enter
constexpr uint64_t Flat = 1ull << 9;
constexpr uint64_t MultiLineText = 1ull << 10; // caption wraps on several lines
constexpr uint64_t LeftText = 1ull << 11;      // check box text left of the box
constexpr uint64_t AutoCheck = 1ull << 12;     // check box toggles itself when clicked
// Edits (Centre also for static texts).
constexpr uint64_t ReadOnly = 1ull << 16;
constexpr uint64_t Number = 1ull << 17;     // the user can type digits only
constexpr uint64_t MultiLine = 1ull << 18;
constexpr uint64_t UpperCase = 1ull << 19;  // typed letters become capitals
constexpr uint64_t Centre = 1ull << 20;
constexpr uint64_t AutoHScroll = 1ull << 21;
constexpr uint64_t AutoVScroll = 1ull << 22;
constexpr uint64_t WantReturn = 1ull << 23; // Enter types a line end instead of pressing the default button
// Static texts.
constexpr uint64_t NoPrefix = 1ull << 24;   // '&' is shown, not taken as a mnemonic
// Combo boxes.
constexpr uint64_t DropDown = 1ull << 28;     // list that drops down, with an editable text field
constexpr uint64_t DropDownList = 1ull << 29; // list that drops down, no text field
constexpr uint64_t Sort = 1ull << 30;         // entries kept sorted (case ignored)
// Tree views.
constexpr uint64_t HasButtons = 1ull << 32;
constexpr uint64_t HasLines = 1ull << 33;
constexpr uint64_t LinesAtRoot = 1ull << 34;
constexpr uint64_t ShowSelAlways = 1ull << 35;
constexpr uint64_t TrackSelect = 1ull << 36; // hot tracking
constexpr uint64_t DisableDragDrop = 1ull << 37;
// List views.
constexpr uint64_t ListMode = 1ull << 40;      // labels flowing in columns, no headers
constexpr uint64_t SingleSel = 1ull << 41;
constexpr uint64_t SortAscending = 1ull << 42; // items kept sorted by text (case ignored)
// Progress bars.
constexpr uint64_t Smooth = 1ull << 44;
} // namespace ctl

// Dialog style flags.
namespace dlg {
constexpr uint32_t Caption = 1u << 0;
constexpr uint32_t SystemMenu = 1u << 1; // a system menu and a close box
constexpr uint32_t MinimizeBox = 1u << 2;
constexpr uint32_t ModalFrame = 1u << 3;
} // namespace dlg

// A rectangle in dialog units: left, top, width, height.
struct DialogRect {
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
};

struct ControlTemplate {
    int id = IDC_STATIC;
    ControlKind kind = ControlKind::StaticText;
    uint64_t style = 0;
    CString text;
    DialogRect rect;
    // Combo box entries added, in this order, when the dialog is created.
    std::vector<CString> initialData;
    // Static icons: the icon resource shown.
    UINT iconId = 0;
};

struct DialogTemplate {
    UINT id = 0;
    CString caption;
    int cx = 0; // size in dialog units
    int cy = 0;
    CString fontName;
    int fontSize = 8; // points
    UINT menuId = 0;  // 0: no menu bar
    uint32_t style = 0;
    std::vector<ControlTemplate> controls; // creation and tab order
};

struct MenuTemplateItem {
    CString text; // '&' marks the mnemonic
    UINT id = 0;  // command id; 0 for separators and submenus
    bool separator = false;
    std::vector<MenuTemplateItem> items; // a submenu when not empty
    bool IsPopup() const { return !items.empty(); }
};

struct MenuTemplate {
    UINT id = 0;
    std::vector<MenuTemplateItem> items; // the top-level items of a menu bar
};

// Pixels row by row from the top, each 0xAARRGGBB.
struct IconResource {
    UINT id = 0;
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
};

// Lookups into the program's resources (defined in res/). Null or false
// when the id is unknown.
const DialogTemplate* FindDialogTemplate(UINT id);
const MenuTemplate* FindMenuTemplate(UINT id);
const IconResource* FindIconResource(UINT id);
bool FindStringResource(UINT id, CString& text);

// Dialog units to pixels for a dialog font of the given average character
// width and height in pixels (the base units).
inline int DialogUnitsToPixelsX(int units, int baseX) { return (units * baseX) / 4; }
inline int DialogUnitsToPixelsY(int units, int baseY) { return (units * baseY) / 8; }
// The base units of an 8-point sans-serif dialog font on a 96-dpi screen;
// presenters that measure a real font use their own.
constexpr int kDefaultBaseUnitX = 6;
constexpr int kDefaultBaseUnitY = 13;
