#include "tools/ToolReports.h"

#include "app/MessageDialog.h"
#include "map/MapState.h"

void ReportWriteFailure(const CString& fileName)
{
    ShowMessage("Could not write to the file '" + fileName + "'.");
}

CString PartialMapWriteMessage(const std::vector<CString>& written, const CString& failed)
{
    CString text = "Writing to the map file '" + g_strMapFileName +
                   "' failed. The change may be only partly written. Written before the failure: ";
    if (written.empty()) text += "nothing";
    for (size_t i = 0; i < written.size(); ++i) {
        if (i > 0) text += ", ";
        text += written[i];
    }
    text += ". Perhaps written in part: " + failed + ".";
    return text;
}

void ReportPartialMapWrite(const std::vector<CString>& written, const CString& failed)
{
    ShowMessage(PartialMapWriteMessage(written, failed));
}

bool WriteMapBytesAt(int64_t position, const std::string& bytes)
{
    if (!g_MapFile.IsOpen() || position < 0) return false;
    if (position + static_cast<int64_t>(bytes.size()) > g_MapFile.FileSize()) return false;
    g_MapFile.SeekWrite(position);
    return g_MapFile.Write(bytes);
}
