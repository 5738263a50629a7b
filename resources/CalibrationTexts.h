#pragma once
// Names of the calibration files, per model index 0, 1, 2 (file sets "a", "b", "c").

namespace kavro::text {

inline constexpr const char* kKernelFile[3] = {"M32x32_a.asc", "M32x32_b.asc", "M32x32_c.asc"};
inline constexpr const char* kHFile[3] = {"H32_a.asc", "H32_b.asc", "H32_c.asc"};
inline constexpr const char* kDiameterFile[3] = {"Dias32_a.asc", "Dias32_b.asc", "Dias32_c.asc"};
inline constexpr const char* kGainFile[3] = {"Gain_a.asc", "Gain_b.asc", "Gain_c.asc"};
inline constexpr const char* kFactoryBackgroundFile = "factory_zsc.asc";
inline constexpr const char* kBackgroundFile = "zsc.asc";

}  // namespace kavro::text
