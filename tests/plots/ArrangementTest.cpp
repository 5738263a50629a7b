// A view's arrangement shown in windows of other sizes: the mapping itself, and
// the windows on a canvas following it.
#include "PlotTestSupport.h"
#include "plots/Arrangement.h"
#include "plots/CMarkerStrip.h"
#include "plots/CTextWnd.h"

#include <QFontMetrics>
#include <cmath>
#include <gtest/gtest.h>

namespace kavro {
namespace {

using test::isDark;
using test::renderClient;

const QSize kExtent(532, 414);
const std::vector<ArrangementScale::Rows> kPlotRows{{70, 272}};

TEST(ArrangementScale, FitsWindowsOfEverySize)
{
    struct Row {
        const char* what;
        QSize area;
        double xScale;
        double fontScale;
        QSize mapped;  // where the arrangement's far corner lands
        QSize laidOut = {};
    };
    // Text grows with the power 3/4 of the scale.
    const double twiceFont = std::pow(2.0, 0.75);
    // Beyond the laid-out width the room beside the display shrinks with the fourth
    // power of laid-out over window width.
    const double wideFilled = 1366 - 69 * std::pow(601.0 / 1366, 4);
    for (Row r : {Row{"own size", kExtent, 1.0, 1.0, kExtent},
                  Row{"twice", QSize(1064, 828), 2.0, twiceFont, QSize(1064, 828)},
                  Row{"wide and low", QSize(1064, 414), 2.0, 1.0, QSize(1064, 414)},
                  Row{"below the minimum", QSize(300, 250), 0.75, 0.75, QSize(399, 311)},
                  Row{"narrow below the minimum", QSize(200, 828), 0.75, 0.75, QSize(399, 386)},
                  // The plots grow at most half again as much in height as in width:
                  // 70 + 202 * 1.5 + 142 text rows.
                  Row{"tall", QSize(532, 1600), 1.0, 1.0, QSize(532, 515)},
                  // A window laid out wider than its display (for its bar) holds it at
                  // its own size, and grows it by what it has beyond that, taking up
                  // the room beside it as it grows.
                  Row{"laid out wider", QSize(601, 414), 1.0, 1.0, kExtent, QSize(601, 414)},
                  Row{"between the two", QSize(560, 414), 1.0, 1.0, kExtent, QSize(601, 414)},
                  Row{"beyond the wider", QSize(1366, 640), wideFilled / 532, std::pow(640.0 / 414, 0.75),
                      QSize(static_cast<int>(std::lround(wideFilled)), 640), QSize(601, 414)},
                  Row{"narrower than the display", QSize(480, 414), 480.0 / 532, 480.0 / 532, QSize(480, 414),
                      QSize(601, 414)}}) {
        const ArrangementScale s = ArrangementScale::fit(kExtent, r.area, kPlotRows, r.laidOut);
        EXPECT_DOUBLE_EQ(s.xScale(), r.xScale) << r.what;
        EXPECT_NEAR(s.fontScale(), r.fontScale, 1e-12) << r.what;
        EXPECT_EQ(s.map(QPoint(kExtent.width(), kExtent.height())), QPoint(r.mapped.width(), r.mapped.height()))
            << r.what;
        // The text rows above and below the plots grow with the font; the plots
        // take the rest of the height.
        EXPECT_NEAR(s.mapY(70), 70 * s.fontScale(), 1e-9) << r.what;
        EXPECT_NEAR(s.mapY(414) - s.mapY(272), 142 * s.fontScale(), 1e-9) << r.what;
        EXPECT_GE(s.mapY(272) - s.mapY(70), 202 * s.fontScale() - 1e-9) << r.what;
        // Nothing folds over: a lower row never stands above a higher one.
        for (int y = 0; y < 414; ++y)
            ASSERT_LT(s.mapY(y), s.mapY(y + 1)) << r.what << " row " << y;
    }
}

TEST(ArrangementScale, AtItsOwnSizeNothingMovesAndFontsStay)
{
    const ArrangementScale s = ArrangementScale::fit(kExtent, kExtent, kPlotRows);
    EXPECT_TRUE(s.isIdentity());
    for (QRect r : {QRect(60, 70, 194, 202), QRect(274, 70, 194, 202), QRect(5, 364, 40, 13), QRect(0, 0, 1, 1)})
        EXPECT_EQ(s.map(r), r);
    QFont font;
    font.setPixelSize(19);
    EXPECT_EQ(s.font(font).pixelSize(), 19);
    // Without an extent there is nothing to fit: one to one.
    EXPECT_TRUE(ArrangementScale::fit(QSize(), QSize(800, 600), kPlotRows).isIdentity());
}

TEST(ArrangementScale, RectanglesKeepTheirNeighboursEdges)
{
    // The two plots stand 20 pixels apart; scaled, the gap scales with them and
    // the edges of a rectangle are the mapped edges (no rounding of the size alone).
    const ArrangementScale s = ArrangementScale::fit(kExtent, QSize(1366, 640), kPlotRows);
    const QRect bar = s.map(QRect(60, 70, 194, 202));
    const QRect vsf = s.map(QRect(274, 70, 194, 202));
    EXPECT_EQ(bar.top(), vsf.top());
    EXPECT_EQ(bar.height(), vsf.height());
    EXPECT_EQ(bar.left(), std::lround(60 * s.xScale()));
    EXPECT_EQ(vsf.left() + vsf.width(), std::lround(468 * s.xScale()));
    EXPECT_NEAR(vsf.left() - (bar.left() + bar.width()), 20 * s.xScale(), 1.0);
    // Point and pixel fonts both grow by the font scale.
    QFont pixels;
    pixels.setPixelSize(12);
    EXPECT_EQ(s.font(pixels).pixelSize(), std::lround(12 * s.fontScale()));
    QFont points;
    points.setPointSizeF(10.0);
    EXPECT_NEAR(s.font(points).pointSizeF(), 10.0 * s.fontScale(), 0.01);
}

TEST(ArrangementCanvas, WindowsOnTheCanvasFollowItsScaleAndComeBack)
{
    ArrangementCanvas canvas;
    canvas.setArrangement(kExtent, kPlotRows);
    auto* label = new CTextWnd(&canvas);
    label->SetAlignment(CPlacedWnd::RightCentre);
    label->Create(&canvas, 59, 171);
    label->SetText("µl/l");
    auto* strip = new CMarkerStrip(&canvas);
    strip->Create(&canvas, 50, 127, 400, 8);
    label->setToolTip("set by the label's owner");
    const QRect labelAtOne = label->geometry();
    const QRect stripAtOne = strip->geometry();

    canvas.setScale(canvas.scaleFor(QSize(1064, 828)));
    const ArrangementScale& s = canvas.scale();
    EXPECT_EQ(canvas.scaledExtent(), QSize(1064, 828));
    EXPECT_EQ(strip->geometry(), s.map(QRect(46, 127, 408, 8)));
    EXPECT_EQ(strip->logicalGeometry(), QRect(46, 127, 408, 8));
    // The label keeps its logical anchor and font, and stands at the mapped anchor in the scaled font.
    EXPECT_EQ(label->anchor(), QPoint(59, 171));
    EXPECT_EQ(label->labelFont().pixelSize(), 12);
    EXPECT_EQ(label->shownFont().pixelSize(), 20);
    EXPECT_EQ(label->height(), QFontMetrics(label->shownFont()).height() + 2);
    EXPECT_EQ(label->geometry().right() + 1, std::lround(59 * s.xScale()));
    EXPECT_NEAR(label->geometry().center().y(), s.mapY(171), 1.5);  // whole pixels, centre rounded down
    // A tool tip its owner gave the label stays through the new scale.
    EXPECT_EQ(label->toolTip(), "set by the label's owner");

    // A label made while the canvas is scaled takes the scale at once.
    auto* late = new CTextWnd(&canvas);
    late->SetAlignment(CPlacedWnd::TopLeft);
    late->Create(&canvas, 460, 182);
    late->SetText("Depth");
    EXPECT_EQ(late->pos(), s.map(QPoint(460, 182)));
    EXPECT_EQ(late->shownFont().pixelSize(), 20);

    canvas.setScale(ArrangementScale());
    EXPECT_EQ(label->geometry(), labelAtOne);
    EXPECT_EQ(strip->geometry(), stripAtOne);
    EXPECT_EQ(late->pos(), QPoint(460, 182));
}

TEST(ArrangementCanvas, TheFillingWidthGivesTheHeightsScaleAcross)
{
    // Beside another panel a view is given the width at which its display fills the
    // height: no empty room beside it, no plot height given up.
    for (QSize laidOut : {QSize(), QSize(601, 414)}) {
        ArrangementCanvas canvas;
        canvas.setArrangement(kExtent, kPlotRows, laidOut);
        for (int height : {414, 500, 650, 1000}) {
            const int width = canvas.fillingWidth(height);
            const ArrangementScale s = canvas.scaleFor(QSize(width, height));
            const double heightScale = static_cast<double>(height) / kExtent.height();
            EXPECT_NEAR(s.xScale(), heightScale, 1.5 / kExtent.width()) << laidOut.width() << " " << height;
            // One pixel narrower and the display gives up scale.
            EXPECT_LT(canvas.scaleFor(QSize(width - 2, height)).xScale(), heightScale) << height;
        }
    }
}

TEST(ArrangementCanvas, AStretchedMarkerStripKeepsItsMarkersUnderTheirColumns)
{
    ArrangementCanvas canvas;
    canvas.setArrangement(kExtent, kPlotRows);
    auto* strip = new CMarkerStrip(&canvas);
    strip->Create(&canvas, 50, 127, 400, 8);
    canvas.setScale(canvas.scaleFor(QSize(1064, 828)));  // twice as wide
    strip->AddMarker(300);
    ASSERT_EQ(strip->clientWidth(), 816);
    // Column 300 of 400 of the image above, which now starts 8 pixels right of
    // the strip and is 800 pixels wide.
    EXPECT_EQ(strip->drawnAt(300), 608);
    EXPECT_EQ(strip->drawnAt(0), 8);
    QImage image = renderClient(*strip, false, 0, Qt::white);
    EXPECT_TRUE(isDark(image.pixelColor(608, 0)));
    EXPECT_FALSE(isDark(image.pixelColor(308, 0)));
}

}  // namespace
}  // namespace kavro
