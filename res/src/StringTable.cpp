#include "res/ResourceIds.h"
#include "res/Templates.h"

const std::vector<StringResource>& StringTable()
{
    static const std::vector<StringResource> table = {
        {IDS_ABOUTBOX, "&About Project Travik..."},
        {IDS_PROMPT_OPEN, "Open a Halo mapfile."},
        {IDS_PROMPT_CLOSE, "Close the currently open mapfile."},
        {IDS_PROMPT_MAP_INFO, "Opens the Map Info dialog."},
        {IDS_PROMPT_EXIT, "Exit the program."},
        {AFX_IDS_APP_TITLE, "Project Travik"},
    };
    return table;
}
