#include "directinject/DirectInject.h"

#include "map/HexCodec.h"
#include "tagcontrols/ReferenceSearch.h"
#include "tagcontrols/WorkingMetadata.h"

#include <algorithm>

int FindTagByItem(const TagEntry* tags, const IndexHeaderInfo& header, HTREEITEM item)
{
    if (item == nullptr) return -1;
    const int count = LoadedTagCount(header);
    for (int i = 0; i < count; ++i)
        if (tags[i].m_hItem2 == item) return i;
    return -1;
}

namespace {
CString SizeRefusal(int32_t size, const char* what)
{
    return CString("The metadata size of ") + what + " (" + IntToDecText(size) + " bytes) is outside 0 to " +
           IntToDecText(kWorkingMetadataSize) + " bytes.";
}
} // namespace

ReferenceList SourceReferenceList(int sourceTag)
{
    ReferenceList list;
    const TagEntry& tag = g_InputTags[sourceTag];
    const WorkingMetadata meta = ReadWorkingMetadata(g_InputMapFile, HexToInt(tag.m_strMetaOffset), tag.m_nMetaSize);
    if (meta.status == MetadataReadStatus::SizeOutOfRange) {
        list.message = SizeRefusal(tag.m_nMetaSize, "this tag") + " Its references are not listed.";
        return list;
    }
    // A short read lists what the bytes read hold.
    int32_t P = 0;
    size_t hits = 0;
    IdentifierPass(meta.block, g_InputTags, g_InputIndexHeader.m_nTagCount, P, [&](const ReferenceHit& hit) {
        if (++hits > kMaxReferenceHits) return false;
        const TagEntry& found = g_InputTags[hit.tag];
        if (hit.kind == HitKind::Dependency)
            list.texts.push_back("Dependency -- " + hit.classCode + " -- " + found.m_strName);
        else
            list.texts.push_back("LoneID -- " + found.m_strClass1 + " -- " + found.m_strName);
        return true;
    });
    if (hits > kMaxReferenceHits) {
        list.texts.clear();
        list.message = "This tag's metadata holds more than " + IntToDecText(static_cast<int32_t>(kMaxReferenceHits)) +
                       " tag identifiers: the second map's tags share identifiers. Its references are not listed.";
        return list;
    }
    // The list keeps its items sorted as it takes them; sorting them first
    // the same way (stable, so equal texts keep their order) lets each one
    // go to the end instead of moving the rest.
    std::stable_sort(list.texts.begin(), list.texts.end(),
                     [](const CString& a, const CString& b) { return a.CompareNoCase(b) < 0; });
    return list;
}

std::vector<CString> DirectInjectTag(int /*source*/, int /*target*/)
{
    return {"Direct inject is not ready yet."};
}
