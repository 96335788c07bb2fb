// The exhaustive reference search exactly as the editor's method defines
// it: one Find over the block for every needle and every find, with the
// running position P carried from search to search. Slow on purpose; the
// fast search must agree with it on every input.
#pragma once

#include "map/MapState.h"
#include "platform/CString.h"
#include "metadata/ReferenceSearch.h"
#include "tagcontrols/ScanEngine.h"

#include <cstdint>
#include <ostream>
#include <utility>
#include <vector>

namespace travik::test::oracle {

// The lowest p >= start at which needle stands, or -1 (also when start > L).
int32_t Find(const CString& block, const CString& needle, int64_t start);

CString ClassText(const CString& block, int32_t P);
uint32_t ValueAt(const CString& block, int32_t P);
uint32_t CountAt(const CString& block, int32_t P);
bool IsKnown(const CString& classText);

std::vector<ReferenceHit> IdentifierPass(const CString& block, const TagEntry* tags, int tagCount, int32_t& P);
std::vector<ReferenceHit> NullReferencePass(const CString& block, int32_t& P);
// From kLongRange addresses on, runs of addresses whose key stands nowhere
// in the block are not searched one by one (each would give -1), so that a
// range of all 2^32 addresses can be checked.
constexpr uint32_t kLongRange = 0x10000;
std::vector<ReferenceHit> PointerSearch(const CString& block, uint32_t firstAddress, uint32_t lastAddress,
                                        uint32_t magic, uint32_t base, int32_t& P);
// The same, searching every address one by one whatever the range.
std::vector<ReferenceHit> PointerSearchEveryAddress(const CString& block, uint32_t firstAddress, uint32_t lastAddress,
                                                    uint32_t magic, uint32_t base, int32_t& P);
std::vector<ReferenceHit> SelfPointerPass(const CString& block, uint32_t metaOffset, uint32_t magic, int32_t& P);
// The pointer search's loop over a list of values: (index, position) pairs.
std::vector<std::pair<size_t, int32_t>> SearchValueList(const CString& block, const std::vector<uint32_t>& values,
                                                        int32_t& P);

// The scanner's six phases step by step, every item it makes (no limit),
// with the texts of the item text table (numbers made in memory; that this
// is FloatToText's text is tested on its own). The float precision must let
// the float phase end.
std::vector<ScanItem> Scan(const CString& block, const ScanParameters& parameters);

} // namespace travik::test::oracle

// Readable failure output.
void PrintTo(const ReferenceHit& hit, std::ostream* out);
void PrintTo(const ScanItem& item, std::ostream* out);
