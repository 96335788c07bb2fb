// Where Save Changes may put a tag name that has grown longer than the
// stored one: at the header's EoF position as loaded, and only into bytes
// the map does not use, so that no header field, index entry, other name or
// metadata is overwritten and the file never grows by a run of zero bytes.
#pragma once

#include <cstdint>

// The header as the map stores it: the editor reads only a few of its
// fields, but the whole of it belongs to the map.
constexpr int64_t kMapHeaderBytes = 0x800;

enum class NameMoveCheck {
    Fits,       // free bytes, or the end of the file (the name is appended)
    OutOfRange, // the name or the new EoF position would pass 0xFFFFFFFF
    PastEnd,    // the EoF position lies past the end of the file
    InUse,      // the name would cover the header, the index or a tag's name or metadata
};

// Checks a name of `length` characters and its zero byte at the open map's
// EoF position as loaded, against the map as loaded (g_MapHeader,
// g_IndexHeader, g_Tags). The cost grows with the loaded tags only.
NameMoveCheck CheckNameMove(int length, int64_t fileSize);
