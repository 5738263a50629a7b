#include "tests/core/CoreFixture.h"

#include "platform/NumText.h"

namespace kavro::test {

std::string numbers(const std::vector<double>& values, const char* separator)
{
    std::string s;
    for (double v : values)
        s += formatG(v, 17) + separator;
    return s;
}

std::vector<double> filled(std::size_t n, double v)
{
    return std::vector<double>(n, v);
}

CalibrationFolder::CalibrationFolder()
{
    std::vector<double> kernel(1024, 0.0);
    for (int r = 0; r < 32; ++r)
        kernel[static_cast<std::size_t>(33 * r)] = 1.0;
    std::vector<double> dias;
    for (int k = 0; k < 32; ++k)
        dias.push_back(k + 1.0);
    for (const char* l : {"a", "b", "c"}) {
        write(std::string("M32x32_") + l + ".asc", numbers(kernel, "\n"));
        write(std::string("H32_") + l + ".asc", numbers(kernel));
        write(std::string("Dias32_") + l + ".asc", numbers(dias));
        write(std::string("Gain_") + l + ".asc", numbers(filled(32, 1.0)));
    }
    write("RingArea_a.asc", numbers(filled(32, 1.0)));
    std::vector<double> bg(40, 10.0);
    bg[32] = 4000.0;
    bg[35] = 2000.0;
    write("factory_zsc.asc", numbers(bg, "\n"));
    write("zsc.asc", numbers(bg, "\n"));
}

}  // namespace kavro::test
