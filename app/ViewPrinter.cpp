#include "app/ViewPrinter.h"

#include "plots/Arrangement.h"
#include "plots/CDrawingWnd.h"

#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <cmath>

namespace kavro {

QTransform ViewPrinter::pageMapping(const QPaintDevice& page, const QPaintDevice& screen)
{
    const double sx = static_cast<double>(page.logicalDpiX()) / screen.logicalDpiX();
    const double sy = static_cast<double>(page.logicalDpiY()) / screen.logicalDpiY();
    return QTransform::fromScale(sx, sy);
}

QSize ViewPrinter::pageArea(const QPrinter& printer, const QPaintDevice& screen)
{
    const QTransform mapping = pageMapping(printer, screen);
    const QRect paint = printer.pageLayout().paintRectPixels(printer.resolution());
    return {static_cast<int>(std::floor(paint.width() / mapping.m11())),
            static_cast<int>(std::floor(paint.height() / mapping.m22()))};
}

bool ViewPrinter::printPage(ArrangementCanvas* canvas, QPrinter& printer)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    painter.setTransform(pageMapping(printer, *canvas));
    // The windows take their places for the page and go back to the window's after.
    const ArrangementScale shown = canvas->scale();
    canvas->setScale(canvas->scaleFor(pageArea(printer, *canvas)));
    renderDescendants(canvas, painter, true);
    canvas->setScale(shown);
    return painter.end();
}

}  // namespace kavro
