#pragma once
// A synthetic .psd cast for the cruise tests: each frame holds its volume in one
// size class at a pressure chosen by the test, so that the mean of every depth
// bin is known by construction.  Header-only, like DiagonalCast.
#include "core/OutputRecord.h"
#include "tests/support/TestFiles.h"

#include <string>
#include <vector>

namespace kavro::test {

struct SyntheticFrame {
    double pressure = 0.0;
    int sizeClass = 0;    // 0-based
    double volume = 1.0;  // uL/L in that class
    bool laserOff = false;
    bool saturated = false;
};

inline CFrameResult syntheticFrame(const SyntheticFrame& f)
{
    CFrameResult r;
    for (int k = 0; k < kClasses; ++k)
        r.setVolume(k, !f.laserOff && k == f.sizeClass ? f.volume : 0.0);
    r.setMean(f.laserOff ? -1.0 : 10.0 + f.sizeClass);
    r.setStdDev(f.laserOff ? -1.0 : 1.0);
    r.setTransmission(f.laserOff ? 0.0 : 0.8);
    r.setBeamAttenuation(f.laserOff ? 0.0 : 0.5);
    r.setSaturatedRings(f.saturated ? 1 : 0);
    r.setAux(4, f.pressure);
    r.setAux(5, 10.0 + f.pressure / 4.0);  // temperature
    return r;
}

inline std::string syntheticPsd(const std::vector<SyntheticFrame>& frames, int model = 0)
{
    std::string b = bytesOf(encodePsdHeader(model, 2.0, "/cal/zsc.asc"));
    CFrameResult diameters;
    for (int k = 0; k < kClasses; ++k)
        diameters.setDiameter(k, (1.0 + k) * (1 + model));  // each model diameters of its own
    b += bytesOf(encodeDiameterRecord(diameters));
    for (const SyntheticFrame& f : frames)
        b += bytesOf(encodeOutputRecord(buildOutputRecord(syntheticFrame(f))));
    return b;
}

}  // namespace kavro::test
