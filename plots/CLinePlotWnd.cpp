#include "plots/CLinePlotWnd.h"

#include "core/CDataSource.h"
#include "platform/NumText.h"
#include "plots/Arrangement.h"
#include "resources/PlotTexts.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>
#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace kavro {

CLinePlotWnd::CLinePlotWnd(QWidget* parent) : CDrawingWnd(parent)
{
    setWindowTitle(QString::fromUtf8(text::kLinePlotWindow));
    setBackground(Qt::white);
    setBorder(true);
}

void CLinePlotWnd::Create(QWidget* parent, int x, int y, int w, int h)
{
    createChild(parent, QRect(x, y, w, h));
}

void CLinePlotWnd::SetSource(const CDataSource* source)
{
    source_ = source;
    frame_ = source != nullptr ? &source->frameResult() : nullptr;
    update();
}

int CLinePlotWnd::rowOf(double v, int h) const
{
    const double sy = h / (yMax_ - yMin_);
    double y = std::trunc(h - (v - yMin_) * sy);
    // Not a number or below the bottom: on the bottom line.  Far above the top is
    // limited only so that the conversion cannot overflow; such a point is off the
    // window either way, and the limit is far enough to keep the slope of a line
    // leading to it.
    if (!(y <= h))
        y = h;
    y = std::max(y, -1.0e6);
    return static_cast<int>(y);
}

namespace {

// Points of the line inside box (each segment walked pixel by pixel).
int pointsInside(const QPolygon& line, const QRect& box)
{
    int inside = 0;
    for (int i = 0; i + 1 < line.size(); ++i) {
        const QPoint a = line[i], b = line[i + 1];
        const int steps = std::max({std::abs(b.x() - a.x()), std::abs(b.y() - a.y()), 1});
        for (int k = 0; k <= steps; ++k) {
            const double t = static_cast<double>(k) / steps;
            if (box.contains(QPoint(static_cast<int>(std::lround(a.x() + t * (b.x() - a.x()))),
                                    static_cast<int>(std::lround(a.y() + t * (b.y() - a.y()))))))
                ++inside;
        }
    }
    return inside;
}

}  // namespace

QRect CLinePlotWnd::textPlace(const QPolygon& line, QSize text, int w, int h)
{
    // The top-right corner first, then the bottom right, bottom left and top left;
    // a text wider than 117 pixels keeps 3 pixels from the right edge.
    const int right = std::min(w - 120, w - 3 - text.width());
    const int bottom = h - 5 - text.height();
    const QPoint corners[4] = {{right, 5}, {right, bottom}, {5, bottom}, {5, 5}};
    QRect best;
    int bestInside = -1;
    for (QPoint corner : corners) {
        const QRect box(corner, text);
        const int inside = pointsInside(line, box.adjusted(-2, -2, 2, 2));
        if (inside == 0)
            return box;
        if (bestInside < 0 || inside < bestInside) {
            bestInside = inside;
            best = box;
        }
    }
    return best;
}

void CLinePlotWnd::renderInto(QPainter& painter, bool printer)
{
    if (frame_ == nullptr || !(yMax_ > 0.0))
        return;
    const int w = clientWidth();
    const int h = clientHeight();
    const double dx = static_cast<double>(w) / (nPoints_ - 1);
    QPolygon line;
    for (int i = 0; i < nPoints_; ++i)
        line << QPoint(static_cast<int>(std::trunc(i * dx)), rowOf(frame_->vsf(i), h));

    painter.save();
    painter.setClipRect(QRect(0, 0, w, h), Qt::IntersectClip);
    painter.save();
    alignLinesToPixels(painter);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawPolyline(line);
    painter.restore();
    if (source_ != nullptr) {
        // The window's font at its screen size in pixels: a page drawn at the
        // screen's scale shows it at the same size (a point size would be scaled
        // by the printer's resolution on top).
        QFont f = font();
        f.setPixelSize(QFontInfo(f).pixelSize());
        painter.setFont(arrangement().font(f));
        painter.setPen(Qt::black);
        QString text = QString::fromStdString(text::kBeamPrefix + formatFixed(source_->beamAttenuation(), 3));
        const QFontMetrics metrics = painter.fontMetrics();
        const QRect box = textPlace(line, QSize(metrics.horizontalAdvance(text), metrics.height()), w, h);
        painter.drawText(QPointF(box.left(), box.top() + metrics.ascent()), text);
    }
    painter.restore();
    if (printer)
        drawFrame(painter, w, h);
}

}  // namespace kavro
