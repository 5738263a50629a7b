#include "core/FrameStatistics.h"

#include <cmath>
#include <limits>
#include <numbers>

namespace kavro {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

constexpr ModelRange kRanges[3] = {
    {5.0, 500.0, 0.049, 4.87},
    {1.0, 250.0, 0.097, 19.5},
    {2.5, 500.0, 0.049, 9.74},
};

double usable(double v)
{
    return v > 0.0 && std::isfinite(v) ? v : 0.0;
}

// Least-squares slope of y over x.
double fittedSlope(const double* x, const double* y, int n)
{
    double mx = 0.0, my = 0.0;
    for (int i = 0; i < n; ++i) {
        mx += x[i];
        my += y[i];
    }
    mx /= n;
    my /= n;
    double sxy = 0.0, sxx = 0.0;
    for (int i = 0; i < n; ++i) {
        sxy += (x[i] - mx) * (y[i] - my);
        sxx += (x[i] - mx) * (x[i] - mx);
    }
    return sxx > 0.0 ? sxy / sxx : kNaN;
}

// What the slope fit needs of the classes, worked out once per set of edges and diameters.
struct SlopeTables {
    ClassEdges edges{};
    ClassValues diameters{};
    ClassValues x{};       // log10 of the class centre
    ClassValues offset{};  // log10 of (particle volume at the centre * class width)
    std::array<bool, kClasses> usable{};
};

const SlopeTables& slopeTables(const ClassEdges& edges, const ClassValues& centre)
{
    thread_local SlopeTables t{};
    thread_local bool made = false;
    if (made && t.edges == edges && t.diameters == centre)
        return t;
    t.edges = edges;
    t.diameters = centre;
    for (std::size_t k = 0; k < centre.size(); ++k) {
        const double width = edges[k + 1] - edges[k];
        t.usable[k] = width > 0.0 && centre[k] > 0.0 && std::isfinite(centre[k]);
        if (t.usable[k]) {
            t.x[k] = std::log10(centre[k]);
            t.offset[k] = std::log10(std::numbers::pi / 6.0 * centre[k] * centre[k] * centre[k] * width);
        }
    }
    made = true;
    return t;
}

}  // namespace

SizeDistributionFactors sizeDistributionFactors(const ClassValues& diameters, const ClassEdges& edges)
{
    constexpr double kUm3PerUl = 1e9;
    SizeDistributionFactors f;
    for (std::size_t k = 0; k < diameters.size(); ++k) {
        const double d = diameters[k], lo = edges[k], hi = edges[k + 1];
        const bool usable = std::isfinite(d) && d > 0.0 && lo > 0.0 && hi > lo;
        f.number[k] = usable ? kUm3PerUl / (std::numbers::pi / 6.0 * d * d * d) / (hi - lo) : kNaN;
        f.volume[k] = usable ? 1.0 / std::log(hi / lo) : kNaN;
    }
    return f;
}

ModelRange modelRange(int model)
{
    return kRanges[model == 1 || model == 2 ? model : 0];
}

ClassEdges modelClassEdges(int model)
{
    const ModelRange r = modelRange(model);
    return logSpacedEdges<kClasses + 1>(r.diameterMin, r.diameterMax);
}

std::array<double, kRings + 1> modelRingEdgesDeg(int model)
{
    const ModelRange r = modelRange(model);
    return logSpacedEdges<kRings + 1>(r.angleMinDeg, r.angleMaxDeg);
}

ClassValues classCentres(const ClassEdges& edges)
{
    ClassValues c{};
    for (int k = 0; k < kClasses; ++k)
        c[static_cast<std::size_t>(k)] = std::sqrt(edges[static_cast<std::size_t>(k)] * edges[static_cast<std::size_t>(k) + 1]);
    return c;
}

std::optional<ClassEdges> classEdgesFromDiameters(const ClassValues& d)
{
    for (std::size_t k = 0; k < d.size(); ++k)
        if (!(std::isfinite(d[k]) && d[k] > 0.0) || (k > 0 && !(d[k] > d[k - 1])))
            return std::nullopt;
    ClassEdges e{};
    for (std::size_t k = 1; k < d.size(); ++k)
        e[k] = std::sqrt(d[k - 1] * d[k]);
    const std::size_t last = d.size() - 1;
    e[0] = d[0] * d[0] / e[1];
    e[last + 1] = d[last] * d[last] / e[last];
    return e;
}

