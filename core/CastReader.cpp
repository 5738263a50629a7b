#include "core/CastReader.h"

#include "core/FrameTimes.h"
#include "platform/File.h"
#include "platform/FileUtil.h"
#include "resources/CliProcessTexts.h"
#include "resources/CoreTexts.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <optional>

namespace kavro {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// Counts stored as reals, truncated toward zero; anything unusable counts as 0.
int storedCount(float v)
{
    return v >= 0.0f && v < 1e9f ? static_cast<int>(v) : 0;
}

}  // namespace

CastReader::CastReader(const std::string& path, Options options) : path_(path)
{
    if (!file_.open(path)) {
        const int error = errno;
        throw CastError(path + ": " + file_.error(), CastFault::Open, error);
    }
    open(options);  // a failure closes the file as file_ goes
}

void CastReader::open(Options options)
{
    // A lock per open file: a second window of this program conflicts as well.
    if (options.sharedLock && !file_.lockShared())
        throw CastError(path_ + text::kPsdBeingWritten, CastFault::Locked);
    identity_ = file_.identity();
    const long long length = std::max(0LL, file_.length());
    records_ = length / kPsdRecordBytes;
    trailingBytes_ = length - records_ * kPsdRecordBytes;
    edges_ = modelClassEdges(0);
    diameters_ = classCentres(edges_);
    PsdRecordBytes bytes{};
    const bool first = records_ >= 1 && readRecord(0, bytes);
    if (first)
        header_ = decodePsdHeader(bytes.data());
    if (options.check != Check::None) {
        if (records_ <= 1)
            throw CastError(path_ + ": " + text::kEmptyPsdFile, CastFault::Empty);
        if (!first || (!header_.magicOK && options.check == Check::Strict))
            throw CastError(path_ + ": " + text::kCliNotPsd, CastFault::NotPsd);
        // A header that claims more header records than the file holds is as bad as none.
        if (header_.magicOK && (header_.headerRecords < 1 || header_.headerRecords > records_))
            throw CastError(path_ + ": " + text::kBadHeaderRecord, CastFault::BadHeader);
    }
    const bool sound = header_.magicOK && header_.headerRecords >= 1 && header_.headerRecords <= records_;
    headerRecords_ = sound ? header_.headerRecords : 0;
    if (sound) {
        zeroFilled_ = countZeroFilledTail(headerRecords_, records_);
        records_ -= zeroFilled_;
    }
    frames_ = records_ - headerRecords_;
    if (!sound)
        return;
    edges_ = modelClassEdges(header_.model);
    diameters_ = classCentres(edges_);
    if (headerRecords_ >= 2 && readRecord(1, bytes)) {
        ClassValues stored{};
        bool any = false;
        for (int k = 0; k < kClasses; ++k) {
            stored[static_cast<std::size_t>(k)] = getFloat32(bytes.data() + 4 * k);
            any = any || stored[static_cast<std::size_t>(k)] > 0.0;
        }
        if (any) {
            diameters_ = stored;
            storesDiameters_ = true;
            // The statistics and the class bounds go with the diameters the cast was
            // processed with, not the model's nominal ones.
            edges_ = classEdgesFor(stored, header_.model);
        }
    }
}

CastReader::~CastReader() = default;

long long CastReader::countZeroFilledTail(long long first, long long end) const
{
    // No frame this program writes is all zero bytes: its mean diameter (entry 104) is
    // either the placeholder -1.0 or the volume-weighted mean of a frame with particles,
    // never 0.  So a run of records holding nothing at all after the last frame is the
    // space a power cut left unwritten.  Only whole records that are entirely zero count,
    // from the end back to the first record that holds anything.
    constexpr long long kBlock = 64;
    std::vector<unsigned char> block;
    long long zero = 0;
    for (long long stop = end; stop > first;) {
        const long long start = std::max(first, stop - kBlock);
        const std::size_t size = static_cast<std::size_t>(stop - start) * kPsdRecordBytes;
        block.resize(size);
        if (file_.readAt(start * kPsdRecordBytes, block.data(), size) != static_cast<long long>(size))
            return zero;  // the file changed under us: what was not seen is kept
        for (long long r = stop - 1; r >= start; --r) {
            const unsigned char* p = block.data() + (r - start) * kPsdRecordBytes;
            if (std::any_of(p, p + kPsdRecordBytes, [](unsigned char b) { return b != 0; }))
                return zero;
            ++zero;
        }
        stop = start;
    }
    return zero;
}

