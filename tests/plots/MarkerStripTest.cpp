#include "PlotTestSupport.h"
#include "plots/CMarkerStrip.h"
#include "plots/CValueTipWnd.h"

#include <QFontMetrics>
#include <QWidget>
#include <gtest/gtest.h>

namespace kavro {
namespace {

using test::isDark;
using test::renderClient;

TEST(MarkerStrip, ReachesHalfItsHeightBeyondItsNominalEnds)
{
    QWidget parent;
    CMarkerStrip strip;
    strip.Create(&parent, 50, 127, 400, 8);
    EXPECT_EQ(strip.halfHeight(), 4);
    EXPECT_EQ(strip.geometry(), QRect(46, 127, 408, 8));
    EXPECT_EQ(strip.clientWidth(), 408);  // no border
}

TEST(MarkerStrip, MarkerIsAnUpwardTriangleWithItsTipAboveItsPosition)
{
    QWidget parent;
    CMarkerStrip strip;
    strip.Create(&parent, 50, 127, 400, 8);
    EXPECT_EQ(strip.AddMarker(0), 0);
    QImage image = renderClient(strip, false, 0, Qt::white);

    // Tip at window x 4 on the top row, alone there.
    EXPECT_TRUE(isDark(image.pixelColor(4, 0)));
    EXPECT_FALSE(isDark(image.pixelColor(3, 0)));
    EXPECT_FALSE(isDark(image.pixelColor(5, 0)));
    // Base on the bottom row from x 0 to 8, nothing beyond.
    for (int x = 0; x <= 8; ++x)
        EXPECT_TRUE(isDark(image.pixelColor(x, 7))) << "x " << x;
    EXPECT_FALSE(isDark(image.pixelColor(9, 7)));
    // Hollow inside.
    EXPECT_FALSE(isDark(image.pixelColor(4, 5)));
}

TEST(MarkerStrip, HoldsTenMarkersAndMovesThem)
{
    QWidget parent;
    CMarkerStrip strip;
    strip.Create(&parent, 50, 127, 400, 8);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(strip.AddMarker(i * 40), i);
    EXPECT_EQ(strip.AddMarker(5), -1);
    EXPECT_EQ(strip.markerCount(), 10);

    EXPECT_EQ(strip.SetMarker(1, 399), 40);
    EXPECT_EQ(strip.SetMarker(1, 100), 399);
    EXPECT_EQ(strip.SetMarker(10, 7), 0);  // ignored
    EXPECT_EQ(strip.SetMarker(-1, 7), 0);

    CMarkerStrip two;
    two.Create(&parent, 50, 127, 400, 8);
    two.AddMarker(0);
    two.AddMarker(10);
    two.SetMarker(1, 399);
    QImage image = renderClient(two, false, 0, Qt::white);
    EXPECT_TRUE(isDark(image.pixelColor(399 + 4, 0)));
    EXPECT_FALSE(isDark(image.pixelColor(10 + 4, 0)));
}

TEST(ValueTip, PopupSizedToItsTextWithTheTextInside)
{
    QWidget owner;
    CValueTipWnd tip;
    const QString text = QStringLiteral("[431 µm] 0.000431 µl/l");
    tip.Create(&owner, 300, 200, text);
    EXPECT_TRUE(tip.isWindow());
    EXPECT_TRUE(tip.isVisible());
    EXPECT_TRUE(tip.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(tip.pos(), QPoint(300, 200));
    QFontMetrics metrics(tip.font());
    EXPECT_EQ(tip.size(), QSize(metrics.horizontalAdvance(text) + 30, metrics.height() + 30));

    // The screen picture: a black border, white inside, the text from (14, 14) of
    // the client.
    QImage shot = tip.grab().toImage();
    EXPECT_TRUE(isDark(shot.pixelColor(0, 0)));
    EXPECT_TRUE(isDark(shot.pixelColor(shot.width() - 1, shot.height() - 1)));
    EXPECT_EQ(shot.pixelColor(5, 5), QColor(Qt::white));
    QRect ink = test::inkBox(shot.copy(1, 1, shot.width() - 2, shot.height() - 2), Qt::white);
    ASSERT_TRUE(ink.isValid());
    EXPECT_GE(ink.left(), 14);
    EXPECT_GE(ink.top(), 14);
    EXPECT_LE(ink.right(), 14 + metrics.horizontalAdvance(text));
}

}  // namespace
}  // namespace kavro
