#include "products/CastSummary.h"

#include "core/CPDFile.h"
#include "core/CastReader.h"
#include "platform/FileUtil.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <stdexcept>

namespace kavro {

namespace {

constexpr int kPressureChannel = 4;
constexpr std::size_t kBlockRecords = 4096;  // 2 MB read at a time

}  // namespace

CastLook castLookOf(const OutputRecord& r, const CastSource& source, const ClassEdges& edges)
{
    CastLook look;
    ClassValues volume{};
    double total = 0.0;
    for (int k = 0; k < kClasses; ++k) {
        volume[static_cast<std::size_t>(k)] = r[static_cast<std::size_t>(kRecVolume + k)];
        total += volume[static_cast<std::size_t>(k)];
    }
    const unsigned flags =
        qualityFlags(r[kRecTransmission], static_cast<int>(r[kRecSaturatedRings]), static_cast<int>(r[kRecZeroRings]),
                     total, source.header.backgroundPath.empty());
    look.hasOptics = hasOptics(flags);
    look.hasDistribution = hasDistribution(flags);
    if (!look.hasDistribution)
        return look;
    look.flagged = (flags & kCastBadFlags) != 0;
    look.meanDiameter = r[kRecMean] >= 0.0f ? r[kRecMean] : CastRange::kNone;
    look.totalVolume = static_cast<float>(total);
    if (source.hasClassEdges())
        look.d50 = static_cast<float>(volumePercentileDiameter(volume, edges, 0.5));
    return look;
}

namespace {

// The entries a picture uses (volumes, aux values, statistics and optics); the
// scattering function is left alone, which halves the decoding of a long cast.
void decodeDrawnEntries(const unsigned char* bytes, OutputRecord& r)
{
    auto take = [&](int first, int last) {
        for (int i = first; i <= last; ++i)
            r[static_cast<std::size_t>(i)] = getFloat32(bytes + 4 * i);
    };
    take(kRecVolume, kRecVolume + kClasses - 1);
    take(kRecAux, kRecAux + kAux - 1);
    take(kRecMean, kRecSaturatedRings);
}

// Calls visit(frame, record) for every whole frame record of the source, in order
// (entries the picture does not use are 0).
template <typename Visit>
long long forEachFrame(const CastSource& source, Visit&& visit)
{
    const CastReader file(source.path, CastReader::Options{CastReader::Check::None, false});
    std::vector<unsigned char> block;
    long long record = source.headerRecords;
    long long frame = 0;
    // Records written since the open are read on, but never the zero-filled end of a
    // recording cut off by a power loss.
    const long long end = file.zeroFilledRecords() > 0 ? file.recordCount() : std::numeric_limits<long long>::max();
    for (;;) {
        const std::size_t wanted = static_cast<std::size_t>(std::clamp<long long>(end - record, 0, kBlockRecords));
        const std::size_t records = wanted > 0 ? file.readRecords(record, wanted, block) : 0;
        OutputRecord decoded{};
        for (std::size_t i = 0; i < records; ++i) {
            decodeDrawnEntries(block.data() + i * kPsdRecordBytes, decoded);
            visit(frame++, decoded);
        }
        if (records < kBlockRecords)
            break;
        record += static_cast<long long>(records);
    }
    return frame;
}

}  // namespace

bool CastColumnAccumulator::add(long long f, const OutputRecord& r, const CastLook& look)
{
    if (frames == 0 || f < firstFrame)
        firstFrame = static_cast<int>(f);
    lastFrame = std::max(lastFrame, static_cast<int>(f));
    ++frames;
    if (look.hasOptics)  // a frame without light holds 0 or the floor, not a transmission
        transmission.add(r[kRecTransmission]);
    pressure.add(r[static_cast<std::size_t>(kRecAux + kPressureChannel)]);
    if (!look.hasDistribution || look.flagged)
        return false;
    ++usable;
    for (int k = 0; k < kClasses; ++k)
        volume[static_cast<std::size_t>(k)] += r[static_cast<std::size_t>(kRecVolume + k)];
    meanDiameter.add(look.meanDiameter);
    d50.add(look.d50);
    totalVolume.add(look.totalVolume);
    return true;
}

void CastColumnAccumulator::merge(const CastColumnAccumulator& other)
{
    if (other.frames == 0)
        return;
    if (frames == 0 || other.firstFrame < firstFrame)
        firstFrame = other.firstFrame;
    lastFrame = std::max(lastFrame, other.lastFrame);
    frames += other.frames;
    usable += other.usable;
    for (std::size_t k = 0; k < volume.size(); ++k)
        volume[k] += other.volume[k];
    meanDiameter.merge(other.meanDiameter);
    d50.merge(other.d50);
    totalVolume.merge(other.totalVolume);
    transmission.merge(other.transmission);
    pressure.merge(other.pressure);
}

void widenVolumeRange(const OutputRecord& r, float& lo, float& hi)
{
    for (int k = 0; k < kClasses; ++k) {
        const float v = r[static_cast<std::size_t>(kRecVolume + k)];
        if (v > 0.0f && std::isfinite(v)) {
            lo = lo > 0.0f ? std::min(lo, v) : v;
            hi = std::max(hi, v);
        }
    }
}

CastColumn CastColumnAccumulator::finish() const
{
    const CastColumnAccumulator& a = *this;
    CastColumn c;
    c.firstFrame = a.firstFrame;
    c.lastFrame = a.lastFrame;
    c.frames = a.frames;
    c.usable = a.usable;
    for (int k = 0; k < kClasses; ++k)
        c.volume[static_cast<std::size_t>(k)] =
            a.usable > 0 ? static_cast<float>(a.volume[static_cast<std::size_t>(k)] / a.usable) : CastRange::kNone;
    c.meanDiameter = a.meanDiameter.range();
    c.d50 = a.d50.range();
    c.totalVolume = a.totalVolume.range();
    c.transmission = a.transmission.range();
    c.pressure = a.pressure.range();
    return c;
}

namespace {

long long frameCountOf(const CastSource& source)
{
    const CastReader file(source.path, CastReader::Options{CastReader::Check::None, false});
    return std::max(0LL, file.recordCount() - source.headerRecords);
}

}  // namespace

double axisValueOf(const CastSource& source, CastAxis axis, long long frame, const OutputRecord& record,
                   std::span<const double> frameDepths)
{
    switch (axis) {
    case CastAxis::Frame:
        return static_cast<double>(frame);
    case CastAxis::Time:
        return source.frameTimes.utcOfRecord(frame);
    case CastAxis::Pressure:
        return record[static_cast<std::size_t>(kRecAux + kPressureChannel)];
    case CastAxis::Depth:
        return frame >= 0 && frame < static_cast<long long>(frameDepths.size())
                   ? frameDepths[static_cast<std::size_t>(frame)]
                   : std::nan("");
    }
    return std::nan("");
}

int CastSummary::columnOfFrame(long long n) const
{
    if (columns.empty())
        return -1;
    int best = -1;
    long long bestDistance = 0;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const CastColumn& c = columns[i];
        if (c.empty())
            continue;
        if (n >= c.firstFrame && n <= c.lastFrame)
            return static_cast<int>(i);
        const long long d = n < c.firstFrame ? c.firstFrame - n : n - c.lastFrame;
        if (best < 0 || d < bestDistance) {
            best = static_cast<int>(i);
            bestDistance = d;
        }
    }
    return best;
}