ClassEdges classEdgesFor(const ClassValues& diameters, int model)
{
    return classEdgesFromDiameters(diameters).value_or(modelClassEdges(model));
}

double volumePercentileDiameter(const ClassValues& volume, const ClassEdges& edges, double fraction)
{
    double total = 0.0;
    for (double v : volume)
        total += usable(v);
    if (!(total > 0.0) || !(fraction > 0.0 && fraction < 1.0))
        return kNaN;
    const double target = fraction * total;
    double below = 0.0;  // volume below the lower edge of class k
    for (std::size_t k = 0; k < volume.size(); ++k) {
        const double v = usable(volume[k]);
        if (v > 0.0 && below + v >= target) {
            const double share = std::min(1.0, std::max(0.0, (target - below) / v));
            const double lo = std::log(edges[k]), hi = std::log(edges[k + 1]);
            return std::exp(lo + share * (hi - lo));
        }
        below += v;
    }
    // Rounding left the target a hair above the sum: the top of the last class with volume.
    for (std::size_t k = volume.size(); k-- > 0;)
        if (usable(volume[k]) > 0.0)
            return edges[k + 1];
    return kNaN;
}

FrameStatistics frameStatistics(const ClassValues& volume, const ClassEdges& edges)
{
    return frameStatistics(volume, edges, classCentres(edges));
}

FrameStatistics frameStatistics(const ClassValues& volume, const ClassEdges& edges, const ClassValues& diameters)
{
    FrameStatistics s;
    s.d10 = volumePercentileDiameter(volume, edges, 0.1);
    s.d50 = volumePercentileDiameter(volume, edges, 0.5);
    s.d90 = volumePercentileDiameter(volume, edges, 0.9);
    double largest = 0.0;
    for (int k = 0; k < kClasses; ++k) {
        if (usable(volume[static_cast<std::size_t>(k)]) > largest) {
            largest = volume[static_cast<std::size_t>(k)];
            s.modeClass = k;
        }
    }
    const std::size_t m = static_cast<std::size_t>(s.modeClass);
    s.modeDiameter = s.modeClass >= 0 ? diameters[m] : kNaN;

    const SlopeTables& t = slopeTables(edges, diameters);
    double x[kClasses], y[kClasses];
    int n = 0;
    for (std::size_t k = 0; k < volume.size(); ++k) {
        const double v = usable(volume[k]);
        if (v > 0.0 && t.usable[k]) {
            x[n] = t.x[k];
            y[n] = std::log10(v) - t.offset[k];
            ++n;
        }
    }
    s.jungeSlope = n >= 3 ? -fittedSlope(x, y, n) : kNaN;
    return s;
}

FrameStatistics frameStatistics(const CFrameResult& result, const ClassEdges& edges)
{
    return frameStatistics(result.volumes(), edges);
}

unsigned qualityFlags(double transmission, int saturatedRings, int zeroRings, double volumeSum,
                      bool backgroundMissing)
{
    unsigned flags = 0;
    if (withoutUsableLight(transmission))
        flags |= kFlagLaserOff;
    else if (transmission > 1.0)
        flags |= kFlagTooClear;
    else if (transmission < kTurbidTransmission)
        flags |= kFlagTooTurbid;
    if (saturatedRings > 0)
        flags |= kFlagSaturatedRings;
    if (zeroRings > 0)
        flags |= kFlagZeroRings;
    if (backgroundMissing)
        flags |= kFlagNoBackground;
    if (!(flags & kFlagLaserOff) && !(volumeSum > 0.0))
        flags |= kFlagNoParticles;
    return flags;
}

unsigned qualityFlags(const CFrameResult& result, bool backgroundMissing)
{
    double sum = 0.0;
    for (double v : result.volumes())
        sum += usable(v);
    return qualityFlags(result.transmission(), result.saturatedRings(), result.zeroRings(), sum, backgroundMissing);
}

}  // namespace kavro
