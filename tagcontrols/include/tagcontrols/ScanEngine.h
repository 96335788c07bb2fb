// The metadata scanner's search: the six phases run over one tag's
// metadata block, giving the items the scanner tree lists, in the order in
// which they are made, each with its text and the fields of its scan
// record. The dialog makes the roots, inserts the items and stores the
// records.
#pragma once

#include "map/MapState.h"
#include "metadata/WorkingMetadata.h"
#include "platform/CString.h"

#include <cstdint>
#include <vector>

// The float phase tries at most this many values; a precision that needs
// more to pass 100 is refused.
constexpr int32_t kMaxFloatValues = 2000000;

struct ScanSwitches {
    bool dependencies = false;
    bool loneIDs = false;
    bool reflexives = false;
    bool pointers = false;
    bool floats = false;
    bool shorts = false;
};

// The six roots, in the order each scan inserts them.
enum class ScanRoot { Dependencies, LoneIDs, Reflexives, Pointers, Floats, Shorts };
constexpr int kScanRootCount = 6;
const char* ScanRootText(ScanRoot root);

enum class ScanItemKind { Dependency, LoneID, NullReference, Reflexive, Pointer, Float, Short };

struct ScanItem {
    ScanItemKind kind = ScanItemKind::LoneID;
    CString text;
    int32_t offset = 0;
    CString classCode;       // Dependency, null reference
    int32_t tag = 0;         // Dependency, LoneID; the tag count + 1 for a null reference
    uint32_t target = 0;     // pointer: file offset; reflexive: offset inside the block
    int32_t count = 0;       // pointer, reflexive
    float floatValue = 0.0f; // float
    int16_t shortValue = 0;  // short

    friend bool operator==(const ScanItem&, const ScanItem&) = default;
};

ScanRoot RootOf(ScanItemKind kind);
// 'd', 'l', 'd', 'r', 'p', 'f', 's'.
char RecordType(ScanItemKind kind);
// Writes the item's kind, handle and the fields of its kind; every other
// field keeps what an earlier scan left in the record.
void StoreScanRecord(const ScanItem& item, HTREEITEM handle, ScanRecord& record);

struct ScanParameters {
    const TagEntry* tags = nullptr;  // the open map's tag table
    int32_t tagCount = 0;            // as read; walks are limited to the table's room
    uint32_t magic = 0;
    uint32_t metaOffset = 0;
    uint32_t eofPosition = 0;
    ScanSwitches switches;
    float floatPrecision = 0.0f;
    int32_t itemLimit = kMaxScanRecords;
};

struct ScanResult {
    bool refused = false;            // nothing was scanned; messages say why
    std::vector<ScanItem> items;
    bool truncated = false;          // more items than itemLimit were found
    std::vector<CString> messages;   // to show the user, each once, in order
};

// The six phases over a block.
ScanResult RunMetadataScan(const CString& block, const ScanParameters& parameters);

// The scan of g_Tags[tagIndex] of the open map: reads its metadata from
// g_MapFile and scans it with the open map's tag table, tag count, magic
// and EoF position.
ScanResult ScanTagMetadata(int tagIndex, const ScanSwitches& switches, float floatPrecision);

// Message texts.
CString MetadataSizeRefusedMessage(int32_t metaSize);
CString MetadataShortReadMessage(int32_t bytesRead, int32_t metaSize);
extern const char* const kFloatPrecisionNotPositiveMessage;
CString FloatPrecisionTooSmallMessage();
CString ScanItemLimitMessage(int32_t itemLimit);
