#include "app/DialogSeams.h"

MainWindowDialogs& MainWindowDialogHooks()
{
    static MainWindowDialogs hooks;
    return hooks;
}
