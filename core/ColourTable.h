#pragma once
// The 256-entry palette of the ring image and its colour scale.
#include <array>
#include <cstdint>

namespace kavro {

// One palette entry in bitmap order: blue, green, red, then a zero byte.
struct PaletteEntry {
    std::uint8_t blue;
    std::uint8_t green;
    std::uint8_t red;
    std::uint8_t reserved;
};

// A ramp magenta → blue → cyan-green → yellow → red in three bands, reversed so
// that entry 0 is pure red and entry 255 magenta.
std::array<PaletteEntry, 256> ringImagePalette();

// The cast pictures' colour map: dark blue-violet through teal and green to
// yellow, perceptually ordered, its lightness rising steadily from entry 0 to 255
// so that it reads in grey scale too (a close polynomial fit of the viridis map).
std::array<PaletteEntry, 256> castColourMap();

}  // namespace kavro
