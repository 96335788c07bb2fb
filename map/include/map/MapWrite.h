// The one way bytes go into the open map, and the one text for a write
// there that failed.
#pragma once

#include "platform/CString.h"

#include <cstdint>
#include <string_view>
#include <vector>

// How far a write into the open map may reach. A write stays inside the
// file as it stands, so that a hostile or mistyped position never
// lengthens the map; only a name moved to the EoF position may lengthen
// it, and no further than the highest offset a map can address.
enum class MapWriteLimit {
    FileEnd,
    HighestAddress, // the bytes end at 0xFFFFFFFF at the latest
};

// Writes the bytes at a position of the open map. False, with nothing
// written, when no map is open or the bytes would reach past the limit;
// false too when the write fails. It does not flush: a change is done only
// once the caller's g_MapFile.Sync() has succeeded.
bool WriteMapBytesAt(int64_t position, std::string_view bytes, MapWriteLimit limit = MapWriteLimit::FileEnd);

// What the user is told when a write into the open map failed or may not
// have reached the disk: "Writing to the map file 'name' failed. The change
// may be only partly written."
CString MapWriteFailedMessage();
// The same, followed by what had been written before the write of `failed`
// went wrong: "... Written before the failure: A, B. Perhaps written in
// part: C." ("nothing" when none had been).
CString PartialMapWriteMessage(const std::vector<CString>& written, const CString& failed);
// Every field was written but the flush to the disk failed: none is known
// to be there, so each may be in part ("... Written before the failure:
// nothing. Perhaps written in part: A, B.").
CString UnflushedMapWriteMessage(const std::vector<CString>& written);
