#include "map/MapLoad.h"

#include "map/MapHeader.h"
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

void ReadInputMapAndIndex(CTreeCtrl* tree)
{
    ReadInputMapHeader();
    ReadInputIndexHeader();
    LoadInputTagIndex(tree);
}
