#include "res/ResourceIds.h"
#include "res/Templates.h"

const MenuTemplate& MainMenuTemplate()
{
    static const MenuTemplate menu = [] {
        MenuTemplateItem separator;
        separator.separator = true;

        MenuTemplateItem file {"&File", 0, false, {}};
        file.items = {
            {"&Open Mapfile", ID_FILE_OPEN_MAPFILE, false, {}},
            {"&Close Mapfile", ID_FILE_CLOSE_MAPFILE, false, {}},
            separator,
            {"E&xit", ID_FILE_EXIT, false, {}},
        };
        MenuTemplateItem tools {"&Tools", 0, false, {}};
        tools.items = {
            {"Map &Info", ID_TOOLS_MAP_INFO, false, {}},
            separator,
            {"&Hex Float Converter", ID_TOOLS_HEX_FLOAT_CONVERTER, false, {}},
            {"&Reflexive Calculator", ID_TOOLS_REFLEXIVE_CALCULATOR, false, {}},
            separator,
            {"&Direct Inject", ID_TOOLS_DIRECT_INJECT, false, {}},
        };
        MenuTemplateItem about {"&About", ID_ABOUT, false, {}}; // a command on the bar itself

        MenuTemplate made;
        made.id = IDR_MAIN_MENU;
        made.items = {file, tools, about};
        return made;
    }();
    return menu;
}
