#include "core/ColourTable.h"

#include <algorithm>
#include <cmath>

namespace kavro {

std::array<PaletteEntry, 256> ringImagePalette()
{
    std::array<PaletteEntry, 256> ramp{};
    for (int i = 0; i < 256; ++i) {
        int k = i < 85 ? i : (i < 170 ? i - 85 : i - 170);
        int a = static_cast<int>(k / 85.0 * 255.0);  // truncated
        int red, green, blue;
        if (i < 85) {
            red = 255 - a;
            green = a;
            blue = 255;
        } else if (i < 170) {
            red = a;
            green = 255;
            blue = 255 - a;
        } else {
            red = 255;
            green = 255 - a;
            blue = 0;
        }
        ramp[static_cast<std::size_t>(i)] = PaletteEntry{static_cast<std::uint8_t>(blue), static_cast<std::uint8_t>(green),
                                                         static_cast<std::uint8_t>(red), 0};
    }
    std::array<PaletteEntry, 256> reversed{};
    for (std::size_t i = 0; i < 256; ++i)
        reversed[i] = ramp[255 - i];
    return reversed;
}

std::array<PaletteEntry, 256> castColourMap()
{
    // Degree-6 polynomials in t = 0..1 per channel, fitted to the viridis map.
    static constexpr double c[3][7] = {
        {0.2777273272234177, 0.1050930431085774, -0.3308618287255563, -4.634230498983486, 6.228269936347081,
         4.776384997670288, -5.435455855934631},
        {0.005407344544966578, 1.404613529898575, 0.214847559468213, -5.799100973351585, 14.17993336680509,
         -13.74514537774601, 4.645852612178535},
        {0.3340998053353061, 1.384590162594685, 0.09509516302823659, -19.33244095627987, 56.69055260068105,
         -65.35303263337234, 26.3124352495832},
    };
    std::array<PaletteEntry, 256> map{};
    for (int i = 0; i < 256; ++i) {
        const double t = i / 255.0;
        std::uint8_t rgb[3];
        for (int ch = 0; ch < 3; ++ch) {
            double v = 0.0;
            for (int p = 6; p >= 0; --p)
                v = v * t + c[ch][p];
            rgb[ch] = static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0));
        }
        map[static_cast<std::size_t>(i)] = PaletteEntry{rgb[2], rgb[1], rgb[0], 0};
    }
    return map;
}

}  // namespace kavro
