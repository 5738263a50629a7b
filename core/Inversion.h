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

}  // namespace kavro
