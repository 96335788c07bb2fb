#include "tools/ExportDialog.h"

#include "map/HexCodec.h"
#include "map/MapFiles.h"
#include "map/MapState.h"
#include "res/ResourceIds.h"
#include "tools/ToolReports.h"

#include <algorithm>
#include <vector>

BEGIN_MESSAGE_MAP(CExportDialog, CDialog)
ON_BN_CLICKED(IDC_EXPORT_INDEX, &CExportDialog::OnExportIndex)
ON_BN_CLICKED(IDC_EXPORT_OFFSET_LIST, &CExportDialog::OnExportOffsetList)
ON_BN_CLICKED(IDC_EXPORT_HEADER, &CExportDialog::OnExportHeader)
ON_BN_CLICKED(IDC_EXPORT_STRING_INDEX, &CExportDialog::OnExportStringIndex)
END_MESSAGE_MAP()

namespace {
constexpr int64_t kIndexHeaderSize = 0x24;
constexpr int64_t kIndexEntrySize = 32;
constexpr int64_t kHeaderExportSize = 0x800;
} // namespace

CExportDialog::CExportDialog(CWnd* pParent) : CDialog(IDD_EXPORT, pParent) {}

CExportDialog::~CExportDialog() = default;

void CExportDialog::DoDataExchange(CDataExchange* pDX) { CDialog::DoDataExchange(pDX); }

void CExportDialog::OnExportIndex()
{
    if (!g_MapFile.IsOpen()) return;
    // The whole index, however many entries the count asks for: it goes
    // through the buffer piece by piece.
    const int64_t count = std::max<int64_t>(g_IndexHeader.m_nTagCount, 0);
    ExportStretch(HexToInt(g_MapHeader.m_strIndexOffset), count * kIndexEntrySize + kIndexHeaderSize);
}

void CExportDialog::OnExportHeader()
{
    if (!g_MapFile.IsOpen()) return;
    ExportStretch(0, kHeaderExportSize);
}

void CExportDialog::OnExportOffsetList() {}

void CExportDialog::OnExportStringIndex() {}

void CExportDialog::ExportStretch(int64_t offset, int64_t length)
{
    CFileDialog dlg(FALSE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, nullptr);
    if (dlg.DoModal() != IDOK) return;
    g_strMetaFileName = dlg.GetFileName();

    // Creating the export file empties it: were it a map the editor has
    // open, the map would be lost and the copy read from an empty file.
    if (g_MapFile.IsSameFile(g_strMetaFileName) || g_InputMapFile.IsSameFile(g_strMetaFileName)) {
        ShowMessage("The file '" + g_strMetaFileName + "' is a map open in the editor. Nothing was exported.");
        return;
    }

    CFileStream exportFile;
    if (!exportFile.Open(g_strMetaFileName, CFileStream::kWriteBinaryNew)) {
        ShowMessage("Could not open the file '" + g_strMetaFileName + "' for writing.");
        return;
    }

    std::vector<char> buffer(static_cast<size_t>(std::min(length, kExportBufferSize)));
    int64_t copied = 0;
    while (copied < length) {
        const int64_t piece = std::min<int64_t>(length - copied, static_cast<int64_t>(buffer.size()));
        g_MapFile.SeekRead(offset + copied);
        const int64_t got = g_MapFile.Read(buffer.data(), piece);
        if (got > 0 && !exportFile.Write(buffer.data(), got)) {
            exportFile.Close();
            ReportWriteFailure(g_strMetaFileName);
            return;
        }
        copied += std::max<int64_t>(got, 0);
        if (got < piece) break;
    }
    const bool readFailed = g_MapFile.ReadError();
    // Exported means on the disk: the flush and the close are checked.
    const bool synced = exportFile.Sync();
    if (!exportFile.Close() || !synced) {
        ReportWriteFailure(g_strMetaFileName);
        return;
    }
    if (readFailed) {
        CString message;
        message.Format("%s '%s' holds only %lld of the %lld bytes to export.",
                       FileReadFailedText(g_strMapFileName).GetString(), g_strMetaFileName.GetString(),
                       static_cast<long long>(copied), static_cast<long long>(length));
        ShowMessage(message);
        return;
    }
    if (copied < length) {
        CString message;
        message.Format("The map file '%s' ends before the stretch to export does: '%s' holds %lld of its %lld bytes.",
                       g_strMapFileName.GetString(), g_strMetaFileName.GetString(), static_cast<long long>(copied),
                       static_cast<long long>(length));
        ShowMessage(message);
    }
}
