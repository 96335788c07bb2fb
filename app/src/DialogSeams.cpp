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

FeatureDialogs MakeRealDialogs()
{
    FeatureDialogs dialogs;
    dialogs.runTagControls = &RunTagControls;
    dialogs.runDirectInject = &RunDirectInjectDialog;
    dialogs.runMapInfo = &RunMapInfoDialog;
    dialogs.runHexFloatConverter = &RunHexFloatConverterDialog;
    dialogs.runReflexiveCalculator = &RunReflexiveCalculatorDialog;
    return dialogs;
}

} // namespace

FeatureDialogs& MainWindowFeatureDialogs()
{
    static FeatureDialogs dialogs = MakeRealDialogs();
    return dialogs;
}
