#pragma once
// One or more vertical level bars in a bitmap window; a bar's colour depends on
// which thresholds its value exceeds.
#include "plots/CDibWnd.h"

#include <array>
#include <vector>

namespace kavro {

class CDibBarMeter : public CDibWnd {
    Q_OBJECT
public:
    static constexpr int kMaxThresholds = 10;
    // Colour-table entries the meter sets up: 0 red, 1 yellow, 2 green.
    static constexpr int kRed = 0;
    static constexpr int kYellow = 1;
    static constexpr int kGreen = 2;
    static constexpr int kEmpty = 255;  // white, the unfilled part of a bar

    explicit CDibBarMeter(QWidget* parent = nullptr);

    // n bars of `levels` image rows each, stretched over rect; a count that is not
    // positive keeps the current one (1 bar, 100 levels at first).  Every bar
    // starts empty.  False when the image could not be made.
    bool Create(QWidget* parent, const QRect& rect, int n, int levels);
    // Threshold k (0..9): values above x take colour-table entry colourIndex, a
    // later threshold overriding an earlier one; x = 0 leaves k unused.
    void SetThreshold(double x, int colourIndex, int k);
    // Bar `bar` shows fraction x of its height (0..1; more fills it).
    void SetValue(double x, int bar);
    int ColourFor(double x) const;

    int barCount() const { return nBars_; }
    int levelCount() const { return nLevels_; }
    double value(int bar) const;

private:
    void renderBar(int bar);

    int nBars_ = 1;
    int nLevels_ = 100;
    std::vector<double> values_;
    std::array<double, kMaxThresholds> thresholds_{};
    std::array<int, kMaxThresholds> colours_{};
    std::vector<std::uint8_t> pixels_;  // nBars x nLevels, packed rows
};

}  // namespace kavro
