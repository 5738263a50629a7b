#pragma once
// The instrument's raw record: 80 bytes holding 40 unsigned 16-bit words, most
// significant byte first (rings 1..32, then the eight auxiliary channels).
#include "core/Constants.h"

#include <array>
#include <cstdint>

namespace kavro {

inline constexpr int kRawRecordBytes = 2 * kFrameValues;
inline constexpr std::uint16_t kMultiScanLaserWord = 4095;  // a single scan never reads more

using RawWords = std::array<std::uint16_t, kFrameValues>;

// The 40 words of one record, in host order.
RawWords decodeRawRecord(const unsigned char bytes[kRawRecordBytes]);

}  // namespace kavro
