// Writes synthetic map files for tests and benchmarks.
//
// A map is described in a few lines and laid out like this:
//
//   0x000  header, 0x800 bytes: "daeh" at 0, version (4 bytes) at 0x04,
//          EoF position at 0x08, index offset at 0x10, map name (32 bytes,
//          zero-padded) at 0x20, build date (32 bytes) at 0x40, map type
//          (4 bytes) at 0x60, "toof" at 0x7FC
//   index offset (default 0x800): index header, 0x24 bytes: index magic at
//          0x00, tag count at 0x0C (4 bytes, the low two hold the count),
//          "sgat" at 0x20
//   index offset + 0x24: one 32-byte entry per tag: class codes 1-3 at
//          0x00/0x04/0x08 (file order, i.e. reversed: "bitm" is stored
//          m,t,i,b), identifier at 0x0C, name address at 0x10, metadata
//          address at 0x14
//   then every tag's metadata block, in index order, 4-byte aligned
//   then every tag's name, each followed by one zero byte
//
// An address is a file offset plus the magic; magic = index magic -
// (index offset + 0x24). Numbers are little-endian.
//
// Numbers are laid out as they fall: an address or a generated identifier
// holds a 0x78 byte wherever the arithmetic gives one (tag 120's generated
// identifier is E1740078). A test puts 0x78 in on purpose with a magic,
// index offset, EoF position or identifier that holds one, or with
// MetaAddressLowByte / NameAddressLowByte, which move a tag's block or name
// forward to the first place whose address ends in that byte.
//
// Example:
//
//   MapBuilder map = MapBuilder::Xbox();
//   map.MapName("bloodgulch").MapType(1);
//   map.AddTag("bitm", "levels\\test\\bitmap").MetaSize(64);
//   map.AddTag("obje", "levels\\test\\object", "unit")
//       .MetaSize(96)
//       .TagRef(0x10, "bitm", 0)     // class code at 0x10, tag 0's identifier at 0x1C
//       .NullRef(0x30, "snd!")       // class code at 0x30, FF FF FF FF at 0x3C
//       .Reflexive(0x40, 2, 0x50);   // count 2 at 0x40, address of block+0x50 at 0x44
//   MapLayout layout = map.Write("test.map");
//
// Broken maps:
//   map.TruncateAt(0x810);             // the file ends there
//   map.StoredTagCount(65535);         // the index header claims more tags than it holds
//   map.AddTag(...).UnterminatedName() // no zero byte after the name
//   map.Tag(1).MetaAddress(0x10);      // any address, inside the file or not
//   map.Patch(offset, bytes);          // any bytes anywhere, applied last before truncation
//   map.Patch(0x10, Le32(0x7FFFFFF0)); // e.g. an index offset outside the file
//
// The index is written at IndexOffset; blocks and names follow it (and the
// header), so move the index with IndexOffset only to a place nearby.
#pragma once

#include <cstdint>
#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace travik::test {

// Where the builder put everything (file offsets unless named addresses).
struct MapLayout {
    uint32_t indexOffset = 0;
    uint32_t indexMagic = 0;
    uint32_t magic = 0;        // indexMagic - (indexOffset + 0x24), 32-bit
    uint32_t eofPosition = 0;  // as written into the header
    uint32_t fileSize = 0;     // length of the file as written (after truncation)
    std::vector<uint32_t> entryOffsets;   // each tag's 32-byte index entry
    std::vector<uint32_t> metaOffsets;    // each tag's metadata block
    std::vector<uint32_t> metaLengths;    // bytes described for each block
    std::vector<uint32_t> metaAddresses;  // metadata address in each entry
    std::vector<uint32_t> nameOffsets;    // each tag's name
    std::vector<uint32_t> nameAddresses;  // name address in each entry
    std::vector<uint32_t> identifiers;    // each tag's identifier as written

    uint32_t AddressOf(uint32_t fileOffset) const { return fileOffset + magic; }
    // The metadata size a loader derives: next block's address minus this one's
    // (0 for the last tag). Differs from metaLengths where padding follows a block.
    int32_t LoadedMetaSize(size_t tag) const;
};

// One tag: its index entry, its name and its metadata block.
class TagSpec {
public:
    // Class codes in readable order ("bitm"); written reversed. At most four
    // bytes; a shorter code is zero-filled ("" gives four zero bytes).
    TagSpec& Classes(std::string class1, std::string class2 = "", std::string class3 = "");
    TagSpec& Identifier(uint32_t identifier);
    TagSpec& Name(std::string name);
    // No zero byte follows the name: it runs into whatever comes next (the
    // next tag's name, or the end of the file for the last tag).
    TagSpec& UnterminatedName();
    // Addresses written into the entry instead of the laid-out ones.
    TagSpec& NameAddress(uint32_t address);
    TagSpec& MetaAddress(uint32_t address);
    // The laid-out block (name) moves forward to the first file offset at or
    // after its place whose address's low byte is `low` (e.g. 0x78); the
    // block's 4-byte alignment gives way to it.
    TagSpec& MetaAddressLowByte(uint8_t low);
    TagSpec& NameAddressLowByte(uint8_t low);

