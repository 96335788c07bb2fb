// A tag's metadata read into the working buffer, as the scanner, Save
// Metadata, the Direct Injection reference list and Direct inject read it.
#pragma once

#include "platform/CString.h"
#include "platform/FileStream.h"

#include <cstdint>
#include <string>

// Room of the working buffer.
constexpr int32_t kWorkingMetadataSize = 1000000;

enum class MetadataReadStatus { Complete, SizeOutOfRange, ShortRead, ReadError };

struct WorkingMetadata {
    CString block;  // the bytes read, zero bytes as 'x'
    std::string raw;  // the same bytes as stored (a 0x78 byte stays 0x78), for writers
    MetadataReadStatus status = MetadataReadStatus::Complete;
    int32_t bytesRead = 0;
};

// A size below 0 or above the working buffer reads nothing (the caller
// refuses the tag); a map that ends early gives the bytes it holds; a read
// the file system refused is ReadError, whatever came before it.
WorkingMetadata ReadWorkingMetadata(CFileStream& map, uint32_t metaOffset, int32_t metaSize);
