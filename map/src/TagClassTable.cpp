#include "map/TagClassTable.h"

#include "map/MapState.h"

namespace {
struct ClassRow {
    const char* code;
    const char* name;
};

// Codes compare exactly: trailing blanks and mixed case are part of them.
constexpr ClassRow kClassRows[kFilledClassRows] = {
    {"actr", "Actor"},
    {"actv", "Actor Variant"},
    {"ant!", "Antenna"},
    {"antr", "Animation Trigger"},
    {"bipd", "Biped"},
    {"bitm", "Bitmap"},
    {"coll", "Collision Model"},
    {"colo", "Color Group"},
    {"cont", "Contrail"},
    {"ctrl", "Control"},
    {"deca", "Decal"},
    {"DeLa", "UI Item"},
    {"devc", "Device Control"},
    {"devi", "Device"},
    {"dobc", "Detail Object Collision"},
    {"effe", "Effect"},
    {"elec", "Lightning"},
    {"eqip", "Equipment"},
    {"flag", "Flag"},
    {"fog ", "Fog"},
    {"font", "Font"},
    {"foot", "Material Effect"},
    {"garb", "Garbage"},
    {"glw!", "Glow System"},
    {"grhi", "Grenade HUD Interface"},
    {"hmt ", "HUD Message Text"},
    {"hud#", "HUD Number"},
    {"hudg", "HUD Globals"},
    {"item", "Item"},
    {"itmc", "Item Collection"},
    {"jpt!", "Damage"},
    {"lens", "Lens Flare"},
    {"lifi", "Light Fixture"},
    {"ligh", "Light"},
    {"lsnd", "Looping Sound"},
    {"mach", "Machine"},
    {"matg", "Game Globals"},
    {"metr", "Meter"},
    {"mgs2", "Light Volume"},
    {"mod2", "Model (PC)"},
    {"mode", "Model (Xbox)"},
    {"mply", "Multiplayer Scenario"},
    {"obje", "Object"},
    {"part", "Particle"},
    {"pctl", "Particle System"},
    {"phys", "Physics"},
    {"plac", "Placeholder"},
    {"pphy", "Point Physics"},
    {"proj", "Projectile"},
    {"rain", "Weather Particle System"},
    {"sbsp", "Structure BSP"},
    {"scen", "Scenery"},
    {"scex", "Shader Transparency Chicago Extended"},
    {"schi", "Shader Transparency Chicago"},
    {"scnr", "Scenario"},
    {"senv", "Shader Environment"},
    {"sgla", "Shader Transparency Glass"},
    {"shdr", "Shader"},
    {"sky ", "Sky"},
    {"smet", "Shader Transparency Meter"},
    {"snd!", "Sound"},
    {"snde", "Sound Environment"},
    {"soso", "Shader Model"},
    {"sotr", "Shader Transparency Generic"},
    {"Soul", "UI Item Collection"},
    {"spla", "Shader Transparency Plasma"},
    {"ssce", "Sound Scenery"},
    {"str#", "String List"},
    {"swat", "Shader Transparency Water"},
    {"tagc", "Tag Collection"},
    {"trak", "Camera Track"},
    {"udlg", "Unit Dialog"},
    {"unhi", "Unit HUD Interface"},
    {"unit", "Unit"},
    {"ustr", "Unicode String List"},
    {"vehi", "Vehicle"},
    {"weap", "Weapon"},
    {"wind", "Wind"},
    {"wphi", "Weapon HUD Interface"},
    {"\xFF\xFF\xFF\xFF", "Nulled Out"},
};
} // namespace

void FillTagClassTable()
{
    for (int row = 0; row < kFilledClassRows; ++row) {
        g_TagClasses[row][0] = kClassRows[row].code;
        g_TagClasses[row][1] = kClassRows[row].name;
    }
}
