#include "platform/Resources.h"

const char* ControlKindName(ControlKind kind)
{
    switch (kind) {
    case ControlKind::PushButton: return "push button";
    case ControlKind::CheckBox: return "check box";
    case ControlKind::GroupBox: return "group box";
    case ControlKind::Edit: return "edit";
    case ControlKind::ComboBox: return "combo box";
    case ControlKind::TreeView: return "tree view";
    case ControlKind::ListView: return "list view";
    case ControlKind::ProgressBar: return "progress bar";
    case ControlKind::StaticText: return "static text";
    case ControlKind::StaticIcon: return "icon";
    }
    return "control";
}
