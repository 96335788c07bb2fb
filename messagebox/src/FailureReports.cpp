#include "messagebox/FailureReports.h"

#include "messagebox/MessageDialog.h"

void ReportWriteFailure(const CString& fileName)
{
    ShowMessage("Could not write to the file '" + fileName + "'.");
}
