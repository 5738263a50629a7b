#include "products/ProfileBinning.h"

#include "products/CfConventions.h"
#include "products/CtdMerge.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kavro {
namespace {

constexpr std::size_t kBlock = 4096;
// A pressure beyond this many bins (a corrupt value) is left out of the bins
// rather than growing them without bound.
constexpr double kMostBins = 50000.0;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Bins that collect sums, with the list of the bins touched so that emptying
// them costs what was added, not the depth of the cast.
struct BinSet {
    std::vector<BinSums> bins;
    std::vector<std::size_t> touched;
    long long frames = 0;

    void add(std::size_t k, const FrameRow& row, const CtdValues* ctd)
    {
        if (k >= bins.size())
            bins.resize(k + 1);
        if (bins[k].frames == 0)
            touched.push_back(k);
        bins[k].add(row, ctd);
        ++frames;
    }
    // Moves every frame of other into this set and empties other.
    void take(BinSet& other)
    {
        for (std::size_t k : other.touched) {
            if (k >= bins.size())
                bins.resize(k + 1);
            if (bins[k].frames == 0)
                touched.push_back(k);
            bins[k].add(other.bins[k]);
            other.bins[k] = BinSums{};
        }
        frames += other.frames;
        other.touched.clear();
        other.frames = 0;
    }
};

double median(std::vector<double>& v)
{
    if (v.empty())
        return kNaN;
    const std::size_t mid = v.size() / 2;
    std::nth_element(v.begin(), v.begin() + static_cast<long>(mid), v.end());
    double m = v[mid];
    if (v.size() % 2 == 0)
        m = 0.5 * (m + *std::max_element(v.begin(), v.begin() + static_cast<long>(mid)));
    return m;
}

}  // namespace

void BinSums::add(const FrameRow& row, const CtdValues* ctd)
{
    auto put = [this](int i, double v) {
        if (std::isfinite(v)) {
            const auto at = static_cast<std::size_t>(i);
            if (binHasSpread(i)) {
                // Welford: the deviation from the mean before and after this value.
                const double before = count[at] > 0 ? sum[at] / count[at] : 0.0;
                const double after = (sum[at] + v) / (count[at] + 1);
                m2[at - kBinSpreadFirst] += (v - before) * (v - after);
            }
            sum[at] += v;
            ++count[at];
        }
    };
    for (int k = 0; k < kClasses; ++k)
        put(kBinVolume + k, row.volume[static_cast<std::size_t>(k)]);
    put(kBinTotal, row.totalVolume);
    put(kBinMean, row.mean);
    put(kBinD10, row.stats.d10);
    put(kBinD50, row.stats.d50);
    put(kBinD90, row.stats.d90);
    put(kBinJunge, row.stats.jungeSlope);
    put(kBinTransmission, row.transmission);
    put(kBinBeamAttenuation, row.beamAttenuation);
    for (int c = 0; c < kAux; ++c)
        put(kBinAux + c, row.aux[static_cast<std::size_t>(c)]);
    if (ctd) {
        put(kBinCtdPressure, ctd->pressure);
        put(kBinCtdTemperature, ctd->temperature);
        put(kBinCtdSalinity, ctd->salinity);
    }
    ++frames;
}

void BinSums::add(const BinSums& other)
{
    for (std::size_t j = 0; j < m2.size(); ++j) {
        // Two sets of deviations joined (Chan et al.): each set's own, plus what their
        // means differ by.
        const std::size_t i = j + kBinSpreadFirst;
        const double na = count[i], nb = other.count[i];
        if (nb == 0)
            continue;
        if (na == 0) {
            m2[j] = other.m2[j];
            continue;
        }
        const double delta = other.sum[i] / nb - sum[i] / na;
        m2[j] += other.m2[j] + delta * delta * na * nb / (na + nb);
    }
    for (std::size_t i = 0; i < sum.size(); ++i) {
        sum[i] += other.sum[i];
        count[i] += other.count[i];
    }
    frames += other.frames;
}

double BinSums::mean(int value) const
{
    const auto i = static_cast<std::size_t>(value);
    return count[i] > 0 ? sum[i] / count[i] : kNaN;
}

double BinSums::standardDeviation(int value) const
{
    if (!binHasSpread(value))
        return kNaN;
    const auto i = static_cast<std::size_t>(value);
    return count[i] >= 2 ? std::sqrt(std::max(0.0, m2[i - kBinSpreadFirst]) / (count[i] - 1)) : kNaN;
}

