#include "tools/HaloMapInfo.h"

#include "map/HexCodec.h"
#include "map/MapFiles.h"
#include "map/MapState.h"
#include "map/MapWrite.h"
#include "messagebox/FailureReports.h"
#include "res/ResourceIds.h"

#include <string>
#include <vector>

BEGIN_MESSAGE_MAP(CHaloMapInfo, CDialog)
ON_BN_CLICKED(IDC_MAPINFO_SAVE, &CHaloMapInfo::OnSaveChanges)
ON_BN_CLICKED(IDC_MAPINFO_REVERT, &CHaloMapInfo::OnRevert)
END_MESSAGE_MAP()

namespace {

constexpr int kTextFieldLength = 32;

// The hex text's low byteCount bytes, least significant first. Made from
// the number, not through a byte string, so a 0x78 byte of the value is
// written as 0x78; characters that are not hex digits count as 0.
std::string NumberFieldBytes(const CString& hex, int byteCount)
{
    return LittleEndianBytes(HexToInt(hex), byteCount);
}

// The characters as they stand (at most the field's length), then one zero
// byte when they are shorter; the field's bytes after that stay as stored.
std::string TextFieldBytes(const CString& text)
{
    std::string bytes = text.Bytes().substr(0, kTextFieldLength);
    if (bytes.size() < kTextFieldLength) bytes += '\0';
    return bytes;
}

struct FieldWrite {
    const char* label; // as the dialog names the field
    int64_t position;
    std::string bytes;
};

} // namespace

CHaloMapInfo::CHaloMapInfo(CWnd* pParent) : CDialog(IDD_MAP_INFO, pParent)
{
    m_nTagCount = static_cast<UINT>(g_IndexHeader.m_nTagCount);
    m_strIndexOffset = g_MapHeader.m_strIndexOffset;
    m_strSPMP = g_strMapType;
    m_strMapVersion = g_MapHeader.m_strVersion;
    m_strMapType = g_MapHeader.m_strMapType;
    m_strMapNickname = g_strMapNickname;
    m_strMapName = g_MapHeader.m_strMapName;
    m_strMapFormat = g_strMapFormat;
    m_strMapFilename = g_strMapFileName;
    m_strMapBuildDate = g_MapHeader.m_strBuildDate;
    m_strMagic = g_strMagic;
    m_strIndexMagic = g_IndexHeader.m_strIndexMagic;
    m_strEofPosition = g_MapHeader.m_strEofPosition;
    m_lEofSpace = g_nEofSpace;

    m_written = WritableFields();
}

CHaloMapInfo::~CHaloMapInfo() = default;

CHaloMapInfo::WrittenFields CHaloMapInfo::WritableFields() const
{
    return {m_nTagCount,     m_strIndexOffset, m_strEofPosition, m_strIndexMagic,
            m_strMapVersion, m_strMapType,     m_strMapName,     m_strMapBuildDate};
}

void CHaloMapInfo::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_MAPINFO_TAG_COUNT, m_nTagCount);
    DDX_Text(pDX, IDC_MAPINFO_INDEX_OFFSET, m_strIndexOffset);
    DDX_Text(pDX, IDC_MAPINFO_SPMP, m_strSPMP);
    DDX_Text(pDX, IDC_MAPINFO_VERSION, m_strMapVersion);
    DDX_Text(pDX, IDC_MAPINFO_MAP_TYPE, m_strMapType);
    DDX_Text(pDX, IDC_MAPINFO_NICKNAME, m_strMapNickname);
    DDX_Text(pDX, IDC_MAPINFO_MAP_NAME, m_strMapName);
    DDV_MaxChars(pDX, m_strMapName, kTextFieldLength);
    DDX_Text(pDX, IDC_MAPINFO_FORMAT, m_strMapFormat);
    DDX_Text(pDX, IDC_MAPINFO_FILENAME, m_strMapFilename);
    DDX_Text(pDX, IDC_MAPINFO_BUILD_DATE, m_strMapBuildDate);
    DDV_MaxChars(pDX, m_strMapBuildDate, kTextFieldLength);
    DDX_Text(pDX, IDC_MAPINFO_MAGIC, m_strMagic);
    DDX_Text(pDX, IDC_MAPINFO_INDEX_MAGIC, m_strIndexMagic);
    DDX_Text(pDX, IDC_MAPINFO_EOF_POSITION, m_strEofPosition);
    DDX_Text(pDX, IDC_MAPINFO_EOF_SPACE, m_lEofSpace);
}

void CHaloMapInfo::OnSaveChanges()
{
    if (!g_MapFile.IsOpen()) return;
    // A refused field would be written as the refused text, and the fields
    // after it as they stood before: neither is what the user asked for.
    if (!UpdateData(TRUE)) return;

    // The index header is written where the map was loaded from, not at an
    // index offset typed in this same save.
    const int64_t indexHeader = HexToInt(g_MapHeader.m_strIndexOffset);

    std::vector<FieldWrite> writes;
    auto field = [&](bool changed, const char* label, int64_t position, std::string bytes) {
        if (changed) writes.push_back({label, position, std::move(bytes)});
    };
    field(m_strIndexOffset != m_written.indexOffset, "Index Offset", 0x10, NumberFieldBytes(m_strIndexOffset, 4));
    field(m_strEofPosition != m_written.eofPosition, "EoF Position", 0x08, NumberFieldBytes(m_strEofPosition, 4));
    field(m_strIndexMagic != m_written.indexMagic, "Index Magic", indexHeader, NumberFieldBytes(m_strIndexMagic, 4));
    field(m_strMapVersion != m_written.version, "Map Version", 0x04, NumberFieldBytes(m_strMapVersion, 2));
    field(m_strMapType != m_written.mapType, "Map Type", 0x60, NumberFieldBytes(m_strMapType, 2));
    field(m_nTagCount != m_written.tagCount, "Tag Count", indexHeader + 0x0C,
          NumberFieldBytes(IntToHex(static_cast<int32_t>(m_nTagCount)), 2));
    field(m_strMapName != m_written.mapName, "Map Name", 0x20, TextFieldBytes(m_strMapName));
    field(m_strMapBuildDate != m_written.buildDate, "Map Build Date", 0x40, TextFieldBytes(m_strMapBuildDate));

    // All or nothing: a field that would lie past the end of the file (a
    // short map, an index header outside it) refuses the whole save before
    // any byte is written.
    const int64_t fileSize = g_MapFile.FileSize();
    for (const FieldWrite& write : writes) {
        if (write.position + static_cast<int64_t>(write.bytes.size()) > fileSize) {
            ShowMessage("The map file '" + g_strMapFileName +
                         "' is too short to hold the changed fields. Nothing was written.");
            return;
        }
    }

    if (!writes.empty() && !MapIsStillTheOpenedFile()) {
        ShowMessage(MapReplacedMessage());
        return;
    }
    std::vector<CString> written;
    for (const FieldWrite& write : writes) {
        if (!WriteMapBytesAt(write.position, write.bytes)) {
            // What was written so far is read back by the reload.
            g_bMapChanged = true;
            ShowMessage(PartialMapWriteMessage(written, write.label));
            return;
        }
        written.push_back(write.label);
    }
    if (!writes.empty() && !g_MapFile.Sync()) {
        // Nothing is known to be on the disk: every field may be in part.
        g_bMapChanged = true;
        ShowMessage(UnflushedMapWriteMessage(written));
        return;
    }
    m_written = WritableFields();
    g_bMapChanged = true;
}

void CHaloMapInfo::OnRevert() { UpdateData(FALSE); }
