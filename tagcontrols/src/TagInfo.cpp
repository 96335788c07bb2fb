#include "tagcontrols/TagInfo.h"

#include "map/HexCodec.h"
#include "map/MapFiles.h"
#include "map/MapState.h"
#include "map/MapWrite.h"
#include "map/TagIndex.h"
#include "messagebox/MessageDialog.h"
#include "res/ResourceIds.h"
#include "tagcontrols/NameMove.h"

#include <algorithm>
#include <string>
#include <vector>

BEGIN_MESSAGE_MAP(CTagInfo, CDialog)
ON_BN_CLICKED(IDC_REVERT, &CTagInfo::OnRevert)
ON_BN_CLICKED(IDC_SAVE_CHANGES, &CTagInfo::OnSaveChanges)
ON_BN_CLICKED(IDC_UPDATE_NAME_LOCATION, &CTagInfo::OnUpdateNameLocation)
ON_BN_CLICKED(IDC_CLEAR_SCANNER, &CTagInfo::OnClearScanner)
ON_BN_CLICKED(IDC_SCAN_METADATA, &CTagInfo::OnScanMetadata)
ON_BN_CLICKED(IDC_UPDATE_ITEM, &CTagInfo::OnUpdateItem)
ON_BN_CLICKED(IDC_SAVE_METADATA, &CTagInfo::OnSaveMetadata)
ON_BN_CLICKED(IDC_INJECT_METADATA, &CTagInfo::OnInjectMetadata)
ON_NOTIFY(TVN_SELCHANGED, IDC_SCANNER_TREE, &CTagInfo::OnSelchangedScanTree)
END_MESSAGE_MAP()

namespace {

// Showing a text in a combo box selects the first entry that begins with
// it, case ignored, so "fog" would come back as "fog " and "DELA" as
// "DeLa". The box shows the member's own text instead: its exact entry
// when the list has one, else the text in the edit field.
void ShowExactly(CComboBox& combo, const CString& text)
{
    CString shown;
    combo.GetWindowText(shown);
    if (shown == text) return;
    for (int i = 0; i < combo.GetCount(); ++i) {
        if (combo.GetLBText(i) == text) {
            combo.SetCurSel(i);
            return;
        }
    }
    combo.SetCurSel(-1);
    combo.SetWindowText(text);
}

// A class code as the index entry stores it: its characters last one
// first, as raw bytes ('x' is the letter), zero bytes up to four.
std::string ClassCodeBytes(const CString& code)
{
    std::string bytes(code.Bytes().rbegin(), code.Bytes().rend());
    bytes.resize(4, '\0');
    return bytes;
}

} // namespace

const char* const kLongNameNotWrittenMessage =
    "The new name is longer than the stored one and was not written. Check \"Update Name Location\" to move "
    "it to the end of the map. The rest of the tag's entry was saved.";

const char* const kMovedNameOutOfRangeMessage =
    "The new name was not written: at the map's EoF position it would pass the highest offset a map can "
    "address. The rest of the tag's entry was saved.";

const char* const kEofInUseMessage =
    "The new name was not written: at the map's EoF position it would overwrite bytes the map uses (its header, "
    "its index or a tag's name or metadata). The rest of the tag's entry was saved.";

CString EofPastEndMessage()
{
    CString text;
    text.Format("The new name was not written: the map's EoF position lies past the end of the map file '%s'. "
                "The rest of the tag's entry was saved.",
                g_strMapFileName.GetString());
    return text;
}

CString NamePastEndMessage()
{
    CString text;
    text.Format("The new name was not written: with its ending zero byte it would pass the end of the map file "
                "'%s'. The rest of the tag's entry was saved.",
                g_strMapFileName.GetString());
    return text;
}

CString EntryOutsideMapMessage()
{
    CString text;
    text.Format("This tag's index entry lies outside the map file '%s'. Nothing was written.",
                g_strMapFileName.GetString());
    return text;
}

uint32_t IndexEntryOffset(int k)
{
    return HexToInt(g_MapHeader.m_strIndexOffset) + static_cast<uint32_t>(kIndexHeaderSize) +
           static_cast<uint32_t>(kIndexEntrySize) * static_cast<uint32_t>(k);
}

