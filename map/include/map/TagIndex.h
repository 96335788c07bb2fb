// Reading a map's index header, its tag index and its tag names into the
// tag tables, with the index-load entry of the log and the tag tree.
#pragma once

#include "platform/TreeCtrl.h"

#include <cstdint>

// Index magic, tag count (as the file holds it) and the magic text of the open map.
void ReadIndexHeader();
// The same for the second map.
void ReadInputIndexHeader();

// The open map's tags into g_Tags and a tree with three class sets
// (m_hItem1..3). At most the first 5000 tags are loaded; the tag count
// keeps the number the file holds. A null tree loads the table alone.
void LoadTagIndex(CTreeCtrl* tree);
// The open map's tags into g_Tags again, and a tree with class set 1 only;
// only m_hItem2 of the tree items changes.
void LoadTagIndexForInjection(CTreeCtrl* tree);
// The second map's tags into g_InputTags and a tree with class set 1 only (m_hItem2).
void LoadInputTagIndex(CTreeCtrl* tree);

// Sizes of the index header and of one index entry.
constexpr int64_t kIndexHeaderSize = 0x24;
constexpr int64_t kIndexEntrySize = 32;

struct TagEntry;
// Whether the last load into the table (g_Tags or g_InputTags) met a tag
// name that the end of the file cut short or that lies beyond it.
bool LastLoadCutNames(const TagEntry* table);
// Forgets what the last loads met, as before any load.
void ResetNamesCut();

inline void LoadTagIndex(CTreeCtrl& tree) { LoadTagIndex(&tree); }
inline void LoadTagIndexForInjection(CTreeCtrl& tree) { LoadTagIndexForInjection(&tree); }
inline void LoadInputTagIndex(CTreeCtrl& tree) { LoadInputTagIndex(&tree); }
