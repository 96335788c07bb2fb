// How the tool dialogs tell the user that a file operation failed: the
// editor's message box, naming the file.
#pragma once

#include "app/MessageDialog.h"
#include "map/MapWrite.h"
#include "platform/CString.h"

#include <vector>

// "Could not write to the file 'name'."
void ReportWriteFailure(const CString& fileName);

// A write of the open map failed after the fields `written` had landed,
// while `failed` was being written: PartialMapWriteMessage in the box.
void ReportPartialMapWrite(const std::vector<CString>& written, const CString& failed);
