#include "app/WindowArrangement.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
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
    QSize largest(1, 1);
    for (QSize s : sizes)
        largest = largest.expandedTo(s);
    const int square = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(n))));
    int columns = square;
    double bestFit = -1.0;
    for (int c = 1; c <= n; ++c) {
        const int r = (n + c - 1) / c;
        // How much of the largest window a cell holds (1: all of it).
        const double fit = std::min({1.0, static_cast<double>(area.width() / c) / largest.width(),
                                     static_cast<double>(area.height() / r) / largest.height()});
        if (fit > bestFit + 1e-9 || (std::fabs(fit - bestFit) <= 1e-9 && std::abs(c - square) < std::abs(columns - square))) {
            bestFit = fit;
            columns = c;
        }
    }
    const int rows = (n + columns - 1) / columns;
    const int cellWidth = std::max(1, area.width() / columns);
    const int cellHeight = std::max(1, area.height() / rows);
    for (int i = 0; i < n; ++i)
        out.append(QRect((i % columns) * cellWidth, (i / columns) * cellHeight, cellWidth, cellHeight));
    return out;
}

}  // namespace kavro::arrangement
