#include "res/Templates.h"

namespace {

using DialogMaker = const DialogTemplate& (*)();
const DialogMaker kDialogs[] = {
    &AboutBoxTemplate,
    &DirectInjectTemplate,
    &MainDialogTemplate,
    &MessageDialogTemplate,
    &TagInfoTemplate,
    &MapInfoTemplate,
    &HexFloatTemplate,
    &ReflexiveCalculatorTemplate,
    &StringIndexTemplate,
    &ExportTemplate,
    &OptionsTemplate,
};

using MenuMaker = const MenuTemplate& (*)();
const MenuMaker kMenus[] = {
    &MainMenuTemplate,
};

using IconMaker = const IconResource& (*)();
const IconMaker kIcons[] = {
    &ApplicationIcon,
};

} // namespace

const DialogTemplate* FindDialogTemplate(UINT id)
{
    for (DialogMaker make : kDialogs)
        if (make().id == id) return &make();
    return nullptr;
}

const MenuTemplate* FindMenuTemplate(UINT id)
{
    for (MenuMaker make : kMenus)
        if (make().id == id) return &make();
    return nullptr;
}

const IconResource* FindIconResource(UINT id)
{
    for (IconMaker make : kIcons)
        if (make().id == id) return &make();
    return nullptr;
}

bool FindStringResource(UINT id, CString& text)
{
    for (const StringResource& entry : StringTable()) {
        if (entry.id == id) {
            text = entry.text;
            return true;
        }
    }
    return false;
}
