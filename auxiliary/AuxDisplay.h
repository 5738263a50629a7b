#pragma once
// What the auxiliary parameters window shows of a frame: the channel values cut
// (not rounded) to three or one decimals, the transmission of a frame summary,
// and the three warning lines.
#include "auxiliary/HKChannel.h"

#include <cstdint>

namespace kavro {

// The integer part of x as a 32-bit integer: beyond the range of one the nearest
// end, NaN 0.  (The cut values below go through such an integer.)
std::int32_t truncateToInt32(double x);
// Cut toward zero to three decimals: 12.3459 -> 12.345, -0.0019 -> -0.001.
double Trunc3(double x);
// Cut toward zero to one decimal.
double Trunc1(double x);

// Channels 1 (battery) and 4 (pressure) are cut to one decimal, the others to three.
bool showsOneDecimal(int channel);

// Channel k's value as the window shows it: a .psd file's stored value cut; or
// the raw count through the channel's calibration, cut; or the raw count itself
// when raw counts are asked for.
double shownAuxValue(int channel, double raw, const HKChannel& calibration, bool storedValues, bool showRaw);

// Transmission of a frame summary record, cut to three decimals: laser power over
// laser reference times the background's ratio of the two; 0 unless both counts
// are above 100.
double summaryTransmission(double laserPower, double laserReference, double refRatio);

// The three warning lines; a line with nothing to say holds one blank.
struct AuxWarnings {
    const char* clarity;
    const char* saturated;
    const char* zero;
};
AuxWarnings auxWarnings(double transmission, int saturatedRings, int zeroRings);

}  // namespace kavro
