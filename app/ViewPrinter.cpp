#include "app/ViewPrinter.h"

#include "plots/CDrawingWnd.h"

#include <QPainter>
#include <QPrinter>
#include <QWidget>

namespace kavro {

QTransform ViewPrinter::pageMapping(const QPaintDevice& page, const QPaintDevice& screen)
{
    const double sx = static_cast<double>(page.logicalDpiX()) / screen.logicalDpiX();
    const double sy = static_cast<double>(page.logicalDpiY()) / screen.logicalDpiY();
    return QTransform::fromScale(sx, sy);
}

bool ViewPrinter::printPage(QWidget* canvas, QPrinter& printer)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    painter.setTransform(pageMapping(printer, *canvas));
    renderDescendants(canvas, painter, true);
    return painter.end();
}

}  // namespace kavro
