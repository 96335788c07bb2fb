// Feeds arbitrary bytes to the map readers as both the open map and the
// second map: every header, index and name read must stay in bounds.
#include "map/MapFiles.h"
#include "map/MapHeader.h"
#include "map/MapLoad.h"
#include "map/MapState.h"
#include "map/TagClassTable.h"
#include "map/TagIndex.h"
#include "platform/TreeCtrl.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {
std::string PrepareWorkDir()
{
    char pattern[] = "/tmp/travik-fuzz-XXXXXX";
    const char* dir = mkdtemp(pattern);
    if (!dir || chdir(dir) != 0) std::abort();
    return dir;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string dir = PrepareWorkDir();
    if (FILE* f = std::fopen("fuzz.map", "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    ResetMapState();
    FillTagClassTable();

    CTreeCtrl mainTree;
    g_strMapFileName = "fuzz.map";
    OpenMapFile();
    ReadOpenMapAndIndex(&mainTree);
    SetTreeColorForMap(mainTree);

    CTreeCtrl intoTree, fromTree;
    g_strInputMapFileName = "fuzz.map";
    OpenInputMapFile();
    ReadInputMapAndIndex(&fromTree);
    LoadTagIndexForInjection(intoTree);
    CloseInputMapFile();
    CloseMapFile();
    return 0;
}
