#include "plots/CDibBarMeter.h"

#include <algorithm>
#include <cmath>

namespace kavro {

CDibBarMeter::CDibBarMeter(QWidget* parent) : CDibWnd(parent) {}

bool CDibBarMeter::Create(QWidget* parent, const QRect& rect, int n, int levels)
{
    if (n > 0)
        nBars_ = n;
    if (levels > 0)
        nLevels_ = levels;
    if (!CDibWnd::Create(parent, rect, nBars_, nLevels_))
        return false;
    values_.assign(static_cast<std::size_t>(nBars_), 0.0);
    pixels_.assign(static_cast<std::size_t>(nBars_) * static_cast<std::size_t>(nLevels_), kEmpty);
    const std::array<PaletteEntry, 3> signal = {PaletteEntry{0, 0, 255, 0}, PaletteEntry{0, 224, 224, 0},
                                                PaletteEntry{0, 192, 0, 0}};
    SetColours(kRed, 3, signal);
    // Bars start empty rather than showing the image's initial entry 0 (red).
    SetPixels(nBars_ * nLevels_, pixels_, false);
    return true;
}

void CDibBarMeter::SetThreshold(double x, int colourIndex, int k)
{
    if (k < 0 || k >= kMaxThresholds || colourIndex < 0 || colourIndex > 255)
        return;
    thresholds_[static_cast<std::size_t>(k)] = x;
    colours_[static_cast<std::size_t>(k)] = colourIndex;
}

void CDibBarMeter::SetValue(double x, int bar)
{
    if (bar < 0 || bar >= static_cast<int>(values_.size()))
        return;
    values_[static_cast<std::size_t>(bar)] = x;
    renderBar(bar);
}

double CDibBarMeter::value(int bar) const
{
    return bar >= 0 && bar < static_cast<int>(values_.size()) ? values_[static_cast<std::size_t>(bar)] : 0.0;
}

int CDibBarMeter::ColourFor(double x) const
{
    int colour = kRed;
    for (int k = 0; k < kMaxThresholds; ++k) {
        double t = thresholds_[static_cast<std::size_t>(k)];
        if (t > 0 && x > t)
            colour = colours_[static_cast<std::size_t>(k)];
    }
    return colour;
}

void CDibBarMeter::renderBar(int bar)
{
    const double x = values_[static_cast<std::size_t>(bar)];
    const auto colour = static_cast<std::uint8_t>(ColourFor(x));
    // Limited before truncating: a value far above 1 (or not a number) must not
    // overflow the level count.
    double levels = x * nLevels_;
    int filled = std::isnan(levels) ? 0 : static_cast<int>(std::trunc(std::clamp(levels, 0.0, double(nLevels_))));
    for (int j = 0; j < nLevels_; ++j) {
        std::size_t row = static_cast<std::size_t>(nLevels_ - 1 - j);
        pixels_[row * static_cast<std::size_t>(nBars_) + static_cast<std::size_t>(bar)] = j < filled ? colour : kEmpty;
    }
    SetPixels(nBars_ * nLevels_, pixels_, false);
}

}  // namespace kavro
