#include "tools/StringIndexDialog.h"

#include "map/HexCodec.h"
#include "map/MapFiles.h"
#include "map/MapState.h"
#include "map/MapWrite.h"
#include "map/StringIndex.h"
#include "messagebox/FailureReports.h"
#include "res/ResourceIds.h"

#include <algorithm>

BEGIN_MESSAGE_MAP(CStringIndexDialog, CDialog)
ON_BN_CLICKED(IDC_STRINGINDEX_LOAD, &CStringIndexDialog::OnLoad)
ON_BN_CLICKED(IDC_STRINGINDEX_REVERT, &CStringIndexDialog::OnRevert)
ON_BN_CLICKED(IDC_STRINGINDEX_UPDATE, &CStringIndexDialog::OnUpdate)
END_MESSAGE_MAP()

namespace {
CString RawToStarText(std::string bytes)
{
    std::replace(bytes.begin(), bytes.end(), '\0', '*');
    return CString(std::move(bytes));
}
} // namespace

std::string StringIndexBytes(const CString& edited, const CString& shown, const std::string& stored)
{
    const std::string& text = edited.Bytes();
    const std::string& before = stored.size() == shown.Bytes().size() ? shown.Bytes() : std::string();
    const size_t room = std::min(text.size(), before.size());
    size_t prefix = 0;
    while (prefix < room && text[prefix] == before[prefix]) ++prefix;
    size_t suffix = 0;
    while (prefix + suffix < room && text[text.size() - 1 - suffix] == before[before.size() - 1 - suffix]) ++suffix;

    std::string bytes(text);
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '*') continue;
        if (i < prefix) bytes[i] = stored[i];
        else if (i >= text.size() - suffix) bytes[i] = stored[before.size() - (text.size() - i)];
        else bytes[i] = '\0';
    }
    return bytes;
}

CStringIndexDialog::CStringIndexDialog(CWnd* pParent) : CDialog(IDD_STRING_INDEX, pParent), m_nEnd(0), m_nStart(0)
{
}

CStringIndexDialog::~CStringIndexDialog() = default;

void CStringIndexDialog::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_STRINGINDEX_PROGRESS, m_progress);
    DDX_Text(pDX, IDC_STRINGINDEX_END, m_nEnd);
    DDX_Text(pDX, IDC_STRINGINDEX_START, m_nStart);
    DDX_Text(pDX, IDC_STRINGINDEX_TEXT, m_strText);
}

void CStringIndexDialog::OnLoad()
{
    UpdateData(TRUE);
    std::string bytes;
    LoadStringIndexChunk(m_nStart, m_nEnd, m_progress, &bytes);
    m_strText = g_strStringIndexText;
    m_strShownText = m_strText;
    m_storedBytes = std::move(bytes);
    // A refusal reads nothing but leaves its reason; a stretch wholly past
    // the end of the file reads nothing and shows nothing.
    m_bTextIsRefusal = m_storedBytes.empty() && !m_strText.IsEmpty();
    UpdateData(FALSE);
}

void CStringIndexDialog::OnRevert() { UpdateData(FALSE); }

void CStringIndexDialog::OnUpdate()
{
    if (!g_MapFile.IsOpen()) return;
    // A refused Start or End leaves the text and the start of an earlier
    // Load or Update in the members, not what the user sees: write nothing.
    if (!UpdateData(TRUE)) return;

    // Without a tag the map has no first name: entry 0 of the table may
    // still hold the offset of a map closed before.
    if (LoadedTagCount(g_IndexHeader) == 0) {
        ShowMessage("The map has no tags, so it has no string index. Nothing was written.");
        return;
    }
    if (m_bTextIsRefusal && m_strText == m_strShownText) {
        ShowMessage("The text is the message of a load that was refused, not names of the map. Nothing was written.");
        return;
    }
    const std::string bytes = StringIndexBytes(m_strText, m_strShownText, m_storedBytes);
    const int64_t position = int64_t(HexToInt(g_Tags[0].m_strStringOffset)) + m_nStart;
    if (position + static_cast<int64_t>(bytes.size()) > g_MapFile.FileSize()) {
        ShowMessage("The text would reach past the end of the map file '" + g_strMapFileName +
                     "'. Nothing was written.");
        return;
    }
    if (!MapIsStillTheOpenedFile()) {
        ShowMessage(MapReplacedMessage());
        return;
    }
    const bool written = WriteMapBytesAt(position, bytes) && g_MapFile.Sync();
    g_bMapChanged = true;
    if (!written) {
        // One write: only the text itself, or part of it, may have landed.
        ShowMessage(PartialMapWriteMessage({}, "the text"));
        return;
    }

    m_strText = CString(bytes);
    m_storedBytes = bytes;
    m_strShownText = RawToStarText(bytes);
    m_bTextIsRefusal = false;
}
