// The seed corpus of the metadata-file fuzz target, replayed through its
// entry point; each input aborts the run if an invariant breaks.
#include "tests/support/MetadataInjectInput.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

namespace {

using namespace travik::test;

class MetadataInjectCorpus : public WorkDirTest {};

TEST_F(MetadataInjectCorpus, EverySeedRunsThroughTheEntryPoint)
{
    const std::filesystem::path corpus =
        std::filesystem::path(__FILE__).parent_path().parent_path() / "fuzz" / "corpus" / "metadata-inject";
    std::vector<std::filesystem::path> seeds;
    for (const auto& entry : std::filesystem::directory_iterator(corpus))
        if (entry.is_regular_file()) seeds.push_back(entry.path());
    std::sort(seeds.begin(), seeds.end());
    ASSERT_GE(seeds.size(), 8u);
    for (const std::filesystem::path& seed : seeds) {
        SCOPED_TRACE(seed.filename().string());
        const std::string input = ReadFileBytes(seed);
        RunMetadataInjectInput(reinterpret_cast<const uint8_t*>(input.data()), input.size());
    }
}

} // namespace
