#include "map/MapWrite.h"

#include "map/MapState.h"

bool WriteMapBytesAt(int64_t position, std::string_view bytes, MapWriteLimit limit)
{
    if (!g_MapFile.IsOpen() || position < 0) return false;
    const int64_t end = position + static_cast<int64_t>(bytes.size());
    const int64_t last = limit == MapWriteLimit::FileEnd ? g_MapFile.FileSize() : int64_t {0xFFFFFFFF};
    if (end > last) return false;
    g_MapFile.SeekWrite(position);
    return g_MapFile.Write(bytes.data(), static_cast<int64_t>(bytes.size()));
}

CString MapWriteFailedMessage()
{
    return "Writing to the map file '" + g_strMapFileName + "' failed. The change may be only partly written.";
}

namespace {
CString JoinedFields(const std::vector<CString>& fields)
{
    CString text;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) text += ", ";
        text += fields[i];
    }
    return text;
}
} // namespace

CString PartialMapWriteMessage(const std::vector<CString>& written, const CString& failed)
{
    const CString before = written.empty() ? CString("nothing") : JoinedFields(written);
    return MapWriteFailedMessage() + " Written before the failure: " + before + ". Perhaps written in part: " + failed +
           ".";
}

CString UnflushedMapWriteMessage(const std::vector<CString>& written)
{
    return PartialMapWriteMessage({}, JoinedFields(written));
}
