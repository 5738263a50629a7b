#pragma once
// The story the demo recording tells: one cast down to 45 m and back, through
// water whose particles change from a narrow size distribution to a broad one and
// then to a mix of fine and coarse particles, the water turning turbid at depth.
// Everything here is what was in the water and around the instrument; how the
// instrument saw it is the recording's business.
#include "sim/DemoCalibration.h"

#include <string>

namespace kavro::demo {

enum class Segment { Dark, Narrow, Broad, Spike, Bimodal };
const char* segmentName(Segment s);

struct CastState {
    Segment segment = Segment::Narrow;
    bool laserOn = true;
    double transmission = 1.0;    // of the water over the beam path
    double depth = 0.0;           // m
    double temperature = 0.0;     // deg C
    double battery = 0.0;         // V
    double external = 0.0;        // V, a fluorometer on the external input
    double spare = 0.0;           // counts of the spare input (a turbidity channel)
    double laserDrift = 1.0;      // laser output relative to the background's
    PerClass volume{};            // ul/l per class
};

// The state at frame t of a recording of frames frames, for the classes with the
// given edges (log-spaced) of the given model.
CastState castAt(int model, const ClassEdges& edges, int t, int frames);

// The volume concentration per class of lognormal volume distributions cut at the class edges.
struct Lognormal {
    double median;  // um
    double sigma;   // standard deviation of ln D
    double volume;  // ul/l over all sizes
};
PerClass lognormalVolumes(const ClassEdges& edges, const Lognormal& a, const Lognormal& b);

// Edges of classes whose geometric centres are the given diameters.
ClassEdges edgesAround(const PerClass& diameters);

}  // namespace kavro::demo
