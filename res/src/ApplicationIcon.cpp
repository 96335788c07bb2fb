// Icon 128, the application's icon: a green badge with a white T.
#include "res/ResourceIds.h"
#include "res/Templates.h"

#include <cstring>

namespace {

// One character a pixel; see PaletteColor.
const char* const kRows[] = {
        "................................",
        "................................",
        "....kkkkkkkkkkkkkkkkkkkkkkkk....",
        "...kkggggggggggggggggggggggkk...",
        "..kkggggggggggggggggggggggggkk..",
        "..kggggggggggggggggggggggggggk..",
        "..kggggggggggggggggggggggggggk..",
        "..kgggggwwwwwwwwwwwwwwwwgggggk..",
        "..kgggggwwwwwwwwwwwwwwwwgggggk..",
        "..kgggggwwwwwwwwwwwwwwwwgggggk..",
        "..kgggggwwwwwwwwwwwwwwwwgggggk..",
        "..kgggggggggggwwwwgggggggggggk..",
        "..kgggggggggggwwwwgggggggggggk..",
        "..kgggggggggggwwwwgggggggggggk..",
        "..kgggggggggggwwwwgggggggggggk..",
        "..kgggggggggggwwwwgggggggggggk..",
        "..kgggggggggggwwwwgggggggggggk..",
        "..kgggggggggggwwwwgggggggggggk..",
        "..kgggggggggggwwwwgggggggggggk..",
        "..kgggggggggggwwwwgggggggggggk..",
        "..kgggggggggggwwwwgggggggggggk..",
        "..kdddddddddddwwwwdddddddddddk..",
        "..kdddddddddddwwwwdddddddddddk..",
        "..kdddddddddddwwwwdddddddddddk..",
        "..kdddddddddddwwwwdddddddddddk..",
        "..kddddddddddddddddddddddddddk..",
        "..kddddddddddddddddddddddddddk..",
        "..kkddddddddddddddddddddddddkk..",
        "...kkddddddddddddddddddddddkk...",
        "....kkkkkkkkkkkkkkkkkkkkkkkk....",
        "................................",
        "................................",
};

uint32_t PaletteColor(char c)
{
    switch (c) {
    case 'k': return 0xFF1B3B1Fu; // outline
    case 'g': return 0xFF2E8B3Eu; // badge
    case 'd': return 0xFF236B30u; // lower band
    case 'w': return 0xFFFFFFFFu; // letter
    default: return 0x00000000u;  // transparent
    }
}

} // namespace

const IconResource& ApplicationIcon()
{
    static const IconResource icon = [] {
        IconResource made;
        made.id = IDR_MAINFRAME;
        made.width = 32;
        made.height = static_cast<int>(sizeof kRows / sizeof kRows[0]);
        for (const char* row : kRows)
            for (size_t x = 0; x < std::strlen(row); ++x) made.pixels.push_back(PaletteColor(row[x]));
        return made;
    }();
    return icon;
}
