#pragma once
// The inversion of 32 corrected ring values into 32 size classes: a fixed number of
// multiplicative updates with the kernel matrix M and the weight matrix H (both
// row-major, entry (ring r, class k) at 32 * r + k).
//
//   x_k = 1 for every class
//   repeated N times:
//     e_r = sum over k = 0..31 of M[r][k] * x_k      (each sum from 0.0, k ascending)
//     q_r = d_r / e_r
//     s_k = sum over r = 0..31 of H[r][k] * q_r      (each sum from 0.0, r ascending)
//     x_k = x_k * s_k                                  (the e_r of this pass serve every k)
#include "core/Constants.h"

namespace kavro {

// The straightforward loops, in exactly the order written above.
void invertReference(const double* kernel, const double* h, const double* corrected, int iterations, double* x);

// The same inversion prepared for speed: M is kept transposed so that the 32 sums of a
// pass run side by side in vector registers, each still added in the order above.
// Every path gives the reference's results bit for bit, NaN and infinity included.
class InversionKernel {
public:
    enum class Path { Auto, Baseline, Avx2, Avx512 };

    InversionKernel();  // both matrices zero
    InversionKernel(const double* kernel, const double* h);

    // Copies the 32 x 32 matrices (row-major, as for invertReference).
    void set(const double* kernel, const double* h);

    // x receives the 32 class values; it must not overlap corrected. Throws
    // std::invalid_argument for a path this processor cannot run.
    void run(const double* corrected, int iterations, double* x, Path path = Path::Auto) const;

    static bool available(Path path);     // can this processor run it
    static const char* name(Path path);   // "auto", "baseline", "avx2", "avx512"
    static Path best();                   // what Auto runs on this processor

private:
    alignas(64) double transposed_[kRings * kClasses];  // entry (class k, ring r) at 32 * k + r
    alignas(64) double h_[kRings * kClasses];
};

}  // namespace kavro
