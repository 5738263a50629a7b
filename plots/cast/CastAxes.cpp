#include "plots/cast/CastAxes.h"

#include <QDateTime>
#include <QTimeZone>
#include <algorithm>
#include <cmath>

namespace kavro {

double CastScale::map(double v) const
{
    double a = lo, b = hi, x = v;
    if (log) {
        a = std::log10(lo);
        b = std::log10(hi);
        x = v > 0.0 ? std::log10(v) : a - 1e3;
    }
    if (b == a)
        return (p0 + p1) / 2.0;
    return p0 + (x - a) / (b - a) * (p1 - p0);
}

double CastScale::unmap(double p) const
{
    const double a = log ? std::log10(lo) : lo;
    const double b = log ? std::log10(hi) : hi;
    const double x = p1 == p0 ? a : a + (p - p0) / (p1 - p0) * (b - a);
    return log ? std::pow(10.0, x) : x;
}

QString shortNumber(double v)
{
    if (std::fabs(v) < 1e-12)
        return QStringLiteral("0");
    return QString::number(v, 'g', 6);
}

std::vector<CastTick> linearTicks(double lo, double hi, int maxTicks, bool whole)
{
    std::vector<CastTick> ticks;
    if (!(hi > lo) || maxTicks < 1)
        return ticks;
    const double raw = (hi - lo) / std::max(1, maxTicks);
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    double step = power;
    for (double m : {1.0, 2.0, 5.0, 10.0}) {
        step = m * power;
        if (step >= raw)
            break;
    }
    // A frame has no half: its axis steps by 1, 2, 5, 10 ... frames.
    if (whole)
        step = std::max(1.0, std::round(step));
    for (double v = std::ceil(lo / step - 1e-9) * step; v <= hi + step * 1e-9; v += step)
        ticks.push_back({std::fabs(v) < step * 1e-9 ? 0.0 : v, shortNumber(std::fabs(v) < step * 1e-9 ? 0.0 : v)});
    return ticks;
}

std::vector<CastTick> logTicks(double lo, double hi, int maxTicks)
{
    std::vector<CastTick> ticks;
    if (!(lo > 0.0) || !(hi > lo) || maxTicks < 1)
        return ticks;
    const int d0 = static_cast<int>(std::floor(std::log10(lo)));
    const int d1 = static_cast<int>(std::ceil(std::log10(hi)));
    auto inside = [&](double v) { return v >= lo * (1 - 1e-9) && v <= hi * (1 + 1e-9); };
    std::vector<double> mantissas = {1.0, 2.0, 5.0};
    int decadeStep = 1;
    int count = 0;
    for (int d = d0; d <= d1; ++d)
        for (double m : mantissas)
            count += inside(m * std::pow(10.0, d));
    if (count > maxTicks)
        mantissas = {1.0};
    // The decades inside the range; every one of them, or every second or fifth
    // counted from the first inside, so that an axis never ends up with a single tick.
    int first = d1 + 1, decades = 0;
    for (int d = d0; d <= d1; ++d)
        if (inside(std::pow(10.0, d))) {
            first = std::min(first, d);
            ++decades;
        }
    if (mantissas.size() == 1)
        for (int s : {1, 2, 5, 10, 20, 50, 100}) {
            decadeStep = s;
            if ((decades + s - 1) / s <= maxTicks)
                break;
        }
    for (int d = d0; d <= d1; ++d) {
        if ((((d - first) % decadeStep) + decadeStep) % decadeStep != 0)
            continue;
        for (double m : mantissas) {
            const double v = m * std::pow(10.0, d);
            if (inside(v))
                ticks.push_back({v, shortNumber(v)});
        }
    }
    // A short axis within one decade: round linear ticks instead.
    if (ticks.size() < 2)
        return linearTicks(lo, hi, std::min(maxTicks, 4));
    return ticks;
}

QString utcDate(double t)
{
    return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(std::floor(t * 1000.0)), QTimeZone::utc())
        .toString(QStringLiteral("yyyy-MM-dd"));
}

std::vector<CastTick> timeTicks(double lo, double hi, int maxTicks)
{
    std::vector<CastTick> ticks;
    if (!(hi > lo) || maxTicks < 1)
        return ticks;
    static constexpr double kSteps[] = {1,    2,    5,    10,    15,    30,    60,    120,   300,  600,
                                        900,  1800, 3600, 7200,  10800, 21600, 43200, 86400, 172800, 604800};
    double step = kSteps[std::size(kSteps) - 1];
    for (double s : kSteps)
        if ((hi - lo) / s <= maxTicks) {
            step = s;
            break;
        }
    const bool seconds = step < 60;
    const bool days = step >= 86400;
    for (double v = std::ceil(lo / step) * step; v <= hi; v += step) {
        const QDateTime t = QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(v * 1000.0), QTimeZone::utc());
        ticks.push_back({v, t.toString(days ? QStringLiteral("MM-dd") : seconds ? QStringLiteral("HH:mm:ss")
                                                                                 : QStringLiteral("HH:mm"))});
    }
    return ticks;
}

void paddedRange(double& lo, double& hi, bool fromZero)
{
    if (!std::isfinite(lo) || !std::isfinite(hi)) {
        lo = 0.0;
        hi = 1.0;
        return;
    }
    if (fromZero && lo >= 0.0 && lo < 0.5 * hi)
        lo = 0.0;
    double span = hi - lo;
    if (span <= 0.0)
        span = std::max(std::fabs(hi) * 0.1, 1e-6);
    if (!(fromZero && lo == 0.0))
        lo -= 0.05 * span;
    hi += 0.05 * span;
}

}  // namespace kavro
