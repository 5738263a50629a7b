#pragma once
// An 8-bit device-independent bitmap: the 40-byte header, a 256-entry colour table
// and rows of pixels padded to a multiple of 4 bytes.  A negative height means the
// rows are stored top-down, a positive one bottom-up.
#include "core/ColourTable.h"

#include <QImage>
#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace kavro {

struct DibHeader {
    std::int32_t biSize = 40;
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0;
    std::uint16_t biPlanes = 1;
    std::uint16_t biBitCount = 8;
    std::uint32_t biCompression = 0;  // uncompressed
    std::uint32_t biSizeImage = 0;
    std::int32_t biXPelsPerMeter = 0;
    std::int32_t biYPelsPerMeter = 0;
    std::uint32_t biClrUsed = 0;
    std::uint32_t biClrImportant = 0;
};

class CDibImage {
public:
    static constexpr std::size_t kHeaderBytes = 40;
    static constexpr std::size_t kColours = 256;
    static constexpr std::size_t kColourBytes = 4 * kColours;

    // An image with neither header nor pixels: draws nothing.
    CDibImage() = default;
    // w x h pixels stored top-down, all 0, with a grey ramp as colour table.
    // Sizes that are not positive or too large for memory leave it without pixels.
    CDibImage(int w, int h);
    // A copy of a bitmap given as its header followed by the colour table (at the
    // header's biSize), in file byte order, and its pixels as packed rows.  A
    // bitmap that is not an uncompressed 8-bit one, or whose bytes fall short,
    // gives an image without header or pixels.
    static CDibImage fromBitmap(std::span<const std::uint8_t> info, std::span<const std::uint8_t> packedPixels);

    static int rowBytes(int width) { return (width + 3) & ~3; }

    bool hasHeader() const { return hasHeader_; }
    bool hasPixels() const { return !bits_.empty(); }
    int width() const { return header_.biWidth; }
    int height() const;  // rows, whatever the order
    bool topDown() const { return header_.biHeight < 0; }
    const DibHeader& header() const { return header_; }
    const std::array<PaletteEntry, kColours>& colours() const { return colours_; }
    // Pixel of stored row `row` (0 = first row in memory); 0 outside the image.
    std::uint8_t pixel(int x, int row) const;

    // Copies width x height bytes from source, whose rows are padded to 4 bytes or
    // packed.  Returns the bytes copied, or 0 when count is not width x height or
    // the source holds fewer bytes than its rows need.
    int SetPixels(int count, std::span<const std::uint8_t> source, bool padded);
    // Replaces colour entries first .. first + n - 1 (those within the table);
    // returns how many were replaced.
    int SetColours(int first, int n, std::span<const PaletteEntry> colours);
    // Switches between top-down and bottom-up row order; the bytes stay.
    void FlipRows() { header_.biHeight = -header_.biHeight; }

    // Header and colour table in file byte order (little-endian).
    std::vector<std::uint8_t> bitmapInfoBytes() const;
    // The picture as shown, top row first, with the colour table.
    QImage toImage() const;

private:
    bool allocate();

    DibHeader header_;
    bool hasHeader_ = false;
    std::array<PaletteEntry, kColours> colours_{};
    std::vector<std::uint8_t> bits_;
};

}  // namespace kavro
