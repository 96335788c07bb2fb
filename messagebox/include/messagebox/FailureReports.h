// How the tool dialogs tell the user that a file operation failed: the
// editor's message box, naming the file.
#pragma once

#include "app/MessageDialog.h"
#include "platform/CString.h"
#include "platform/FileStream.h"

#include <cstdint>
#include <string>
#include <vector>

// "Could not write to the file 'name'."
void ReportWriteFailure(const CString& fileName);

// A write of the open map failed after the fields `written` had landed,
// while `failed` was being written: "Writing to the map file 'name' failed.
// The change may be only partly written. Written before the failure: A, B.
// Perhaps written in part: C."
CString PartialMapWriteMessage(const std::vector<CString>& written, const CString& failed);
void ReportPartialMapWrite(const std::vector<CString>& written, const CString& failed);

// Writes bytes at a position of the open map. False (and nothing written)
// when the bytes would reach past the end of the file, so that a hostile or
// mistyped position never grows the map; false too when the write fails.
bool WriteMapBytesAt(int64_t position, const std::string& bytes);
