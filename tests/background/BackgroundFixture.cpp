#include "tests/background/BackgroundFixture.h"

#include "platform/NumText.h"

namespace kavro::test {

RawWords backgroundFrame(std::uint16_t ring, std::uint16_t power, std::uint16_t reference)
{
    RawWords w{};
    w.fill(7);
    for (std::size_t i = 0; i < 32; ++i)
        w[i] = ring;
    w[32] = power;
    w[35] = reference;
    return w;
}

std::vector<std::uint16_t> asWords(const RawWords& frame)
{
    return std::vector<std::uint16_t>(frame.begin(), frame.end());
}

std::string factoryText(double ring, double power)
{
    std::string s;
    for (int i = 0; i < 40; ++i)
        s += formatG(i < 32 ? ring : (i == 32 ? power : (i == 35 ? 1000.0 : 3.0))) + "\n";
    return s;
}

BackgroundEnv::BackgroundEnv()
{
    writeFile(dir.file("factory_zsc.asc"), factoryText(5.0, 2500.0));
    settings.calFiles = dir.path();
}

}  // namespace kavro::test
