#pragma once
// Scales and ticks of the cast pictures: value to pixel on a linear or a
// logarithmic axis, tick values that are round numbers and never crowd, and the
// tick labels of a frame, value or time axis.
#include <QString>
#include <vector>

namespace kavro {

// Maps [lo, hi] onto the pixels [p0, p1] (p1 may be smaller than p0: values grow upwards).
struct CastScale {
    double lo = 0.0;
    double hi = 1.0;
    double p0 = 0.0;
    double p1 = 1.0;
    bool log = false;
    double map(double v) const;
    double unmap(double p) const;
};

struct CastTick {
    double value;
    QString label;
};

// Round ticks (1, 2 or 5 times a power of ten apart) within [lo, hi], at most maxTicks of them.
// whole: only whole numbers (frame numbers, classes), a step of at least 1.
std::vector<CastTick> linearTicks(double lo, double hi, int maxTicks, bool whole = false);
// Ticks of a logarithmic axis: every decade, or 1-2-5 within decades when there
// is room, every second or fifth decade when there is not.
std::vector<CastTick> logTicks(double lo, double hi, int maxTicks);
// Ticks of a UTC axis (seconds since 1970) at whole seconds, minutes, hours or days.
std::vector<CastTick> timeTicks(double lo, double hi, int maxTicks);
// The UTC date of t as YYYY-MM-DD.
QString utcDate(double t);
// A number as a short label: "0.3", "1500", "1e-05".
QString shortNumber(double v);
// The scale of a series: a little room above and below the values, 0 kept when
// the values are all positive and near it.
void paddedRange(double& lo, double& hi, bool fromZero);

}  // namespace kavro
