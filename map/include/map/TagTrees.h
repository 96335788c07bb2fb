// The tag trees: class-set roots, one node per class-table row under each,
// and every tag under the node of its class code.
#pragma once

#include "platform/CString.h"
#include "platform/TreeCtrl.h"

// Inserts the roots "Tag Class Set 1".."Tag Class Set <setCount>" and their
// 80 class nodes into the tree, recording them in g_hTagClassSet and
// g_hClassItems. A null tree gets nothing and leaves the records null.
void BuildClassSets(CTreeCtrl* tree, int setCount);

// The class-table row whose code equals the code exactly, or -1 when the
// code is empty or matches none of the 80 rows.
int ClassRowOf(const CString& classCode);

// Inserts a tag item, last under its class node in the given set, or under
// the set's root when its code is empty or unknown. Returns the new item.
HTREEITEM PlaceTagInSet(CTreeCtrl* tree, int set, const CString& classCode, const CString& name);