    // The metadata block: its bytes, or a size (zero-filled). Placements
    // below grow the block when they reach past its end.
    TagSpec& Meta(std::string bytes);
    TagSpec& MetaSize(uint32_t size);
    // Raw bytes at an offset inside the block.
    TagSpec& Bytes(uint32_t at, std::string bytes);
    TagSpec& U32(uint32_t at, uint32_t value);
    TagSpec& U16(uint32_t at, uint16_t value);
    // A tag reference: the class code (file order) at `at`, the identifier of
    // tag `target` (of the same map) 12 bytes after it.
    TagSpec& TagRef(uint32_t at, std::string classCode, int target);
    // The same with an identifier given as a number (e.g. one of another map).
    TagSpec& TagRefId(uint32_t at, std::string classCode, uint32_t identifier);
    // A lone identifier of tag `target` at `at`.
    TagSpec& IdRef(uint32_t at, int target);
    // A null reference: the class code at `at`, FF FF FF FF 12 bytes after it.
    TagSpec& NullRef(uint32_t at, std::string classCode);
    // The address of this block's byte `target` (block offset + magic + target) at `at`.
    TagSpec& Pointer(uint32_t at, uint32_t target);
    // A reflexive: the chunk count (4 bytes) at `at`, the pointer to `target` at `at` + 4.
    TagSpec& Reflexive(uint32_t at, uint32_t count, uint32_t target);

    const std::string& NameText() const { return m_name; }
    // The block as described so far (references to tags and pointers are
    // filled in by Build; see MapLayout for where the block lands).
    const std::string& MetaBytes() const { return m_meta; }
    uint32_t IdentifierValue() const { return m_identifier; }

private:
    friend class MapBuilder;
    enum class Kind { Bytes, TagRef, IdRef, Pointer };
    struct Placement {
        Kind kind;
        uint32_t at;
        std::string bytes;  // Bytes; the class code of TagRef
        int target = 0;     // IdRef/TagRef: tag index (-1: use `value`); Pointer: offset in block
        uint32_t value = 0;
    };
    void Grow(uint32_t end);

    std::string m_class[3];
    uint32_t m_identifier = 0;
    std::string m_name;
    bool m_terminated = true;
    std::optional<uint32_t> m_nameAddress;
    std::optional<uint32_t> m_metaAddress;
    std::optional<uint8_t> m_metaLow;
    std::optional<uint8_t> m_nameLow;
    std::string m_meta;
    std::vector<Placement> m_placements;
};

class MapBuilder {
public:
    // Version 5, multiplayer (type 1), index magic 0x803A6000.
    static MapBuilder Xbox();
    // Version 7, multiplayer (type 1), index magic 0x40440000.
    static MapBuilder Pc();

    MapBuilder& Version(uint16_t version);
    MapBuilder& MapType(uint16_t type);
    // Zero-padded to 32 bytes; longer texts are cut at 32.
    MapBuilder& MapName(std::string name);
    MapBuilder& BuildDate(std::string date);
    MapBuilder& IndexOffset(uint32_t offset);
    // Default: the length of the file as laid out (before truncation).
    MapBuilder& EofPosition(uint32_t position);
    MapBuilder& IndexMagic(uint32_t indexMagic);
    // Sets the index magic so that the map's magic comes out as given.
    MapBuilder& Magic(uint32_t magic);
    // The count written into the index header; default: the number of tags added.
    MapBuilder& StoredTagCount(uint16_t count);

    // Adds a tag with a generated identifier (E1740000 + n for the n-th, distinct per builder).
    TagSpec& AddTag(std::string class1, std::string name, std::string class2 = "", std::string class3 = "");
    // References stay valid while more tags are added.
    TagSpec& Tag(int index) { return m_tags.at(static_cast<size_t>(index)); }
    int TagCount() const { return static_cast<int>(m_tags.size()); }

    // Bytes written over the laid-out file (it grows to hold them).
    MapBuilder& Patch(uint32_t fileOffset, std::string bytes);
    // The file ends at this length (applied after patches).
    MapBuilder& TruncateAt(size_t length);

    MapLayout Layout() const;
    std::string Build(MapLayout* layout = nullptr) const;
    MapLayout Write(const std::filesystem::path& path) const;

private:
    explicit MapBuilder(uint16_t version, uint32_t indexMagic);
    uint32_t NextIdentifier();

    uint16_t m_version;
    uint16_t m_type = 1;
    std::string m_mapName = "testmap";
    std::string m_buildDate = "01.00.00.0609";
    uint32_t m_indexOffset = 0x800;
    std::optional<uint32_t> m_eof;
    uint32_t m_indexMagic;
    std::optional<uint32_t> m_magic;
    std::optional<uint16_t> m_storedCount;
    std::deque<TagSpec> m_tags;
    std::vector<std::pair<uint32_t, std::string>> m_patches;
    std::optional<size_t> m_truncate;
    uint32_t m_nextId = 0;
};

// True when any of the four bytes of the value is 0x78.
bool HasByte78(uint32_t value);
// The four little-endian bytes of a value.
std::string Le32(uint32_t value);
std::string Le16(uint16_t value);

} // namespace travik::test

class CTreeCtrl;

namespace travik::test {

// Writes the map into the current directory and opens it as the open map
// (g_strMapFileName, then OpenMapFile with its log entry).
MapLayout OpenBuiltMap(const MapBuilder& map, const std::string& fileName = "test.map");
// The same for the second map (g_strInputMapFileName, OpenInputMapFile).
MapLayout OpenBuiltInputMap(const MapBuilder& map, const std::string& fileName = "input.map");
// The open map's load chain as the main window runs it on opening: class
// table, header, index header, nickname, type, format, EoF space, tag index
// into the tree (may be null) and the tree colour.
void LoadOpenMap(CTreeCtrl* tree);
// The second map's chain as the Direct Injection dialog runs it.
void LoadInputMap(CTreeCtrl* tree);

} // namespace travik::test
