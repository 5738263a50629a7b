#include "core/Inversion.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <stdexcept>
#include <string>

namespace kavro {
namespace {

using Path = InversionKernel::Path;
using Matrix = std::array<double, kRings * kClasses>;
using Rings = std::array<double, kRings>;
using Classes = std::array<double, kClasses>;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::string describe(double v)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.17g (0x%016llx)", v,
                  static_cast<unsigned long long>(std::bit_cast<std::uint64_t>(v)));
    return text;
}

// Every class holds the same bit pattern, so a NaN matches a NaN of the same pattern.
// With looseNaN, any NaN matches any NaN: used where the inputs carry NaNs of their own,
// because which of two NaNs meeting in a sum or product survives depends on the order
// the compiler puts the operands in, and that order is not the language's to fix.
testing::AssertionResult sameClasses(const Classes& expected, const Classes& actual, bool looseNaN = false)
{
    for (int k = 0; k < kClasses; ++k) {
        const bool same = std::bit_cast<std::uint64_t>(expected[k]) == std::bit_cast<std::uint64_t>(actual[k]);
        const bool bothNaN = std::isnan(expected[k]) && std::isnan(actual[k]);
        if (!same && !(looseNaN && bothNaN))
            return testing::AssertionFailure()
                   << "class " << k << ": expected " << describe(expected[k]) << ", got " << describe(actual[k]);
    }
    return testing::AssertionSuccess();
}

Classes reference(const Matrix& kernel, const Matrix& h, const Rings& d, int iterations)
{
    Classes x;
    invertReference(kernel.data(), h.data(), d.data(), iterations, x.data());
    return x;
}

Matrix filled(double value)
{
    Matrix m;
    m.fill(value);
    return m;
}

Matrix diagonal(const Rings& values)
{
    Matrix m = filled(0.0);
    for (int r = 0; r < kRings; ++r)
        m[kClasses * r + r] = values[r];
    return m;
}

// ---- the reference loops against answers worked out by hand ----

TEST(InvertReference, NoIterationsGiveOneInEveryClass)
{
    const Matrix nan = filled(kNaN);
    Rings d;
    d.fill(kNaN);
    Classes expected;
    expected.fill(1.0);
    EXPECT_TRUE(sameClasses(expected, reference(nan, nan, d, 0)));
    EXPECT_TRUE(sameClasses(expected, reference(nan, nan, d, -3)));
}

TEST(InvertReference, DiagonalKernelWithUnitWeightsDividesDataByTheDiagonal)
{
    // e_r = c_r, q_r = d_r / c_r, s_k = q_k: one pass gives d_k / c_k, which is then a fixed point.
    Rings c, d;
    for (int r = 0; r < kRings; ++r) {
        c[r] = std::ldexp(1.0, r % 4);  // powers of two keep every step exact
        d[r] = 3.0 * r + 0.5;
    }
    Rings ones;
    ones.fill(1.0);
    Classes expected;
    for (int k = 0; k < kClasses; ++k)
        expected[k] = d[k] / c[k];
    EXPECT_TRUE(sameClasses(expected, reference(diagonal(c), diagonal(ones), d, 1)));
    EXPECT_TRUE(sameClasses(expected, reference(diagonal(c), diagonal(ones), d, 7)));
}

TEST(InvertReference, UniformKernelSettlesOnTheDataLevel)
{
    // M all 1, H = M with columns normalised (1/32), d all 64:
    // e_r = 32, q_r = 2, s_k = 32 * (2/32) = 2, x = 2; next pass e_r = 64, q_r = 1, s_k = 1.
    Rings d;
    d.fill(64.0);
    Classes expected;
    expected.fill(2.0);
    EXPECT_TRUE(sameClasses(expected, reference(filled(1.0), filled(1.0 / 32.0), d, 1)));
    EXPECT_TRUE(sameClasses(expected, reference(filled(1.0), filled(1.0 / 32.0), d, 3)));
}

TEST(InvertReference, DarkFrameGivesZeroThenNotANumber)
{
    // All rings 0: the first pass gives x = 0, the second divides 0 by 0.
    Rings d{};
    const Classes once = reference(filled(0.5), filled(1.0 / 16.0), d, 1);
    const Classes twice = reference(filled(0.5), filled(1.0 / 16.0), d, 2);
    for (int k = 0; k < kClasses; ++k) {
        EXPECT_EQ(std::bit_cast<std::uint64_t>(once[k]), 0u) << "class " << k;  // +0.0
        EXPECT_TRUE(std::isnan(twice[k])) << "class " << k;
    }
}

// ---- every code path against the reference ----

// Builds problems of one kind; each value is drawn by pick(), the iterations from 0..maxIterations.
struct Problem {
    Matrix kernel;
    Matrix h;
    Rings d;
    int iterations;
};

class Problems {
public:
    explicit Problems(std::uint64_t seed) : random_(seed) {}

