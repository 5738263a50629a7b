#include "plots/CDibImage.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

namespace kavro {

namespace {

// Larger bitmaps are refused rather than allocated: no display needs them.
constexpr std::int64_t kMaxPixelBytes = std::int64_t{1} << 28;

std::uint32_t readLe32(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return std::uint32_t{bytes[at]} | std::uint32_t{bytes[at + 1]} << 8 | std::uint32_t{bytes[at + 2]} << 16 |
           std::uint32_t{bytes[at + 3]} << 24;
}

std::uint16_t readLe16(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

void writeLe32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>(v >> shift));
}

void writeLe16(std::vector<std::uint8_t>& out, std::uint16_t v)
{
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

}  // namespace

CDibImage::CDibImage(int w, int h)
{
    header_.biWidth = std::max(w, 0);
    header_.biHeight = h > 0 ? -h : 0;
    hasHeader_ = true;
    for (std::size_t i = 0; i < kColours; ++i) {
        auto v = static_cast<std::uint8_t>(i);
        colours_[i] = PaletteEntry{v, v, v, 0};
    }
    if (allocate())
        header_.biSizeImage = static_cast<std::uint32_t>(bits_.size());
}

bool CDibImage::allocate()
{
    bits_.clear();
    std::int64_t w = header_.biWidth;
    std::int64_t h = height();
    if (w <= 0 || h <= 0 || w * h > kMaxPixelBytes)
        return false;
    try {
        bits_.assign(static_cast<std::size_t>(rowBytes(static_cast<int>(w)) * h), 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

int CDibImage::height() const
{
    // The most negative height has no positive twin; it is no usable image.
    return header_.biHeight == INT32_MIN ? 0 : std::abs(header_.biHeight);
}

CDibImage CDibImage::fromBitmap(std::span<const std::uint8_t> info, std::span<const std::uint8_t> packedPixels)
{
    CDibImage image;
    if (info.size() < kHeaderBytes)
        return image;
    DibHeader h;
    h.biSize = static_cast<std::int32_t>(readLe32(info, 0));
    h.biWidth = static_cast<std::int32_t>(readLe32(info, 4));
    h.biHeight = static_cast<std::int32_t>(readLe32(info, 8));
    h.biPlanes = readLe16(info, 12);
    h.biBitCount = readLe16(info, 14);
    h.biCompression = readLe32(info, 16);
    h.biSizeImage = readLe32(info, 20);
    h.biXPelsPerMeter = static_cast<std::int32_t>(readLe32(info, 24));
    h.biYPelsPerMeter = static_cast<std::int32_t>(readLe32(info, 28));
    h.biClrUsed = readLe32(info, 32);
    h.biClrImportant = readLe32(info, 36);
    if (h.biSize < static_cast<std::int32_t>(kHeaderBytes) || h.biBitCount != 8 || h.biCompression != 0)
        return image;
    auto tableAt = static_cast<std::size_t>(h.biSize);
    if (info.size() < tableAt || info.size() - tableAt < kColourBytes)
        return image;

    image.header_ = h;
    image.header_.biSize = static_cast<std::int32_t>(kHeaderBytes);  // only these fields are kept
    const std::uint8_t* table = info.data() + tableAt;
    for (std::size_t i = 0; i < kColours; ++i)
        image.colours_[i] = PaletteEntry{table[4 * i], table[4 * i + 1], table[4 * i + 2], table[4 * i + 3]};
    int w = image.width();
    int rows = image.height();
    if (!image.allocate() || image.SetPixels(w * rows, packedPixels, false) == 0) {
        image = CDibImage();
        return image;
    }
    image.hasHeader_ = true;
    return image;
}

std::uint8_t CDibImage::pixel(int x, int row) const
{
    if (!hasPixels() || x < 0 || x >= width() || row < 0 || row >= height())
        return 0;
    return bits_[static_cast<std::size_t>(row) * static_cast<std::size_t>(rowBytes(width())) +
                 static_cast<std::size_t>(x)];
}

int CDibImage::SetPixels(int count, std::span<const std::uint8_t> source, bool padded)
{
    const int w = width();
    const int rows = height();
    if (!hasPixels() || static_cast<std::int64_t>(count) != static_cast<std::int64_t>(w) * rows)
        return 0;
    const auto stride = static_cast<std::size_t>(padded ? rowBytes(w) : w);
    const auto rowLength = static_cast<std::size_t>(w);
    if (source.size() < stride * static_cast<std::size_t>(rows - 1) + rowLength)
        return 0;
    const auto target = static_cast<std::size_t>(rowBytes(w));
    for (std::size_t r = 0; r < static_cast<std::size_t>(rows); ++r)
        std::memcpy(bits_.data() + r * target, source.data() + r * stride, rowLength);
    return w * rows;
}

int CDibImage::SetColours(int first, int n, std::span<const PaletteEntry> colours)
{
    int copied = 0;
    for (int i = 0; i < n && static_cast<std::size_t>(i) < colours.size(); ++i) {
        int entry = first + i;
        if (entry < 0 || entry >= static_cast<int>(kColours))
            continue;
        colours_[static_cast<std::size_t>(entry)] = colours[static_cast<std::size_t>(i)];
        ++copied;
    }
    return copied;
}

std::vector<std::uint8_t> CDibImage::bitmapInfoBytes() const
{
    std::vector<std::uint8_t> out;
    out.reserve(kHeaderBytes + kColourBytes);
    writeLe32(out, static_cast<std::uint32_t>(header_.biSize));
    writeLe32(out, static_cast<std::uint32_t>(header_.biWidth));
    writeLe32(out, static_cast<std::uint32_t>(header_.biHeight));
    writeLe16(out, header_.biPlanes);
    writeLe16(out, header_.biBitCount);
    writeLe32(out, header_.biCompression);
    writeLe32(out, header_.biSizeImage);
    writeLe32(out, static_cast<std::uint32_t>(header_.biXPelsPerMeter));
    writeLe32(out, static_cast<std::uint32_t>(header_.biYPelsPerMeter));
    writeLe32(out, header_.biClrUsed);
    writeLe32(out, header_.biClrImportant);
    for (const PaletteEntry& c : colours_) {
        out.push_back(c.blue);
        out.push_back(c.green);
        out.push_back(c.red);
        out.push_back(c.reserved);
    }
    return out;
}

QImage CDibImage::toImage() const
{
    if (!hasHeader() || !hasPixels())
        return {};
    const int w = width();
    const int rows = height();
    QImage image(w, rows, QImage::Format_Indexed8);
    if (image.isNull())
        return {};
    QList<QRgb> table;
    table.reserve(static_cast<qsizetype>(kColours));
    for (const PaletteEntry& c : colours_)
        table.push_back(qRgb(c.red, c.green, c.blue));
    image.setColorTable(table);
    const auto stride = static_cast<std::size_t>(rowBytes(w));
    for (int r = 0; r < rows; ++r) {
        // Bottom-up images keep their last stored row at the top.
        int shown = topDown() ? r : rows - 1 - r;
        std::memcpy(image.scanLine(shown), bits_.data() + static_cast<std::size_t>(r) * stride,
                    static_cast<std::size_t>(w));
    }
    return image;
}

}  // namespace kavro
