#include "tests/acquisition/RawFileFixture.h"

#include <random>

namespace kavro::test {

std::vector<std::uint16_t> rawFrame(std::uint16_t ring, std::uint16_t laser)
{
    std::vector<std::uint16_t> f(40, ring);
    f[32] = laser;
    f[35] = 2000;
    return f;
}

std::vector<std::vector<std::uint16_t>> variedFrames(int count, unsigned seed, bool multiScan)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> ring(0, 4095);
    std::uniform_int_distribution<int> laser(1500, 4000);
    std::vector<std::vector<std::uint16_t>> frames;
    for (int n = 0; n < count; ++n) {
        std::vector<std::uint16_t> f(40);
        for (int i = 0; i < 32; ++i)
            f[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(ring(random));
        for (int i = 32; i < 40; ++i)
            f[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(ring(random));
        f[32] = static_cast<std::uint16_t>(random() % 7 == 0 ? 50 : laser(random));
        f[35] = static_cast<std::uint16_t>(1000 + random() % 2000);
        if (n % 13 == 0)
            f[3] = 0;
        if (multiScan)
            for (auto& w : f)
                w = static_cast<std::uint16_t>(std::min<unsigned long>(65535u, w * 16u + random() % 16));
        frames.push_back(f);
    }
    return frames;
}

}  // namespace kavro::test
