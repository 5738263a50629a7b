// The Bessel functions and the Airy encircled energy behind the demo kernels.
#include "sim/Airy.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kavro::demo {
namespace {

struct Tabulated {
    double x, j0, j1;
};

// Abramowitz and Stegun, table 9.1 (ten decimals); 15 to 100 lie in the asymptotic branch.
constexpr Tabulated kTable[] = {
    {0.5, 0.9384698072, 0.2422684577},   {1.0, 0.7651976866, 0.4400505857},
    {2.0, 0.2238907791, 0.5767248078},   {5.0, -0.1775967713, -0.3275791376},
    {10.0, -0.2459357645, 0.0434727462}, {15.0, -0.0142244728, 0.2051040386},
    {20.0, 0.1670246643, 0.0668331242},  {50.0, 0.0558123277, -0.0975118281},
    {100.0, 0.0199858503, -0.0771453520},
};

TEST(Bessel, MatchesTabulatedValues)
{
    EXPECT_DOUBLE_EQ(besselJ0(0.0), 1.0);
    EXPECT_DOUBLE_EQ(besselJ1(0.0), 0.0);
    for (const Tabulated& t : kTable) {
        EXPECT_NEAR(besselJ0(t.x), t.j0, 6e-11) << "x = " << t.x;
        EXPECT_NEAR(besselJ1(t.x), t.j1, 6e-11) << "x = " << t.x;
    }
}

TEST(Bessel, VanishesAtTabulatedZeros)
{
    // Zeros on both sides of the switch between series and asymptotic expansion.
    for (double z : {2.4048255577, 5.5200781103, 8.6537279129, 11.7915344391, 14.9309177086})
        EXPECT_NEAR(besselJ0(z), 0.0, 1e-10) << z;
    for (double z : {3.8317059702, 7.0155866698, 10.1734681351, 13.3236919363, 16.4706300509})
        EXPECT_NEAR(besselJ1(z), 0.0, 1e-10) << z;
}

TEST(Bessel, AgreesWithTheStandardLibraryAcrossTheKernelsRange)
{
    // An independent implementation, over every argument the demo kernels use.
    double worst = 0.0;
    for (double x = 0.0; x < 600.0; x += 0.0731) {
        worst = std::max(worst, std::fabs(besselJ0(x) - std::cyl_bessel_j(0.0, x)));
        worst = std::max(worst, std::fabs(besselJ1(x) - std::cyl_bessel_j(1.0, x)));
    }
    EXPECT_LT(worst, 1e-11);
    // Even and odd.
    EXPECT_DOUBLE_EQ(besselJ0(-3.7), besselJ0(3.7));
    EXPECT_DOUBLE_EQ(besselJ1(-3.7), -besselJ1(3.7));
    EXPECT_DOUBLE_EQ(besselJ1(-40.0), -besselJ1(40.0));
}

TEST(EncircledEnergy, AiryPatternLimits)
{
    EXPECT_DOUBLE_EQ(encircledEnergy(0.0), 0.0);
    // Inside the first dark ring: 1 - J0(3.8317)^2 = 0.8378.
    EXPECT_NEAR(encircledEnergy(3.8317059702), 0.8377850, 1e-6);
    // Second dark ring (0.9099) and far out.
    EXPECT_NEAR(encircledEnergy(7.0155866698), 0.9099, 1e-4);
    EXPECT_GT(encircledEnergy(1000.0), 0.999);
    EXPECT_LE(encircledEnergy(1000.0), 1.0);
    // Small angles: L = x^2 / 4 to leading order.
    EXPECT_NEAR(encircledEnergy(0.01) / (0.01 * 0.01 / 4.0), 1.0, 1e-4);
}

TEST(EncircledEnergy, GrowsWithTheRateTwoJ1SquaredOverX)
{
    // dL/dx = 2 J1(x)^2 / x, never negative: checked by central differences.
    double previous = 0.0;
    for (double x = 0.05; x < 300.0; x *= 1.07) {
        double l = encircledEnergy(x);
        EXPECT_GE(l, previous) << x;
        previous = l;
        double h = 1e-4 * x;
        double slope = (encircledEnergy(x + h) - encircledEnergy(x - h)) / (2.0 * h);
        double j1 = besselJ1(x);
        EXPECT_NEAR(slope, 2.0 * j1 * j1 / x, 1e-5 + 1e-5 * std::fabs(slope)) << x;
    }
}

}  // namespace
}  // namespace kavro::demo
