#include "plots/CDrawingWnd.h"

#include "plots/Arrangement.h"

#include <QPaintEngine>
#include <QPainter>
#include <QPrinter>

namespace kavro {

CDrawingWnd::CDrawingWnd(QWidget* parent) : QWidget(parent)
{
    setAutoFillBackground(true);
}

bool CDrawingWnd::isMonochromePrinter(const QPainter& painter)
{
    const auto* printer = dynamic_cast<const QPrinter*>(painter.device());
    return printer != nullptr && printer->colorMode() == QPrinter::GrayScale;
}

void CDrawingWnd::drawFrame(QPainter& painter, int w, int h)
{
    // Filled strips rather than a stroked rectangle: exact pixels on screen and
    // crisp edges in a vector file alike.
    painter.fillRect(QRect(-1, -1, w + 2, 1), Qt::black);
    painter.fillRect(QRect(-1, h, w + 2, 1), Qt::black);
    painter.fillRect(QRect(-1, 0, 1, h), Qt::black);
    painter.fillRect(QRect(w, 0, 1, h), Qt::black);
}

void CDrawingWnd::alignLinesToPixels(QPainter& painter)
{
    const QPaintEngine* engine = painter.paintEngine();
    const bool alignedRaster = engine != nullptr && engine->type() == QPaintEngine::Raster &&
                               !painter.testRenderHint(QPainter::Antialiasing);
    if (!alignedRaster)
        painter.translate(0.5, 0.5);
}

void CDrawingWnd::createChild(QWidget* parent, const QRect& outer)
{
    if (!created_) {
        setParent(parent);
        created_ = true;
    }
    logical_ = outer;
    setGeometry(arrangement().map(outer));
    show();
}

const ArrangementScale& CDrawingWnd::arrangement() const
{
    return ArrangementCanvas::scaleOf(parentWidget());
}

void CDrawingWnd::followArrangement()
{
    if (created_)
        setGeometry(arrangement().map(logical_));
}

void CDrawingWnd::setBorder(bool on)
{
    border_ = on;
    int m = on ? 1 : 0;
    setContentsMargins(m, m, m, m);
    update();
}

void CDrawingWnd::setBackground(const QColor& colour)
{
    QPalette pal = palette();
    pal.setColor(QPalette::Window, colour);
    setPalette(pal);
}

void CDrawingWnd::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.translate(clientOrigin());
    painter.save();
    renderInto(painter, false);
    painter.restore();
    if (border_)
        drawFrame(painter, clientWidth(), clientHeight());
}

namespace {

void renderChildren(QWidget* root, QWidget* parent, QPainter& painter, bool printer)
{
    // children() lists siblings from the bottom of the stacking order to the top.
    for (QObject* object : parent->children()) {
        auto* widget = qobject_cast<QWidget*>(object);
        if (widget == nullptr || widget->isWindow() || widget->isHidden())
            continue;
        if (auto* drawing = qobject_cast<CDrawingWnd*>(widget)) {
            painter.save();
            painter.translate(drawing->mapTo(root, drawing->clientOrigin()));
            drawing->renderInto(painter, printer);
            painter.restore();
        }
        renderChildren(root, widget, painter, printer);
    }
}

}  // namespace

void renderDescendants(QWidget* root, QPainter& painter, bool printer)
{
    if (root != nullptr)
        renderChildren(root, root, painter, printer);
}

}  // namespace kavro
