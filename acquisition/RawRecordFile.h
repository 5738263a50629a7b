#pragma once
// A raw recording as the instrument writes it: a bare sequence of 80-byte records,
// each 40 unsigned 16-bit words stored big-endian (rings 1..32, then the eight
// auxiliary channels).  Reads go by record number, many records per system call.
#include "platform/File.h"

#include "core/RawRecord.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kavro {

// A recording is multi-scan when more than this many of its records have a laser
// power word above kMultiScanLaserWord.
inline constexpr int kMultiScanMarkedRecords = 3;

// The raw values of a record's words: divided by 16 for summed 16-scan data.
void rawValuesOfWords(const std::uint16_t words[kFrameValues], bool multiScan, double raw[kFrameValues]);

class RawRecordFile {
public:
    RawRecordFile() = default;
    ~RawRecordFile();
    RawRecordFile(const RawRecordFile&) = delete;
    RawRecordFile& operator=(const RawRecordFile&) = delete;

    // Opens the recording and counts its whole records (a trailing part is never
    // read); false with errno set when it cannot be opened.
    bool open(const std::string& path);
    void close();
    bool isOpen() const { return file_.isOpen(); }
    // Whole records when the file was opened, at most INT_MAX - 1; the count stays
    // fixed even when the file grows afterwards.
    int recordCount() const { return recordCount_; }
    long long trailingBytes() const { return trailingBytes_; }

    // Reads record n; false when it is outside the counted records or not whole.
    bool readRecord(long long n, std::uint16_t words[kFrameValues]) const;
    // Reads up to count records from record first into bytes (resized to fit, big-endian
    // as stored); answers the whole records read, never beyond the counted records.
    int readRecords(long long first, int count, std::vector<unsigned char>& bytes) const;
    // Hands every counted record in order to visit (index, words), reading in large
    // blocks; stops at the first record that is not whole.  Answers the records visited.
    int forEachRecord(const std::function<void(int, const std::uint16_t*)>& visit) const;

private:
    ReadOnlyFile file_;
    int recordCount_ = 0;
    long long trailingBytes_ = 0;
};

}  // namespace kavro
