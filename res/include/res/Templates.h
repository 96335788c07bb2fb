// The program's resources, each built on first use. Resources.cpp lists
// them for the platform's lookups; a new template is added there too.
#pragma once

#include "platform/Resources.h"

const DialogTemplate& AboutBoxTemplate();
const DialogTemplate& DirectInjectTemplate();
const DialogTemplate& MainDialogTemplate();
const DialogTemplate& MessageDialogTemplate();
const DialogTemplate& TagInfoTemplate();
const DialogTemplate& MapInfoTemplate();
const DialogTemplate& HexFloatTemplate();
const DialogTemplate& ReflexiveCalculatorTemplate();
const DialogTemplate& StringIndexTemplate();
const DialogTemplate& ExportTemplate();
const DialogTemplate& OptionsTemplate();

const MenuTemplate& MainMenuTemplate();

const IconResource& ApplicationIcon();

// The string table as id and text pairs.
struct StringResource {
    UINT id;
    const char* text;
};
const std::vector<StringResource>& StringTable();
