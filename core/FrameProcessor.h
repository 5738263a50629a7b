#pragma once
// The arithmetic of one frame: the correction of the raw values (auxiliary values,
// transmission, beam attenuation, corrected rings, volume scattering function, ring
// counts) and the inversion into the volume distribution with its statistics.
//
// A processor only reads its calibration set and settings, so several threads may
// process different frames with one processor at once, each with its own FrameWork
// and CFrameResult.
#include "core/CFrameResult.h"
#include "core/Constants.h"

#include <array>

namespace kavro {

class CHKInfo;
class CInvPars;

// What the correction of one frame produces besides the frame result.
struct FrameWork {
    int laserOK = 0;
    double transmission = 1.0;
    double beamAttenuation = 0.0;
    std::array<double, kRings> corrected{};
};

struct ProcessingOptions {
    int iterations = 50;  // "NumIterations"
    int procOpt1 = 0;     // replace rings 5 and 6 before the inversion
};

class FrameProcessor {
public:
    FrameProcessor(const CInvPars& calibration, const CHKInfo& aux, ProcessingOptions options);

    // The correction.  laserTest is the laser power value compared with 100
    // (the undivided word for a multi-scan recording).
    void correct(const double raw[kFrameValues], double laserTest, bool multiScan, FrameWork& work,
                 CFrameResult& result) const;
    // The inversion of the corrected rings into the result, with mean, standard
    // deviation and total.  With ProcOpt1 the corrected rings 5 and 6 are replaced.
    void invert(FrameWork& work, CFrameResult& result) const;

    // The pieces, for the tests and for whoever needs one alone.
    static void replaceRings5And6(double corrected[kRings]);
    static void volumeScattering(int laserOK, double transmission, const double corrected[kRings],
                                 const CInvPars& calibration, CFrameResult& result);
    static void statistics(CFrameResult& result);
    static double beamAttenuationOf(double transmission);

private:
    const CInvPars& calibration_;
    const CHKInfo& aux_;
    ProcessingOptions options_;
};

}  // namespace kavro
