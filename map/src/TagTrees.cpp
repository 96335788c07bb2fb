#include "map/TagTrees.h"

#include "map/MapState.h"

void BuildClassSets(CTreeCtrl* tree, int setCount)
{
    static const char* const kRootTexts[4] = {nullptr, "Tag Class Set 1", "Tag Class Set 2", "Tag Class Set 3"};
    if (setCount > 3) setCount = 3;
    HTREEITEM after = TVI_LAST;
    for (int set = 1; set <= setCount; ++set) {
        HTREEITEM root = tree ? tree->InsertItem(kRootTexts[set], TVI_ROOT, after) : nullptr;
        g_hTagClassSet[set] = root;
        after = root;
    }
    for (int set = 1; set <= setCount; ++set) {
        for (int row = 0; row < kFilledClassRows; ++row) {
            g_hClassItems[row][set] =
                tree ? tree->InsertItem(g_TagClasses[row][0] + " -- " + g_TagClasses[row][1], g_hTagClassSet[set],
                                        TVI_LAST)
                     : nullptr;
        }
    }
}

int ClassRowOf(const CString& classCode)
{
    if (classCode.IsEmpty()) return -1;
    for (int row = 0; row < kFilledClassRows; ++row)
        if (g_TagClasses[row][0] == classCode) return row;
    return -1;
}

HTREEITEM PlaceTagInSet(CTreeCtrl* tree, int set, const CString& classCode, const CString& name)
{
    if (!tree || set < 1 || set > 3) return nullptr;
    // A code with no node of its own stands with the empty codes under the
    // root, so that every tag has an item in every set.
    int row = ClassRowOf(classCode);
    HTREEITEM parent = row >= 0 ? g_hClassItems[row][set] : g_hTagClassSet[set];
    return tree->InsertItem(name, parent, TVI_LAST);
}
