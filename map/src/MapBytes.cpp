#include "map/MapBytes.h"

#include "map/HexCodec.h"

std::string ReadBytesAt(CFileStream& stream, int64_t offset, int64_t count)
{
    std::string bytes;
    if (count <= 0) return bytes;
    stream.SeekRead(offset);
    stream.Read(bytes, count);
    bytes.resize(static_cast<size_t>(count), '\0');
    return bytes;
}

uint32_t ReadNumberAt(CFileStream& stream, int64_t offset, int byteCount)
{
    return ReadLittleEndian(ReadBytesAt(stream, offset, byteCount), 0, byteCount);
}

CString HexWithoutLeadingZeros(uint32_t value)
{
    return value == 0 ? CString() : IntToHex(static_cast<int32_t>(value));
}
