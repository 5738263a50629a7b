#include "products/CtdMerge.h"

#include "core/FrameTimes.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace kavro {
namespace {
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
}

double unescoDepth(double p, double latitudeDeg)
{
    const double s = std::sin(latitudeDeg / 57.29578);
    const double x = s * s;
    // Gravity at the latitude, rising with pressure through the water column's mean.
    const double g = 9.780318 * (1.0 + (5.2788e-3 + 2.36e-5 * x) * x) + 1.092e-6 * p;
    return ((((-1.82e-15 * p + 2.279e-10) * p - 2.2512e-5) * p + 9.72659) * p) / g;
}

CtdTrack::CtdTrack(CnvCast cast, double latitudeDeg) : cast_(std::move(cast)), latitude_(latitudeDeg)
{
    // The depth comes from the pressure at the latitude; the file's own is not kept.
    cast_.depth = {};
}

bool CtdTrack::covers(double utc) const
{
    return !cast_.utc.empty() && utc >= cast_.utc.front() && utc <= cast_.utc.back();
}

bool CtdTrack::locate(double utc, std::size_t& i, double& w) const
{
    if (!covers(utc))  // NaN too
        return false;
    const auto next = std::upper_bound(cast_.utc.begin(), cast_.utc.end(), utc);
    if (next == cast_.utc.end()) {  // at the last scan
        i = cast_.utc.size() - 1;
        w = 0.0;
        return true;
    }
    const std::size_t j = static_cast<std::size_t>(next - cast_.utc.begin());
    i = j - 1;
    w = (utc - cast_.utc[i]) / (cast_.utc[j] - cast_.utc[i]);
    return true;
}

double CtdTrack::value(const std::vector<double>& v, std::size_t i, double w) const
{
    // At a scan its own value, even when the next one is missing.
    return w == 0.0 ? v[i] : v[i] + w * (v[i + 1] - v[i]);
}

CtdValues CtdTrack::at(double utc) const
{
    std::size_t i = 0;
    double w = 0.0;
    if (!locate(utc, i, w))
        return {kNaN, kNaN, kNaN, kNaN};
    const double p = value(cast_.pressure, i, w);
    return {p, value(cast_.temperature, i, w), value(cast_.salinity, i, w), unescoDepth(p, latitude_)};
}

double CtdTrack::depthAt(double utc) const
{
    std::size_t i = 0;
    double w = 0.0;
    return locate(utc, i, w) ? unescoDepth(value(cast_.pressure, i, w), latitude_) : kNaN;
}

CtdFrames::CtdFrames(const CtdTrack& ctd, const FrameTimes& times, long long frames)
    : path_(ctd.path()), latitude_(ctd.latitude())
{
    const std::size_t n = static_cast<std::size_t>(std::max(0LL, frames));
    values_.reserve(n);
    covered_.reserve(n);
    for (std::size_t f = 0; f < n; ++f) {
        const double t = times.utcOfRecord(static_cast<long long>(f));
        const CtdValues v = ctd.at(t);
        values_.push_back({static_cast<float>(v.pressure), static_cast<float>(v.temperature),
                           static_cast<float>(v.salinity), static_cast<float>(v.depth)});
        covered_.push_back(ctd.covers(t));
    }
}

CtdFrames::Values CtdFrames::at(long long frame) const
{
    constexpr float kNone = std::numeric_limits<float>::quiet_NaN();
    if (frame < 0 || frame >= static_cast<long long>(values_.size()))
        return {kNone, kNone, kNone, kNone};
    return values_[static_cast<std::size_t>(frame)];
}

bool CtdFrames::covers(long long frame) const
{
    return frame >= 0 && frame < static_cast<long long>(covered_.size()) && covered_[static_cast<std::size_t>(frame)];
}

}  // namespace kavro
