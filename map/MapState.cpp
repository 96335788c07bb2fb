#include "map/MapState.h"

// Definition order is construction order within this unit.
CFileStream g_MapFile;
CFileStream g_InputMapFile;
CFileStream g_LogFile;
CFileStream g_TempMetaFile;
CFileStream g_DataFile;
CFileStream g_MetaFile;
CString g_strMapFileName("None");
CString g_strMapNickname("None");
CString g_strMapFormat("None");
CString g_strMapType("None");
CString g_strMagic("None");
CString g_strInputMapFileName("None");
CString g_strInputMagic("None");
CString g_strMetaFileName("None");
CString g_strStringIndexText("No map loaded.");
CString g_TagClasses[kClassTableRows][3];
MapHeaderInfo g_MapHeader;
MapHeaderInfo g_InputMapHeader;
TagEntry g_Tags[kMaxTags];
TagEntry g_InputTags[kMaxTags];
IndexHeaderInfo g_IndexHeader;
IndexHeaderInfo g_InputIndexHeader;
ScanRecord g_ScanRecords[kMaxScanRecords];

HTREEITEM g_hTagClassSet[4] = {};
HTREEITEM g_hClassItems[kClassTableRows][4] = {};
bool g_bReadOnlyMode = false;
bool g_bTagChanged = false;
bool g_bUpdateNameLocation = false;
bool g_bMapChanged = false;
bool g_bTagListFilled = false;
int32_t g_nEofSpace = 0;

void ResetMapState()
{
    for (CFileStream* stream : {&g_MapFile, &g_InputMapFile, &g_LogFile, &g_TempMetaFile, &g_DataFile, &g_MetaFile})
        stream->Close();
    for (CString* text : {&g_strMapFileName, &g_strMapNickname, &g_strMapFormat, &g_strMapType, &g_strMagic,
                          &g_strInputMapFileName, &g_strInputMagic, &g_strMetaFileName})
        *text = "None";
    g_strStringIndexText = "No map loaded.";
    for (auto& row : g_TagClasses)
        for (CString& cell : row) cell.Empty();
    g_MapHeader = MapHeaderInfo();
    g_InputMapHeader = MapHeaderInfo();
    for (TagEntry& tag : g_Tags) tag = TagEntry();
    for (TagEntry& tag : g_InputTags) tag = TagEntry();
    g_IndexHeader = IndexHeaderInfo();
    g_InputIndexHeader = IndexHeaderInfo();
    for (ScanRecord& record : g_ScanRecords) record = ScanRecord();
    for (HTREEITEM& item : g_hTagClassSet) item = nullptr;
    for (auto& row : g_hClassItems)
        for (HTREEITEM& item : row) item = nullptr;
    g_bReadOnlyMode = g_bTagChanged = g_bUpdateNameLocation = g_bMapChanged = g_bTagListFilled = false;
    g_nEofSpace = 0;
}
