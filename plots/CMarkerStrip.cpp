#include "plots/CMarkerStrip.h"

#include "plots/CPlacedWnd.h"

#include <QPainter>
#include <QLine>
#include <cmath>

namespace kavro {

CMarkerStrip::CMarkerStrip(QWidget* parent) : CDrawingWnd(parent)
{
    setBackground(CPlacedWnd::labelBackground());
}

void CMarkerStrip::Create(QWidget* parent, int x, int y, int w, int h)
{
    halfHeight_ = h / 2;
    width_ = w;
    createChild(parent, QRect(x - halfHeight_, y, w + 2 * halfHeight_, h));
}

int CMarkerStrip::AddMarker(int x)
{
    if (count_ == kMaxMarkers)
        return -1;
    markers_[static_cast<std::size_t>(count_)] = x;
    update();
    return count_++;
}

int CMarkerStrip::SetMarker(int index, int x)
{
    if (index < 0 || index >= kMaxMarkers)
        return 0;
    int previous = markers_[static_cast<std::size_t>(index)];
    markers_[static_cast<std::size_t>(index)] = x;
    update();
    return previous;
}

int CMarkerStrip::drawnAt(int x) const
{
    // The strip's own columns (the nominal width and half a height either side)
    // spread over the columns it has now.
    const int columns = width_ + 2 * halfHeight_;
    if (columns <= 0 || clientWidth() == columns)
        return x + halfHeight_;
    return static_cast<int>(std::lround(static_cast<double>(x + halfHeight_) * clientWidth() / columns));
}

void CMarkerStrip::renderInto(QPainter& painter, bool)
{
    const int h = clientHeight();
    alignLinesToPixels(painter);
    painter.setPen(QPen(Qt::black, 1));
    for (int i = 0; i < count_; ++i) {
        const int x = drawnAt(markers_[static_cast<std::size_t>(i)]);
        const QPoint tip(x, 0);
        const QPoint left(x - h / 2, h - 1);
        const QPoint right(x + h / 2, h - 1);
        // Three whole lines, each with both ends: a symmetric outline.
        const QLine sides[3] = {QLine(tip, left), QLine(left, right), QLine(right, tip)};
        painter.drawLines(sides, 3);
    }
}

}  // namespace kavro
