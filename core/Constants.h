#pragma once
// Program-wide constants of the instrument and its frames.

namespace kavro {

inline constexpr int kRings = 32;
inline constexpr int kClasses = 32;
inline constexpr int kAux = 8;
inline constexpr int kFrameValues = kRings + kAux;  // 40 values: rings 1..32, then aux 1..8
inline constexpr int kLaserPowerIndex = 32;         // raw value of the laser power channel
inline constexpr int kLaserReferenceIndex = 35;     // raw value of the laser reference channel
inline constexpr double kLaserFloor = 100.0;        // laser power must exceed it
inline constexpr int kSaturation = 4093;            // a ring value above it is saturated (not 4095)
inline constexpr double kScanDivisor = 16.0;        // multi-scan data hold the sum of 16 scans
// The beam attenuation is this times ln(1/transmission): one over the 5 cm optical
// path of the water in metres.
inline constexpr double kPathFactor = 20.0;

// Kinds of data source.
inline constexpr int kKindNone = -1;
inline constexpr int kKindInstrument = 0;
inline constexpr int kKindRawFile = 1;
inline constexpr int kKindPsdFile = 2;

// Kinds of the value operation.
inline constexpr int kValueRaw = 1;
inline constexpr int kValueVolume = 2;
inline constexpr int kValueAux = 3;
inline constexpr int kValueBackground = 4;
inline constexpr int kValueFactoryBackground = 5;

}  // namespace kavro