CTagInfo::CTagInfo(CWnd* pParent) : CDialog(IDD_TAG_INFO, pParent)
{
    m_strMetaOffset = "";
    m_strTagName = "";
    m_strPageOffset = "";
    m_strStringOffset = "";
    m_strValue = "";
    m_strIdentifier = "";
    m_nMetaSize = 0;
    m_strType1 = "";
    m_strType2 = "";
    m_strType3 = "";
    m_bCorrectMetadata = TRUE;
    m_bRecursive = FALSE;
    m_fFloatPrecision = 0.01f;
    m_bDependencies = TRUE;
    m_bFloats = FALSE;
    m_bLoneIDs = TRUE;
    m_bPointers = FALSE;
    m_bReflexives = TRUE;
    m_bShorts = FALSE;
    m_strScanTag = "";
    m_strScanClass = "";
    m_dScanValue = 0.0;
    m_nTagIndex = 0;
    // Not set by the dialog until a scan or a selection does.
    m_nScanItem = -1;
    m_hDependencies = nullptr;
    m_hLoneIDs = nullptr;
    m_hReflexives = nullptr;
    m_hPointers = nullptr;
    m_hFloats = nullptr;
    m_hShorts = nullptr;
    g_bTagListFilled = false;
}

CTagInfo::~CTagInfo() = default;

void CTagInfo::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_REVERT, m_btnRevert);
    DDX_Control(pDX, IDC_SCAN_TAG, m_comboScanTag);
    DDX_Control(pDX, IDC_SCANNER_TREE, m_treeScanner);
    DDX_Control(pDX, IDC_TYPE3, m_comboType3);
    DDX_Control(pDX, IDC_TYPE2, m_comboType2);
    DDX_Control(pDX, IDC_TYPE1, m_comboType1);
    DDX_Text(pDX, IDC_META_OFFSET, m_strMetaOffset);
    DDX_Text(pDX, IDC_TAG_NAME, m_strTagName);
    DDX_Text(pDX, IDC_PAGE_OFFSET, m_strPageOffset);
    DDX_Text(pDX, IDC_STRING_OFFSET, m_strStringOffset);
    DDX_Text(pDX, IDC_VALUE, m_strValue);
    DDX_Text(pDX, IDC_IDENTIFIER, m_strIdentifier);
    DDX_Text(pDX, IDC_META_SIZE, m_nMetaSize);
    DDX_CBString(pDX, IDC_TYPE1, m_strType1);
    if (!pDX->m_bSaveAndValidate) ShowExactly(m_comboType1, m_strType1);
    DDV_MaxChars(pDX, m_strType1, 4);
    DDX_CBString(pDX, IDC_TYPE2, m_strType2);
    if (!pDX->m_bSaveAndValidate) ShowExactly(m_comboType2, m_strType2);
    DDV_MaxChars(pDX, m_strType2, 4);
    DDX_CBString(pDX, IDC_TYPE3, m_strType3);
    if (!pDX->m_bSaveAndValidate) ShowExactly(m_comboType3, m_strType3);
    DDV_MaxChars(pDX, m_strType3, 4);
    DDX_Check(pDX, IDC_CORRECT_METADATA, m_bCorrectMetadata);
    DDX_Check(pDX, IDC_RECURSIVE, m_bRecursive);
    DDX_Text(pDX, IDC_FLOAT_PRECISION, m_fFloatPrecision);
    DDX_Check(pDX, IDC_FIND_DEPENDENCIES, m_bDependencies);
    DDX_Check(pDX, IDC_FIND_FLOATS, m_bFloats);
    DDX_Check(pDX, IDC_FIND_LONEIDS, m_bLoneIDs);
    DDX_Check(pDX, IDC_FIND_POINTERS, m_bPointers);
    DDX_Check(pDX, IDC_FIND_REFLEXIVES, m_bReflexives);
    DDX_Check(pDX, IDC_FIND_SHORTS, m_bShorts);
    DDX_CBString(pDX, IDC_SCAN_TAG, m_strScanTag);
    if (!pDX->m_bSaveAndValidate) ShowExactly(m_comboScanTag, m_strScanTag);
    DDX_CBString(pDX, IDC_SCAN_CLASS, m_strScanClass);
    if (!pDX->m_bSaveAndValidate) {
        if (CComboBox* scanClass = dynamic_cast<CComboBox*>(GetDlgItem(IDC_SCAN_CLASS)))
            ShowExactly(*scanClass, m_strScanClass);
    }
    DDV_MaxChars(pDX, m_strScanClass, ScanClassLimit());
    DDX_Text(pDX, IDC_SCAN_VALUE, m_dScanValue);
}

