// The one bounded write into the open map.
#pragma once

#include <cstdint>
#include <string>

// Writes bytes at a position of the open map. False (and nothing written)
// when the bytes would reach past the end of the file, so that a hostile or
// mistyped position never grows the map; false too when the write fails.
bool WriteMapBytesAt(int64_t position, const std::string& bytes);
