#include "tests/support/MapBuilder.h"

#include "map/MapFiles.h"
#include "map/MapHeader.h"
#include "map/MapState.h"
#include "map/TagClassTable.h"
#include "map/MapLoad.h"

#include <fstream>
#include <stdexcept>

namespace travik::test {

namespace {
constexpr uint32_t kHeaderSize = 0x800;
constexpr uint32_t kIndexHeaderSize = 0x24;
constexpr uint32_t kEntrySize = 32;

void Put(std::string& file, size_t at, const std::string& bytes)
{
    if (file.size() < at + bytes.size()) file.resize(at + bytes.size(), '\0');
    file.replace(at, bytes.size(), bytes);
}

// A class code as the file holds it: the code's characters last one first,
// zero-filled to four bytes (a reader takes the bytes before the first zero
// and reverses them, so a short code reads back as given).
std::string StoredClass(const std::string& code)
{
    std::string field(code.substr(0, 4));
    std::string reversed(field.rbegin(), field.rend());
    reversed.resize(4, '\0');
    return reversed;
}
} // namespace

bool HasByte78(uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        if (((value >> (8 * i)) & 0xFF) == 0x78) return true;
    return false;
}

std::string Le32(uint32_t value)
{
    std::string out(4, '\0');
    for (int i = 0; i < 4; ++i) out[static_cast<size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return out;
}

std::string Le16(uint16_t value)
{
    return std::string{static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
}

int32_t MapLayout::LoadedMetaSize(size_t tag) const
{
    if (tag + 1 >= metaOffsets.size()) return 0;
    return static_cast<int32_t>(metaAddresses[tag + 1] - metaAddresses[tag]);
}

// ---- TagSpec ----

TagSpec& TagSpec::Classes(std::string class1, std::string class2, std::string class3)
{
    m_class[0] = std::move(class1);
    m_class[1] = std::move(class2);
    m_class[2] = std::move(class3);
    return *this;
}

TagSpec& TagSpec::Identifier(uint32_t identifier)
{
    m_identifier = identifier;
    return *this;
}

TagSpec& TagSpec::Name(std::string name)
{
    m_name = std::move(name);
    return *this;
}

TagSpec& TagSpec::UnterminatedName()
{
    m_terminated = false;
    return *this;
}

TagSpec& TagSpec::NameAddress(uint32_t address)
{
    m_nameAddress = address;
    return *this;
}

TagSpec& TagSpec::MetaAddress(uint32_t address)
{
    m_metaAddress = address;
    return *this;
}

TagSpec& TagSpec::MetaAddressLowByte(uint8_t low)
{
    m_metaLow = low;
    return *this;
}

TagSpec& TagSpec::NameAddressLowByte(uint8_t low)
{
    m_nameLow = low;
    return *this;
}

TagSpec& TagSpec::Meta(std::string bytes)
{
    m_meta = std::move(bytes);
    return *this;
}

TagSpec& TagSpec::MetaSize(uint32_t size)
{
    m_meta.resize(size, '\0');
    return *this;
}

void TagSpec::Grow(uint32_t end)
{
    if (m_meta.size() < end) m_meta.resize(end, '\0');
}

TagSpec& TagSpec::Bytes(uint32_t at, std::string bytes)
{
    Grow(at + static_cast<uint32_t>(bytes.size()));
    m_meta.replace(at, bytes.size(), bytes);
    return *this;
}

TagSpec& TagSpec::U32(uint32_t at, uint32_t value) { return Bytes(at, Le32(value)); }

TagSpec& TagSpec::U16(uint32_t at, uint16_t value) { return Bytes(at, Le16(value)); }

TagSpec& TagSpec::TagRef(uint32_t at, std::string classCode, int target)
{
    Bytes(at, StoredClass(classCode));
    Grow(at + 16);
    m_placements.push_back({Kind::IdRef, at + 12, {}, target, 0});
    return *this;
}

TagSpec& TagSpec::TagRefId(uint32_t at, std::string classCode, uint32_t identifier)
{
    Bytes(at, StoredClass(classCode));
    return U32(at + 12, identifier);
}

TagSpec& TagSpec::IdRef(uint32_t at, int target)
{
    Grow(at + 4);
    m_placements.push_back({Kind::IdRef, at, {}, target, 0});
    return *this;
}

TagSpec& TagSpec::NullRef(uint32_t at, std::string classCode)
{
    Bytes(at, StoredClass(classCode));
    return U32(at + 12, 0xFFFFFFFFu);
}

TagSpec& TagSpec::Pointer(uint32_t at, uint32_t target)
{
    Grow(at + 4);
    m_placements.push_back({Kind::Pointer, at, {}, static_cast<int>(target), 0});
    return *this;
}

TagSpec& TagSpec::Reflexive(uint32_t at, uint32_t count, uint32_t target)
{
    U32(at, count);
    return Pointer(at + 4, target);
}

// ---- MapBuilder ----

MapBuilder::MapBuilder(uint16_t version, uint32_t indexMagic) : m_version(version), m_indexMagic(indexMagic) {}

MapBuilder MapBuilder::Xbox() { return MapBuilder(5, 0x803A6000u); }

MapBuilder MapBuilder::Pc() { return MapBuilder(7, 0x40440000u); }

MapBuilder& MapBuilder::Version(uint16_t version)
{
    m_version = version;
    return *this;
}

MapBuilder& MapBuilder::MapType(uint16_t type)
{
    m_type = type;
    return *this;
}

MapBuilder& MapBuilder::MapName(std::string name)
{
    m_mapName = name.substr(0, 32);
    return *this;
}

MapBuilder& MapBuilder::BuildDate(std::string date)
{
    m_buildDate = date.substr(0, 32);
    return *this;
}

MapBuilder& MapBuilder::IndexOffset(uint32_t offset)
{
    m_indexOffset = offset;
    return *this;
}

MapBuilder& MapBuilder::EofPosition(uint32_t position)
{
    m_eof = position;
    return *this;
}

MapBuilder& MapBuilder::IndexMagic(uint32_t indexMagic)
{
    m_indexMagic = indexMagic;
    m_magic.reset();
    return *this;
}

MapBuilder& MapBuilder::Magic(uint32_t magic)
{
    m_magic = magic;
    return *this;
}

MapBuilder& MapBuilder::StoredTagCount(uint16_t count)
{
    m_storedCount = count;
    return *this;
}

uint32_t MapBuilder::NextIdentifier()
{
    return 0xE1740000u + m_nextId++;
}

TagSpec& MapBuilder::AddTag(std::string class1, std::string name, std::string class2, std::string class3)
{
    TagSpec& tag = m_tags.emplace_back();
    tag.Classes(std::move(class1), std::move(class2), std::move(class3)).Name(std::move(name));
    tag.Identifier(NextIdentifier());
    return tag;
}

MapBuilder& MapBuilder::Patch(uint32_t fileOffset, std::string bytes)
{
    m_patches.emplace_back(fileOffset, std::move(bytes));
    return *this;
}

MapBuilder& MapBuilder::TruncateAt(size_t length)
{
    m_truncate = length;
    return *this;
}

MapLayout MapBuilder::Layout() const
{
    MapLayout layout;
    Build(&layout);
    return layout;
}

std::string MapBuilder::Build(MapLayout* layoutOut) const
{
    MapLayout layout;
    layout.indexOffset = m_indexOffset;
    layout.indexMagic = m_magic ? *m_magic + m_indexOffset + kIndexHeaderSize : m_indexMagic;
    layout.magic = layout.indexMagic - (m_indexOffset + kIndexHeaderSize);
    const size_t n = m_tags.size();

    uint64_t cursor = uint64_t(m_indexOffset) + kIndexHeaderSize + uint64_t(kEntrySize) * n;
    if (cursor < kHeaderSize) cursor = kHeaderSize;
    cursor = (cursor + 3) & ~uint64_t(3);
    auto moveToLowByte = [&](const std::optional<uint8_t>& low) {
        if (low)
            while (((static_cast<uint32_t>(cursor) + layout.magic) & 0xFF) != *low) ++cursor;
    };

    for (size_t i = 0; i < n; ++i) {
        const TagSpec& tag = m_tags[i];
        layout.entryOffsets.push_back(m_indexOffset + kIndexHeaderSize + kEntrySize * static_cast<uint32_t>(i));
        moveToLowByte(tag.m_metaLow);
        layout.metaOffsets.push_back(static_cast<uint32_t>(cursor));
        layout.metaLengths.push_back(static_cast<uint32_t>(tag.m_meta.size()));
        layout.metaAddresses.push_back(tag.m_metaAddress ? *tag.m_metaAddress
                                                         : static_cast<uint32_t>(cursor) + layout.magic);
        layout.identifiers.push_back(tag.m_identifier);
        cursor = (cursor + tag.m_meta.size() + 3) & ~uint64_t(3);
    }
    for (size_t i = 0; i < n; ++i) {
        const TagSpec& tag = m_tags[i];
        moveToLowByte(tag.m_nameLow);
        layout.nameOffsets.push_back(static_cast<uint32_t>(cursor));
        layout.nameAddresses.push_back(tag.m_nameAddress ? *tag.m_nameAddress
                                                         : static_cast<uint32_t>(cursor) + layout.magic);
        cursor += tag.m_name.size() + (tag.m_terminated ? 1 : 0);
    }
    // A slip in a test (an index offset far out) must not allocate gigabytes;
    // point header fields outside the file with Patch instead.
    if (cursor > (1u << 30)) throw std::length_error("synthetic map larger than 1 GiB");

    std::string file(static_cast<size_t>(cursor), '\0');
    layout.eofPosition = m_eof ? *m_eof : static_cast<uint32_t>(cursor);

    Put(file, 0x00, "daeh");
    Put(file, 0x04, Le32(m_version));
    Put(file, 0x08, Le32(layout.eofPosition));
    Put(file, 0x10, Le32(m_indexOffset));
    Put(file, 0x20, m_mapName);
    Put(file, 0x40, m_buildDate);
    Put(file, 0x60, Le32(m_type));
    Put(file, 0x7FC, "toof");

    const uint32_t count = m_storedCount ? *m_storedCount : static_cast<uint32_t>(n & 0xFFFF);
    Put(file, m_indexOffset + 0x00, Le32(layout.indexMagic));
    Put(file, m_indexOffset + 0x04, Le32(n ? m_tags[0].m_identifier : 0));
    Put(file, m_indexOffset + 0x0C, Le32(count));
    Put(file, m_indexOffset + 0x20, "sgat");

    for (size_t i = 0; i < n; ++i) {
        const TagSpec& tag = m_tags[i];
        const uint32_t e = layout.entryOffsets[i];
        for (int c = 0; c < 3; ++c) Put(file, e + 4 * static_cast<uint32_t>(c), StoredClass(tag.m_class[c]));
        Put(file, e + 0x0C, Le32(tag.m_identifier));
        Put(file, e + 0x10, Le32(layout.nameAddresses[i]));
        Put(file, e + 0x14, Le32(layout.metaAddresses[i]));

        std::string block = tag.m_meta;
        for (const TagSpec::Placement& p : tag.m_placements) {
            uint32_t value = 0;
            if (p.kind == TagSpec::Kind::IdRef)
                value = p.target >= 0 ? m_tags.at(static_cast<size_t>(p.target)).m_identifier : p.value;
            else if (p.kind == TagSpec::Kind::Pointer)
                value = layout.metaOffsets[i] + layout.magic + static_cast<uint32_t>(p.target);
            if (block.size() < p.at + 4) block.resize(p.at + 4, '\0');
            block.replace(p.at, 4, Le32(value));
        }
        Put(file, layout.metaOffsets[i], block);
        Put(file, layout.nameOffsets[i], tag.m_name);
    }

    for (const auto& [offset, bytes] : m_patches) Put(file, offset, bytes);
    if (m_truncate && *m_truncate < file.size()) file.resize(*m_truncate);
    layout.fileSize = static_cast<uint32_t>(file.size());
    if (layoutOut) *layoutOut = std::move(layout);
    return file;
}

MapLayout MapBuilder::Write(const std::filesystem::path& path) const
{
    MapLayout layout;
    std::string bytes = Build(&layout);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
    return layout;
}

} // namespace travik::test


namespace travik::test {

MapLayout OpenBuiltMap(const MapBuilder& map, const std::string& fileName)
{
    MapLayout layout = map.Write(fileName);
    g_strMapFileName = fileName.c_str();
    OpenMapFile();
    return layout;
}

MapLayout OpenBuiltInputMap(const MapBuilder& map, const std::string& fileName)
{
    MapLayout layout = map.Write(fileName);
    g_strInputMapFileName = fileName.c_str();
    OpenInputMapFile();
    return layout;
}

void LoadOpenMap(CTreeCtrl* tree)
{
    FillTagClassTable();
    ::ReadOpenMapAndIndex(tree);
    SetTreeColorForMap(tree);
}

void LoadInputMap(CTreeCtrl* tree)
{
    ::ReadInputMapAndIndex(tree);
}

} // namespace travik::test
