#include "tools/ExportDialog.h"

#include "map/HexCodec.h"
#include "map/MapFiles.h"
#include "map/MapState.h"
#include "messagebox/FailureReports.h"
#include "platform/FileReplacement.h"
#include "res/ResourceIds.h"

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

    // The copy goes to a temporary beside the chosen file and replaces it
    // only when complete on disk: a failure leaves an older file whole, and
    // a file the editor holds open (a map, the log) is never replaced.
    CFileStream exportFile;
    CFileReplacement replacement;
    if (!replacement.Begin(exportFile, g_strMetaFileName, CFileStream::kWriteBinaryNew)) {
        if (replacement.LastFailure() == CFileReplacement::Failure::HeldOpen)
            ShowMessage(HeldOpenText(g_strMetaFileName, replacement.HeldFileName()) + " Nothing was exported.");
        else if (replacement.LastFailure() == CFileReplacement::Failure::Folder)
            ShowMessage("The file '" + g_strMetaFileName + "' is a folder. Nothing was exported.");
        else
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
            ReportWriteFailure(g_strMetaFileName);
            return;
        }
        copied += std::max<int64_t>(got, 0);
        if (got < piece) break;
    }
    if (g_MapFile.ReadError()) {
        // A copy cut short by a failed read never replaces an older file.
        replacement.Discard();
        ShowMessage(FileReadFailedText(g_strMapFileName) + " Nothing was exported.");
        return;
    }
    if (!replacement.Finish() || CommitReplacements({&replacement}) != nullptr) {
        ReportWriteFailure(g_strMetaFileName);
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
