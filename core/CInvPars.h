#pragma once
// The calibration set of a raw data source: the kernel and H matrices and the
// class diameters of the inversion, the ring-area normalisation and the gain per
// ring, the factory background and the user's background scatter frame, and the
// laser reference ratio that the transmission depends on.  Everything is read from
// text files of numbers when the source opens; nothing is written back.
#include "core/Constants.h"
#include "core/Inversion.h"

#include <array>
#include <functional>
#include <optional>
#include <string>

namespace kavro {

class Prompter;
class Settings;

// The file names of a model's calibration set ("a" for model 0 and any unknown
// model, "b" for 1, "c" for 2).
struct ModelFiles {
    std::string kernel, h, diameters, gain;
};
ModelFiles modelFiles(int model);
char modelLetter(int model);

// Reads up to count "%lg" numbers from a file into dest.  Numbers that are not
// there leave their entries as they were.  Answers the count read; sets *complete
// to false when the end of the file came before count numbers (reading stopped by
// a token that is not a number does not count as incomplete).  False in *opened
// when the file could not be opened.
int readNumberFile(const std::string& path, double* dest, int count, bool* complete, bool* opened);

// The laser reference ratio a background gives: its laser power over its laser
// reference, when both exceed 100; nothing otherwise.
std::optional<double> backgroundLaserRatio(double laserPower, double laserReference);

class CInvPars {
public:
    CInvPars(int model, const Settings& settings, Prompter& prompter);

    // Flags 0, directory empty, ratio from the settings, every array 0.
    void reset();
    void setCalibrationDirectory(const std::string& dir) { directory_ = dir; }
    const std::string& calibrationDirectory() const { return directory_; }
    // Loads every file of the model, then the ring-area file that chooseRingArea
    // names once those are in (nothing: cancelled).  1 when usable.  Throws UserAbort
    // after "Could not open the file ..." or when the choice is cancelled.
    int load(const std::function<std::optional<std::string>()>& chooseRingArea);
    // The same, the ring-area file asked for in its file dialog.
    int load();
    // The user's background; 0 when its laser power is 0.  Throws UserAbort after
    // the message when the file cannot be opened.
    int loadBackgroundFile(const std::string& path);
    // A background given as an averaged frame; 0 (and no change) when value 32 is 0.
    int setBackground(const double values[kFrameValues]);

    double kernel(int r, int k) const { return matrixEntry(kernel_, r, k); }
    double h(int r, int k) const { return matrixEntry(h_, r, k); }
    double classDiameter(int k) const { return entry(diameters_, k); }
    double gain(int i) const { return entry(gain_, i); }
    double ringArea(int i) const { return entry(ringArea_, i); }
    double background(int i) const { return entry(background_, i); }
    double factoryBackground(int i) const { return entry(factory_, i); }
    double laserReferenceRatio() const { return laserReferenceRatio_; }
    int matricesOK() const { return matricesOK_; }
    int normalisationOK() const { return normalisationOK_; }
    int model() const { return model_; }
    const std::string& factoryBackgroundFileName() const { return factoryName_; }
    const std::string& ringAreaPath() const { return ringAreaPath_; }

    // Transmission and corrected rings of a raw frame (40 values).  Needs the laser
    // power P to exceed 100, the laser reference R to be positive and the ring-area
    // and gain files loaded; otherwise the transmission and every ring are 0.
    double transmissionAndRings(const double raw[kFrameValues], double corrected[kRings]) const;
    // The same, keeping the transmission as the set's last one.
    double correct(const double raw[kFrameValues], double corrected[kRings]);
    double lastTransmission() const { return transmission_; }
    void setLastTransmission(double tau) { transmission_ = tau; }

    // Row-major matrices (entry 32 * r + k) for the inversion.
    const double* kernelData() const { return kernel_.data(); }
    const double* hData() const { return h_.data(); }
    // The two matrices prepared for the fast inversion (made by load).
    const InversionKernel& inversionKernel() const { return inversion_; }

private:
    template <std::size_t N>
    static double entry(const std::array<double, N>& a, int i)
    {
        return i >= 0 && static_cast<std::size_t>(i) < N ? a[static_cast<std::size_t>(i)] : 0.0;
    }
    static double matrixEntry(const std::array<double, kRings * kClasses>& m, int r, int k)
    {
        return r >= 0 && r < kRings && k >= 0 && k < kClasses ? m[static_cast<std::size_t>(kClasses * r + k)] : 0.0;
    }
    // Reads a calibration file; a file that cannot be opened is told and ends the open.
    bool readRequired(const std::string& path, double* dest, int count);
    void updateRatioFrom(const std::array<double, kFrameValues>& background);

    int matricesOK_ = 0;
    int normalisationOK_ = 0;
    std::string directory_;
    std::string factoryName_;
    std::array<double, kFrameValues> factory_{};
    std::array<double, kFrameValues> background_{};
    std::array<double, kRings> ringArea_{};
    std::array<double, kRings> gain_{};
    std::array<double, kRings * kClasses> kernel_{};
    std::array<double, kRings * kClasses> h_{};
    std::array<double, kClasses> diameters_{};
    InversionKernel inversion_;
    double transmission_ = 0.0;
    double laserReferenceRatio_;
    int model_;
    std::string ringAreaPath_;
    const Settings& settings_;
    Prompter& prompter_;
};

}  // namespace kavro
