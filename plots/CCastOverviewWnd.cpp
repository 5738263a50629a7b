#include "plots/CCastOverviewWnd.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>

namespace kavro {

CCastOverviewWnd::CCastOverviewWnd(QWidget* parent) : CDrawingWnd(parent)
{
    setBackground(Qt::white);
    setCursor(Qt::CrossCursor);
}

void CCastOverviewWnd::setSummary(CastSummary summary)
{
    summary_ = std::move(summary);
    plot_ = std::make_unique<CastPlot>(summary_, CastPlot::Orientation::AlongX);
    screen_ = QImage();
    current_ = 0;
    update();
}

void CCastOverviewWnd::setCurrentFrame(long long n)
{
    if (n == current_)
        return;
    current_ = n;
    update();
}

void CCastOverviewWnd::layOut() const
{
    // The plot keeps its layout from its last drawing, which may have been a printed page.
    plot_->layout(QSize(std::max(1, clientWidth()), std::max(1, clientHeight())));
}

QFont CCastOverviewWnd::tickLabelFont() const
{
    if (!plot_)
        return font();
    layOut();
    return plot_->tickLabelFont();
}

std::optional<double> CCastOverviewWnd::cursorX() const
{
    if (!plot_)
        return std::nullopt;
    layOut();
    return plot_->pixelOfFrame(current_);
}

std::optional<long long> CCastOverviewWnd::frameAt(QPointF point) const
{
    if (!plot_)
        return std::nullopt;
    layOut();
    return plot_->frameAt(point);
}

void CCastOverviewWnd::renderInto(QPainter& painter, bool printer)
{
    const QSize size(clientWidth(), clientHeight());
    if (printer || !plot_ || size.isEmpty()) {
        drawAt(painter, size);
        return;
    }
    const qreal ratio = devicePixelRatioF();
    if (screen_.isNull() || screen_.size() != size * ratio) {
        screen_ = QImage(size * ratio, QImage::Format_RGB32);
        screen_.setDevicePixelRatio(ratio);
        screen_.fill(Qt::white);
        QPainter p(&screen_);
        plot_->draw(p, size);
    }
    painter.drawImage(QPointF(0, 0), screen_);
    drawCursor(painter);
}

void CCastOverviewWnd::drawAt(QPainter& painter, QSize size)
{
    if (!plot_)
        return;
    plot_->draw(painter, size);
    drawCursor(painter);
    // The layout follows the window again for the cursor and the clicks.
    if (size != QSize(clientWidth(), clientHeight()))
        layOut();
}

void CCastOverviewWnd::drawCursor(QPainter& painter) const
{
    if (const std::optional<double> x = plot_->pixelOfFrame(current_)) {
        const QRectF area = plot_->framesArea();
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(QColor(220, 30, 30), 1.5));
        painter.drawLine(QPointF(*x, area.top()), QPointF(*x, area.bottom()));
        painter.restore();
    }
}

void CCastOverviewWnd::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    if (const std::optional<long long> frame = frameAt(event->position() - QPointF(clientOrigin())))
        emit frameClicked(*frame);
}

}  // namespace kavro
