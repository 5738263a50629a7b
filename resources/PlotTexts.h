#pragma once
// Fixed texts of the plot, label and bitmap windows.

namespace kavro::text {

// Window texts.
inline constexpr const char* kBarGraphWindow = "Bar Graph";
inline constexpr const char* kLinePlotWindow = "Line Plot";
inline constexpr const char* kTextWindow = "TextWindow";
inline constexpr const char* kDibWindow = "DIB Wnd";

// Face of the labels' default font (fontconfig maps it to a metric twin).
inline constexpr const char* kLabelFontFace = "Arial";

// Value tip of the bar graph: "[%.3lg µm] %.3lg µl/l".
inline constexpr const char* kTipBefore = "[";
inline constexpr const char* kTipDiameterUnit = " µm] ";
inline constexpr const char* kTipValueUnit = " µl/l";

// Line plot read-out: "beam c = %.3lf".
inline constexpr const char* kBeamPrefix = "beam c = ";

}  // namespace kavro::text
