// The reading sequences shared by every place that loads a map.
#pragma once

#include "platform/TreeCtrl.h"

// The open map: header, index header, identification, free space and the
// tag index with its three-set tree, in the order the main window uses on
// open and on reload. The class table must be filled already.
void ReadOpenMapAndIndex(CTreeCtrl* tree);

// The second map: header, index header and its one-set tree.
void ReadInputMapAndIndex(CTreeCtrl* tree);
