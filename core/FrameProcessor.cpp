#include "core/FrameProcessor.h"

#include "auxiliary/CHKInfo.h"
#include "core/CInvPars.h"

#include <cmath>

namespace kavro {

FrameProcessor::FrameProcessor(const CInvPars& calibration, const CHKInfo& aux, ProcessingOptions options)
    : calibration_(calibration), aux_(aux), options_(options)
{
}

double FrameProcessor::beamAttenuationOf(double transmission)
{
    // c in 1/m over the instrument's 5 cm path: 20 × ln(1/τ).
    return transmission > 0.0 ? kPathFactor * std::log(1.0 / transmission) : 0.0;
}

void FrameProcessor::correct(const double raw[kFrameValues], double laserTest, bool multiScan, FrameWork& work,
                             CFrameResult& result) const
{
    work.laserOK = 1;
    for (int i = 0; i < kAux; ++i) {
        double v = raw[kRings + i];
        if (multiScan)
            v = v / kScanDivisor;
        const HKChannel* channel = aux_.Channel(i);
        result.setAux(i, v * channel->multiplier + channel->offset);
    }
    if (!(laserTest > kLaserFloor))
        work.laserOK = 0;

    const double tau = calibration_.transmissionAndRings(raw, work.corrected.data());
    // Laser power without a laser reference reading is no usable laser light either.
    if (raw[kLaserPowerIndex] > kLaserFloor && !(raw[kLaserReferenceIndex] > 0.0))
        work.laserOK = 0;
    work.transmission = tau;
    work.beamAttenuation = beamAttenuationOf(tau);
    result.setTransmission(tau);
    result.setBeamAttenuation(work.beamAttenuation);

    volumeScattering(work.laserOK, tau, work.corrected.data(), calibration_, result);

    int zero = 0, saturated = 0;
    for (int i = 0; i < kRings; ++i) {
        if (raw[i] == 0.0)
            ++zero;
        else if (raw[i] > kSaturation)
            ++saturated;
    }
    result.setZeroRings(zero);
    result.setSaturatedRings(saturated);
}

void FrameProcessor::volumeScattering(int laserOK, double transmission, const double corrected[kRings],
                                      const CInvPars& calibration, CFrameResult& result)
{
    for (int i = 0; i < kRings; ++i) {
        if (!laserOK) {
            result.setVsf(i, 0.0);
            continue;
        }
        const double t = calibration.gain(i) * corrected[i];
        const double p = std::pow(1.32, i + 1);
        double w = 105.0 / (p * transmission) * t;
        if (!(w >= 1e-30) || !std::isfinite(w))
            w = 1e-30;
        result.setVsf(i, std::log10(w));
    }
}

void FrameProcessor::replaceRings5And6(double d[kRings])
{
    // The cubic through rings 3, 4, 7 and 8, evaluated at 5 and 6, with its
    // coefficients rounded to four decimals.
    const double r3 = d[2], r4 = d[3], r7 = d[6], r8 = d[7];
    const double a = 11.2 * r3 + -14.0 * r4 + 8.0 * r7 + -4.2 * r8;
    const double b = -5.8 * r3 + 8.4167 * r4 + -5.6667 * r7 + 3.05 * r8;
    const double c = 0.95 * r3 + -1.5 * r4 + 1.25 * r7 + -0.7 * r8;
    const double f = -0.05 * r3 + 0.0833 * r4 + -0.0833 * r7 + 0.05 * r8;
    d[4] = a + 5.0 * b + 25.0 * c + 125.0 * f;
    d[5] = a + 6.0 * b + 36.0 * c + 216.0 * f;
}

void FrameProcessor::invert(FrameWork& work, CFrameResult& result) const
{
    if (options_.procOpt1 != 0)
        replaceRings5And6(work.corrected.data());
    double x[kClasses];
    calibration_.inversionKernel().run(work.corrected.data(), options_.iterations, x);
    const double volConv = result.volumeConversion();
    for (int k = 0; k < kClasses; ++k) {
        double v = result.diameter(k) * x[k] / volConv;
        // Below 0.001, not a number, or infinite (a class the kernel cannot see): none.
        if (!(v >= 0.001) || !std::isfinite(v))
            v = 0.0;
        result.setVolume(k, v);
    }
    statistics(result);
}

void FrameProcessor::statistics(CFrameResult& result)
{
    double s0 = 0.0, s1 = 0.0;
    for (int k = 0; k < kClasses; ++k) {
        s0 += result.volume(k);
        s1 += result.diameter(k) * result.volume(k);
    }
    if (s1 == 0.0 || s0 == 0.0) {
        result.setMean(-1.0);
        result.setStdDev(-1.0);
        return;
    }
    const double mean = s1 / s0;
    double variance = 0.0;
    for (int k = 0; k < kClasses; ++k) {
        const double d = result.diameter(k) - mean;
        variance += d * d * result.volume(k) / s0;
    }
    const double stdDev = std::sqrt(variance);
    // Diameters that are not numbers (a damaged calibration file) give no statistics.
    if (!std::isfinite(mean) || !std::isfinite(stdDev) || !std::isfinite(s0)) {
        result.setMean(-1.0);
        result.setStdDev(-1.0);
        return;
    }
    result.setMean(mean);
    result.setStdDev(stdDev);
    result.setTotalVolume(s0);
}

}  // namespace kavro
