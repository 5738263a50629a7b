#include "products/CtdMerge.h"

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

CtdTrack CtdTrack::resampled(std::vector<double> times) const
{
    std::erase_if(times, [this](double t) { return !covers(t); });  // NaN too, before sorting
    std::sort(times.begin(), times.end());
    times.erase(std::unique(times.begin(), times.end()), times.end());
    CnvCast at;
    at.path = cast_.path;
    for (double t : times) {
        const CtdValues v = this->at(t);
        at.utc.push_back(t);
        at.pressure.push_back(v.pressure);
        at.temperature.push_back(v.temperature);
        at.salinity.push_back(v.salinity);
    }
    return CtdTrack(std::move(at), latitude_);
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

}  // namespace kavro
