#include "sim/DemoNoise.h"

#include <cmath>
#include <numbers>

namespace kavro::demo {

std::uint64_t DemoNoise::nextBits()
{
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double DemoNoise::uniform()
{
    // 53 random bits; +1 keeps the logarithm below away from zero.
    return static_cast<double>((nextBits() >> 11) + 1) * 0x1.0p-53;
}

double DemoNoise::gaussian()
{
    double u1 = uniform();
    double u2 = uniform();
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * std::numbers::pi * u2);
}

}  // namespace kavro::demo
