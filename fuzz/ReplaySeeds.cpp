// Replays a fuzz target's seeds through its entry point in an ordinary test
// binary, so every CI run passes them through it (under the sanitizers in
// the sanitizer build). The target's source is compiled into this binary;
// TRAVIK_FUZZ_TARGET names it and TRAVIK_FUZZ_CORPUS is its corpus folder.
#include "fuzz/FuzzScratch.h"
#include "fuzz/seeds/Seeds.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/wait.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

int Replay(const std::string& bytes)
{
    return LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

TEST(FuzzSeedReplay, EverySeedAndCorpusFilePassesThroughTheEntryPoint)
{
    const std::filesystem::path start = std::filesystem::current_path();
    const std::vector<travik::fuzz::Seed> seeds = travik::fuzz::SeedsFor(TRAVIK_FUZZ_TARGET);
    ASSERT_FALSE(seeds.empty()) << "no seeds for " << TRAVIK_FUZZ_TARGET;
    for (const travik::fuzz::Seed& seed : seeds) EXPECT_EQ(Replay(seed.bytes), 0) << seed.name;
    // The smallest inputs, and the same input twice in a row.
    for (const std::string& bytes : {std::string(), std::string(1, '\0'), std::string(3, '\xFF'), seeds[0].bytes})
        EXPECT_EQ(Replay(bytes), 0);

    // The committed corpus holds the seeds as files, under their names.
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(TRAVIK_FUZZ_CORPUS)) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(Replay(bytes), 0) << entry.path();
        ++files;
    }
    for (const travik::fuzz::Seed& seed : seeds)
        EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(TRAVIK_FUZZ_CORPUS) / seed.name)) << seed.name;
    EXPECT_GE(files, seeds.size());
    // The fuzzer's working directory stays where it was started.
    EXPECT_EQ(std::filesystem::current_path(), start);
}

TEST(FuzzSeedReplay, TheScratchFolderIsRemovedWhenTheProcessEnds)
{
    int channel[2];
    ASSERT_EQ(pipe(channel), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(channel[0]);
        Replay(std::string(0x100, '\0'));
        const std::string path = travik::fuzz::Scratch().Path().string();
        const bool made = std::filesystem::is_directory(path);
        if (write(channel[1], path.data(), path.size()) != static_cast<ssize_t>(path.size())) _exit(3);
        close(channel[1]);
        std::exit(made ? 0 : 4);
    }
    close(channel[1]);
    std::string path;
    char buffer[512];
    for (ssize_t got; (got = read(channel[0], buffer, sizeof buffer)) > 0;) path.append(buffer, static_cast<size_t>(got));
    close(channel[0]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    ASSERT_FALSE(path.empty());
    EXPECT_FALSE(std::filesystem::exists(path)) << path;
}

} // namespace
