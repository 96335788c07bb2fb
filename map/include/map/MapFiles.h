// Opening and closing the two map files, and the entries of "Log.txt".
#pragma once

#include "map/MessageSink.h"
#include "platform/CString.h"
#include "platform/FileStream.h"

void OpenMapFile();
void OpenMapFileReadOnly();
void OpenInputMapFile();
void CloseMapFile();
void CloseInputMapFile();

// The open map's full path, taken when it was opened; empty when no map is open.
extern CString g_strMapFilePath;

// True when the open map's path still names the file the stream holds: a
// map replaced, moved or deleted since would take writes that are lost.
bool MapIsStillTheOpenedFile();
// The refusal when it is not.
CString MapReplacedMessage();
// A read refused by the file system (not the end of the file), naming the
// file; the caller adds what was left undone.
CString FileReadFailedText(const CString& fileName);

// What the user is told when a map file they chose could not be opened:
// its name and why, from the stream's last failed open.
CString MapOpenFailureMessage(const CString& fileName, const CFileStream& stream);

// How the user is told that "Log.txt" cannot be written: set by the main
// window. The user is told once a run, at start or at the first entry
// that fails; the editor goes on without the log.
void SetLogFailureReporter(MessageSink reporter);
void ReportLogFailure(const CString& text);
void ResetLogFailureReport();

// One log entry: the time line, then the message line (which starts with a
// tab and ends with a line feed). The time is taken when the entry is written.
void LogEntry(const CString& message);
// The entry form that starts with two empty lines; extra lines follow the
// message as the caller writes them.
void LogEntryAfterBlankLines(const CString& message);
