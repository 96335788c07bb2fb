// The reading sequences shared by every place that loads a map.
#pragma once

#include "platform/CString.h"
#include "platform/TreeCtrl.h"

// The open map: header, index header, identification, free space and the
// tag index with its three-set tree, in the order the main window uses on
// open and on reload. The class table must be filled already.
void ReadOpenMapAndIndex(CTreeCtrl* tree);

// The second map: header, index header and its one-set tree.
void ReadInputMapAndIndex(CTreeCtrl* tree);

// Where the open map's file ends too early for what its header and index
// describe, as the last read of it found: inside the header, before the
// end of the index header or of the index, or inside (or before) a name.
enum class MapGap { None, Header, IndexHeader, Index, Names };
MapGap FindOpenMapGap();
// What the user is told about such a file.
CString IncompleteMapMessage(const CString& fileName, MapGap gap);
