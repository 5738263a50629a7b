#include "app/ViewPrinter.h"

#include "plots/Arrangement.h"
#include "plots/CDrawingWnd.h"

#include "core/FrameTimes.h"
#include "resources/AppTexts.h"
#include "resources/PlotTexts.h"

#include <QFont>
#include <QFontMetrics>
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

std::string ViewPrinter::captionText(const std::string& fileName, std::optional<int> frame, double frameUtc,
                                     double printedUtc)
{
    std::string caption = fileName;
    if (frame)
        caption += text::kPrintCaptionSeparator + std::string(text::kDataFramePrefix) + std::to_string(*frame);
    if (frame && std::isfinite(frameUtc))
        caption += text::kPrintCaptionSeparator + formatUtcTimestamp(frameUtc);
    // To the minute: "2026-12-10T08:15:42.120Z" is cut to "2026-12-10 08:15".
    std::string printed = formatUtcTimestamp(printedUtc).substr(0, 16);
    if (printed.size() > 10)
        printed[10] = ' ';
    caption += text::kPrintCaptionSeparator + std::string(text::kPrintedOn) + printed + text::kPrintedUtc;
    return caption;
}

bool ViewPrinter::printPage(ArrangementCanvas* canvas, QPrinter& printer, const std::string& caption)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    painter.setTransform(pageMapping(printer, *canvas));
    QSize area = pageArea(printer, *canvas);
    // The caption takes a line at the foot of the page, the display the rest.
    QFont captionFont(QString::fromUtf8(text::kLabelFontFace));
    captionFont.setPixelSize(11);
    const int captionHeight = caption.empty() ? 0 : QFontMetrics(captionFont).height() + 6;
    area.setHeight(std::max(1, area.height() - captionHeight));
    // The windows take their places for the page and go back to the window's after.
    const ArrangementScale shown = canvas->scale();
    canvas->setScale(canvas->scaleFor(area));
    renderDescendants(canvas, painter, true);
    canvas->setScale(shown);
    if (!caption.empty()) {
        painter.setFont(captionFont);
        painter.setPen(Qt::black);
        painter.drawText(QRect(0, area.height() + 6, area.width(), captionHeight - 6),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, QString::fromStdString(caption));
    }
    return painter.end();
}

}  // namespace kavro
