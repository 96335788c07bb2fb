// Shorthand for writing dialog templates as data.
#pragma once

#include "platform/Resources.h"

inline ControlTemplate Control(int id, ControlKind kind, uint64_t style, const char* text, DialogRect rect)
{
    ControlTemplate control;
    control.id = id;
    control.kind = kind;
    control.style = style;
    control.text = text;
    control.rect = rect;
    return control;
}

inline ControlTemplate GroupBox(const char* text, DialogRect rect)
{
    return Control(IDC_STATIC, ControlKind::GroupBox, 0, text, rect);
}

inline ControlTemplate Label(const char* text, DialogRect rect, uint64_t style = 0)
{
    return Control(IDC_STATIC, ControlKind::StaticText, style, text, rect);
}

inline ControlTemplate Icon(UINT iconId, DialogRect rect)
{
    ControlTemplate control = Control(IDC_STATIC, ControlKind::StaticIcon, 0, "", rect);
    control.iconId = iconId;
    return control;
}

// The dialog font of every template.
constexpr const char* kDialogFont = "MS Sans Serif";
constexpr int kDialogFontSize = 8;
