// travik_seed_corpus: writes every fuzz target's seeds as files into
// <folder>/<target>/, the corpus a fuzzer starts from.
#include "fuzz/seeds/Seeds.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    for (const std::string& target : travik::fuzz::SeededTargets()) {
        std::filesystem::path folder = std::filesystem::path(argv[1]) / target;
        std::filesystem::create_directories(folder);
        for (const travik::fuzz::Seed& seed : travik::fuzz::SeedsFor(target)) {
            std::ofstream out(folder / seed.name, std::ios::binary | std::ios::trunc);
            out.write(seed.bytes.data(), static_cast<std::streamsize>(seed.bytes.size()));
            if (!out) {
                std::fprintf(stderr, "could not write %s\n", (folder / seed.name).c_str());
                return 1;
            }
        }
    }
    return 0;
}
