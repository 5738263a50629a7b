// The order of a cruise's steps once its casts are read back: the NetCDF files of
// the casts among the pieces of the cruise's files, and the last casts after them.
#include "tools/CruiseFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace kavro::cli {
namespace {

TEST(CruiseSteps, EveryStepOnceCastsSpreadEvenlyAndTheLastAfterThePieces)
{
    struct Case {
        std::size_t casts, pieces;
    };
    const Case cases[] = {{0, 2}, {1, 2}, {2, 2}, {3, 2}, {2, 42}, {5, 2}, {40, 43}, {20, 23}, {100, 3}, {7, 500}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.casts << " casts, " << c.pieces << " pieces");
        const std::vector<CruiseStep> steps = cruiseSteps(c.casts, c.pieces);
        ASSERT_EQ(steps.size(), c.casts + c.pieces);
        std::size_t casts = 0, pieces = 0;
        const std::size_t last = std::min<std::size_t>(c.casts, 2), spread = c.casts - last;
        for (std::size_t s = 0; s < steps.size(); ++s) {
            // Each kind in its own order, none twice, none left out.
            ASSERT_EQ(steps[s].index, steps[s].cast ? casts : pieces) << "step " << s;
            if (!steps[s].cast) {
                ++pieces;
                continue;
            }
            if (casts < spread) {
                // The k-th spread cast comes when about (k + 1/2) / spread of the pieces are taken.
                const double due = (static_cast<double>(casts) + 0.5) * static_cast<double>(c.pieces) /
                                   static_cast<double>(spread);
                EXPECT_LE(std::abs(static_cast<double>(pieces) - due), 1.0) << "cast " << casts;
            } else {
                EXPECT_EQ(pieces, c.pieces) << "cast " << casts << " is one of the last";
            }
            ++casts;
        }
        EXPECT_EQ(casts, c.casts);
        EXPECT_EQ(pieces, c.pieces);
    }
}

}  // namespace
}  // namespace kavro::cli
