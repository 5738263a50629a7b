#include "plots/CDibWnd.h"

#include "resources/PlotTexts.h"

#include <QPainter>

namespace kavro {

CDibWnd::CDibWnd(QWidget* parent) : CDrawingWnd(parent)
{
    setWindowTitle(QString::fromUtf8(text::kDibWindow));
    setBorder(true);
}

void CDibWnd::takeImage(CDibImage image)
{
    image_ = std::move(image);
    update();
}

bool CDibWnd::Create(QWidget* parent, int x, int y, std::span<const std::uint8_t> info,
                     std::span<const std::uint8_t> packedPixels)
{
    takeImage(CDibImage::fromBitmap(info, packedPixels));
    createChild(parent, QRect(x, y, image_.width(), image_.height()));
    return image_.hasPixels();
}

bool CDibWnd::Create(QWidget* parent, const QRect& rect)
{
    return Create(parent, rect, rect.width(), rect.height());
}

bool CDibWnd::Create(QWidget* parent, const QRect& rect, int w, int h)
{
    takeImage(CDibImage(w, h));
    createChild(parent, rect);
    return image_.hasPixels();
}

int CDibWnd::SetPixels(int count, std::span<const std::uint8_t> source, bool padded)
{
    int copied = image_.SetPixels(count, source, padded);
    update();
    return copied;
}

int CDibWnd::SetColours(int first, int n, std::span<const PaletteEntry> colours)
{
    int replaced = image_.SetColours(first, n, colours);
    update();
    return replaced;
}

void CDibWnd::FlipRows()
{
    image_.FlipRows();
    update();
}

void CDibWnd::Draw(QPainter& painter, std::optional<QRect> rect) const
{
    QImage picture = image_.toImage();
    if (picture.isNull())
        return;
    // Nearest pixel, as a stretched bitmap shows: no blurring of the ring image.
    // Lossless: a PDF would otherwise keep the image as JPEG, whose colour
    // subsampling smears narrow images (a bar meter's columns) into each other.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.setRenderHint(QPainter::LosslessImageRendering, true);
    painter.drawImage(rect.value_or(QRect(0, 0, clientWidth(), clientHeight())), picture);
}

void CDibWnd::renderInto(QPainter& painter, bool)
{
    Draw(painter);
}

}  // namespace kavro
