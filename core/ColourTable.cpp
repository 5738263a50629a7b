#include "core/ColourTable.h"

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

}  // namespace kavro
