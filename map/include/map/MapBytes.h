// Raw reads from a map stream for the readers of header and index.
#pragma once

#include "platform/CString.h"
#include "platform/FileStream.h"

#include <cstdint>
#include <string>

// Exactly `count` bytes from `offset`: bytes the file cannot give (a short
// file, a closed stream) are zero bytes, so a truncated map reads as if it
// were padded with zeros.
std::string ReadBytesAt(CFileStream& stream, int64_t offset, int64_t count);

// A little-endian number field, exactly as stored (a 0x78 byte is 0x78).
uint32_t ReadNumberAt(CFileStream& stream, int64_t offset, int byteCount);

// HexText without leading zeros; 0 gives the empty text.
CString HexWithoutLeadingZeros(uint32_t value);
