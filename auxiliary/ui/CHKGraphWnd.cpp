#include "auxiliary/ui/CHKGraphWnd.h"

#include "auxiliary/CHKInfo.h"
#include "resources/AuxTexts.h"

#include <QMouseEvent>
#include <QPaintEngine>
#include <QPainter>
#include <algorithm>
#include <climits>
#include <cmath>

namespace kavro {
namespace {

const QColor kGridColour(128, 128, 128);
const QColor kCursorColour(0, 255, 0);
constexpr int kGridStep = 800;  // counts between the horizontal grid lines

}  // namespace

QColor CHKGraphWnd::channelColour(int k)
{
    const unsigned rgb = DisplaySelection::Colour(k);
    return QColor(int(rgb >> 16 & 0xFF), int(rgb >> 8 & 0xFF), int(rgb & 0xFF));
}

CHKGraphWnd::CHKGraphWnd(HKGraphListener& listener, const DisplaySelection& selection, QWidget* parent)
    : CDrawingWnd(parent), listener_(listener), selection_(selection)
{
    setWindowTitle(QString::fromUtf8(text::kGraphWindow));
    setBackground(Qt::white);
    setBorder(true);
}

bool CHKGraphWnd::Create(QWidget* parent, int x, int y, int w, int h, const std::vector<FrameSummary>& records)
{
    visible_ = kPageFrames;
    xScale_ = static_cast<double>(w) / kPageFrames;
    yScale_ = h / kFullScale;
    width_ = w;
    height_ = h;
    records_ = &records;
    count_ = static_cast<int>(std::min<std::size_t>(records.size(), INT_MAX));
    SetCursor(visible_ / 2);
    listener_.setSelection(0, count_ - 1);
    createChild(parent, QRect(x, y, w + 2, h + 2));
    return true;
}

void CHKGraphWnd::SetCursor(int column)
{
    int c = std::max(column, 0);
    c = std::min(c, visible_ - 1);
    c = std::min(c, count_ - first_ - 1);
    cursor_ = c;
    listener_.setCursorFrame(cursorFrame());
}

void CHKGraphWnd::ReportFrame()
{
    const int f = cursorFrame();
    if (records_ == nullptr || f < 0 || f >= count_)
        return;
    listener_.frameReported(f, (*records_)[static_cast<std::size_t>(f)]);
}

void CHKGraphWnd::ShowFrame(int frame)
{
    if (count_ <= 0)
        return;
    frame = std::clamp(frame, 0, count_ - 1);
    // Another page starts where Next and Previous would have brought it.
    if (frame < first_ || frame - first_ >= visible_)
        first_ = frame / visible_ * visible_;
    cursor_ = frame - first_;
    pageChanged();
}

void CHKGraphWnd::FirstPage()
{
    first_ = 0;
    pageChanged();
}

void CHKGraphWnd::PreviousPage()
{
    first_ = std::max(first_ - visible_, 0);
    pageChanged();
}

void CHKGraphWnd::NextPage()
{
    if (static_cast<long long>(first_) + visible_ < count_)
        first_ += visible_;
    pageChanged();
}

void CHKGraphWnd::LastPage()
{
    first_ = std::max(count_ - visible_, 0);
    pageChanged();
}

void CHKGraphWnd::pageChanged()
{
    // A short last page must not leave the cursor beyond the file's last frame.
    cursor_ = std::min(cursor_, count_ - first_ - 1);
    update();
    listener_.setCursorFrame(cursorFrame());
    listener_.pageShown(first_, first_ + visible_ - 1);
    ReportFrame();
}

void CHKGraphWnd::SelectFirst()
{
    listener_.selectFirst(cursorFrame());
}

void CHKGraphWnd::SelectLast()
{
    listener_.selectLast(cursorFrame());
}

void CHKGraphWnd::drawGrid(QPainter& painter, int w, int h) const
{
    QPen grid(kGridColour, 1, Qt::DotLine);
    grid.setCosmetic(true);
    painter.setPen(grid);
    for (int i = 1; i <= 3; ++i) {
        const int x = i * w / 4;
        painter.drawLine(x, 0, x, h);
    }
    for (int j = 1; j <= 4; ++j) {
        const int y = h - static_cast<int>(static_cast<long long>(j) * kGridStep * h / 4096);
        painter.drawLine(0, y, w, y);
    }
}

void CHKGraphWnd::drawTraces(QPainter& painter, int h) const
{
    if (records_ == nullptr || first_ >= count_)
        return;
    const int end = static_cast<int>(std::min<long long>(static_cast<long long>(first_) + visible_, count_));
    QPolygon line(end - first_);
    for (int k = 0; k < kAuxChannels; ++k) {
        if (!selection_.IsShown(k))
            continue;
        for (int i = first_; i < end; ++i) {
            const FrameSummary& r = (*records_)[static_cast<std::size_t>(i)];
            // Counts above full scale go above the top edge and are clipped; a zero
            // count stays on the last row.
            const int y = std::min(static_cast<int>(height_ - r.aux[k] * yScale_), h - 1);
            line[i - first_] = QPoint(static_cast<int>((i - first_) * xScale_), y);
        }
        QPen trace(channelColour(k), 1);
        trace.setCosmetic(true);
        painter.setPen(trace);
        painter.drawPolyline(line);
    }
}

void CHKGraphWnd::drawCursor(QPainter& painter, int column, int height)
{
    painter.save();
    const QPaintEngine* engine = painter.paintEngine();
    if (engine != nullptr && engine->type() == QPaintEngine::Raster)
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(QRect(column, 0, 1, height), kCursorColour);
    painter.restore();
}

void CHKGraphWnd::renderInto(QPainter& painter, bool printer)
{
    // The page is drawn in the graph's own columns (one per frame) and rows, and
    // stretched over the window as the view shows it; the lines stay one pixel wide.
    const int w = width_ > 0 ? width_ : clientWidth();
    const int h = height_ > 0 ? height_ : clientHeight();
    painter.save();
    if (clientWidth() != w || clientHeight() != h)
        painter.scale(static_cast<double>(clientWidth()) / w, static_cast<double>(clientHeight()) / h);
    painter.save();
    painter.setClipRect(QRect(0, 0, w, h));
    alignLinesToPixels(painter);
    drawGrid(painter, w, h);
    drawTraces(painter, h);
    painter.restore();
    if (!printer)
        drawCursor(painter, cursor_, height_);
    painter.restore();
    if (printer)
        drawFrame(painter, clientWidth(), clientHeight());
}

void CHKGraphWnd::moveCursorTo(const QMouseEvent& event)
{
    // Window pixels back to the page's columns.
    double x = event.position().x() - clientOrigin().x();
    if (width_ > 0 && clientWidth() > 0 && clientWidth() != width_)
        x = x * width_ / clientWidth();
    SetCursor(static_cast<int>(std::floor(x)));
    update();
}

void CHKGraphWnd::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    capturing_ = true;
    moveCursorTo(*event);
}

void CHKGraphWnd::mouseMoveEvent(QMouseEvent* event)
{
    // The press holds the mouse for the graph, so a drag beyond its edges still moves the cursor.
    if (capturing_)
        moveCursorTo(*event);
}

void CHKGraphWnd::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !capturing_)
        return;
    moveCursorTo(*event);
    capturing_ = false;
    ReportFrame();
}

}  // namespace kavro
