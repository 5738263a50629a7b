#pragma once
// Prints a view: every drawing window among the view's children draws itself into
// the page at its own place, one view pixel at the size it has on the screen.
// The windows draw with painter calls, so a PDF keeps its text and lines.
#include <QTransform>

class QPaintDevice;
class QPrinter;
class QWidget;

namespace kavro {

class ViewPrinter {
public:
    // View pixels to page pixels: the page's resolution over the screen's.
    static QTransform pageMapping(const QPaintDevice& page, const QPaintDevice& screen);
    // One page with what canvas shows; false when the printer could not start.
    static bool printPage(QWidget* canvas, QPrinter& printer);
};

}  // namespace kavro
