#include "background/ui/CRingBarGraphWnd.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace kavro {

CRingBarGraphWnd::CRingBarGraphWnd(QWidget* parent) : CDrawingWnd(parent)
{
    setBackground(Qt::white);
    setBorder(true);
}

void CRingBarGraphWnd::Create(QWidget* parent, int x, int y, int w, int h)
{
    createChild(parent, QRect(x, y, w, h));
}

void CRingBarGraphWnd::SetSeries(const Rings& first, const Rings& second)
{
    first_ = first;
    second_ = second;
    update();
}

void CRingBarGraphWnd::SetYMax(double yMax)
{
    yMax_ = yMax;
    update();
}

int CRingBarGraphWnd::barHeight(double v, int h) const
{
    // Limited before truncating: the window clips taller bars anyway, and the
    // conversion must not overflow.  Negative values (a background that is not
    // loaded reads 0, a missing one -1) draw no bar.
    const double scaled = v / yMax_ * h;
    if (std::isnan(scaled))
        return 0;
    return static_cast<int>(std::trunc(std::clamp(scaled, 0.0, static_cast<double>(h))));
}

void CRingBarGraphWnd::renderInto(QPainter& painter, bool printer)
{
    const int w = clientWidth();
    const int h = clientHeight();
    if (printer)
        painter.fillRect(QRect(0, 0, w, h), Qt::white);
    if (!(yMax_ > 0.0) || !std::isfinite(yMax_) || w <= 0)
        return;
    const bool mono = printer && isMonochromePrinter(painter);
    const QColor colours[2] = {mono ? QColor(Qt::black) : firstColour(), mono ? QColor(128, 128, 128) : secondColour()};
    const Rings* series[2] = {&first_, &second_};
    // Ring i owns the columns from i * w / 32 up to (i + 1) * w / 32; its two bars
    // share them, the first series on the left.  A column is left between rings.
    for (int i = 0; i < kRings; ++i) {
        const int left = i * w / kRings;
        const int right = (i + 1) * w / kRings - 1;
        const int half = std::max((right - left) / 2, 1);
        for (int s = 0; s < 2; ++s) {
            const int x = left + s * half;
            const int bar = barHeight((*series[s])[static_cast<std::size_t>(i)], h);
            painter.fillRect(QRect(x, h - bar, half, bar), colours[s]);
        }
    }
    if (printer)
        drawFrame(painter, w, h);
}

}  // namespace kavro
