#pragma once
// The calibration set of the embedded demo, computed from the physics of the
// instrument rather than measured: Fraunhofer (Airy) diffraction by spheres in
// water, seen by 32 log-spaced detector rings, for 32 log-spaced size classes.
//
// Units: diameters in micrometres, angles in radians (degrees in the geometry
// table), volume concentrations in microlitres per litre, ring values in counts.
//
// The inversion turns the corrected rings d into x with d = M x and reports the
// volume concentration v_k = D_k x_k / 58000, so the kernel is the ring energy of
// x_k = 58000 v_k / D_k.  A volume v of spheres of diameter D presents the
// projected area 1.5 v / D per metre of path (v 1e-6 volume fraction, D 1e-6 m);
// along the path length L the fraction 1.5 v L / D of the beam is diffracted, and
// the share 1 - J0^2 - J1^2 of it falls inside each angle.  With G the counts that
// the whole beam would give on one ring:
//   M[r][k] = G * 1.5 * L / 58000 * mean over D in class k of (D_k / D) * dE_r(D)
// where dE_r(D) is the encircled energy between the ring's edges.
#include "core/Constants.h"

#include <array>
#include <string>
#include <vector>

namespace kavro::demo {

inline constexpr double kWavelengthVacuum = 0.670;  // um, the laser diode
inline constexpr double kWaterIndex = 1.33;
inline constexpr double kPathLength = 1.0 / 20.0;   // m; the beam attenuation is 20 ln(1/tau)
inline constexpr double kVolumeConversion = 58000.0;
inline constexpr int kModels = 3;

struct ModelGeometry {
    double thetaMinDeg;    // inner edge of ring 1
    double thetaMaxDeg;    // outer edge of ring 32
    double diameterMin;    // lower edge of class 1, um
    double diameterMax;    // upper edge of class 32, um
    double detectorGain;   // counts of the whole beam on one ring (G above)
    char letter;           // calibration file set
};

// Model 0, 1, 2; any other index answers model 0, as the calibration set does.
const ModelGeometry& modelGeometry(int model);

using RingEdges = std::array<double, kRings + 1>;
using ClassEdges = std::array<double, kClasses + 1>;
using PerRing = std::array<double, kRings>;
using PerClass = std::array<double, kClasses>;
using Matrix = std::vector<double>;  // 32 x 32, row = ring, entry (r, k) at 32 r + k
using Frame = std::array<double, kFrameValues>;

RingEdges ringEdges(int model);           // radians, 33 edges, log-spaced
ClassEdges classEdges(int model);         // um, 33 edges, log-spaced
PerClass classDiameters(int model);       // geometric centres of the classes

Matrix kernelMatrix(int model);
Matrix columnNormalised(const Matrix& kernel);  // H: every column sums to 1
PerRing ringAreaNormalisation(int model);
PerRing ringGains(int model);
Frame factoryBackground();
Frame userBackground();

// The ring-area file of the model's set (the other names are the calibration set's, modelFiles).
std::string ringAreaFileName(int model);

// Numbers as the calibration files hold them: ten significant digits, a row of 32
// per line for a matrix, one value per line otherwise.
std::string matrixText(const Matrix& m);
std::string columnText(const double* values, int count);

// Writes the sets of all three models and both backgrounds into dir (made when
// missing).  Throws DemoError naming the file when a write fails.
void writeCalibrationSet(const std::string& dir);

}  // namespace kavro::demo
