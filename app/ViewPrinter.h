#pragma once
// Prints a view: every drawing window among the view's children draws itself into
// the page at its own place.  The page is used as the screen uses the window: the
// view's arrangement is fitted to the printable area (one view pixel keeping the
// physical size it has on the screen), so that a page looks like a window of its
// size.  The windows draw with painter calls, so a PDF keeps its text and lines.
#include <QSize>
#include <QTransform>
#include <optional>
#include <string>

class QPaintDevice;
class QPrinter;

namespace kavro {

class ArrangementCanvas;

class ViewPrinter {
public:
    // View pixels to page pixels: the page's resolution over the screen's.
    static QTransform pageMapping(const QPaintDevice& page, const QPaintDevice& screen);
    // The printable area of printer's page in the screen's pixels.
    static QSize pageArea(const QPrinter& printer, const QPaintDevice& screen);
    // One page with what canvas shows, laid out for the page, and under it the
    // caption (what is printed: see captionText); false when the printer could not
    // start.  The windows stand where they stood before afterwards.
    static bool printPage(ArrangementCanvas* canvas, QPrinter& printer, const std::string& caption = {});
    // "cast07.psd   Data Frame: 17   2026-12-09T02:20:45.123Z   Printed 2026-12-10 08:15 UTC":
    // the file, the frame shown (when there is one), its time (NaN: not stamped) and
    // the moment of printing (seconds since 1970, UTC).
    static std::string captionText(const std::string& fileName, std::optional<int> frame, double frameUtc,
                                   double printedUtc);
};

}  // namespace kavro
