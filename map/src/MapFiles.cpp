#include "map/MapFiles.h"

#include "map/MapState.h"
#include "platform/TimeText.h"

#include <filesystem>
#include <system_error>
#include <utility>

CString g_strMapFilePath;

namespace {
MessageSink g_logFailureReporter;
bool g_bLogFailureTold = false;
} // namespace

void SetLogFailureReporter(MessageSink reporter) { g_logFailureReporter = std::move(reporter); }

void ResetLogFailureReport() { g_bLogFailureTold = false; }

void ReportLogFailure(const CString& text)
{
    if (g_bLogFailureTold) return;
    g_bLogFailureTold = true;
    if (g_logFailureReporter) g_logFailureReporter(text);
}

void LogEntry(const CString& message)
{
    g_LogFile << CurrentTimeLine() << "\n" << message;
    // A log that was never created was reported when it failed to open.
    if (g_LogFile.IsOpen() && g_LogFile.Fail())
        ReportLogFailure("The log file 'Log.txt' could not be written. The editor goes on without a complete log.");
}

void LogEntryAfterBlankLines(const CString& message)
{
    g_LogFile << "\n\n";
    LogEntry(message);
}

namespace {
void OpenLogged(CFileStream& stream, const CString& name, unsigned mode, const char* what, const char* successTail)
{
    stream.Open(name, mode);
    if (stream.IsOpen())
        LogEntry(CString("\t") + what + " '" + name + successTail);
    else
        LogEntry(CString("\t") + what + " '" + name + "' opened unsuccessfully.\n");
}

void CloseLogged(CFileStream& stream, const char* what)
{
    if (!stream.Close() || stream.IsOpen())
        LogEntry(CString("\t") + what + " closed unsuccessfully.\n");
    else
        LogEntry(CString("\t") + what + " closed successfully.\n");
}
} // namespace

namespace {
// Taken at once: a file chooser opened later changes the current folder.
void KeepMapFilePath()
{
    g_strMapFilePath.Empty();
    if (!g_MapFile.IsOpen()) return;
    std::error_code error;
    const std::filesystem::path full = std::filesystem::absolute(g_strMapFileName.Bytes(), error);
    if (!error) g_strMapFilePath = CString(full.string());
}
} // namespace

void OpenMapFile()
{
    OpenLogged(g_MapFile, g_strMapFileName, CFileStream::kMapFile, "MapFile", "' opened successfully.\n");
    KeepMapFilePath();
}

void OpenMapFileReadOnly()
{
    OpenLogged(g_MapFile, g_strMapFileName, CFileStream::kMapFileReadOnly, "MapFile",
               "' opened successfully in Read-Only mode.\n");
    KeepMapFilePath();
}

bool MapIsStillTheOpenedFile()
{
    return g_MapFile.IsOpen() && !g_strMapFilePath.IsEmpty() && g_MapFile.IsSameFile(g_strMapFilePath);
}

CString MapReplacedMessage()
{
    return "The map file '" + g_strMapFileName +
           "' is no longer the file that was opened: it was replaced, moved or deleted. Nothing was written. Close "
           "the map and open it again.";
}

CString FileReadFailedText(const CString& fileName)
{
    return "The file '" + fileName + "' could not be read: the file system reported an error.";
}

void OpenInputMapFile()
{
    OpenLogged(g_InputMapFile, g_strInputMapFileName, CFileStream::kMapFile, "Input MapFile",
               "' opened successfully.\n");
}

CString MapOpenFailureMessage(const CString& fileName, const CFileStream& stream)
{
    using Failure = CFileStream::OpenFailure;
    CString reason;
    switch (stream.LastOpenFailure()) {
    case Failure::Missing: reason = "the file does not exist."; break;
    case Failure::NoPermission: reason = "you do not have permission to read and write it."; break;
    case Failure::ReadOnly: reason = "the file is read-only, and the editor writes every change into the map."; break;
    case Failure::ReadOnlyFileSystem:
        reason = "it lies on a read-only file system, and the editor writes every change into the map.";
        break;
    case Failure::Folder: reason = "it is a folder, not a map file."; break;
    case Failure::NotRegularFile: reason = "it is not a regular file (a pipe or a device, for example)."; break;
    case Failure::HeldOpen: reason = "it is open in the editor as '" + stream.HeldFileName() + "'."; break;
    case Failure::None:
    case Failure::Other: {
        std::string text = stream.LastOpenErrorText().empty() ? "it could not be opened" : stream.LastOpenErrorText();
        if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z') text[0] = static_cast<char>(text[0] - 'A' + 'a');
        reason = CString(text + ".");
        break;
    }
    }
    return "The map '" + fileName + "' could not be opened: " + reason;
}

void CloseMapFile()
{
    CloseLogged(g_MapFile, "MapFile");
    g_strMapFilePath.Empty();
    for (CString* text : {&g_strMapNickname, &g_strMapFileName, &g_strMapType, &g_strMapFormat, &g_strMagic})
        *text = "None";
    g_strStringIndexText = "No map loaded.";
    g_nEofSpace = 0;
    g_MapHeader.m_strIndexOffset.Empty();
    g_MapHeader.m_strBuildDate.Empty();
    g_MapHeader.m_strEofPosition.Empty();
    g_MapHeader.m_strMapName.Empty();
    g_MapHeader.m_strVersion.Empty();
    g_MapHeader.m_strMapType.Empty();
    g_IndexHeader.m_strIndexMagic.Empty();
    g_IndexHeader.m_nTagCount = 0;
}

void CloseInputMapFile()
{
    CloseLogged(g_InputMapFile, "Input MapFile");
    g_InputMapHeader.m_strIndexOffset.Empty();
    g_InputMapHeader.m_strEofPosition.Empty();
    g_InputMapHeader.m_strMapName.Empty();
    g_InputIndexHeader.m_strIndexMagic.Empty();
    g_InputIndexHeader.m_nTagCount = 0;
}
