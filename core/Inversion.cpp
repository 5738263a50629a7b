#include "core/Inversion.h"

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

}  // namespace kavro
