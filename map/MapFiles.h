// Opening and closing the two map files, and the entries of "Log.txt".
#pragma once

#include "platform/CString.h"

void OpenMapFile();
void OpenMapFileReadOnly();
void OpenInputMapFile();
void CloseMapFile();
void CloseInputMapFile();

// One log entry: the time line, then the message line (which starts with a
// tab and ends with a line feed). The time is taken when the entry is written.
void LogEntry(const CString& message);
// The entry form that starts with two empty lines; extra lines follow the
// message as the caller writes them.
void LogEntryAfterBlankLines(const CString& message);
