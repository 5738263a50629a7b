#pragma once
// Bessel functions of the first kind and the encircled energy of the Airy pattern,
// the two pieces of Fraunhofer diffraction by a sphere that the demo calibration needs.
//
// A sphere of diameter D in light of wavelength lambda (both in the same medium)
// diffracts the fraction L(x) of its diffracted energy inside the scattering
// angle theta, with x = pi * D * sin(theta) / lambda and
//   L(x) = 1 - J0(x)^2 - J1(x)^2.

namespace kavro::demo {

// J0(x) and J1(x) for any real x; absolute error below about 1e-11.
double besselJ0(double x);
double besselJ1(double x);

// Fraction of the Airy pattern's energy inside the size parameter x (0 at x = 0,
// rising to 1).
double encircledEnergy(double x);

}  // namespace kavro::demo
