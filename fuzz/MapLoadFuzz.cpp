// Feeds arbitrary bytes to the map readers as both the open map and the
// second map: every header, index and name read must stay in bounds.
#include "fuzz/FuzzScratch.h"
#include "map/MapFiles.h"
#include "map/MapHeader.h"
#include "map/MapLoad.h"
#include "map/MapState.h"
#include "map/TagClassTable.h"
#include "map/TagIndex.h"
#include "platform/TreeCtrl.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Maps are opened by absolute name: the working directory stays put.
    const std::string path = travik::fuzz::Scratch().Write("fuzz.map", data, size);
    // Only what the last input's load wrote goes back to its start.
    ResetMapLoadState();
    FillTagClassTable();

    // The trees live across inputs and are emptied as the main window
    // empties its tree: their storage is reused rather than grown anew.
    static CTreeCtrl mainTree, intoTree, fromTree;
    for (CTreeCtrl* tree : {&mainTree, &intoTree, &fromTree}) tree->DeleteAllItems();

    g_strMapFileName = path.c_str();
    OpenMapFile();
    ReadOpenMapAndIndex(&mainTree);
    SetTreeColorForMap(mainTree);
    FindOpenMapGap();

    g_strInputMapFileName = path.c_str();
    OpenInputMapFile();
    ReadInputMapAndIndex(&fromTree);
    LoadTagIndexForInjection(intoTree);
    CloseInputMapFile();
    CloseMapFile();
    return 0;
}
