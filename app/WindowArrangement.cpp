#include "app/WindowArrangement.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kavro::arrangement {

namespace {

long long overlapArea(const QRect& r, const QList<QRect>& others)
{
    long long total = 0;
    for (const QRect& o : others) {
        const QRect i = r.intersected(o);
        if (!i.isEmpty())
            total += static_cast<long long>(i.width()) * i.height();
    }
    return total;
}

// The corner that keeps a window of size inside the area where it fits (else at 0).
QPoint inside(QPoint p, QSize size, QSize area)
{
    return QPoint(std::clamp(p.x(), 0, std::max(0, area.width() - size.width())),
                  std::clamp(p.y(), 0, std::max(0, area.height() - size.height())));
}

}  // namespace

QPoint placeNewWindow(QSize size, const QList<QRect>& others, QSize area)
{
    QList<QPoint> candidates{QPoint(0, 0)};
    for (const QRect& o : others) {
        candidates.append(QPoint(o.right() + 1, o.top()));
        candidates.append(QPoint(o.left(), o.bottom() + 1));
        candidates.append(QPoint(o.right() + 1, 0));
        candidates.append(QPoint(0, o.bottom() + 1));
    }
    QPoint best(0, 0);
    long long bestOverlap = std::numeric_limits<long long>::max();
    for (QPoint c : candidates) {
        const QPoint p = inside(c, size, area);
        const long long overlap = overlapArea(QRect(p, size), others);
        if (overlap < bestOverlap) {
            bestOverlap = overlap;
            best = p;
        }
        if (overlap == 0)
            break;
    }
    return best;
}

QList<QRect> cascade(const QList<QSize>& sizes, QSize area)
{
    QList<QRect> out;
    int run = 0;  // windows in the current run
    int runX = 0;
    for (QSize s : sizes) {
        const int y = run * kCascadeStep;
        if (run > 0 && y + s.height() > area.height()) {
            runX += (run + 1) * kCascadeStep;
            if (runX + s.width() > area.width())
                runX = 0;
            run = 0;
        }
        out.append(QRect(QPoint(runX + run * kCascadeStep, run * kCascadeStep), s));
        ++run;
    }
    return out;
}

QList<QRect> tile(const QList<QSize>& sizes, QSize area)
{
    QList<QRect> out;
    const int n = static_cast<int>(sizes.size());
    if (n == 0)
        return out;
    const int columns = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(n))));
    const int rows = (n + columns - 1) / columns;
    QSize largest(0, 0);
    for (QSize s : sizes)
        largest = largest.expandedTo(s);
    const int cellWidth = std::max(area.width() / columns, largest.width());
    const int cellHeight = std::max(area.height() / rows, largest.height());
    for (int i = 0; i < n; ++i)
        out.append(QRect((i % columns) * cellWidth, (i / columns) * cellHeight, cellWidth, cellHeight));
    return out;
}

}  // namespace kavro::arrangement
