#include "tools/ToolReports.h"

#include "app/MessageDialog.h"

void ReportWriteFailure(const CString& fileName)
{
    ShowMessage("Could not write to the file '" + fileName + "'.");
}

void ReportPartialMapWrite(const std::vector<CString>& written, const CString& failed)
{
    ShowMessage(PartialMapWriteMessage(written, failed));
}