void CTagInfo::SetTag(int i)
{
    const TagEntry& tag = g_Tags[i];
    m_strMetaOffset = tag.m_strMetaOffset;
    m_nMetaSize = tag.m_nMetaSize;
    m_strTagName = tag.m_strName;
    m_strPageOffset = tag.m_strPageOffset;
    m_strStringOffset = tag.m_strStringOffset;
    m_strValue = tag.m_strValue;
    m_strIdentifier = tag.m_strIdentifier;
    m_strType1 = tag.m_strClass1;
    m_strType2 = tag.m_strClass2;
    m_strType3 = tag.m_strClass3;
    m_nTagIndex = i;
    m_saved = {m_strType1, m_strType2, m_strType3, m_strMetaOffset, m_strStringOffset, m_strIdentifier, m_strTagName};
    m_nNameOffset = HexToInt(tag.m_strStringOffset);
    m_nNameLength = tag.m_strName.GetLength();
}

BOOL CTagInfo::OnInitDialog()
{
    CDialog::OnInitDialog();
    // The flag outlives the dialog: the box shows it as it stands, so a
    // move never happens while the box shows no check.
    if (CButton* box = dynamic_cast<CButton*>(GetDlgItem(IDC_UPDATE_NAME_LOCATION)))
        box->SetCheck(g_bUpdateNameLocation ? BST_CHECKED : BST_UNCHECKED);
    return TRUE;
}

void CTagInfo::OnRevert() { UpdateData(FALSE); }

void CTagInfo::OnUpdateNameLocation() { g_bUpdateNameLocation = !g_bUpdateNameLocation; }

void CTagInfo::OnClearScanner() { m_treeScanner.DeleteAllItems(); }

void CTagInfo::OnSaveChanges()
{
    // A refused control would otherwise be written with its older value.
    if (!UpdateData(TRUE)) return;

    const uint32_t magic = HexToInt(g_strMagic);
    const uint32_t entry = IndexEntryOffset(m_nTagIndex);

    std::vector<Place> writes;
    SavedTexts written = m_saved;
    // Only fields whose text differs from the one the map's bytes stand for
    // are written; the others keep their stored bytes.
    auto classCode = [&](const CString& member, CString& saved, uint32_t at, const char* field) {
        if (member == saved) return;
        writes.push_back({at, ClassCodeBytes(member), field});
        saved = member;
    };
    auto number = [&](const CString& member, CString& saved, uint32_t at, uint32_t value, const char* field) {
        if (member == saved) return;
        writes.push_back({at, LittleEndianBytes(value, 4), field});
        saved = member;
    };
    classCode(m_strType1, written.type1, entry + 0x00, "Tag Type 1");
    classCode(m_strType2, written.type2, entry + 0x04, "Tag Type 2");
    classCode(m_strType3, written.type3, entry + 0x08, "Tag Type 3");
    number(m_strMetaOffset, written.metaOffset, entry + 0x14, HexToInt(m_strMetaOffset) + magic, "Meta Offset");
    number(m_strStringOffset, written.stringOffset, entry + 0x10, HexToInt(m_strStringOffset) + magic,
           "String Offset");
    // The low four bytes of the number the text spells.
    number(m_strIdentifier, written.identifier, entry + 0x0C, HexToInt(m_strIdentifier), "Identifier");

    const int64_t fileSize = g_MapFile.FileSize();
    const NameChange name = PlanNameChange(entry, magic, fileSize);
    writes.insert(writes.end(), name.inPlace.begin(), name.inPlace.end());
    const std::vector<Place>& move = name.move;
    if (name.changed) written.name = m_strTagName;

    // An entry that lies past the end of a cut map was never read from
    // there: writing it would only lengthen the file.
    const std::vector<Place>* const planned[] = {&writes, &move};
    for (const std::vector<Place>* places : planned) {
        for (const Place& place : *places) {
            if (place.inEntry && int64_t {place.at} + static_cast<int64_t>(place.bytes.size()) > fileSize) {
                ShowMessage(EntryOutsideMapMessage());
                return;
            }
        }
    }

    const bool writesMap = !writes.empty() || !move.empty();
    if (writesMap && !MapIsStillTheOpenedFile()) {
        ShowMessage(MapReplacedMessage());
        return;
    }
    // The user is told which fields landed before a write that failed.
    std::vector<CString> landed;
    const char* failed = nullptr;
    const size_t entryWritten = WritePlaces(writes, &failed);
    for (size_t i = 0; i < entryWritten; ++i) landed.push_back(writes[i].field);
    if (!failed && !move.empty()) {
        const size_t moveWritten = WriteNameMove(move, &failed);
        for (size_t i = 0; i < moveWritten; ++i) landed.push_back(move[i].field);
    }
    g_bTagChanged = true;
    if (failed) {
        ShowMessage(PartialMapWriteMessage(landed, failed));
        return;
    }
    // Written is not yet on the disk: a failed flush may have lost any of it.
    if (writesMap && !g_MapFile.Sync()) {
        ShowMessage(UnflushedMapWriteMessage(landed));
        return;
    }
    m_saved = written;
    if (name.changed) {
        m_nNameOffset = name.offset;
        m_nNameLength = name.length;
    }
    if (name.longNameRefused) ShowMessage(kLongNameNotWrittenMessage);
    if (name.pastEndRefused) ShowMessage(NamePastEndMessage());
    switch (name.moveCheck) {
    case NameMoveCheck::Fits: break;
    case NameMoveCheck::OutOfRange: ShowMessage(kMovedNameOutOfRangeMessage); break;
    case NameMoveCheck::PastEnd: ShowMessage(EofPastEndMessage()); break;
    case NameMoveCheck::InUse: ShowMessage(kEofInUseMessage); break;
    }
}

