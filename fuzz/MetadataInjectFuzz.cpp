// Hostile metadata files and data files injected into a small map: the
// reader always ends, no byte outside the injected block changes, and what
// Save Metadata writes reads back whole (see tests/support/MetadataInjectInput.h).
#include "tests/support/MetadataInjectInput.h"

#include <cstdint>
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
    travik::test::RunMetadataInjectInput(data, size);
    return 0;
}
