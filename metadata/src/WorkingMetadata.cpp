#include "metadata/WorkingMetadata.h"

#include "map/HexCodec.h"

#include <string>
#include <utility>

WorkingMetadata ReadWorkingMetadata(CFileStream& map, uint32_t metaOffset, int32_t metaSize)
{
    WorkingMetadata result;
    if (metaSize < 0 || metaSize > kWorkingMetadataSize) {
        result.status = MetadataReadStatus::SizeOutOfRange;
        return result;
    }
    std::string raw;
    map.SeekRead(metaOffset);
    map.Read(raw, metaSize);
    result.bytesRead = static_cast<int32_t>(raw.size());
    result.status = map.ReadError()                ? MetadataReadStatus::ReadError
                    : result.bytesRead < metaSize ? MetadataReadStatus::ShortRead
                                                  : MetadataReadStatus::Complete;
    result.block = RawToByteString(raw);
    result.raw = std::move(raw);
    return result;
}
