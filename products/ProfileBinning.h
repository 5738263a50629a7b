#pragma once
// A cast boiled down for the cruise files: its descent binned by the pressure
// channel, and the figures of its row in the cruise summary.
//
// The descent is the frames from the first to the first one with the largest
// pressure, the ascent the frames after it.  Of those, frames with any quality flag are left out; bin k holds the
// frames whose pressure p lies in [k b, (k+1) b) and is labelled by its centre
// (k + 1/2) b.  Each value of a bin is the arithmetic mean over its frames of that
// frame's value (a frame without the value, such as the Junge slope of a frame
// with fewer than three resolved classes, adds nothing to that value's mean); a
// bin without frames is NaN with 0 frames.  The cast is read once: frames after
// the deepest so far are held apart until a deeper frame takes them into the
// descent.
#include "core/CastReader.h"
#include "core/FrameTimes.h"

#include <array>
#include <string>
#include <vector>

namespace kavro {

class CtdTrack;
struct CtdValues;

// The values of a bin, in this order.
enum BinValue : int {
    kBinVolume = 0,                        // kClasses values, one per size class
    kBinTotal = kClasses,
    kBinMean,
    kBinD10,
    kBinD50,
    kBinD90,
    kBinJunge,
    kBinTransmission,
    kBinBeamAttenuation,
    kBinAux,                               // kAux values, one per channel
    kBinCtdPressure = kBinAux + kAux,      // the CTD's values at the frames' times, for a cast binned on it
    kBinCtdTemperature,
    kBinCtdSalinity,
    kBinValueCount,
};

// The values whose spread over a bin's frames is kept too: the statistics,
// transmission, beam attenuation and total volume (kBinTotal to kBinBeamAttenuation).
inline constexpr int kBinSpreadFirst = kBinTotal;
inline constexpr int kBinSpreadCount = kBinBeamAttenuation - kBinTotal + 1;
inline constexpr bool binHasSpread(int value) { return value >= kBinSpreadFirst && value < kBinSpreadFirst + kBinSpreadCount; }

// Sums of the values of frames and how many frames gave each.
struct BinSums {
    std::array<double, kBinValueCount> sum{};
    std::array<int, kBinValueCount> count{};
    // Of the values with a spread: the sum of squared deviations from their mean
    // (updated frame by frame, and joined exactly when two bins are joined, so that
    // no large sums of squares cancel).
    std::array<double, kBinSpreadCount> m2{};
    int frames = 0;
    // ctd: the CTD's values at the frame's time; none for a cast without a CTD.
    void add(const FrameRow& row, const CtdValues* ctd = nullptr);
    void add(const BinSums& other);
    // The mean of a value; NaN when no frame gave it.
    double mean(int value) const;
    // The sample standard deviation (n - 1 in the denominator) of a value with a
    // spread; NaN when fewer than two frames gave it.
    double standardDeviation(int value) const;
};

// What a cast's frames are binned on.  A cruise keeps one vertical axis: when any
// of its casts has a CTD, that axis is depth in metres, and a cast without one is
// binned on its pressure channel when that channel is a depth in metres, or on the
// depth of the channel's pressure when it is calibrated in dbar.
enum class VerticalSource {
    Channel,       // the pressure channel as calibrated
    ChannelDepth,  // the pressure channel in dbar made a depth at the cast's latitude
    Ctd,           // the CTD's depth at each frame's time
    None,          // no depth in metres to bin on: the cast has no bins
};

struct BinVertical {
    VerticalSource source = VerticalSource::Channel;
    const CtdTrack* ctd = nullptr;  // for Ctd
    double latitude = 0.0;          // for ChannelDepth
};

struct CastProfile {
    double binSize = 1.0;
    VerticalSource vertical = VerticalSource::Channel;
    std::vector<BinSums> bins;  // bin k: pressure [k b, (k+1) b)

    // The whole cast.
    long long frames = 0;
    std::array<long long, kQualityFlagCount> byFlag{};  // frames carrying each flag bit
    long long unflagged = 0;
    double medianD50 = 0.0;        // over unflagged frames; NaN when none
    double meanTotalVolume = 0.0;  // over unflagged frames; NaN when none
    double firstUtc = 0.0, lastUtc = 0.0;  // NaN without time stamps
    std::array<double, kClasses> meanSpectrum{};  // mean volume per class over unflagged frames; NaN when none
    // The descent, by what the cast is binned on (maxPressure: the largest of it).
    double maxPressure = 0.0;       // NaN when no frame has a pressure
    long long deepestFrame = -1;    // the first frame at the largest pressure
    long long descentFrames = 0;    // frames 0 to deepestFrame
    long long descentUsed = 0;      // of those, the frames that went into a bin
    double descentStartUtc = 0.0;   // time of the descent's first frame; NaN when unknown
    // The ascent: the frames after deepestFrame, binned as the descent.
    std::vector<BinSums> ascentBins;
    long long ascentUsed = 0;
    double ascentStartUtc = 0.0;    // time of the ascent's first frame; NaN when unknown or none

    double binCentre(std::size_t k) const { return (static_cast<double>(k) + 0.5) * binSize; }
};

// The pressure channel among the auxiliary values (channel 4).
inline constexpr int kDepthChannel = 4;

// Bins the frames of a cast (times: its time stamps, empty when it has none) on
// what vertical says.  binSize must be above 0.  Throws CastError when the file
// cannot be read.
CastProfile binCast(const CastReader& cast, const FrameTimes& times, double binSize, const BinVertical& vertical = {});

// How a cast of a cruise is binned: on the CTD when it has one; otherwise, when
// other casts of the cruise have one (ctdCruise), on a depth in metres made from
// its pressure channel (calibrated in channelUnits) where it can be.
BinVertical binVerticalFor(const CtdTrack* ctd, bool ctdCruise, const std::string& channelUnits, double latitude);

// True when a cruise of casts binned on these has depth in metres as its axis: any
// cast binned on something other than its pressure channel as calibrated.
bool binnedOnDepth(const std::vector<VerticalSource>& sources);

}  // namespace kavro
