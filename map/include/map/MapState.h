// The process-wide state of the open map and of the second map. These
// objects live for the whole run; dialogs copy from them and write
// through them.
#pragma once

#include "platform/CString.h"
#include "platform/FileStream.h"
#include "platform/TreeHandle.h"

#include <cstdint>

constexpr int kMaxTags = 5000;
constexpr int kClassTableRows = 100;
constexpr int kFilledClassRows = 80;
constexpr int kMaxScanRecords = 1000;
constexpr int kMaxTagNameLength = 5000;

struct MapHeaderInfo {
    CString m_strVersion;
    CString m_strEofPosition;
    CString m_strIndexOffset;
    CString m_strMapName;
    CString m_strBuildDate;
    CString m_strMapType;
};

struct IndexHeaderInfo {
    CString m_strIndexMagic;
    int32_t m_nTagCount = 0;
};

struct TagEntry {
    CString m_strClass1;
    CString m_strClass2;
    CString m_strClass3;
    CString m_strIdentifier;
    CString m_strStringOffset;
    CString m_strMetaOffset;
    CString m_strValue;
    CString m_strName;
    CString m_strPageOffset;
    int32_t m_nMetaSize = 0;
    HTREEITEM m_hItem1 = nullptr;
    HTREEITEM m_hItem2 = nullptr;
    HTREEITEM m_hItem3 = nullptr;
};

struct ScanRecord {
    CString m_strClass;
    HTREEITEM m_hItem = nullptr;
    char m_chType = '\0';
    int32_t m_nTag = 0;
    uint32_t m_dwTarget = 0;
    int32_t m_nCount = 0;
    int32_t m_nOffset = 0;
    float m_fValue = 0.0f;
    int16_t m_sValue = 0;
};

// Constructed in this order, destroyed in the reverse order.
extern CFileStream g_MapFile;
extern CFileStream g_InputMapFile;
extern CFileStream g_LogFile;
extern CFileStream g_TempMetaFile;
extern CFileStream g_DataFile;
extern CFileStream g_MetaFile;
extern CString g_strMapFileName;
extern CString g_strMapNickname;
extern CString g_strMapFormat;
extern CString g_strMapType;
extern CString g_strMagic;
extern CString g_strInputMapFileName;
extern CString g_strInputMagic;
extern CString g_strMetaFileName;
extern CString g_strStringIndexText;
extern CString g_TagClasses[kClassTableRows][3];
extern MapHeaderInfo g_MapHeader;
extern MapHeaderInfo g_InputMapHeader;
extern TagEntry g_Tags[kMaxTags];
extern TagEntry g_InputTags[kMaxTags];
extern IndexHeaderInfo g_IndexHeader;
extern IndexHeaderInfo g_InputIndexHeader;
extern ScanRecord g_ScanRecords[kMaxScanRecords];
// The text converter's scratch stream, on "temp.txt" in the current directory.
extern CFileStream g_TempTextFile;

extern HTREEITEM g_hTagClassSet[4];
extern HTREEITEM g_hClassItems[kClassTableRows][4];
extern bool g_bReadOnlyMode;
extern bool g_bTagChanged;
extern bool g_bUpdateNameLocation;
extern bool g_bMapChanged;
extern bool g_bTagListFilled;
extern int32_t g_nEofSpace;

// The number of entries of a tag table that a walk may visit: the count as
// read, limited to the table's room. A count read from a hostile map never
// lets a loop index past the table.
inline int LoadedTagCount(const IndexHeaderInfo& header)
{
    if (header.m_nTagCount < 0) return 0;
    return header.m_nTagCount > kMaxTags ? kMaxTags : header.m_nTagCount;
}

// Returns every process-wide object to its state at start-up: streams
// closed, texts "None" (the string index "No map loaded."), tables empty,
// flags clear. Tests call it before each case.
void ResetMapState();

// The same for what opening, reading and closing maps can write: all of
// the above but the scan records, and of the tag tables only the entries
// that the tag loaders have written since the last reset (a load writes
// entries 0 up to its count). Cheap where a map has few tags, for callers
// that run many loads (the fuzzers).
void ResetMapLoadState();
// Called by the tag loaders: entries [0, count) of the table were written.
void NoteTagEntriesWritten(const TagEntry* table, int count);
