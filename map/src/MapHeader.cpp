#include "map/MapHeader.h"

#include "map/HexCodec.h"
#include "map/MapBytes.h"
#include "map/MapFiles.h"
#include "map/MapState.h"

#include <cstdio>

namespace {
CString ReadFourByteField(CFileStream& stream, int64_t offset)
{
    return HexWithoutLeadingZeros(ReadNumberAt(stream, offset, 4));
}

// One digit below 0x10, four digits (leading zeros kept) from 0x10 up.
CString ReadTwoByteField(CFileStream& stream, int64_t offset)
{
    uint32_t value = ReadNumberAt(stream, offset, 2);
    char text[8];
    std::snprintf(text, sizeof text, value < 0x10 ? "%x" : "%04x", value);
    return CString(text);
}

CString ReadTextField(CFileStream& stream, int64_t offset)
{
    std::string bytes = ReadBytesAt(stream, offset, 32);
    size_t end = bytes.find('\0');
    return CString(bytes.substr(0, end));
}

struct Nickname {
    const char* internalName;
    const char* nickname;
};

constexpr Nickname kNicknames[] = {
    {"bloodgulch", "Blood Gulch"},
    {"a10", "Pillar of Autumn"},
    {"a30", "Halo"},
    {"a50", "The Truth and Reconciliation"},
    {"b30", "The Silent Cartographer"},
    {"b40", "Assault on the Control Room"},
    {"c10", "343 Guilty Spark"},
    {"c20", "The Library"},
    {"c40", "Two Betrayals"},
    {"d20", "Keyes"},
    {"d40", "The Maw"},
    {"sidewinder", "Sidewinder"},
    {"hangemhigh", "Hang 'em High"},
    {"beavercreek", "Battle Creek"},
    {"damnation", "Damnation"},
    {"chillout", "Chill Out"},
    {"boardingaction", "Boarding Action"},
    {"carousel", "Derelict"},
    {"ratrace", "Rat Race"},
    {"longest", "Longest"},
    {"prisoner", "Prisoner"},
    {"wizard", "Wizard"},
    {"putput", "Chiron TL34"},
    {"gephyrophobia", "Gephyrophobia"},
    {"dangercanyon", "Danger Canyon"},
    {"deathisland", "Death Island"},
    {"infinity", "Infinity"},
    {"icefields", "Icefields"},
    {"timberland", "Timberland"},
    {"ui", "User Interface"},
};

struct TreeColor {
    const char* nickname;
    COLORREF color;
};

constexpr TreeColor kTreeColors[] = {
    {"Blood Gulch", RGB(255, 128, 64)},
    {"The Silent Cartographer", RGB(22, 207, 36)},
    {"The Truth and Reconciliation", RGB(238, 0, 238)},
    {"Halo", RGB(24, 214, 3)},
    {"The Library", RGB(137, 126, 112)},
    {"Pillar of Autumn", RGB(158, 160, 160)},
    {"Keyes", RGB(193, 0, 188)},
    {"Assault on the Control Room", RGB(255, 255, 255)},
    {"Two Betrayals", RGB(155, 140, 154)},
    {"343 Guilty Spark", RGB(88, 158, 84)},
    {"The Maw", RGB(163, 160, 80)},
    {"Chill Out", RGB(173, 36, 225)},
    {"Damnation", RGB(183, 72, 225)},
};
constexpr COLORREF kDefaultTreeColor = RGB(187, 187, 187);

constexpr int32_t kXboxCampaignLimit = 0x11600000;
constexpr int32_t kXboxMultiplayerLimit = 0x2F00000;
} // namespace

void ReadMapHeader()
{
    MapHeaderInfo& header = g_MapHeader;
    header.m_strIndexOffset = ReadFourByteField(g_MapFile, 0x10);
    header.m_strMapName = ReadTextField(g_MapFile, 0x20);
    header.m_strBuildDate = ReadTextField(g_MapFile, 0x40);
    header.m_strEofPosition = ReadFourByteField(g_MapFile, 0x08);
    header.m_strVersion = ReadTwoByteField(g_MapFile, 0x04);
    header.m_strMapType = ReadTwoByteField(g_MapFile, 0x60);
    if (g_MapFile.FileSize() < kMapHeaderEnd) {
        // The file ends inside its header: the missing bytes would read as
        // zeros (type 0, "Campaign"), and a name cut short could pass for
        // a known map's. Nothing is identified from a partial header: the
        // version and type texts hold the two-byte value that names no
        // format or type, and the name is empty.
        header.m_strVersion = "ffff";
        header.m_strMapType = "ffff";
        header.m_strMapName.Empty();
    }
}

void ReadInputMapHeader()
{
    g_InputMapHeader.m_strIndexOffset = ReadFourByteField(g_InputMapFile, 0x10);
    g_InputMapHeader.m_strEofPosition = ReadFourByteField(g_InputMapFile, 0x08);
}

void DetectMapFormat()
{
    switch (HexToInt(g_MapHeader.m_strVersion)) {
    case 5: g_strMapFormat = "Xbox"; break;
    case 7: g_strMapFormat = "PC"; break;
    default: g_strMapFormat = "Unknown"; break;
    }
    LogEntry("\tMap format: " + g_strMapFormat + "\n");
}

void DetectMapType()
{
    switch (HexToInt(g_MapHeader.m_strMapType)) {
    case 0: g_strMapType = "Campaign"; break;
    case 1: g_strMapType = "Multiplayer"; break;
    case 2: g_strMapType = "User Interface"; break;
    default: g_strMapType = "Unknown"; break;
    }
    LogEntry("\tMap type: " + g_strMapType + "\n");
}

void DetectMapNickname()
{
    g_strMapNickname = "Unknown";
    for (const Nickname& row : kNicknames) {
        if (g_MapHeader.m_strMapName == row.internalName) {
            g_strMapNickname = row.nickname;
            break;
        }
    }
    LogEntry("\tMap nickname: " + g_strMapNickname + "\n");
}

void ComputeEofSpace()
{
    g_nEofSpace = 0;
    if (g_MapHeader.m_strVersion != "5") return;
    // 32-bit wrap-around: an EoF position past the limit gives a negative space.
    const uint32_t eof = HexToInt(g_MapHeader.m_strEofPosition);
    switch (HexToInt(g_MapHeader.m_strMapType)) {
    case 0: g_nEofSpace = static_cast<int32_t>(static_cast<uint32_t>(kXboxCampaignLimit) - eof); break;
    case 1: g_nEofSpace = static_cast<int32_t>(static_cast<uint32_t>(kXboxMultiplayerLimit) - eof); break;
    default: break;
    }
}

COLORREF TreeColorForNickname(const CString& nickname)
{
    for (const TreeColor& row : kTreeColors)
        if (nickname == row.nickname) return row.color;
    return kDefaultTreeColor;
}

void SetTreeColorForMap(CTreeCtrl* tree)
{
    if (tree) tree->SetBkColor(TreeColorForNickname(g_strMapNickname));
}
