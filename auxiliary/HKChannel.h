#pragma once
#include <string>

namespace kavro {

// One auxiliary channel's calibration: value = raw count × multiplier + offset.
struct HKChannel {
    double multiplier = 1.0;  // settings key suffix "Scale"
    double offset = 0.0;      // settings key suffix "Off"
    std::string units;
    std::string label;

    double engineering(double raw) const { return raw * multiplier + offset; }
};

}  // namespace kavro
