#include "tools/ToolDialogs.h"

#include "tools/HaloMapInfo.h"
#include "tools/HexFloatDialog.h"
#include "tools/ReflexiveConverterDialog.h"

void RunMapInfoDialog()
{
    CHaloMapInfo dlgMapInfo;
    dlgMapInfo.DoModal();
}

void RunHexFloatConverterDialog()
{
    CHexFloatDialog dlgConverter;
    dlgConverter.DoModal();
}

void RunReflexiveCalculatorDialog()
{
    CReflexiveConverterDialog dlgCalculator;
    dlgCalculator.DoModal();
}
