// The editor's private scratch folder: made under the system's temporary
// folder, readable by the user alone, removed when the process ends. The
// scratch files live there, never beside the user's maps.
#pragma once

#include "platform/CString.h"

// Makes the folder unless it exists; true when it does afterwards. Tried
// again by ScratchFilePath when it failed.
bool MakeScratchFolder();
// The path of a scratch file of that name, or the bare name inside a folder
// that does not exist when no folder could be made (so opening it fails).
CString ScratchFilePath(const char* name);
// Why the folder could not be made, for the user.
CString ScratchFolderFailureText();
// Removes the folder and what it holds; a later ScratchFilePath makes a
// new one. Also run when the process ends.
void RemoveScratchFolder();
