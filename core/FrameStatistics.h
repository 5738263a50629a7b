#pragma once
// What scientists compute next from one processed frame: percentile diameters of
// the volume distribution, its mode, the Junge-type slope of the number
// distribution, and a quality flag word.  Pure functions of one frame result and
// the class edges of the instrument model's size range; the NetCDF and CSV
// exports, kavro-cli info and the plots all use these, so they agree.
#include "core/CFrameResult.h"
#include "core/Constants.h"

#include <array>
#include <cmath>
#include <optional>

namespace kavro {

using ClassEdges = std::array<double, kClasses + 1>;
using ClassValues = std::array<double, kClasses>;

// The size and angle range of an instrument model (the ends of the main view's
// axes).  Any model index other than 1 and 2 answers model 0.
struct ModelRange {
    double diameterMin, diameterMax;  // um: lower edge of class 1, upper edge of class 32
    double angleMinDeg, angleMaxDeg;  // degrees: inner edge of ring 1, outer edge of ring 32
};
ModelRange modelRange(int model);
// N edges from first to last, evenly spaced in log (the last exactly last).
template <std::size_t N>
std::array<double, N> logSpacedEdges(double first, double last)
{
    std::array<double, N> edges{};
    const double ratio = std::log(last / first);
    for (std::size_t j = 0; j < N; ++j)
        edges[j] = first * std::exp(ratio * static_cast<double>(j) / static_cast<double>(N - 1));
    edges[N - 1] = last;
    return edges;
}
// The 33 class edges (um), evenly spaced in log diameter over the model's size range.
ClassEdges modelClassEdges(int model);
// The 33 ring edges (degrees), evenly spaced in log angle over the model's angle range.
std::array<double, kRings + 1> modelRingEdgesDeg(int model);
// Geometric centre of each class, sqrt(edge k * edge k+1).
ClassValues classCentres(const ClassEdges& edges);
// The class edges of the class diameters a calibration gives (um, class 1 first):
// between two neighbouring classes the geometric midpoint of their diameters, and
// the outer edges as far beyond the first and last diameter (by ratio) as the
// nearest inner edge lies on the other side, so every diameter lies inside its
// class and the end diameters are their classes' geometric centres.  Empty when
// the diameters are not finite, positive and strictly increasing.
std::optional<ClassEdges> classEdgesFromDiameters(const ClassValues& diameters);
// The edges that go with a file's class diameters: derived from them when they
// give edges, else the model's nominal edges.
ClassEdges classEdgesFor(const ClassValues& diameters, int model);

// The size distributions every paper shows, from the volume concentrations v_k
// (uL/L) of the classes, their diameters D_k (um) and edges e_k (um): per class the
// factor that turns v_k into
// - the number distribution dN/dD = v_k * 1e9 / (pi/6 D_k^3) / (e_{k+1} - e_k), in
//   L-1 um-1 (1 uL = 1 mm^3 = 1e9 um^3, so v_k * 1e9 is um^3 of particles per litre;
//   the n_k of the Junge slope, per litre), and
// - the volume distribution dV/dlnD = v_k / ln(e_{k+1} / e_k), in uL L-1.
// NaN for a class without a positive diameter or width.
struct SizeDistributionFactors {
    ClassValues number{}, volume{};
};
SizeDistributionFactors sizeDistributionFactors(const ClassValues& diameters, const ClassEdges& edges);

struct FrameStatistics {
    double d10 = 0.0, d50 = 0.0, d90 = 0.0;  // um; NaN when the frame holds no volume
    int modeClass = -1;                       // 0-based class of the largest volume; -1 when none
    double modeDiameter = 0.0;                // diameter of the mode class (um); NaN when none
    double jungeSlope = 0.0;                  // xi of n(D) ~ D^-xi; NaN with fewer than 3 resolved classes
};

// The diameter below which the given fraction (0 < fraction < 1) of the volume
// lies.  The cumulative volume rises linearly in log diameter across each class,
// from its lower to its upper edge, so the percentile is interpolated between the
// two edges of the class where the cumulative volume reaches the fraction.  A
// volume that is negative or not a number counts as 0.  NaN when the frame holds
// no volume.
double volumePercentileDiameter(const ClassValues& volume, const ClassEdges& edges, double fraction);

// D10, D50, D90, the mode and the Junge slope.  The slope is the least-squares
// slope of log10 n_k over log10 D_k, negated, over the resolved classes (volume > 0),
// where n_k = v_k / (pi/6 D_k^3) / (edge k+1 - edge k) is the number concentration
// per unit diameter and D_k the class diameter.  The mode diameter is the mode
// class's D_k.  Without diameters, D_k is the class's geometric centre.
FrameStatistics frameStatistics(const ClassValues& volume, const ClassEdges& edges);
FrameStatistics frameStatistics(const ClassValues& volume, const ClassEdges& edges, const ClassValues& diameters);
FrameStatistics frameStatistics(const CFrameResult& result, const ClassEdges& edges);

// Quality flag bits of one frame.
inline constexpr unsigned kFlagLaserOff = 1u << 0;       // no usable laser light: transmission at or below the floor
inline constexpr unsigned kFlagTooClear = 1u << 1;       // transmission above 1
inline constexpr unsigned kFlagTooTurbid = 1u << 2;      // transmission below 0.3 (and above 0.001)
inline constexpr unsigned kFlagSaturatedRings = 1u << 3; // at least one ring above 4093 counts
inline constexpr unsigned kFlagZeroRings = 1u << 4;      // at least one ring read exactly 0
inline constexpr unsigned kFlagNoBackground = 1u << 5;   // the file names no background scatter file
inline constexpr unsigned kFlagNoParticles = 1u << 6;    // laser light, but every class is 0
inline constexpr int kQualityFlagCount = 7;
inline constexpr unsigned kQualityFlagBits[kQualityFlagCount] = {
    kFlagLaserOff, kFlagTooClear, kFlagTooTurbid, kFlagSaturatedRings, kFlagZeroRings, kFlagNoBackground,
    kFlagNoParticles};

inline constexpr double kTransmissionFloor = 0.001;  // the correction raises a smaller transmission to it
inline constexpr double kTurbidTransmission = 0.3;

// True when a transmission holds no usable light: not a number, or not above the
// correction's floor.  A .psd stores the floor as the float32 0.001f, a hair above
// the double 0.001, so the floor is compared at float32 precision: a frame raised
// to the floor is told as such whether its transmission comes from a file or from
// the correction itself.  Every flag word, export and picture decides by this.
inline bool withoutUsableLight(double transmission)
{
    return !(transmission > static_cast<double>(static_cast<float>(kTransmissionFloor)));
}

// The flags of a frame.  backgroundMissing comes from the file: a .psd whose header
// holds no background path was processed without a background scatter file.
unsigned qualityFlags(const CFrameResult& result, bool backgroundMissing);
unsigned qualityFlags(double transmission, int saturatedRings, int zeroRings, double volumeSum,
                      bool backgroundMissing);

// Frames without usable laser light hold placeholders (0 and -1) in every optical
// value; frames without particles hold them in the statistics.  These tell which
// values of a frame are measurements.
inline bool hasOptics(unsigned flags) { return (flags & kFlagLaserOff) == 0; }
inline bool hasDistribution(unsigned flags) { return (flags & (kFlagLaserOff | kFlagNoParticles)) == 0; }

}  // namespace kavro
