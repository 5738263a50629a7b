#include "core/Inversion.h"

#include <cstring>
#include <stdexcept>
#include <string>

#include "resources/CoreTexts.h"

// The wide paths are compiled for their instruction sets with target attributes and
// chosen at run time, so the program itself still runs on any x86-64.
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define KAVRO_WIDE_PATHS 1
#endif

namespace kavro {

void invertReference(const double* kernel, const double* h, const double* corrected, int iterations, double* x)
{
    for (int k = 0; k < kClasses; ++k)
        x[k] = 1.0;
    double e[kRings];
    double q[kRings];
    for (int n = 0; n < iterations; ++n) {
        for (int r = 0; r < kRings; ++r) {
            double sum = 0.0;
            for (int k = 0; k < kClasses; ++k)
                sum += kernel[kClasses * r + k] * x[k];
            e[r] = sum;
        }
        for (int r = 0; r < kRings; ++r)
            q[r] = corrected[r] / e[r];
        for (int k = 0; k < kClasses; ++k) {
            double sum = 0.0;
            for (int r = 0; r < kRings; ++r)
                sum += h[kClasses * r + k] * q[r];
            x[k] *= sum;
        }
    }
}

namespace {

static_assert(kRings == kClasses, "both passes walk square matrices with one row stride");
constexpr int kStride = kRings;

#if defined(__GNUC__)
#define KAVRO_ALWAYS_INLINE inline __attribute__((always_inline))
// Unrolled, the loops over the accumulators leave each one in a register of its own.
#define KAVRO_UNROLL_ACCUMULATORS _Pragma("GCC unroll 16")
using Double2 = double __attribute__((vector_size(16)));
using Double4 = double __attribute__((vector_size(32)));
using Double8 = double __attribute__((vector_size(64)));
using BaselineVector = Double2;  // SSE2 on x86-64, NEON and the like elsewhere
#else
#define KAVRO_ALWAYS_INLINE inline
#define KAVRO_UNROLL_ACCUMULATORS
using BaselineVector = double;
#endif

// V is a plain double or one of the compiler's vector types. The helpers are always
// inlined so that each path's vectors stay inside code compiled for its instruction set.
template <typename V>
constexpr int kLanes = sizeof(V) / sizeof(double);

template <typename V>
KAVRO_ALWAYS_INLINE void load(V& v, const double* p)
{
    std::memcpy(&v, p, sizeof v);
}

template <typename V>
KAVRO_ALWAYS_INLINE void store(double* p, const V& v)
{
    std::memcpy(p, &v, sizeof v);
}

// acc[j] lane i = sum over t = 0..31 of rows[kStride * t + kLanes * j + i] * factor[t],
// each sum from 0.0 with t ascending: the reference's order, for Acc * kLanes sums at once.
template <typename V, int Acc>
KAVRO_ALWAYS_INLINE void accumulate(const double* rows, const double* factor, V (&acc)[Acc])
{
    KAVRO_UNROLL_ACCUMULATORS
    for (int j = 0; j < Acc; ++j)
        acc[j] = V{};
    for (int t = 0; t < kStride; ++t) {
        const double f = factor[t];  // a scalar operand stands for every lane
        KAVRO_UNROLL_ACCUMULATORS
        for (int j = 0; j < Acc; ++j) {
            V m;
            load(m, rows + kStride * t + kLanes<V> * j);
            acc[j] = acc[j] + m * f;
        }
    }
}

// One pass: the 32 sums in blocks of Acc vectors (which leaves each sum untouched), each
// then combined with its entry of "with": out = with / sum, or out = with * sum.
template <typename V, int Acc, bool Divide>
KAVRO_ALWAYS_INLINE void pass(const double* rows, const double* factor, const double* with, double* out)
{
    constexpr int lanes = kLanes<V>;
    static_assert(kStride % (Acc * lanes) == 0);
    for (int first = 0; first < kStride; first += Acc * lanes) {
        V sums[Acc];
        accumulate(rows + first, factor, sums);
        KAVRO_UNROLL_ACCUMULATORS
        for (int j = 0; j < Acc; ++j) {
            const int at = first + lanes * j;
            V w;
            load(w, with + at);
            if constexpr (Divide)
                store(out + at, w / sums[j]);
            else
                store(out + at, w * sums[j]);
        }
    }
}

template <typename V, int Acc>
KAVRO_ALWAYS_INLINE void iterate(const double* transposed, const double* h, const double* corrected, int iterations,
                                 double* x)
{
    alignas(64) double xs[kClasses];
    alignas(64) double q[kRings];
    for (int k = 0; k < kClasses; ++k)
        xs[k] = 1.0;
    for (int n = 0; n < iterations; ++n) {
        pass<V, Acc, true>(transposed, xs, corrected, q);  // q_r = d_r / e_r
        pass<V, Acc, false>(h, q, xs, xs);                  // x_k = x_k * s_k
    }
    std::memcpy(x, xs, sizeof xs);
}

// Sixteen sums at a time (eight SSE2 registers of two lanes): the sixteen registers of
// baseline x86-64 cannot hold all 32 sums besides their operands, so each pass runs in two blocks.
void runBaseline(const double* transposed, const double* h, const double* corrected, int iterations, double* x)
{
    iterate<BaselineVector, 8 * 2 / kLanes<BaselineVector>>(transposed, h, corrected, iterations, x);
}

#if KAVRO_WIDE_PATHS
__attribute__((target("avx2"))) void runAvx2(const double* transposed, const double* h, const double* corrected,
                                             int iterations, double* x)
{
    iterate<Double4, 8>(transposed, h, corrected, iterations, x);
}

__attribute__((target("avx512f"))) void runAvx512(const double* transposed, const double* h, const double* corrected,
                                                  int iterations, double* x)
{
    iterate<Double8, 4>(transposed, h, corrected, iterations, x);
}
#endif

InversionKernel::Path detectBest()
{
#if KAVRO_WIDE_PATHS
    if (InversionKernel::available(InversionKernel::Path::Avx512))
        return InversionKernel::Path::Avx512;
    if (InversionKernel::available(InversionKernel::Path::Avx2))
        return InversionKernel::Path::Avx2;
#endif
    return InversionKernel::Path::Baseline;
}

}  // namespace

InversionKernel::InversionKernel() : transposed_{}, h_{} {}

InversionKernel::InversionKernel(const double* kernel, const double* h)
{
    set(kernel, h);
}

void InversionKernel::set(const double* kernel, const double* h)
{
    for (int r = 0; r < kRings; ++r)
        for (int k = 0; k < kClasses; ++k)
            transposed_[kRings * k + r] = kernel[kClasses * r + k];
    std::memcpy(h_, h, sizeof h_);
}

void InversionKernel::run(const double* corrected, int iterations, double* x, Path path) const
{
    if (path == Path::Auto)
        path = best();
    else if (!available(path))
        throw std::invalid_argument(std::string(text::kPathUnavailable) + name(path));
    switch (path) {
#if KAVRO_WIDE_PATHS
    case Path::Avx512:
        runAvx512(transposed_, h_, corrected, iterations, x);
        return;
    case Path::Avx2:
        runAvx2(transposed_, h_, corrected, iterations, x);
        return;
#endif
    default:
        runBaseline(transposed_, h_, corrected, iterations, x);
        return;
    }
}

bool InversionKernel::available(Path path)
{
    switch (path) {
    case Path::Auto:
    case Path::Baseline:
        return true;
#if KAVRO_WIDE_PATHS
    case Path::Avx2:
        __builtin_cpu_init();  // harmless when already done; needed if asked before static constructors ran
        return __builtin_cpu_supports("avx2");
    case Path::Avx512:
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx512f");
#endif
    default:
        return false;
    }
}

const char* InversionKernel::name(Path path)
{
    switch (path) {
    case Path::Baseline:
        return text::kPathBaseline;
    case Path::Avx2:
        return text::kPathAvx2;
    case Path::Avx512:
        return text::kPathAvx512;
    default:
        return text::kPathAuto;
    }
}

InversionKernel::Path InversionKernel::best()
{
    static const Path detected = detectBest();
    return detected;
}

}  // namespace kavro