CastSummary summariseCast(const CastSource& source, int columns, CastAxis axis, std::span<const double> frameDepths)
{
    CastSummary s;
    s.source = source;
    if (axis == CastAxis::Time && source.frameTimes.empty())
        axis = CastAxis::Frame;
    s.axis = axis;
    const long long frames = frameCountOf(source);

    // The axis range: frames are known from the file's length, times from the
    // time stamps, pressures need a pass of their own.
    double first = 0.0, last = static_cast<double>(frames);
    std::vector<double> intervals;  // between consecutive time stamps
    if (axis != CastAxis::Frame) {
        first = std::numeric_limits<double>::infinity();
        last = -first;
        auto widen = [&](double v) {
            if (std::isfinite(v)) {
                first = std::min(first, v);
                last = std::max(last, v);
            }
        };
        if (axis == CastAxis::Time) {
            double previous = std::nan("");
            for (long long f = 0; f < frames; ++f) {
                const double t = source.frameTimes.utcOfRecord(f);
                widen(t);
                if (std::isfinite(t) && std::isfinite(previous) && t > previous)
                    intervals.push_back(t - previous);
                previous = t;
            }
        } else {
            // A profile is drawn for the descent: the frames down to the deepest one.
            double deepest = -std::numeric_limits<double>::infinity();
            forEachFrame(source, [&](long long f, const OutputRecord& r) {
                const double p = axisValueOf(source, axis, f, r, frameDepths);
                widen(p);
                if (std::isfinite(p) && p > deepest) {
                    deepest = p;
                    s.lastProfileFrame = f;
                }
            });
        }
        if (!(first <= last))
            first = last = 0.0;
        if (last == first)
            last = first + 1.0;
    }
    s.axisFirst = first;
    s.axisLast = last;

    int n = std::max(1, columns);
    if (axis == CastAxis::Frame)
        n = static_cast<int>(std::min<long long>(n, std::max(1LL, frames)));
    // Columns no narrower than the usual time between two frames, so that only a
    // pause in the recording leaves columns without frames.
    if (axis == CastAxis::Time && !intervals.empty()) {
        auto middle = intervals.begin() + static_cast<std::ptrdiff_t>(intervals.size() / 2);
        std::nth_element(intervals.begin(), middle, intervals.end());
        n = static_cast<int>(std::clamp(std::ceil((last - first) / *middle), 1.0, static_cast<double>(n)));
    }
    // Depth bins of about three frames each, so that a row is seldom without one.
    if (profileAxis(axis))
        n = static_cast<int>(std::min<long long>(n, std::max(1LL, (s.lastProfileFrame + 1) / 3)));
    std::vector<CastColumnAccumulator> acc(static_cast<std::size_t>(n));
    const ClassEdges edges = source.classEdges();
    const double scale = n / (last - first);
    float vMin = 0.0f, vMax = 0.0f;

    s.frames = forEachFrame(source, [&](long long f, const OutputRecord& r) {
        const float pressure = r[static_cast<std::size_t>(kRecAux + kPressureChannel)];
        if (pressure != 0.0f && std::isfinite(pressure))
            s.pressureSeen = true;
        const CastLook look = castLookOf(r, source, edges);
        if (!look.hasDistribution)
            ++s.noLightFrames;
        else if (look.flagged)
            ++s.flaggedFrames;
        const double x = axisValueOf(source, axis, f, r, frameDepths);
        if (!std::isfinite(x) || (profileAxis(axis) && f > s.lastProfileFrame))
            return;
        const int i = std::clamp(static_cast<int>(std::floor((x - first) * scale)), 0, n - 1);
        ++s.shownFrames;
        if (!acc[static_cast<std::size_t>(i)].add(f, r, look))
            return;
        ++s.usableFrames;
        widenVolumeRange(r, vMin, vMax);
    });
    s.volumeMin = vMin;
    s.volumeMax = vMax;
    s.columns.reserve(acc.size());
    for (const CastColumnAccumulator& a : acc)
        s.columns.push_back(a.finish());
    if (profileAxis(axis)) {
        int above = -1;  // the last column with frames
        for (std::size_t i = 0; i < s.columns.size(); ++i) {
            if (!s.columns[i].empty())
                above = static_cast<int>(i);
            else if (above >= 0)
                s.columns[i] = s.columns[static_cast<std::size_t>(above)];
        }
    }
    return s;
}

CastSource castSourceOf(const CPDFile& file, std::string& timeError)
{
    CastSource source;
    source.path = file.sourceName();
    source.headerRecords = file.headerRecordCount();
    source.header = file.header();
    source.diameters = file.frameResult().diameters();
    const HKChannel* pressure = file.auxCalibration().Channel(kPressureChannel);
    source.pressureLabel = pressure->label;
    source.pressureUnits = pressure->units;
    source.pressureCalibrated = pressure->multiplier != 0.0;
    timeError.clear();
    const std::string times = frameTimesPathFor(source.path);
    std::error_code ignored;
    if (std::filesystem::is_regular_file(pathFromUtf8(times), ignored) && !readFrameTimes(times, source.frameTimes, timeError)) {
        timeError = times + ": " + timeError;
        source.frameTimes = FrameTimes{};
    }
    return source;
}

}  // namespace kavro
