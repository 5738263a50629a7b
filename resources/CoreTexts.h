#pragma once
// Fixed texts of the frame processing core.

namespace kavro::text {

// Names of the inversion's code paths (benchmarks and diagnostics).
inline constexpr const char* kPathAuto = "auto";
inline constexpr const char* kPathBaseline = "baseline";
inline constexpr const char* kPathAvx2 = "avx2";
inline constexpr const char* kPathAvx512 = "avx512";
inline constexpr const char* kPathUnavailable = "This processor cannot run the inversion path ";

}  // namespace kavro::text
