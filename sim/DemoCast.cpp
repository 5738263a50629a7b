#include "sim/DemoCast.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kavro::demo {
namespace {

struct SegmentShape {
    Lognormal first;
    Lognormal second;  // volume 0 for a single mode
};

// Per model: narrow, broad and bimodal shapes, with medians well inside the size range.
constexpr SegmentShape kShapes[kModels][3] = {
    {{{90.0, 0.15, 20.0}, {1.0, 1.0, 0.0}},
     {{40.0, 0.75, 40.0}, {1.0, 1.0, 0.0}},
     {{12.0, 0.30, 14.0}, {180.0, 0.25, 11.0}}},
    {{{25.0, 0.15, 20.0}, {1.0, 1.0, 0.0}},
     {{12.0, 0.75, 40.0}, {1.0, 1.0, 0.0}},
     {{3.0, 0.30, 14.0}, {70.0, 0.25, 11.0}}},
    {{{60.0, 0.15, 20.0}, {1.0, 1.0, 0.0}},
     {{30.0, 0.75, 40.0}, {1.0, 1.0, 0.0}},
     {{8.0, 0.30, 14.0}, {150.0, 0.25, 11.0}}},
};

constexpr int kDarkFrames = 3;         // laser off at each end of the cast
constexpr double kSpikeFactor = 6.0;   // a burst of particles in one frame
constexpr double kMaxDepth = 45.0;     // m

double cosineStep(double from, double to, double u)
{
    return from + (to - from) * 0.5 * (1.0 - std::cos(std::numbers::pi * u));
}

// Clear near the surface, turbid at depth, clearing again on the way up.
double transmissionAt(double s)
{
    return s < 0.5 ? cosineStep(0.95, 0.4, s / 0.5) : cosineStep(0.4, 0.9, (s - 0.5) / 0.5);
}

double normalCdf(double z)
{
    return 0.5 * std::erfc(-z / std::numbers::sqrt2);
}

int modelIndex(int model)
{
    return model == 1 || model == 2 ? model : 0;
}

}  // namespace

const char* segmentName(Segment s)
{
    switch (s) {
    case Segment::Dark: return "dark";
    case Segment::Narrow: return "narrow";
    case Segment::Broad: return "broad";
    case Segment::Spike: return "spike";
    case Segment::Bimodal: return "bimodal";
    }
    return "";
}

PerClass lognormalVolumes(const ClassEdges& edges, const Lognormal& a, const Lognormal& b)
{
    PerClass v{};
    for (const Lognormal& mode : {a, b}) {
        if (mode.volume <= 0.0)
            continue;
        double below = normalCdf(std::log(edges[0] / mode.median) / mode.sigma);
        for (int k = 0; k < kClasses; ++k) {
            double upTo = normalCdf(std::log(edges[k + 1] / mode.median) / mode.sigma);
            v[k] += mode.volume * (upTo - below);
            below = upTo;
        }
    }
    return v;
}

ClassEdges edgesAround(const PerClass& diameters)
{
    ClassEdges e{};
    for (int k = 1; k < kClasses; ++k)
        e[k] = std::sqrt(diameters[k - 1] * diameters[k]);
    e[0] = diameters[0] * diameters[0] / e[1];
    e[kClasses] = diameters[kClasses - 1] * diameters[kClasses - 1] / e[kClasses - 1];
    return e;
}

CastState castAt(int model, const ClassEdges& edges, int t, int frames)
{
    const double s = frames > 1 ? static_cast<double>(t) / (frames - 1) : 0.0;
    const int dark = frames >= 20 * kDarkFrames ? kDarkFrames : frames / 20;
    const int lit = frames - 2 * dark;
    const int narrowEnd = dark + lit / 3;
    const int broadEnd = dark + 2 * lit / 3;

    CastState c;
    int shape = 0;
    double u = 0.0;  // position within the segment, 0 to 1
    if (t < narrowEnd) {
        c.segment = Segment::Narrow;
        u = static_cast<double>(t - dark) / std::max(1, narrowEnd - dark);
    } else if (t < broadEnd) {
        c.segment = Segment::Broad;
        shape = 1;
        u = static_cast<double>(t - narrowEnd) / std::max(1, broadEnd - narrowEnd);
        if (broadEnd - narrowEnd >= 5 && t == (narrowEnd + broadEnd) / 2)
            c.segment = Segment::Spike;
    } else {
        c.segment = Segment::Bimodal;
        shape = 2;
        u = static_cast<double>(t - broadEnd) / std::max(1, frames - dark - broadEnd);
    }
    c.laserOn = t >= dark && t < frames - dark;
    if (!c.laserOn)
        c.segment = Segment::Dark;

    // The particles: medians wander by a tenth within the segment, the amount
    // swells towards the turbid layer and ripples on the way.
    const SegmentShape& sh = kShapes[modelIndex(model)][shape];
    const double wander = 1.0 + 0.1 * std::sin(2.0 * std::numbers::pi * u);
    double amount = 0.8 + 0.3 * std::sin(std::numbers::pi * s) + 0.1 * std::sin(5.0 * std::numbers::pi * s);
    if (c.segment == Segment::Spike)
        amount *= kSpikeFactor;
    Lognormal first{sh.first.median * wander, sh.first.sigma, sh.first.volume * amount};
    Lognormal second{sh.second.median * wander, sh.second.sigma, sh.second.volume * amount};
    c.volume = lognormalVolumes(edges, first, second);

    c.transmission = transmissionAt(s);
    c.depth = kMaxDepth * std::sin(std::numbers::pi * s);
    c.temperature = 9.0 + 9.5 / (1.0 + std::exp((c.depth - 18.0) / 4.0));  // thermocline near 18 m
    c.battery = 12.6 - 0.35 * s;
    c.external = 0.4 + 1.2 * std::exp(-std::pow((c.depth - 15.0) / 6.0, 2));  // chlorophyll maximum
    c.spare = 300.0 + 250.0 * amount;
    c.laserDrift = 1.0 + 0.008 * std::sin(6.0 * std::numbers::pi * s);
    return c;
}

}  // namespace kavro::demo
