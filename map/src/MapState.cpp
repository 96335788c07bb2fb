#include "map/MapState.h"

#include "map/MapFiles.h"
#include "map/TagIndex.h"

// Definition order is construction order within this unit. The priority
// makes every one of them exist before the application object (defined
// elsewhere) and go only after it.
#define PROCESS_STATE __attribute__((init_priority(1000)))
PROCESS_STATE CFileStream g_MapFile;
PROCESS_STATE CFileStream g_InputMapFile;
PROCESS_STATE CFileStream g_LogFile;
PROCESS_STATE CFileStream g_TempMetaFile;
PROCESS_STATE CFileStream g_DataFile;
PROCESS_STATE CFileStream g_MetaFile;
PROCESS_STATE CString g_strMapFileName("None");
PROCESS_STATE CString g_strMapNickname("None");
PROCESS_STATE CString g_strMapFormat("None");
PROCESS_STATE CString g_strMapType("None");
PROCESS_STATE CString g_strMagic("None");
PROCESS_STATE CString g_strInputMapFileName("None");
PROCESS_STATE CString g_strInputMagic("None");
PROCESS_STATE CString g_strMetaFileName("None");
PROCESS_STATE CString g_strStringIndexText("No map loaded.");
PROCESS_STATE CString g_TagClasses[kClassTableRows][3];
PROCESS_STATE MapHeaderInfo g_MapHeader;
PROCESS_STATE MapHeaderInfo g_InputMapHeader;
PROCESS_STATE TagEntry g_Tags[kMaxTags];
PROCESS_STATE TagEntry g_InputTags[kMaxTags];
PROCESS_STATE IndexHeaderInfo g_IndexHeader;
PROCESS_STATE IndexHeaderInfo g_InputIndexHeader;
PROCESS_STATE ScanRecord g_ScanRecords[kMaxScanRecords];
PROCESS_STATE CFileStream g_TempTextFile;

HTREEITEM g_hTagClassSet[4] = {};
HTREEITEM g_hClassItems[kClassTableRows][4] = {};
bool g_bReadOnlyMode = false;
bool g_bTagChanged = false;
bool g_bUpdateNameLocation = false;
bool g_bMapChanged = false;
bool g_bTagListFilled = false;
int32_t g_nEofSpace = 0;

namespace {
// Entries of g_Tags and g_InputTags that loads may have written since the
// last reset.
int s_tagsWritten = 0;
int s_inputTagsWritten = 0;

void ResetTags(TagEntry* table, int count)
{
    for (int i = 0; i < count && i < kMaxTags; ++i) table[i] = TagEntry();
}
} // namespace

void NoteTagEntriesWritten(const TagEntry* table, int count)
{
    int& written = table == g_InputTags ? s_inputTagsWritten : s_tagsWritten;
    if (count > written) written = count > kMaxTags ? kMaxTags : count;
}

void ResetMapState()
{
    // Entries may have been written by anyone: all of them.
    s_tagsWritten = s_inputTagsWritten = kMaxTags;
    ResetMapLoadState();
    for (ScanRecord& record : g_ScanRecords) record = ScanRecord();
}

void ResetMapLoadState()
{
    for (CFileStream* stream : {&g_MapFile, &g_InputMapFile, &g_LogFile, &g_TempMetaFile, &g_DataFile, &g_MetaFile, &g_TempTextFile})
        stream->Close();
    for (CString* text : {&g_strMapFileName, &g_strMapNickname, &g_strMapFormat, &g_strMapType, &g_strMagic,
                          &g_strInputMapFileName, &g_strInputMagic, &g_strMetaFileName})
        *text = "None";
    g_strStringIndexText = "No map loaded.";
    for (auto& row : g_TagClasses)
        for (CString& cell : row) cell.Empty();
    g_MapHeader = MapHeaderInfo();
    g_InputMapHeader = MapHeaderInfo();
    ResetTags(g_Tags, s_tagsWritten);
    ResetTags(g_InputTags, s_inputTagsWritten);
    s_tagsWritten = s_inputTagsWritten = 0;
    g_IndexHeader = IndexHeaderInfo();
    g_InputIndexHeader = IndexHeaderInfo();
    for (HTREEITEM& item : g_hTagClassSet) item = nullptr;
    for (auto& row : g_hClassItems)
        for (HTREEITEM& item : row) item = nullptr;
    g_bReadOnlyMode = g_bTagChanged = g_bUpdateNameLocation = g_bMapChanged = g_bTagListFilled = false;
    g_nEofSpace = 0;
    ResetLogFailureReport();
    ResetNamesCut();
}
