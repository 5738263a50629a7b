// The .psd records: arbitrary bytes decoded as 512-byte output records into a frame
// result, encoded again (the same bytes must come back), and written as .asc lines
// (74 numbers each, every one readable again); the rest of the input as the
// background path of a header record, which must read back as written.
#include "core/CFrameResult.h"
#include "core/OutputRecord.h"
#include "fuzz/FuzzSupport.h"
#include "platform/NumText.h"

#include <cstdint>
#include <cstring>
#include <string>

using namespace kavro;

namespace {

void checkAscLine(const OutputRecord& record)
{
    const std::string line = ascLine(record, true);
    fuzz::require(!line.empty() && line.back() == '\n', "an .asc line ends with a line break");
    std::size_t pos = 0;
    int count = 0;
    while (pos < line.size()) {
        std::size_t used = 0;
        auto value = scanDouble(std::string_view(line).substr(pos), &used);
        if (!value)
            break;
        pos += used;
        ++count;
    }
    fuzz::require(count == 74, "an .asc line with the VSF holds 74 readable numbers");
    fuzz::require(line.find_first_not_of(" \n", pos) == std::string::npos, "nothing but numbers on an .asc line");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::size_t offset = 0;
    CFrameResult result;
    for (; offset + kPsdRecordBytes <= size; offset += kPsdRecordBytes) {
        const OutputRecord record = decodeOutputRecordBytes(data + offset);
        const PsdRecordBytes again = encodeOutputRecord(record);
        fuzz::require(std::memcmp(again.data(), data + offset, kPsdRecordBytes) == 0,
                      "a record encodes back to its own bytes");
        decodeIntoResult(record, result);
        const OutputRecord rebuilt = buildOutputRecord(result);
        for (int i : {kRecTransmission, kRecBeamC, kRecMean, kRecStdDev, kRecVolume, kRecAux + 7, kRecVsf + 31}) {
            const float a = rebuilt[static_cast<std::size_t>(i)], b = record[static_cast<std::size_t>(i)];
            fuzz::require((a != a && b != b) || std::memcmp(&a, &b, sizeof a) == 0,
                          "a decoded value is built into the record unchanged");
        }
        checkAscLine(record);
    }

    const std::string path(reinterpret_cast<const char*>(data + offset), size - offset);
    const PsdRecordBytes header = encodePsdHeader(static_cast<int>(size % 3), 2.0, path);
    fuzz::require(std::memcmp(header.data(), kPsdMagic, 8) == 0, "the header starts with the magic");
    fuzz::require(header[kPsdRecordBytes - 1] == 0, "the background path is always terminated");
    const char* stored = reinterpret_cast<const char*>(header.data() + kPsdPathOffset);
    const std::size_t storedLength = ::strnlen(stored, kPsdPathMax + 1);
    fuzz::require(storedLength <= static_cast<std::size_t>(kPsdPathMax), "the path fits its field");
    fuzz::require(path.compare(0, storedLength, stored, storedLength) == 0, "the stored path is the path's beginning");

    // The header reads back as written; and any 512 bytes decode as a header.
    const PsdHeader read = decodePsdHeader(header.data());
    fuzz::require(read.magicOK && read.headerRecords == kPsdHeaderRecords && read.model == static_cast<int>(size % 3) &&
                      read.laserReferenceRatio == 2.0 && read.backgroundPath == std::string(stored, storedLength),
                  "a header reads back as written");
    if (size >= static_cast<std::size_t>(kPsdRecordBytes)) {
        const PsdHeader any = decodePsdHeader(data);
        fuzz::require(any.backgroundPath.size() <= static_cast<std::size_t>(kPsdRecordBytes - kPsdPathOffset),
                      "a header's path stays within its field");
    }
    return 0;
}
