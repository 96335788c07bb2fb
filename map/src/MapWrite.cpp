#include "map/MapWrite.h"

#include "map/MapState.h"

bool WriteMapBytesAt(int64_t position, const std::string& bytes)
{
    if (!g_MapFile.IsOpen() || position < 0) return false;
    if (position + static_cast<int64_t>(bytes.size()) > g_MapFile.FileSize()) return false;
    g_MapFile.SeekWrite(position);
    return g_MapFile.Write(bytes);
}
