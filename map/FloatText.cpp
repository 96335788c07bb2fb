#include "map/FloatText.h"

#include "map/MapState.h"
#include "platform/FileStream.h"

CString FloatToText(float value)
{
    CString token;
    if (!g_TempMetaFile.Open("Temp.meta", CFileStream::kScratchText)) return token;
    g_TempMetaFile << static_cast<double>(value) << "\n";
    g_TempMetaFile.SeekRead(0);
    g_TempMetaFile.ReadToken(token);
    g_TempMetaFile.Close();
    return token;
}

CString FormatFloatText(float value) { return FormatGeneralNumber(static_cast<double>(value), 6); }
