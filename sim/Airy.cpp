#include "sim/Airy.h"

#include <cmath>
#include <numbers>

namespace kavro::demo {
namespace {

// Below this the power series is used, above it Hankel's asymptotic expansion.
// At the switch both lose about the same: the series to cancellation among terms
// of size ~4e3, the asymptotic series to its smallest term, ~e^(-2x).
constexpr double kAsymptoticFrom = 12.0;

// J_order(x) = (x/2)^order * sum over k of (-x^2/4)^k / (k! (k + order)!), order 0 or 1.
double powerSeries(double x, int order)
{
    double q = -0.25 * x * x;
    double term = order == 0 ? 1.0 : 0.5 * x;
    double sum = term;
    for (int k = 1; k < 200; ++k) {
        term *= q / (static_cast<double>(k) * static_cast<double>(k + order));
        sum += term;
        if (std::fabs(term) < 1e-18)
            break;
    }
    return sum;
}

// Hankel's expansion J_n(x) ~ sqrt(2/(pi x)) (P cos chi - Q sin chi), chi = x - (n/2 + 1/4) pi,
// with the terms t_k = t_(k-1) (mu - (2k-1)^2) / (8 k x), mu = 4 n^2,
// P = t0 - t2 + t4 - ..., Q = t1 - t3 + t5 - ...; summed until the terms stop shrinking.
double hankel(double x, int order)
{
    const double mu = 4.0 * order * order;
    double p = 1.0;
    double q = 0.0;
    double term = 1.0;
    double previous = 2.0;
    for (int k = 1; k < 100; ++k) {
        double odd = 2.0 * k - 1.0;
        term *= (mu - odd * odd) / (8.0 * k * x);
        double size = std::fabs(term);
        if (size >= previous || size < 1e-18)
            break;
        previous = size;
        // Signs: t1 +, t2 -, t3 -, t4 +, t5 +, t6 -, ...
        double signed_ = (k / 2) % 2 == 1 ? -term : term;
        if (k % 2 == 1)
            q += signed_;
        else
            p += signed_;
    }
    // cos and sin of x - pi/4 (order 0) or x - 3 pi/4 (order 1) from those of x,
    // so that no multiple of pi is subtracted from a large argument.
    double c = std::cos(x);
    double s = std::sin(x);
    double cosChi = order == 0 ? (c + s) : (s - c);
    double sinChi = order == 0 ? (s - c) : -(s + c);
    cosChi *= std::numbers::sqrt2 / 2.0;
    sinChi *= std::numbers::sqrt2 / 2.0;
    return std::sqrt(2.0 / (std::numbers::pi * x)) * (p * cosChi - q * sinChi);
}

}  // namespace

double besselJ0(double x)
{
    x = std::fabs(x);
    return x < kAsymptoticFrom ? powerSeries(x, 0) : hankel(x, 0);
}

double besselJ1(double x)
{
    double sign = x < 0.0 ? -1.0 : 1.0;
    x = std::fabs(x);
    return sign * (x < kAsymptoticFrom ? powerSeries(x, 1) : hankel(x, 1));
}

double encircledEnergy(double x)
{
    double j0 = besselJ0(x);
    double j1 = besselJ1(x);
    return 1.0 - j0 * j0 - j1 * j1;
}

}  // namespace kavro::demo
