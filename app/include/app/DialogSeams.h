// The dialogs that the main window opens but that other subsystems build
// (Tag Controls, Map Info, the two converters, Direct Injection). The main
// window reaches each through a function here; while one is null its
// command opens nothing, and everything the main window does around it
// (finding the selected tag, reloading after a change) still runs.
//
// Each function constructs its dialog without a parent on its own stack,
// runs it with DoModal and lets it go; runTagControls also hands it the
// tag's index with SetTag first. A subsystem sets its function in
// MainWindowDialogHooks() (DialogSeams.cpp) once its dialog exists.
#pragma once

#include <cstdint>

struct MainWindowDialogs {
    void (*runTagControls)(int32_t tagIndex) = nullptr;
    void (*runMapInfo)() = nullptr;
    void (*runHexFloatConverter)() = nullptr;
    void (*runReflexiveCalculator)() = nullptr;
    void (*runDirectInject)() = nullptr;
};

MainWindowDialogs& MainWindowDialogHooks();
