#include "map/FloatText.h"

#include "map/MapState.h"
#include "platform/FileReplacement.h"
#include "platform/FileStream.h"
#include "platform/ScratchFolder.h"

CString FloatToText(float value, CString* refusal)
{
    CString token;
    const CString path = ScratchFilePath("Temp.meta");
    if (!g_TempMetaFile.Open(path, CFileStream::kScratchText)) {
        if (refusal && g_TempMetaFile.LastOpenFailure() == CFileStream::OpenFailure::HeldOpen)
            *refusal = HeldOpenText(path, g_TempMetaFile.HeldFileName()) + " The scratch file was not written.";
        return token;
    }
    g_TempMetaFile << static_cast<double>(value) << "\n";
    g_TempMetaFile.SeekRead(0);
    g_TempMetaFile.ReadToken(token);
    g_TempMetaFile.Close();
    return token;
}

CString FormatFloatText(float value) { return FormatGeneralNumber(static_cast<double>(value), 6); }
