// How the editor tells the user that a file operation failed: its message
// box, naming the file.
#pragma once

#include "messagebox/MessageDialog.h"
#include "platform/CString.h"

// "Could not write to the file 'name'."
void ReportWriteFailure(const CString& fileName);
