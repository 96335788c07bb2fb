#include "map/MapLoad.h"

#include "map/HexCodec.h"
#include "map/MapHeader.h"
#include "map/MapState.h"
#include "map/TagIndex.h"

void ReadOpenMapAndIndex(CTreeCtrl* tree)
{
    ReadMapHeader();
    ReadIndexHeader();
    DetectMapNickname();
    DetectMapType();
    DetectMapFormat();
    ComputeEofSpace();
    LoadTagIndex(tree);
}

MapGap FindOpenMapGap()
{
    const int64_t size = g_MapFile.FileSize();
    if (size < kMapHeaderEnd) return MapGap::Header;
    const int64_t indexHeader = HexToInt(g_MapHeader.m_strIndexOffset);
    if (indexHeader + kIndexHeaderSize > size) return MapGap::IndexHeader;
    const int64_t count = g_IndexHeader.m_nTagCount < 0 ? 0 : g_IndexHeader.m_nTagCount;
    if (indexHeader + kIndexHeaderSize + kIndexEntrySize * count > size) return MapGap::Index;
    if (LastLoadCutNames(g_Tags)) return MapGap::Names;
    return MapGap::None;
}

CString IncompleteMapMessage(const CString& fileName, MapGap gap)
{
    const char* reason = "";
    switch (gap) {
    case MapGap::None: return CString();
    case MapGap::Header: reason = "the file ends inside its header"; break;
    case MapGap::IndexHeader: reason = "its index header lies beyond the end of the file"; break;
    case MapGap::Index: reason = "its tag index runs past the end of the file"; break;
    case MapGap::Names: reason = "tag names run past the end of the file"; break;
    }
    return "The map '" + fileName + "' is incomplete: " + reason + ", so the tag tree may be partial.";
}

void ReadInputMapAndIndex(CTreeCtrl* tree)
{
    ReadInputMapHeader();
    ReadInputIndexHeader();
    LoadInputTagIndex(tree);
}
