#include "plots/CBarGraphWnd.h"

#include "core/CFrameResult.h"
#include "platform/NumText.h"
#include "resources/PlotTexts.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace kavro {

namespace {

struct BarColours {
    QColor bar;
    QColor above;
    QColor markedBar;
    QColor markedAbove;
};

BarColours barColours(bool monochrome)
{
    if (monochrome)
        return {Qt::black, Qt::white, Qt::white, Qt::black};
    return {QColor(0, 128, 128), Qt::white, QColor(224, 224, 224), QColor(128, 128, 128)};
}

}  // namespace

CBarGraphWnd::CBarGraphWnd(int nClasses, QWidget* parent) : CDrawingWnd(parent), nClasses_(std::max(nClasses, 0))
{
    setWindowTitle(QString::fromUtf8(text::kBarGraphWindow));
    setBackground(Qt::white);
    setBorder(true);
}

CBarGraphWnd::~CBarGraphWnd() = default;

void CBarGraphWnd::Create(QWidget* parent, int x, int y, int w, int h)
{
    createChild(parent, QRect(x, y, w, h));
}

void CBarGraphWnd::SetFrame(const CFrameResult* frame)
{
    frame_ = frame;
    update();
}

void CBarGraphWnd::SetYMax(double yMax)
{
    yMax_ = yMax;
    update();
}

void CBarGraphWnd::SetMarks(bool showMean, bool showStdDev)
{
    showMean_ = showMean;
    showStdDev_ = showStdDev;
    update();
}

int CBarGraphWnd::ClassIndexOf(double d) const
{
    if (frame_ == nullptr || !(d > 0.0))
        return -1;
    int best = -1;
    double bestDistance = 1.0e32;
    for (int i = 0; i < CFrameResult::classCount(); ++i) {
        double distance = std::fabs(d - frame_->diameter(i));
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return best;
}

int CBarGraphWnd::classAt(int x) const
{
    const int w = clientWidth();
    if (w <= 0)
        return 0;
    return static_cast<int>(std::trunc(static_cast<double>(x) / w * nClasses_));
}

int CBarGraphWnd::barHeight(int c, int h) const
{
    // Heights beyond the window (or not a number) are limited before truncating:
    // the window clips them anyway, and the conversion must not overflow.
    double scaled = frame_->volume(c) / yMax_ * h;
    if (std::isnan(scaled))
        return 0;
    return static_cast<int>(std::trunc(std::clamp(scaled, 0.0, static_cast<double>(h))));
}

void CBarGraphWnd::renderInto(QPainter& painter, bool printer)
{
    const int w = clientWidth();
    const int h = clientHeight();
    if (frame_ == nullptr || !(yMax_ > 0.0))
        return;
    const BarColours colours = barColours(printer && isMonochromePrinter(painter));
    const double m = frame_->mean();
    const double s = frame_->stdDev();
    const int meanIdx = showMean_ ? ClassIndexOf(m) : -1;
    const int lowIdx = showStdDev_ ? ClassIndexOf(m - s) : -1;
    const int highIdx = showStdDev_ ? ClassIndexOf(m + s) : -1;

    // Columns of one class share their height and colours, so each run of them is
    // painted as two rectangles: the bar from the bottom, the rest above it.
    for (int x = 0; x < w;) {
        const int c = classAt(x);
        int end = x + 1;
        while (end < w && classAt(end) == c)
            ++end;
        const bool marked = c == meanIdx || c == lowIdx || c == highIdx;
        const int bar = barHeight(c, h);
        painter.fillRect(QRect(x, h - bar, end - x, bar), marked ? colours.markedBar : colours.bar);
        painter.fillRect(QRect(x, 0, end - x, h - bar), marked ? colours.markedAbove : colours.above);
        x = end;
    }
    if (printer)
        drawFrame(painter, w, h);
}

QString CBarGraphWnd::tipText(int c) const
{
    if (frame_ == nullptr)
        return {};
    // Appended piece by piece: g++ 12 gives a false overlap warning on a chain of +.
    std::string text = text::kTipBefore;
    text.append(formatG(frame_->diameter(c), 3)).append(text::kTipDiameterUnit);
    text.append(formatG(frame_->volume(c), 3)).append(text::kTipValueUnit);
    return QString::fromStdString(text);
}

void CBarGraphWnd::mousePressEvent(QMouseEvent* event)
{
    // The widget keeps the mouse while the button is down, so the release comes
    // here even when it happens outside.
    if (event->button() != Qt::LeftButton || frame_ == nullptr)
        return;
    const QPoint local = event->position().toPoint();
    const int c = classAt(local.x() - clientOrigin().x());
    const QPoint screen = mapToGlobal(local);
    if (!tip_)
        tip_ = std::make_unique<CValueTipWnd>();
    tip_->Create(this, screen.x(), screen.y(), tipText(c));
}

void CBarGraphWnd::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        tip_.reset();
}

}  // namespace kavro
