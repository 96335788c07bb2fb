// The work behind the Direct Injection dialog's selections and its Inject
// button, apart from the controls.
#pragma once

#include "map/MapState.h"
#include "map/MessageSink.h"
#include "platform/CString.h"

#include <vector>

// The first loaded tag whose m_hItem2 is the item; -1 for no item, a root
// or a class node. Only the table's loaded entries are looked at.
int FindTagByItem(const TagEntry* tags, const IndexHeaderInfo& header, HTREEITEM item);

// The "Dependency List" of a second-map tag: one text per identifier found
// in its metadata, in the list's order (ascending by text, case ignored,
// equal texts in the order found). A refusal leaves the texts empty and
// says why in message.
struct ReferenceList {
    std::vector<CString> texts;
    CString message;
};
ReferenceList SourceReferenceList(int sourceTag);

// Injects the metadata of tag `source` of the second map over tag `target`
// of the open map, references re-pointed on the way through "Temp.data".
// Each text for the user goes to `tell` at once, in order; the last says
// how it ended. Only the first S bytes of the target's metadata are
// written (S the source's size): the rest keep their bytes.
void DirectInjectTag(int source, int target, const MessageSink& tell);

// The name of the scratch data file.
extern const char* const kTempDataFileName;
