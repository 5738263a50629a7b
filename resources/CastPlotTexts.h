#pragma once
// Fixed texts of the cast pictures: the quick look of kavro-cli plot and the
// desktop program's Cast Overview window.

namespace kavro::text {

inline constexpr const char* kCastFontFace = "Liberation Sans";

// Title: "<file>  ·  model <n> (set <c>)  ·  <frames> frames".
inline constexpr const char* kCastTitleModel = "model %d (set %c)";
inline constexpr const char* kCastTitleFrames = "%lld frames";
inline constexpr const char* kCastTitleFramesOf = "%lld of %lld frames";  // shown, in the file
inline constexpr const char* kCastTitleSeparator = "  \u00b7  ";
// Second line: what the frames were processed with and what they hold.
inline constexpr const char* kCastSettings =
    "laser reference ratio %s  \u00b7  background %s  \u00b7  %lld with a distribution, %lld without usable light, "
    "%lld flagged";
inline constexpr const char* kCastNoBackground = "none";
// A profile shows the descent.
inline constexpr const char* kCastDescent = "  \u00b7  descent: frames 0 to %lld";

// Axis titles.
inline constexpr const char* kCastFrameAxis = "Frame";
inline constexpr const char* kCastTimeAxis = "Time (UTC, %s)";  // the date of the first frame
inline constexpr const char* kCastDiameterAxis = "Diameter (\u00b5m)";
inline constexpr const char* kCastClassAxis = "Size class";
inline constexpr const char* kCastVolumeAxis = "Volume concentration (\u00b5l/l)";
inline constexpr const char* kCastTotalVolumeAxis = "Total volume (\u00b5l/l)";
inline constexpr const char* kCastTransmissionAxis = "Transmission";
// The pressure channel's axis: by what its units measure, else its label (units).
inline constexpr const char* kCastPressureAxis = "Pressure (%s)";  // units
inline constexpr const char* kCastDepthAxis = "Depth (%s)";        // units
inline constexpr const char* kCastCtdDepthAxis = "Depth from the CTD (m)";
inline constexpr const char* kCastChannelAxis = "%s (%s)";         // label, units
inline constexpr const char* kCastChannelNoUnits = "%s";

// Legends.
inline constexpr const char* kCastMeanLegend = "mean diameter";
inline constexpr const char* kCastD50Legend = "D50";
inline constexpr const char* kCastLimitsLegend = "limits 0.3, 1.0";
inline constexpr const char* kCastGapLegend = "no usable light or flagged";
inline constexpr const char* kCastNoFrames = "No frames to show.";

// kavro-cli plot.
inline constexpr const char* kCliPlotDescription = "Draw a quick-look picture of .psd casts (PNG, PDF or SVG)";
inline constexpr const char* kCliPlotBadSize = "--size must be WIDTHxHEIGHT, each 200 to 10000 pixels";
inline constexpr const char* kCliPlotBadExtension = ": the picture's name must end in .png, .pdf or .svg";
inline constexpr const char* kCliPlotNoSvg = ": this build writes no SVG pictures; name a .png or .pdf";
inline constexpr const char* kCliPlotNotFolder = ": several inputs need -o to name a folder";
inline constexpr const char* kCliPlotNoPressure = ": no pressure values to draw a profile against";
inline constexpr const char* kCliPlotWriteFailed = ": the picture could not be written";
inline constexpr const char* kCliPlotWrote = "%s: %s\n";

}  // namespace kavro::text