std::size_t CastReader::readRecords(long long first, std::size_t count, std::vector<unsigned char>& bytes) const
{
    if (first < 0 || count == 0)
        return 0;
    if (bytes.size() < count * kPsdRecordBytes)
        bytes.resize(count * kPsdRecordBytes);
    const long long got = file_.readAt(first * kPsdRecordBytes, bytes.data(), count * kPsdRecordBytes);
    if (got < 0) {
        const int error = errno;
        throw CastError(path_ + ": " + file_.error(), CastFault::Read, error);
    }
    return static_cast<std::size_t>(got) / kPsdRecordBytes;
}

bool CastReader::readRecord(long long record, PsdRecordBytes& bytes) const
{
    return record >= 0 && file_.readAt(record * kPsdRecordBytes, bytes.data(), bytes.size()) == kPsdRecordBytes;
}

std::size_t CastReader::read(long long first, std::size_t count, std::vector<OutputRecord>& records) const
{
    records.clear();
    if (first < 0 || first >= frames_)
        return 0;
    const std::size_t n = static_cast<std::size_t>(std::min<long long>(static_cast<long long>(count), frames_ - first));
    const std::size_t whole = readRecords(first + headerRecords_, n, bytes_);
    records.resize(whole);
    for (std::size_t i = 0; i < whole; ++i)
        records[i] = decodeOutputRecordBytes(bytes_.data() + i * kPsdRecordBytes);
    return whole;
}

long long CastReader::recordsNow() const
{
    // Another program may cut the file short, delete it or put another in its place
    // (a logger that does not honour the lock).
    const std::optional<FileStamp> named = fileStamp(path_);
    const long long length = file_.length();
    if (!named || named->identity != identity_ || file_.identity() != identity_ || length < 0)
        return -1;
    return length / kPsdRecordBytes;
}

bool CastReader::isPsdFile(const std::string& path)
{
    try {
        const CastReader file(path, Options{Check::None, false});
        // The magic alone decides, even in a file shorter than a record.
        char magic[8] = {};
        return file.file_.readAt(0, magic, sizeof magic) == static_cast<long long>(sizeof magic) &&
               std::memcmp(magic, kPsdMagic, sizeof magic) == 0;
    } catch (const CastError&) {
        return false;
    }
}

FrameRow analyseFrame(const OutputRecord& rec, long long frame, const ClassEdges& edges, const ClassValues& diameters,
                      bool backgroundMissing)
{
    FrameRow row;
    row.frame = frame;
    row.utc = std::numeric_limits<double>::quiet_NaN();
    ClassValues volume{};
    double sum = 0.0;
    for (int k = 0; k < kClasses; ++k) {
        const float v = rec[static_cast<std::size_t>(kRecVolume + k)];
        volume[static_cast<std::size_t>(k)] = v;
        row.volume[static_cast<std::size_t>(k)] = v;
        if (v > 0.0f && std::isfinite(v))
            sum += v;
    }
    for (int i = 0; i < kAux; ++i)
        row.aux[static_cast<std::size_t>(i)] = rec[static_cast<std::size_t>(kRecAux + i)];
    for (int i = 0; i < kRings; ++i)
        row.vsf[static_cast<std::size_t>(i)] = rec[static_cast<std::size_t>(kRecVsf + i)];
    row.zeroRings = storedCount(rec[kRecZeroRings]);
    row.saturatedRings = storedCount(rec[kRecSaturatedRings]);
    row.transmission = rec[kRecTransmission];
    row.beamAttenuation = rec[kRecBeamC];
    row.flags = qualityFlags(row.transmission, row.saturatedRings, row.zeroRings, sum, backgroundMissing);
    row.totalVolume = static_cast<float>(sum);
    row.mean = rec[kRecMean];
    row.stdDev = rec[kRecStdDev];
    if (!hasOptics(row.flags)) {
        row.volume.fill(kNaN);
        row.vsf.fill(kNaN);
        row.totalVolume = row.transmission = row.beamAttenuation = kNaN;
    }
    if (hasDistribution(row.flags)) {
        row.stats = frameStatistics(volume, edges, diameters);
        // The mean of a frame with particles is never the placeholder; a stored -1 still is not data.
        if (!(row.mean >= 0.0f))
            row.mean = kNaN;
        if (!(row.stdDev >= 0.0f))
            row.stdDev = kNaN;
    } else {
        row.stats = frameStatistics(ClassValues{}, edges);  // every statistic NaN
        row.mean = row.stdDev = kNaN;
    }
    return row;
}

