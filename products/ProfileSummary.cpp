// The cruise's figures that need no NetCDF: the coverage of its casts and
// cruise_summary.csv.
#include "core/FrameTimes.h"
#include "platform/NumText.h"
#include "products/CastExport.h"
#include "products/CfConventions.h"
#include "products/ProfileDataset.h"
#include "resources/CruiseTexts.h"
#include "resources/DataTexts.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>

namespace kavro {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

void widen(double& lo, double& hi, double v)
{
    if (!std::isfinite(v))
        return;
    lo = std::isfinite(lo) ? std::min(lo, v) : v;
    hi = std::isfinite(hi) ? std::max(hi, v) : v;
}

}  // namespace

CruiseCoverage cruiseCoverage(const std::vector<ProfileCast>& casts)
{
    CruiseCoverage c{kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN};
    for (const ProfileCast& cast : casts) {
        widen(c.timeMin, c.timeMax, cast.profile.firstUtc);
        widen(c.timeMin, c.timeMax, cast.profile.lastUtc);
        widen(c.latMin, c.latMax, cast.latitude);
        widen(c.lonMin, c.lonMax, cast.longitude);
        for (const auto* bins : {&cast.profile.bins, &cast.profile.ascentBins})
            for (std::size_t k = 0; k < bins->size(); ++k)
                if ((*bins)[k].frames > 0)
                    widen(c.depthMin, c.depthMax, cast.profile.binCentre(k));
    }
    return c;
}

CruiseVertical cruiseVertical(const std::vector<ProfileCast>& casts, const std::string& channelUnits)
{
    std::vector<VerticalSource> sources;
    for (const ProfileCast& c : casts)
        sources.push_back(c.profile.vertical);
    if (binnedOnDepth(sources))
        return {false, "m"};
    return {!pressureStandardName(channelUnits).empty(), udunitsText(channelUnits)};
}

std::string cruiseSummaryCsv(const std::vector<ProfileCast>& casts, const CruiseVertical& vertical)
{
    auto cell = [](const std::string& s) { return csvCell(s); };
    auto number = [](double v, int digits) { return std::isfinite(v) ? formatG(v, digits) : std::string(); };
    auto time = [](double t) { return std::isfinite(t) ? formatUtcTimestamp(t) : std::string(); };
    std::string unit;
    for (char c : vertical.units)
        unit += (std::isalnum(static_cast<unsigned char>(c)) ? c : '_');
    std::string csv = text::kCruiseSummaryHead;
    for (const char* meaning : text::kFlagMeanings)
        csv += std::string(",frames_") + meaning;
    csv += std::string(",max_") + vertical.name() + (unit.empty() ? std::string() : "_" + unit) + text::kCruiseSummaryTail;
    for (const ProfileCast& c : casts) {
        const CastProfile& p = c.profile;
        csv += cell(c.name) + "," + cell(c.station) + "," + number(c.latitude, 10) + "," + number(c.longitude, 10) +
               "," + time(p.firstUtc) + "," + time(p.lastUtc) + "," + std::to_string(p.frames);
        for (long long n : p.byFlag)
            csv += "," + std::to_string(n);
        csv += "," + number(p.maxPressure, 7) + "," + std::to_string(p.descentUsed) + "," + number(p.medianD50, 7) +
               "," + number(p.meanTotalVolume, 7) + "\n";
    }
    return csv;
}

}  // namespace kavro
