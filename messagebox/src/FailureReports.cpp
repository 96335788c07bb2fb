#include "messagebox/FailureReports.h"

#include "messagebox/MessageDialog.h"

void ReportWriteFailure(const CString& fileName)
{
    ShowMessage("Could not write to the file '" + fileName + "'.");
}

CString PartialMapWriteMessage(const CString& mapFileName, const std::vector<CString>& written, const CString& failed)
{
    CString text = "Writing to the map file '" + mapFileName +
                   "' failed. The change may be only partly written. Written before the failure: ";
    if (written.empty()) text += "nothing";
    for (size_t i = 0; i < written.size(); ++i) {
        if (i > 0) text += ", ";
        text += written[i];
    }
    text += ". Perhaps written in part: " + failed + ".";
    return text;
}

void ReportPartialMapWrite(const CString& mapFileName, const std::vector<CString>& written, const CString& failed)
{
    ShowMessage(PartialMapWriteMessage(mapFileName, written, failed));
}