BinVertical binVerticalFor(const CtdTrack* ctd, bool ctdCruise, const std::string& channelUnits, double latitude)
{
    if (ctd)
        return {VerticalSource::Ctd, ctd, latitude};
    if (!ctdCruise)
        return {};
    const std::string units = udunitsSpelling(channelUnits);
    if (units == "m")
        return {};
    if (units == "dbar")
        return {VerticalSource::ChannelDepth, nullptr, latitude};
    return {VerticalSource::None, nullptr, latitude};
}

bool binnedOnDepth(const std::vector<VerticalSource>& sources)
{
    for (VerticalSource s : sources)
        if (s != VerticalSource::Channel)
            return true;
    return false;
}

CastProfile binCast(const CastReader& cast, const FrameTimes& times, double binSize, const BinVertical& vertical)
{
    CastProfile p;
    p.binSize = binSize;
    p.vertical = vertical.source;
    p.maxPressure = kNaN;
    p.firstUtc = p.lastUtc = p.descentStartUtc = p.ascentStartUtc = kNaN;
    bool ascentStarts = false;  // the next frame is the first after the deepest so far
    BinSet descent, beyond;  // frames up to the deepest so far, and after it
    std::vector<double> d50;
    double totalSum = 0.0;
    std::array<double, kClasses> spectrum{};
    std::vector<OutputRecord> records;
    for (long long first = 0;; first += static_cast<long long>(records.size())) {
        if (cast.read(first, kBlock, records) == 0)
            break;
        for (std::size_t i = 0; i < records.size(); ++i) {
            const long long n = first + static_cast<long long>(i);
            FrameRow row = analyseFrame(records[i], n, cast.edges(), cast.diameters(), cast.backgroundMissing());
            row.utc = times.utcOfRecord(n);
            ++p.frames;
            if (std::isfinite(row.utc)) {
                if (!std::isfinite(p.firstUtc))
                    p.firstUtc = row.utc;
                p.lastUtc = row.utc;
            }
            if (n == 0)
                p.descentStartUtc = row.utc;
            for (int b = 0; b < kQualityFlagCount; ++b)
                if (row.flags & kQualityFlagBits[b])
                    ++p.byFlag[static_cast<std::size_t>(b)];
            const bool use = row.flags == 0;
            if (use) {
                ++p.unflagged;
                if (std::isfinite(row.stats.d50))
                    d50.push_back(row.stats.d50);
                totalSum += row.totalVolume;
                for (int k = 0; k < kClasses; ++k)
                    spectrum[static_cast<std::size_t>(k)] += row.volume[static_cast<std::size_t>(k)];
            }
            double pressure = row.aux[kDepthChannel];
            CtdValues ctd{};
            switch (vertical.source) {
            case VerticalSource::Channel: break;
            case VerticalSource::ChannelDepth: pressure = unescoDepth(pressure, vertical.latitude); break;
            case VerticalSource::Ctd:
                ctd = vertical.ctd->at(row.utc);
                pressure = ctd.depth;
                break;
            case VerticalSource::None: pressure = kNaN; break;
            }
            const CtdValues* withCtd = vertical.source == VerticalSource::Ctd ? &ctd : nullptr;
            const bool deeper = std::isfinite(pressure) && (!std::isfinite(p.maxPressure) || pressure > p.maxPressure);
            if (deeper) {
                p.maxPressure = pressure;
                p.deepestFrame = n;
                descent.take(beyond);
                p.ascentStartUtc = kNaN;
                ascentStarts = true;
            } else if (ascentStarts) {
                p.ascentStartUtc = row.utc;
                ascentStarts = false;
            }
            const double k = std::floor(pressure / binSize);
            if (use && std::isfinite(k) && k >= 0.0 && k < kMostBins)
                (deeper ? descent : beyond).add(static_cast<std::size_t>(k), row, withCtd);
        }
    }
    p.bins = std::move(descent.bins);
    p.descentUsed = descent.frames;
    p.ascentUsed = beyond.frames;
    p.ascentBins = std::move(beyond.bins);
    p.descentFrames = p.deepestFrame + 1;
    p.medianD50 = median(d50);
    p.meanTotalVolume = p.unflagged > 0 ? totalSum / static_cast<double>(p.unflagged) : kNaN;
    for (int k = 0; k < kClasses; ++k)
        p.meanSpectrum[static_cast<std::size_t>(k)] =
            p.unflagged > 0 ? spectrum[static_cast<std::size_t>(k)] / static_cast<double>(p.unflagged) : kNaN;
    return p;
}

}  // namespace kavro
