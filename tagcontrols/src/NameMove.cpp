#include "tagcontrols/NameMove.h"

#include "map/HexCodec.h"
#include "map/MapState.h"
#include "map/TagIndex.h"

#include <algorithm>

namespace {
// Half-open ranges of file offsets.
bool Overlap(int64_t from, int64_t end, int64_t usedFrom, int64_t usedEnd)
{
    return usedFrom < usedEnd && from < usedEnd && usedFrom < end;
}
} // namespace

NameMoveCheck CheckNameMove(int length, int64_t fileSize)
{
    const int64_t at = HexToInt(g_MapHeader.m_strEofPosition);
    const int64_t end = at + std::max(length, 0) + 1;
    // Neither the name's address nor the new EoF position could say where
    // a name past the top of the 32-bit range ends.
    if (end > int64_t {0xFFFFFFFF}) return NameMoveCheck::OutOfRange;
    if (at > fileSize) return NameMoveCheck::PastEnd;

    if (Overlap(at, end, 0, kMapHeaderBytes)) return NameMoveCheck::InUse;
    // The index as its header claims it, also past the tags that were loaded.
    const int64_t index = HexToInt(g_MapHeader.m_strIndexOffset);
    const int64_t entries = std::max(g_IndexHeader.m_nTagCount, 0);
    if (Overlap(at, end, index, index + kIndexHeaderSize + kIndexEntrySize * entries)) return NameMoveCheck::InUse;
    const int loaded = LoadedTagCount(g_IndexHeader);
    for (int k = 0; k < loaded; ++k) {
        const TagEntry& tag = g_Tags[k];
        const int64_t name = HexToInt(tag.m_strStringOffset);
        if (Overlap(at, end, name, name + tag.m_strName.GetLength() + 1)) return NameMoveCheck::InUse;
        const int64_t meta = HexToInt(tag.m_strMetaOffset);
        if (tag.m_nMetaSize > 0 && Overlap(at, end, meta, meta + tag.m_nMetaSize)) return NameMoveCheck::InUse;
    }
    return NameMoveCheck::Fits;
}