    double uniform(double low, double high) { return std::uniform_real_distribution<double>(low, high)(random_); }
    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

    // A smooth positive kernel, H its column-normalised copy and a frame run forward
    // from a random log-normal distribution with a little noise: what the instrument gives.
    Problem realistic()
    {
        Problem p;
        const double spread = uniform(3.0, 9.0);
        for (int r = 0; r < kRings; ++r)
            for (int k = 0; k < kClasses; ++k) {
                const double u = (r + k - 31.0) / spread;
                p.kernel[kClasses * r + k] = uniform(0.001, 0.05) + std::exp(-u * u);
            }
        for (int k = 0; k < kClasses; ++k) {
            double column = 0.0;
            for (int r = 0; r < kRings; ++r)
                column += p.kernel[kClasses * r + k];
            for (int r = 0; r < kRings; ++r)
                p.h[kClasses * r + k] = p.kernel[kClasses * r + k] / column;
        }
        const double mode = uniform(0.0, 31.0), width = uniform(0.5, 8.0), level = uniform(0.01, 1000.0);
        for (int r = 0; r < kRings; ++r) {
            double ring = 0.0;
            for (int k = 0; k < kClasses; ++k)
                ring += p.kernel[kClasses * r + k] * level * std::exp(-(k - mode) * (k - mode) / (width * width));
            p.d[r] = ring * uniform(0.95, 1.05) + uniform(-0.01, 0.01);
        }
        p.iterations = below(81);
        return p;
    }

    // Values of every sign and size: zeros of both signs, subnormal, tiny, ordinary, huge, infinite.
    double wild()
    {
        const double sign = below(2) ? 1.0 : -1.0;
        switch (below(16)) {
        case 0: return sign * 0.0;
        case 1: return sign * std::ldexp(uniform(0.5, 1.0), -1050);  // subnormal
        case 2: return sign * uniform(1.0, 10.0) * 1e-300;
        case 3: return sign * uniform(1.0, 10.0) * 1e300;
        case 4: return sign * kInf;
        case 5:
        case 6: return sign * std::pow(10.0, uniform(-30.0, 30.0));
        default: return uniform(0.0, 2.0);  // mostly ordinary positive values
        }
    }

    Problem wildProblem()
    {
        Problem p;
        for (double& v : p.kernel)
            v = wild();
        for (double& v : p.h)
            v = wild();
        for (double& v : p.d)
            v = wild();
        p.iterations = below(61);
        return p;
    }

    // Realistic values with NaNs of several bit patterns dropped into the inputs.
    Problem withNaNs()
    {
        static const double nans[] = {kNaN, -kNaN, std::bit_cast<double>(0x7ff8000000000123ull),
                                      std::bit_cast<double>(0xfff4000000000001ull)};
        Problem p = realistic();
        for (int n = below(4); n >= 0; --n) {
            const double nan = nans[below(4)];
            switch (below(3)) {
            case 0: p.kernel[below(kRings * kClasses)] = nan; break;
            case 1: p.h[below(kRings * kClasses)] = nan; break;
            default: p.d[below(kRings)] = nan; break;
            }
        }
        return p;
    }

private:
    std::mt19937_64 random_;
};

class InversionKernelPaths : public testing::TestWithParam<Path> {
protected:
    void SetUp() override
    {
        if (!InversionKernel::available(GetParam())) {
            const InversionKernel kernel;
            Rings d{};
            Classes x;
            EXPECT_THROW(kernel.run(d.data(), 50, x.data(), GetParam()), std::invalid_argument);
            GTEST_SKIP() << "this processor cannot run " << InversionKernel::name(GetParam());
        }
    }

    testing::AssertionResult matches(const Problem& p, bool looseNaN = false) const
    {
        const InversionKernel kernel(p.kernel.data(), p.h.data());
        Classes x;
        x.fill(-7.0);
        kernel.run(p.d.data(), p.iterations, x.data(), GetParam());
        return sameClasses(reference(p.kernel, p.h, p.d, p.iterations), x, looseNaN)
               << " after " << p.iterations << " iterations";
    }
};

TEST_P(InversionKernelPaths, MatchesReferenceOnRealisticFrames)
{
    Problems problems(0x5eed0001);
    for (int frame = 0; frame < 3000; ++frame)
        ASSERT_TRUE(matches(problems.realistic())) << "frame " << frame;
}

TEST_P(InversionKernelPaths, MatchesReferenceOnValuesOfEverySizeAndSign)
{
    Problems problems(0x5eed0002);
    for (int frame = 0; frame < 2000; ++frame)
        ASSERT_TRUE(matches(problems.wildProblem())) << "frame " << frame;
}

TEST_P(InversionKernelPaths, MatchesReferenceWhereTheInputsHoldNaN)
{
    Problems problems(0x5eed0003);
    for (int frame = 0; frame < 1000; ++frame)
        ASSERT_TRUE(matches(problems.withNaNs(), true)) << "frame " << frame;
}

