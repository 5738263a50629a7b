#include "core/RawRecord.h"

namespace kavro {

RawWords decodeRawRecord(const unsigned char bytes[kRawRecordBytes])
{
    RawWords words{};
    for (std::size_t i = 0; i < words.size(); ++i)
        words[i] = static_cast<std::uint16_t>(bytes[2 * i] << 8 | bytes[2 * i + 1]);
    return words;
}

}  // namespace kavro
