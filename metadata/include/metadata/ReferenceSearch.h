// The reference search: finds tag identifiers, null references and
// pointers in a tag's metadata without knowing any tag layout. The block is
// a byte string (zero bytes carried as 'x', so a 0x78 byte and a zero byte
// are the same to every search and window).
//
// Every search of the exhaustive method is Find(needle, P + 1) with one
// running position P carried from search to search and pass to pass. These
// passes give exactly its hits, in its order, and leave P as it would, but
// walk the block once per pass and look up which needles stand at each
// position instead of scanning the block once per needle. Needles and key
// strings are found through sorted tables and radix sorts, never a hash of
// bytes from the file, so what a block holds cannot make a pass slow. The
// pointer search works through its range piece by piece, so a sink that
// stops early spares the rest: a broken map's range of 2^32 addresses
// costs the scanner no more than a sound one.
//
// Hits go to a sink one by one; a sink that returns false ends the pass at
// once (P is then unspecified; a caller that stops does not go on).
#pragma once

#include "map/MapState.h"
#include "platform/CString.h"

#include <cstdint>
#include <functional>
#include <vector>

enum class HitKind { Dependency, LoneID, NullReference, Pointer };

struct ReferenceHit {
    HitKind kind = HitKind::LoneID;
    int32_t offset = 0;   // position of the find, always > 0
    int32_t tag = 0;      // identifier pass: index into the searched table
    CString classCode;    // Dependency, null reference: class text found
    uint32_t value = 0;   // pointer: the value window
    uint32_t target = 0;  // pointer: value - magic - base, wrapping
    uint32_t count = 0;   // pointer: the count window, 0 to 65535

    friend bool operator==(const ReferenceHit&, const ReferenceHit&) = default;
};

using HitSink = std::function<bool(const ReferenceHit&)>;

// One of the 79 real class codes (rows 0-78 of g_TagClasses); the row of
// four 0xFF bytes is not one. Only a text of four characters can be one.
bool IsKnownClassCode(const CString& code);

// The identifier's four bytes as the file stores them, least significant
// first, zero bytes as 'x'.
CString IdentifierKey(const TagEntry& tag);
// The low-order bytes of value, least significant first, without the
// high-order zero bytes: one to four characters (0 gives one 'x').
CString ValueKey(uint32_t value);

// The windows around a find at position p. A window that would start
// before 0 starts at 0 and keeps its width; one that would run past the end
// is cut there. Numbers read 'x' as a zero byte.
CString ClassWindowText(const CString& block, int32_t p);   // 4 at p - 12, reversed
uint32_t ValueWindow(const CString& block, int32_t p);      // 4 at p, little-endian
uint32_t CountWindow(const CString& block, int32_t p);      // 2 at p - 4, little-endian
// The value window most significant byte first, two lowercase digits a byte.
CString ValueWindowHex(const CString& block, int32_t p);

// Every occurrence of every tag's identifier, tags in index order, each
// tag's finds ascending; a find at position 0 is passed over. tagCount is
// clamped to the table's room (kMaxTags). Leaves P = -1, or unchanged when
// tagCount <= 0.
void IdentifierPass(const CString& block, const TagEntry* tags, int tagCount, int32_t& P, const HitSink& sink);
// Four 0xFF bytes with a known class code 12 bytes before them. Leaves P = -1.
void NullReferencePass(const CString& block, int32_t& P, const HitSink& sink);
// Every address a from firstAddress to lastAddress: the occurrences of
// ValueKey(a + magic). A find at position 0 gives no hit and ends that
// address. Leaves P = -1 or 0 as the last address's search ended, and P
// unchanged when firstAddress > lastAddress.
void PointerSearch(const CString& block, uint32_t firstAddress, uint32_t lastAddress, uint32_t magic,
                   uint32_t base, int32_t& P, const HitSink& sink);
// The pointers into the block itself: PointerSearch over metaOffset to
// metaOffset + L with base metaOffset.
void SelfPointerPass(const CString& block, uint32_t metaOffset, uint32_t magic, int32_t& P, const HitSink& sink);

// The same passes handing back their hits as a list.
std::vector<ReferenceHit> IdentifierPass(const CString& block, const TagEntry* tags, int tagCount, int32_t& P);
std::vector<ReferenceHit> NullReferencePass(const CString& block, int32_t& P);
std::vector<ReferenceHit> PointerSearch(const CString& block, uint32_t firstAddress, uint32_t lastAddress,
                                        uint32_t magic, uint32_t base, int32_t& P);
std::vector<ReferenceHit> SelfPointerPass(const CString& block, uint32_t metaOffset, uint32_t magic, int32_t& P);

// The search loop of the pointer search over a list of values instead of a
// range of addresses (the scanner's float and short phases): for each value
// in list order, every occurrence of ValueKey(value) at ascending positions
// from P + 1; a find at position 0 ends that value. The sink receives the
// value's index in the list and the position. Leaves P as the last value's
// search ended (unchanged for an empty list).
using ValueHitSink = std::function<bool(size_t index, int32_t position)>;
void SearchValueList(const CString& block, const std::vector<uint32_t>& values, int32_t& P,
                     const ValueHitSink& sink);
