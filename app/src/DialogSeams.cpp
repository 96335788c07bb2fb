#include "app/DialogSeams.h"

#include "directinject/DirectInjectDialog.h"
#include "tagcontrols/TagInfo.h"
#include "tools/ToolDialogs.h"

namespace {

void RunTagControls(int32_t tagIndex)
{
    CTagInfo dlg;
    dlg.SetTag(tagIndex);
    dlg.DoModal();
}

MainWindowDialogs MakeHooks()
{
    MainWindowDialogs hooks;
    hooks.runTagControls = &RunTagControls;
    hooks.runDirectInject = &RunDirectInjectDialog;
    hooks.runMapInfo = &RunMapInfoDialog;
    hooks.runHexFloatConverter = &RunHexFloatConverterDialog;
    hooks.runReflexiveCalculator = &RunReflexiveCalculatorDialog;
    return hooks;
}

} // namespace

MainWindowDialogs& MainWindowDialogHooks()
{
    static MainWindowDialogs hooks = MakeHooks();
    return hooks;
}
