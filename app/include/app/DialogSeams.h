// The table of the feature dialogs the main window opens: Tag Controls, Map
// Info, the two converters and Direct Injection. Each entry constructs its
// dialog without a parent on its own stack, runs it with DoModal and lets it
// go; runTagControls hands it the tag's index with SetTag first.
//
// The main window runs a feature only through this table, so that a test
// can put a stand-in in an entry (or empty it: a null entry's command opens
// nothing, while what the main window does around it, finding the selected
// tag and reloading after a change, still runs) and restore the table after.
#pragma once

#include <cstdint>

struct FeatureDialogs {
    void (*runTagControls)(int32_t tagIndex) = nullptr;
    void (*runMapInfo)() = nullptr;
    void (*runHexFloatConverter)() = nullptr;
    void (*runReflexiveCalculator)() = nullptr;
    void (*runDirectInject)() = nullptr;
};

// The process-wide table, filled with the real dialogs at first use.
FeatureDialogs& MainWindowFeatureDialogs();
