#include "acquisition/RingImage.h"

#include "acquisition/CRawFile.h"
#include "core/Constants.h"

#include <algorithm>

namespace kavro {

int RingImage::columnCount(int frames)
{
    return std::clamp(frames, 0, kMaxColumns);
}

int RingImage::frameOfColumn(int column, int frames)
{
    if (frames <= kMaxColumns)
        return column;
    return static_cast<int>(static_cast<long long>(column) * frames / kMaxColumns);
}

std::uint8_t RingImage::pixelOf(double value)
{
    const double scaled = value * 256.0 / 4096.0;
    // Raw values are counts (0..65535), so the scaled value is never negative.
    if (!(scaled >= 0.0) || scaled >= 256.0)
        return 0;
    return static_cast<std::uint8_t>(scaled);
}

RingImagePixels RingImage::read(CRawFile& source)
{
    RingImagePixels image;
    const int frames = source.recordCount();
    image.columns = columnCount(frames);
    image.rows = kRings;
    image.pixels.assign(static_cast<std::size_t>(image.columns) * kRings, 0);
    for (int column = 0; column < image.columns; ++column) {
        if (!source.peekRawFrame(frameOfColumn(column, frames)))
            break;
        for (int ring = 0; ring < kRings; ++ring)
            image.pixels[static_cast<std::size_t>(ring) * image.columns + column] =
                pixelOf(source.value(kValueRaw, ring));
        image.columnsRead = column + 1;
    }
    return image;
}

}  // namespace kavro
