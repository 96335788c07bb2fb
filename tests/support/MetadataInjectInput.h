// One input of the metadata-file fuzz target, shared by the fuzzer and the
// test that replays its seed corpus on every run.
//
// The input is a hostile metadata pair against a small fixed map:
//   byte 0: bit 0 set: corrected inject; bits 1-2: the target tag (0-3)
//   bytes 1-2: n, little-endian: the data file is the next n bytes (fewer
//   when the input ends first); the metadata file is the rest.
// Runs Inject Metadata of the pair, applies the data file again as a
// header-less record file, then saves the target and reads that data file
// back. Aborts when an invariant breaks: a byte outside the injected block
// changed, the map grew, or a data file the writer wrote cannot be read
// back record for record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace travik::test {

// Runs one input in the current directory.
void RunMetadataInjectInput(const uint8_t* data, size_t size);

// Builds an input from its parts.
std::string MetadataInjectInput(bool correct, int targetTag, const std::string& dataFile, const std::string& metaFile);

} // namespace travik::test
