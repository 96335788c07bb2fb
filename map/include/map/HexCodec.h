// Conversions between raw map bytes carried as text (zero bytes as 'x'),
// lowercase hexadecimal text and 32-bit integers.
#pragma once

#include "platform/CString.h"

#include <cstdint>
#include <string>

// Raw bytes with every zero byte carried as 'x'.
CString RawToByteString(const std::string& raw);

CString BytesToHex(CString bytes);
// One hex digit of either case; any other character counts as 0.
unsigned HexDigitValue(char c);
uint32_t HexToInt(CString hex);
CString IntToHex(int32_t value);
CString HexToBytes(CString hex);
CString IntToDecText(int32_t value);

// Reads a little-endian number straight from raw bytes, exactly: a 0x78
// byte is 0x78. Bytes past the end of `raw` read as zero.
uint32_t ReadLittleEndian(const std::string& raw, size_t offset, int byteCount);

// The raw bytes of a number to be written back, least significant first.
// Built without the 'x' step, so a 0x78 byte of the value stays 0x78.
std::string LittleEndianBytes(uint32_t value, int byteCount);
