#pragma once
// The whole-file picture of a raw recording: one column per frame (at most 1024
// columns, spread evenly over longer files), one row per ring, each pixel the
// ring's raw value on a 256-step scale.
#include <cstdint>
#include <vector>

namespace kavro {

class CRawFile;

struct RingImagePixels {
    int columns = 0;
    int rows = 0;
    // rows x columns palette indexes, packed, row r - 1 holding ring r (ring 1 first).
    std::vector<std::uint8_t> pixels;
    // Columns whose frame could be read; the reading stops at the first that could not.
    int columnsRead = 0;
};

class RingImage {
public:
    static constexpr int kMaxColumns = 1024;

    // n frames give n columns, at most 1024.
    static int columnCount(int frames);
    // The frame column i shows: i * n / 1024 truncated for long files, i otherwise.
    static int frameOfColumn(int column, int frames);
    // Palette index of a raw ring value: value * 256 / 4096 truncated; beyond 255
    // (a value of 4096 or more) index 0.
    static std::uint8_t pixelOf(double value);

    // Peeks the frame of every column (without processing it) and sets its pixels;
    // the source's file position is left where the last peek left it.
    static RingImagePixels read(CRawFile& source);
};

}  // namespace kavro
