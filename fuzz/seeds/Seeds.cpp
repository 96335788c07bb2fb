#include "fuzz/seeds/Seeds.h"

namespace travik::fuzz {

namespace {
struct Target {
    const char* name;
    std::vector<Seed> (*seeds)();
};
// A new fuzz target adds its line here.
constexpr Target kTargets[] = {
    {"MapLoadFuzz", &MapLoadSeeds},
    {"MetadataInjectFuzz", &MetadataInjectSeeds},
};
} // namespace

std::vector<Seed> SeedsFor(const std::string& target)
{
    for (const Target& each : kTargets)
        if (target == each.name) return each.seeds();
    return {};
}

std::vector<std::string> SeededTargets()
{
    std::vector<std::string> names;
    for (const Target& each : kTargets) names.emplace_back(each.name);
    return names;
}

} // namespace travik::fuzz
