// Seed inputs of the fuzz targets, made with the map builder: a few sound
// files and the broken forms a reader must survive, each small enough for
// the fuzzers' input limit.
#pragma once

#include <string>
#include <vector>

namespace travik::fuzz {

struct Seed {
    std::string name;  // file name in the corpus folder
    std::string bytes;
};

// The seeds of a target by its name ("MapLoadFuzz"); empty for an unknown name.
std::vector<Seed> SeedsFor(const std::string& target);
// The names of every target that has seeds.
std::vector<std::string> SeededTargets();

// One function per target.
std::vector<Seed> MapLoadSeeds();
std::vector<Seed> MetadataInjectSeeds();

} // namespace travik::fuzz