TEST_P(InversionKernelPaths, MatchesReferenceOnAwkwardFrames)
{
    Problems problems(0x5eed0004);
    const Problem base = problems.realistic();
    auto check = [&](const char* what, Problem p) {
        for (int iterations : {0, 1, 2, 50, -1}) {
            p.iterations = iterations;
            EXPECT_TRUE(matches(p)) << what;
        }
    };
    Problem p = base;
    p.d.fill(0.0);
    check("dark frame (0/0 from the second pass on)", p);
    p = base;
    for (int r = 0; r < kRings; r += 3)
        p.d[r] = -p.d[r];
    check("negative rings", p);
    p = base;
    for (int k = 0; k < kClasses; ++k)
        p.kernel[kClasses * 7 + k] = 0.0;
    check("zero kernel row (ring 7 divides by 0)", p);
    p.d[7] = 0.0;
    check("zero kernel row and zero ring (0/0)", p);
    p = base;
    for (int k = 0; k < kClasses; ++k)
        p.kernel[kClasses * 9 + k] = -0.0;
    check("kernel row of -0 (each sum starts from +0.0, so e = +0)", p);
    p = base;
    for (int r = 0; r < kRings; ++r)
        p.h[kClasses * r + 12] = 0.0;
    check("zero weight column", p);
    for (int r = 0; r < kRings; ++r)
        p.h[kClasses * r + 12] = -0.0;
    check("weight column of -0", p);
    p = base;
    for (double& v : p.kernel)
        v *= 1e-310;  // subnormal kernel: e_r is subnormal or 0
    check("subnormal kernel", p);
    p = base;
    for (double& v : p.d)
        v *= 1e300;
    for (double& v : p.h)
        v *= 1e300;
    check("huge rings and weights (overflow to infinity)", p);
    p = base;
    p.d[3] = kInf;
    p.kernel[kClasses * 5 + 9] = -kInf;
    check("infinite inputs", p);
    p = base;
    p.iterations = 1000;
    EXPECT_TRUE(matches(p)) << "long run";
}

TEST_P(InversionKernelPaths, EmptyKernelMatchesReferenceWithZeroMatrices)
{
    const InversionKernel kernel;
    Rings d;
    for (int r = 0; r < kRings; ++r)
        d[r] = r - 4.0;  // negative, zero and positive rings: -inf, NaN and +inf quotients
    for (int iterations : {0, 1, 3}) {
        Classes x;
        kernel.run(d.data(), iterations, x.data(), GetParam());
        EXPECT_TRUE(sameClasses(reference(filled(0.0), filled(0.0), d, iterations), x)) << iterations;
    }
}

TEST_P(InversionKernelPaths, KeepsItsOwnCopyOfTheMatrices)
{
    Problems problems(0x5eed0005);
    Problem first = problems.realistic();
    const Problem second = problems.realistic();
    InversionKernel kernel(first.kernel.data(), first.h.data());
    const Classes expected = reference(first.kernel, first.h, first.d, 50);
    first.kernel.fill(3.0);  // the caller's arrays change; the kernel must not see it
    first.h.fill(kNaN);
    Classes x;
    kernel.run(first.d.data(), 50, x.data(), GetParam());
    EXPECT_TRUE(sameClasses(expected, x));
    kernel.set(second.kernel.data(), second.h.data());
    kernel.run(second.d.data(), 50, x.data(), GetParam());
    EXPECT_TRUE(sameClasses(reference(second.kernel, second.h, second.d, 50), x));
}

INSTANTIATE_TEST_SUITE_P(EveryPath, InversionKernelPaths,
                         testing::Values(Path::Auto, Path::Baseline, Path::Avx2, Path::Avx512),
                         [](const testing::TestParamInfo<Path>& info) {
                             return std::string(InversionKernel::name(info.param));
                         });

TEST(InversionKernel, AutoRunsTheWidestAvailablePath)
{
    const Path best = InversionKernel::best();
    EXPECT_NE(best, Path::Auto);
    EXPECT_TRUE(InversionKernel::available(best));
    EXPECT_TRUE(InversionKernel::available(Path::Baseline));
    if (InversionKernel::available(Path::Avx512))
        EXPECT_EQ(best, Path::Avx512);
    else if (InversionKernel::available(Path::Avx2))
        EXPECT_EQ(best, Path::Avx2);
    else
        EXPECT_EQ(best, Path::Baseline);
    EXPECT_STREQ(InversionKernel::name(Path::Baseline), "baseline");
    EXPECT_STREQ(InversionKernel::name(Path::Avx2), "avx2");
    EXPECT_STREQ(InversionKernel::name(Path::Avx512), "avx512");
}

}  // namespace
}  // namespace kavro
