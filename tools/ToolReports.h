// How the tool dialogs tell the user that a file operation failed: the
// editor's message box, naming the file.
#pragma once

#include "app/MessageDialog.h"
#include "platform/CString.h"
#include "platform/FileStream.h"

#include <cstdint>
#include <string>

// "Could not write to the file 'name'."
void ReportWriteFailure(const CString& fileName);

// Writes bytes at a position of the open map. False (and nothing written)
// when the bytes would reach past the end of the file, so that a hostile or
// mistyped position never grows the map; false too when the write fails.
bool WriteMapBytesAt(int64_t position, const std::string& bytes);
