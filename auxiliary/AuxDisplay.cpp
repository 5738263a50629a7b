#include "auxiliary/AuxDisplay.h"

#include "resources/AuxTexts.h"

#include <cmath>
#include <limits>

namespace kavro {
namespace {

constexpr double kCountFloor = 100.0;
constexpr double kClearLimit = 1.0;
constexpr double kTurbidLimit = 0.3;

}  // namespace

std::int32_t truncateToInt32(double x)
{
    using Limits = std::numeric_limits<std::int32_t>;
    if (std::isnan(x))
        return 0;
    // A float-to-integer conversion out of range is undefined; the ends stand in.
    if (x >= static_cast<double>(Limits::max()))
        return Limits::max();
    if (x <= static_cast<double>(Limits::min()))
        return Limits::min();
    return static_cast<std::int32_t>(x);
}

double Trunc3(double x)
{
    return truncateToInt32(x * 1000.0) / 1000.0;
}

double Trunc1(double x)
{
    return truncateToInt32(x * 10.0) / 10.0;
}

bool showsOneDecimal(int channel)
{
    return channel == 1 || channel == 4;
}

double shownAuxValue(int channel, double raw, const HKChannel& calibration, bool storedValues, bool showRaw)
{
    double value = raw;
    if (!storedValues && showRaw)
        return value;
    if (!storedValues)
        value = calibration.engineering(raw);
    return showsOneDecimal(channel) ? Trunc1(value) : Trunc3(value);
}

double summaryTransmission(double laserPower, double laserReference, double refRatio)
{
    if (laserReference > kCountFloor && laserPower > kCountFloor)
        return Trunc3(laserPower / (laserReference * refRatio));
    return 0.0;
}

AuxWarnings auxWarnings(double transmission, int saturatedRings, int zeroRings)
{
    AuxWarnings w{text::kNoWarning, text::kNoWarning, text::kNoWarning};
    if (transmission > kClearLimit)
        w.clarity = text::kWaterTooClear;
    else if (!(transmission >= kTurbidLimit))
        w.clarity = text::kWaterTooTurbid;
    if (saturatedRings > 0)
        w.saturated = text::kSaturatedRings;
    if (zeroRings > 0)
        w.zero = text::kZeroRings;
    return w;
}

}  // namespace kavro
