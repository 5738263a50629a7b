#pragma once
// Reproducible noise for the demo recording: splitmix64 and the Box-Muller
// transform, written out so that the same seed gives the same numbers with any
// standard library (the std:: distributions may give other numbers elsewhere).
#include <cstdint>

namespace kavro::demo {

class DemoNoise {
public:
    explicit DemoNoise(std::uint64_t seed) : state_(seed) {}
    std::uint64_t nextBits();
    double uniform();   // in (0, 1]
    double gaussian();  // mean 0, standard deviation 1

private:
    std::uint64_t state_;
};

}  // namespace kavro::demo
