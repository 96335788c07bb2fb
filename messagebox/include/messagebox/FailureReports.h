// How the editor tells the user that a file operation failed: its message
// box, naming the file.
#pragma once

#include "messagebox/MessageDialog.h"
#include "platform/CString.h"

#include <vector>

// "Could not write to the file 'name'."
void ReportWriteFailure(const CString& fileName);

// A write of the map `mapFileName` failed after the fields `written` had
// landed, while `failed` was being written: "Writing to the map file 'name'
// failed. The change may be only partly written. Written before the failure:
// A, B. Perhaps written in part: C."
CString PartialMapWriteMessage(const CString& mapFileName, const std::vector<CString>& written, const CString& failed);
void ReportPartialMapWrite(const CString& mapFileName, const std::vector<CString>& written, const CString& failed);
