#include "fuzz/seeds/Seeds.h"
#include "tests/support/MapBuilder.h"

namespace travik::fuzz {

using travik::test::Le32;
using travik::test::MapBuilder;
using travik::test::MapLayout;

namespace {
MapBuilder ThreeTags(MapBuilder map)
{
    map.MapName("bloodgulch");
    map.AddTag("bitm", "levels\\test\\bitmap").MetaSize(64);
    map.AddTag("obje", "levels\\test\\object", "unit").MetaSize(96).TagRef(0x10, "bitm", 0).NullRef(0x30, "snd!");
    map.AddTag("weap", "weapons\\rifle", "item", "obje").MetaSize(48).Reflexive(0x08, 2, 0x20);
    return map;
}
} // namespace

std::vector<Seed> MapLoadSeeds()
{
    std::vector<Seed> seeds;
    auto add = [&seeds](const char* name, const MapBuilder& map) { seeds.push_back({name, map.Build()}); };

    add("xbox-three-tags.map", ThreeTags(MapBuilder::Xbox()));
    add("pc-campaign.map", ThreeTags(MapBuilder::Pc()).MapName("a10").MapType(0));
    add("ui-no-tags.map", MapBuilder::Xbox().MapName("ui").MapType(2));

    MapBuilder classes = MapBuilder::Pc();
    const std::string none = "\xFF\xFF\xFF\xFF";
    classes.AddTag("bitm", "nulled", none, none).MetaSize(16);
    classes.AddTag("zzzz", "unknown class", "DeLa", "fog ").MetaSize(16);
    classes.AddTag("", "no class").MetaSize(16);
    classes.AddTag("snd!", "x marks").Identifier(0x78787878).MetaSize(16);
    add("class-codes.map", classes);

    MapLayout layout;
    const std::string whole = ThreeTags(MapBuilder::Xbox()).Build(&layout);
    seeds.push_back({"cut-in-header.map", whole.substr(0, 0x45)});
    seeds.push_back({"cut-in-index.map", whole.substr(0, layout.entryOffsets[1] + 10)});
    seeds.push_back({"cut-in-names.map", whole.substr(0, layout.fileSize - 4)});

    add("index-beyond-end.map", ThreeTags(MapBuilder::Xbox()).Patch(0x10, Le32(0x7FFFFFF0)));
    add("index-at-top-of-range.map", ThreeTags(MapBuilder::Xbox()).Patch(0x10, Le32(0xFFFFFFF0)));
    add("count-65535.map", ThreeTags(MapBuilder::Xbox()).StoredTagCount(65535));
    add("count-5001.map", ThreeTags(MapBuilder::Pc()).StoredTagCount(5001));

    MapBuilder names = ThreeTags(MapBuilder::Pc());
    names.Tag(0).NameAddress(0x7FFF0000);
    names.Tag(2).UnterminatedName();
    add("names-outside.map", names);

    MapBuilder sizes = ThreeTags(MapBuilder::Xbox());
    sizes.Tag(1).MetaAddress(0x10);
    add("meta-addresses-backwards.map", sizes);
    return seeds;
}

} // namespace travik::fuzz
