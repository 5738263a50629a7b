#include "plots/CLinePlotWnd.h"

#include "core/CDataSource.h"
#include "platform/NumText.h"
#include "resources/PlotTexts.h"

#include <QFontInfo>
#include <QPainter>
#include <QPolygon>
#include <cmath>

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
        painter.setFont(f);
        painter.setPen(Qt::black);
        QString text = QString::fromStdString(text::kBeamPrefix + formatFixed(source_->beamAttenuation(), 3));
        painter.drawText(QPointF(w - 120, 5 + painter.fontMetrics().ascent()), text);
    }
    painter.restore();
    if (printer)
        drawFrame(painter, w, h);
}

}  // namespace kavro
