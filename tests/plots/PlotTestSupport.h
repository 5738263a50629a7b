#pragma once
// Helpers of the plot window tests: drawing a window into an image and reading
// pixels back.
#include "plots/CDrawingWnd.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <ostream>

// Failed colour checks print as (r,g,b), not as raw bytes.
inline void PrintTo(const QColor& c, std::ostream* os)
{
    *os << "(" << c.red() << "," << c.green() << "," << c.blue() << ")";
}

namespace kavro::test {

// The window's client area drawn through renderInto into an image filled with
// `fill` beforehand, with `margin` pixels of room around the client on every side
// (client pixel (x, y) is image pixel (x + margin, y + margin)).
inline QImage renderClient(CDrawingWnd& window, bool printer, int margin = 0, QColor fill = Qt::magenta)
{
    QImage image(window.clientWidth() + 2 * margin, window.clientHeight() + 2 * margin, QImage::Format_RGB32);
    image.fill(fill);
    QPainter painter(&image);
    painter.translate(margin, margin);
    window.renderInto(painter, printer);
    return image;
}

inline QColor at(const QImage& image, int x, int y)
{
    return image.pixelColor(x, y);
}

inline bool isDark(QColor c)
{
    return qGray(c.rgb()) < 100;
}

// Bounding box of the pixels that differ from `background`.
inline QRect inkBox(const QImage& image, QColor background)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) != background)
                box |= QRect(x, y, 1, 1);
    return box;
}

}  // namespace kavro::test
