#pragma once
// A synthetic .psd cast for the picture tests: frame i holds all its volume in
// class i / 2, so the size image is a diagonal; a few frames stand out (laser off,
// saturated rings) and must show as gaps.  Header-only: it needs the core, which
// every program that uses it links.
#include "core/OutputRecord.h"
#include "tests/support/TestFiles.h"

#include <string>

namespace kavro::test {

struct DiagonalCast {
    static constexpr int kFrames = 64;
    static constexpr int kLaserOff = 40;    // transmission 0, no distribution
    static constexpr int kSaturated = 50;   // a distribution, but saturated rings
    static constexpr int classOf(int frame) { return frame / 2; }

    static CFrameResult frame(int i)
    {
        CFrameResult r;
        const bool off = i == kLaserOff;
        for (int k = 0; k < kClasses; ++k)
            r.setVolume(k, !off && k == classOf(i) ? 4.0 : 0.0);
        r.setMean(off ? -1.0 : 5.0 * (1 + i));
        r.setStdDev(off ? -1.0 : 1.0);
        r.setTransmission(off ? 0.0 : 0.8);
        r.setSaturatedRings(i == kSaturated ? 2 : 0);
        r.setAux(4, 0.5 * i);  // pressure
        return r;
    }

    // The file's bytes: model 0 header with a background, diameter record, frames.
    static std::string bytes()
    {
        std::string b = bytesOf(encodePsdHeader(0, 2.0, "/cal/zsc.asc"));
        b += bytesOf(encodeDiameterRecord(frame(0)));
        for (int i = 0; i < kFrames; ++i)
            b += bytesOf(encodeOutputRecord(buildOutputRecord(frame(i))));
        return b;
    }

    static std::string write(const TempDir& dir, const std::string& name = "diagonal.psd")
    {
        const std::string path = dir.file(name);
        writeFile(path, bytes());
        return path;
    }
};

}  // namespace kavro::test
