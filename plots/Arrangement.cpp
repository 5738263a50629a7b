#include "plots/Arrangement.h"

#include "plots/CDrawingWnd.h"

#include <algorithm>
#include <cmath>

namespace kavro {

namespace {

// The room a window laid out wider than its display (for its bar) keeps beside it:
// all of it at the laid-out length, then less and less as the window grows, so that a
// large window is filled by its display.
double slackLeft(int extent, int laidOut, double area)
{
    const double ratio = laidOut / area;
    return (laidOut - extent) * ratio * ratio * ratio * ratio;
}

// The length the arrangement fills in a window of length area: its own up to the
// length it was laid out in, and what the window has beyond that on top.
double filled(int extent, int laidOut, int area)
{
    laidOut = std::max(extent, laidOut);
    if (area >= laidOut)
        return area - slackLeft(extent, laidOut, area);
    return std::min(area, extent);
}

}  // namespace

ArrangementScale ArrangementScale::fit(QSize extent, QSize area, const std::vector<Rows>& plotRows, QSize laidOut)
{
    ArrangementScale scale;
    if (extent.width() <= 0 || extent.height() <= 0)
        return scale;
    // Below the readable minimum the arrangement keeps that size and the view scrolls.
    const double w = std::max(filled(extent.width(), laidOut.width(), area.width()), kMinimum * extent.width());
    const double h = std::max(filled(extent.height(), laidOut.height(), area.height()), kMinimum * extent.height());
    const double sx = w / extent.width();
    const double sy = h / extent.height();
    const double s = std::min(sx, sy);
    scale.sx_ = sx;
    // Shrinking, text shrinks with the window so that it still fits; growing, it
    // grows with the power 3/4, leaving the larger share of the room to the plots.
    scale.fontScale_ = s <= 1.0 ? s : std::pow(s, 0.75);
    const double f = scale.fontScale_;

    double plotHeight = 0.0;
    for (Rows r : plotRows)
        plotHeight += std::max(0, r.bottom - r.top);
    // The text rows take their font's share of the height, the plot rows the rest
    // (never less than the text's scale, and not much taller than wide).
    double plotSlope = f;
    if (plotHeight > 0.0)
        plotSlope = std::clamp((h - f * (extent.height() - plotHeight)) / plotHeight, f, std::max(f, kMostStretch * sx));
    if (f == 1.0 && plotSlope == 1.0)
        return scale;

    std::vector<Rows> rows = plotRows;
    std::sort(rows.begin(), rows.end(), [](Rows a, Rows b) { return a.top < b.top; });
    double from = 0.0;
    double start = 0.0;
    for (Rows r : rows) {
        if (r.bottom <= r.top || r.top < from)
            continue;
        scale.segments_.push_back({from, start, f});
        start += (r.top - from) * f;
        scale.segments_.push_back({static_cast<double>(r.top), start, plotSlope});
        start += (r.bottom - r.top) * plotSlope;
        from = r.bottom;
    }
    scale.segments_.push_back({from, start, f});
    return scale;
}

double ArrangementScale::mapY(double y) const
{
    if (segments_.empty())
        return y;
    auto it = std::upper_bound(segments_.begin(), segments_.end(), y,
                               [](double v, const Segment& s) { return v < s.from; });
    const Segment& s = it == segments_.begin() ? segments_.front() : *(it - 1);
    return s.start + (y - s.from) * s.slope;
}

QPoint ArrangementScale::map(QPoint p) const
{
    return {static_cast<int>(std::lround(mapX(p.x()))), static_cast<int>(std::lround(mapY(p.y())))};
}

QRect ArrangementScale::map(const QRect& r) const
{
    const QPoint topLeft = map(r.topLeft());
    const QPoint bottomRight = map(QPoint(r.x() + r.width(), r.y() + r.height()));
    return {topLeft, QSize(bottomRight.x() - topLeft.x(), bottomRight.y() - topLeft.y())};
}

QFont ArrangementScale::font(const QFont& logical) const
{
    if (fontScale_ == 1.0)
        return logical;
    QFont scaled = logical;
    if (logical.pixelSize() > 0)
        scaled.setPixelSize(std::max(1, static_cast<int>(std::lround(logical.pixelSize() * fontScale_))));
    else if (logical.pointSizeF() > 0.0)
        scaled.setPointSizeF(logical.pointSizeF() * fontScale_);
    return scaled;
}

ArrangementCanvas::ArrangementCanvas(QWidget* parent) : QWidget(parent) {}

void ArrangementCanvas::setArrangement(QSize extent, std::vector<ArrangementScale::Rows> plotRows, QSize laidOut)
{
    extent_ = extent;
    laidOut_ = laidOut;
    plotRows_ = std::move(plotRows);
}

ArrangementScale ArrangementCanvas::scaleFor(QSize area) const
{
    return hasArrangement() ? ArrangementScale::fit(extent_, area, plotRows_, laidOut_) : ArrangementScale();
}

int ArrangementCanvas::fillingWidth(int height) const
{
    if (!hasArrangement())
        return laidOut_.isValid() ? laidOut_.width() : 0;
    // The height's own scale, and the width that gives the same scale across.
    const double sy = std::max(filled(extent_.height(), laidOut_.height(), height),
                               ArrangementScale::kMinimum * extent_.height()) /
                      extent_.height();
    const double width = sy * extent_.width();
    const int laidOutWidth = std::max(extent_.width(), laidOut_.width());
    if (width <= extent_.width())
        return static_cast<int>(std::ceil(width));
    // The area whose filled width is width: width plus the room left beside it,
    // which shrinks as the area grows (a few rounds settle it).
    double area = width + (laidOutWidth - extent_.width());
    for (int round = 0; round < 8; ++round)
        area = std::max<double>(laidOutWidth, width + slackLeft(extent_.width(), laidOutWidth, area));
    return static_cast<int>(std::ceil(area));
}

void ArrangementCanvas::setScale(const ArrangementScale& scale)
{
    scale_ = scale;
    for (QObject* object : children())
        if (auto* drawing = qobject_cast<CDrawingWnd*>(object))
            drawing->followArrangement();
}

QSize ArrangementCanvas::scaledExtent() const
{
    if (!hasArrangement())
        return {};
    const QPoint corner = scale_.map(QPoint(extent_.width(), extent_.height()));
    return {corner.x(), corner.y()};
}

const ArrangementScale& ArrangementCanvas::scaleOf(const QWidget* parent)
{
    static const ArrangementScale identity;
    const auto* canvas = qobject_cast<const ArrangementCanvas*>(parent);
    return canvas ? canvas->scale() : identity;
}

}  // namespace kavro