CastFigures castFigures(const CastReader& cast)
{
    CastFigures s;
    std::vector<double> d50;
    std::vector<OutputRecord> records;
    double volumeSum = 0.0;
    long long withLight = 0;
    s.minMean = std::numeric_limits<double>::infinity();
    s.maxMean = -std::numeric_limits<double>::infinity();
    constexpr std::size_t kBlock = 4096;
    for (long long first = 0; cast.read(first, kBlock, records) > 0; first += static_cast<long long>(records.size())) {
        for (std::size_t i = 0; i < records.size(); ++i) {
            const FrameRow row = analyseFrame(records[i], first + static_cast<long long>(i), cast.edges(),
                                              cast.diameters(), cast.backgroundMissing());
            ++s.frames;
            for (int b = 0; b < kQualityFlagCount; ++b)
                s.byFlag[static_cast<std::size_t>(b)] += (row.flags & kQualityFlagBits[b]) != 0;
            s.unflagged += row.flags == 0;
            if (hasOptics(row.flags)) {
                ++withLight;
                volumeSum += row.totalVolume;
            }
            if (hasDistribution(row.flags)) {
                ++s.withDistribution;
                if (std::isfinite(row.stats.d50))
                    d50.push_back(row.stats.d50);
                if (std::isfinite(row.mean)) {
                    s.minMean = std::min<double>(s.minMean, row.mean);
                    s.maxMean = std::max<double>(s.maxMean, row.mean);
                }
            }
        }
    }
    const double nan = std::numeric_limits<double>::quiet_NaN();
    if (!(s.minMean <= s.maxMean))
        s.minMean = s.maxMean = nan;
    s.meanTotalVolume = withLight > 0 ? volumeSum / static_cast<double>(withLight) : nan;
    s.medianD50 = nan;
    if (!d50.empty()) {
        const std::size_t mid = d50.size() / 2;
        std::nth_element(d50.begin(), d50.begin() + static_cast<long>(mid), d50.end());
        s.medianD50 = d50[mid];
        if (d50.size() % 2 == 0)
            s.medianD50 = 0.5 * (s.medianD50 + *std::max_element(d50.begin(), d50.begin() + static_cast<long>(mid)));
    }
    s.firstUtc = s.lastUtc = nan;
    const std::string timesPath = frameTimesPathFor(cast.path());
    std::error_code ec;
    if (std::filesystem::exists(pathFromUtf8(timesPath), ec)) {
        FrameTimes times;
        std::string error;
        if (!readFrameTimes(timesPath, times, error)) {
            s.timesProblem = timesPath + ": " + error;
            return s;
        }
        s.timesHalfLine = times.halfLineLeftOut();
        for (long long r = 0; r < s.frames; ++r) {
            const double t = times.utcOfRecord(r);
            if (!std::isfinite(t))
                continue;
            s.firstUtc = s.stamped == 0 ? t : std::min(s.firstUtc, t);
            s.lastUtc = s.stamped == 0 ? t : std::max(s.lastUtc, t);
            ++s.stamped;
        }
    }
    return s;
}

std::string zeroFilledText(long long records)
{
    if (records == 1)
        return text::kZeroFilledRecord;
    char buf[160];
    std::snprintf(buf, sizeof buf, text::kZeroFilledRecords, records);
    return buf;
}

std::vector<std::string> cutOffNotes(const CastReader& cast, bool timesHalfLine)
{
    std::vector<std::string> notes;
    if (cast.zeroFilledRecords() > 0)
        notes.push_back(cast.path() + ": " + zeroFilledText(cast.zeroFilledRecords()));
    if (cast.trailingBytes() > 0) {
        char buf[160];
        std::snprintf(buf, sizeof buf, text::kPartialRecordLeftOut, cast.trailingBytes());
        notes.push_back(cast.path() + ": " + buf);
    }
    if (timesHalfLine)
        notes.push_back(frameTimesPathFor(cast.path()) + ": " + text::kTimesHalfLine);
    return notes;
}

std::vector<std::string> cutOffNotes(const std::string& psd)
{
    try {
        const CastReader cast(psd, CastReader::Options{CastReader::Check::Strict, false});
        FrameTimes times;
        std::string error;
        const std::string timesPath = frameTimesPathFor(psd);
        std::error_code ec;
        const bool halfLine = std::filesystem::exists(pathFromUtf8(timesPath), ec) &&
                              readFrameTimes(timesPath, times, error) && times.halfLineLeftOut();
        return cutOffNotes(cast, halfLine);
    } catch (const CastError&) {
        return {};
    }
}

}  // namespace kavro
