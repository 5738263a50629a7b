#pragma once
// A calibration folder, a raw recording and the answers to the open dialogs, for
// the tests of the raw data file source.
#include "acquisition/CRawFile.h"
#include "tests/core/CoreFixture.h"

#include <gtest/gtest.h>

namespace kavro::test {

// A frame with every ring at ring, laser power 4000 and laser reference 2000.
std::vector<std::uint16_t> rawFrame(std::uint16_t ring, std::uint16_t laser = 4000);

// Frames that exercise the processing: rings that vary from frame to frame, some
// frames without laser light (no statistics), zero and saturated rings.
std::vector<std::vector<std::uint16_t>> variedFrames(int count, unsigned seed, bool multiScan = false);

struct RawFileTest : ::testing::Test {
    CoreEnv env;
    FixedModelOwner owner{0};
    SourceContext context{env.settings, env.profile, env.prompter};
    std::string input = env.cal.path("cast.3.raw");

    // Writes the recording and queues the answers of a whole open (raw file, ring
    // area, background, .psd output).
    void prepare(const std::string& content, const std::string& psd = "")
    {
        writeFile(input, content);
        env.prompter.choose(input)
            .choose(env.cal.path("RingArea_a.asc"))
            .choose(env.cal.path("zsc.asc"))
            .choose(psd.empty() ? env.cal.path("out.psd") : psd);
    }
};

}  // namespace kavro::test
