#include "acquisition/RawRecordFile.h"

#include "platform/FileUtil.h"

#include <algorithm>
#include <climits>

namespace kavro {
namespace {

// Records per read when a whole file is scanned: 320 KB at a time.
constexpr int kScanBlockRecords = 4096;

}  // namespace

void rawValuesOfWords(const std::uint16_t words[kFrameValues], bool multiScan, double raw[kFrameValues])
{
    for (int i = 0; i < kFrameValues; ++i)
        raw[i] = multiScan ? words[i] / kScanDivisor : static_cast<double>(words[i]);
}

RawRecordFile::~RawRecordFile()
{
    close();
}

bool RawRecordFile::open(const std::string& path)
{
    close();
    if (!file_.open(path))
        return false;
    const long long length = std::max(0LL, file_.length());
    recordCount_ = static_cast<int>(std::min<long long>(length / kRawRecordBytes, INT_MAX - 1));
    trailingBytes_ = length - static_cast<long long>(recordCount_) * kRawRecordBytes;
    return true;
}

void RawRecordFile::close()
{
    file_.close();
    recordCount_ = 0;
    trailingBytes_ = 0;
}

bool RawRecordFile::readRecord(long long n, std::uint16_t words[kFrameValues]) const
{
    if (!file_.isOpen() || n < 0 || n >= recordCount_)
        return false;
    unsigned char bytes[kRawRecordBytes];
    if (file_.readAt(n * kRawRecordBytes, bytes, sizeof bytes) != kRawRecordBytes)
        return false;
    const RawWords decoded = decodeRawRecord(bytes);
    std::copy(decoded.begin(), decoded.end(), words);
    return true;
}

int RawRecordFile::readRecords(long long first, int count, std::vector<unsigned char>& bytes) const
{
    if (!file_.isOpen() || first < 0 || first >= recordCount_ || count <= 0)
        return 0;
    const int wanted = static_cast<int>(std::min<long long>(count, recordCount_ - first));
    bytes.resize(static_cast<std::size_t>(wanted) * kRawRecordBytes);
    const long long got = file_.readAt(first * kRawRecordBytes, bytes.data(), bytes.size());
    return got > 0 ? static_cast<int>(got / kRawRecordBytes) : 0;
}

int RawRecordFile::forEachRecord(const std::function<void(int, const std::uint16_t*)>& visit) const
{
    std::vector<unsigned char> bytes;
    int done = 0;
    while (done < recordCount_) {
        const int wanted = std::min(kScanBlockRecords, recordCount_ - done);
        const int got = readRecords(done, wanted, bytes);
        for (int i = 0; i < got; ++i)
            visit(done + i, decodeRawRecord(bytes.data() + static_cast<std::size_t>(i) * kRawRecordBytes).data());
        done += got;
        if (got < wanted)
            break;
    }
    return done;
}

}  // namespace kavro
