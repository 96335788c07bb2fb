// Opening and closing the two map files, and the entries of "Log.txt".
#pragma once

#include "platform/CString.h"
#include "platform/FileStream.h"

void OpenMapFile();
void OpenMapFileReadOnly();
void OpenInputMapFile();
void CloseMapFile();
void CloseInputMapFile();

// What the user is told when a map file they chose could not be opened:
// its name and why, from the stream's last failed open.
CString MapOpenFailureMessage(const CString& fileName, const CFileStream& stream);

// One log entry: the time line, then the message line (which starts with a
// tab and ends with a line feed). The time is taken when the entry is written.
void LogEntry(const CString& message);
// The entry form that starts with two empty lines; extra lines follow the
// message as the caller writes them.
void LogEntryAfterBlankLines(const CString& message);
