#pragma once
// One processed frame: the volume distribution with its statistics, the volume
// scattering function, the calibrated auxiliary values and the frame's optics.
// Index accessors answer 0.0 outside their range; setters ignore such indices.
#include "core/Constants.h"

#include <array>

namespace kavro {

class CFrameResult {
public:
    static constexpr int classCount() { return kClasses; }

    double volume(int k) const { return inRange(k, kClasses) ? volume_[idx(k)] : 0.0; }
    void setVolume(int k, double v) { if (inRange(k, kClasses)) volume_[idx(k)] = v; }
    double vsf(int i) const { return inRange(i, kRings) ? vsf_[idx(i)] : 0.0; }
    void setVsf(int i, double v) { if (inRange(i, kRings)) vsf_[idx(i)] = v; }
    double aux(int i) const { return inRange(i, kAux) ? aux_[idx(i)] : 0.0; }
    void setAux(int i, double v) { if (inRange(i, kAux)) aux_[idx(i)] = v; }
    double diameter(int k) const { return inRange(k, kClasses) ? diameter_[idx(k)] : 0.0; }
    void setDiameter(int k, double v) { if (inRange(k, kClasses)) diameter_[idx(k)] = v; }

    // Volume-weighted mean diameter and its standard deviation; -1.0 = none.
    double mean() const { return mean_; }
    void setMean(double v) { mean_ = v; }
    double stdDev() const { return stdDev_; }
    void setStdDev(double v) { stdDev_ = v; }
    double totalVolume() const { return totalVolume_; }
    void setTotalVolume(double v) { totalVolume_ = v; }
    // Divisor of the inversion (the instrument's "VolConv").
    double volumeConversion() const { return volConv_; }
    void setVolumeConversion(double v) { volConv_ = v; }
    double transmission() const { return transmission_; }
    void setTransmission(double v) { transmission_ = v; }
    double beamAttenuation() const { return beamC_; }
    void setBeamAttenuation(double v) { beamC_ = v; }
    int saturatedRings() const { return saturated_; }
    void setSaturatedRings(int n) { saturated_ = n; }
    int zeroRings() const { return zero_; }
    void setZeroRings(int n) { zero_ = n; }

    // Sum of the volume distribution.
    double volumeSum() const
    {
        double s = 0.0;
        for (double v : volume_)
            s += v;
        return s;
    }

    // The arrays themselves, for the processing core.
    std::array<double, kClasses>& volumes() { return volume_; }
    const std::array<double, kClasses>& volumes() const { return volume_; }
    std::array<double, kRings>& vsfs() { return vsf_; }
    const std::array<double, kRings>& vsfs() const { return vsf_; }
    std::array<double, kClasses>& diameters() { return diameter_; }
    const std::array<double, kClasses>& diameters() const { return diameter_; }
    std::array<double, kAux>& auxValues() { return aux_; }
    const std::array<double, kAux>& auxValues() const { return aux_; }

private:
    static bool inRange(int i, int n) { return i >= 0 && i < n; }
    static std::size_t idx(int i) { return static_cast<std::size_t>(i); }

    std::array<double, kClasses> volume_{};
    std::array<double, kRings> vsf_{};
    std::array<double, kAux> aux_{};
    std::array<double, kClasses> diameter_{};
    double mean_ = 0.0;
    double stdDev_ = 0.0;
    double totalVolume_ = 0.0;
    double volConv_ = 58000.0;
    double transmission_ = 0.0;
    double beamC_ = 0.0;
    int saturated_ = 0;
    int zero_ = 0;
};

}  // namespace kavro
