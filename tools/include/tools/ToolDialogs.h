// The tool dialogs the main window opens from its Tools menu, each run
// modally on the stack of the call.
#pragma once

void RunMapInfoDialog();
void RunHexFloatConverterDialog();
void RunReflexiveCalculatorDialog();