CTagInfo::NameChange CTagInfo::PlanNameChange(uint32_t entry, uint32_t magic, int64_t fileSize) const
{
    NameChange change;
    if (m_strTagName == m_saved.name) return change;
    const int n = m_strTagName.GetLength();
    std::string name = m_strTagName.Bytes();
    name += '\0';
    if (n <= m_nNameLength && int64_t {m_nNameOffset} + n + 1 > fileSize) {
        // A name the end of the file cut short has no zero byte there:
        // the new one's would lengthen the map.
        change.pastEndRefused = true;
    } else if (n <= m_nNameLength) {
        change.inPlace.push_back({m_nNameOffset, name, "Tag Name", false});
        change.changed = true;
        change.offset = m_nNameOffset;
        change.length = m_nNameLength;
    } else if (!g_bUpdateNameLocation) {
        change.longNameRefused = true;
    } else if ((change.moveCheck = CheckNameMove(n, fileSize)) == NameMoveCheck::Fits) {
        // To the end of the map's data as loaded; a second move in the
        // same opening starts there again, over the first.
        const uint32_t eof = HexToInt(g_MapHeader.m_strEofPosition);
        change.move = NameMovePlaces(entry, magic, eof, name);
        change.changed = true;
        change.offset = eof;
        change.length = n;
    }
    return change;
}

size_t CTagInfo::WriteNameMove(const std::vector<Place>& move, const char** failed)
{
    const size_t written = WritePlaces(move, failed);
    // Even a move that failed part way may have put a name at the EoF
    // position: the user checks the box again before the next one.
    g_bUpdateNameLocation = false;
    if (CButton* box = dynamic_cast<CButton*>(GetDlgItem(IDC_UPDATE_NAME_LOCATION))) box->SetCheck(BST_UNCHECKED);
    return written;
}

std::vector<CTagInfo::Place> CTagInfo::NameMovePlaces(uint32_t entry, uint32_t magic, uint32_t eof,
                                                      const std::string& name)
{
    // In the order that leaves a sound map after every step: the name into
    // free bytes nothing points at yet, then the EoF position past it, and
    // only then the entry's name address. A failure part way leaves at
    // worst a name nothing points at, which the next move may reuse.
    return {{eof, name, "Tag Name at the EoF position", false, MapWriteLimit::HighestAddress},
            {0x08, LittleEndianBytes(eof + static_cast<uint32_t>(name.size()), 4), "EoF Position", false},
            {entry + 0x10, LittleEndianBytes(eof + magic, 4), "String Offset"}};
}

size_t CTagInfo::WritePlaces(const std::vector<Place>& places, const char** failed)
{
    for (size_t i = 0; i < places.size(); ++i) {
        if (!WriteMapBytesAt(places[i].at, places[i].bytes, places[i].limit)) {
            *failed = places[i].field;
            return i;
        }
    }
    return places.size();
}
