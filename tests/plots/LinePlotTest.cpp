#include "PlotTestSupport.h"
#include "FakeSource.h"
#include "plots/CLinePlotWnd.h"

#include <QWidget>
#include <gtest/gtest.h>
#include <QPolygon>
#include <limits>

namespace kavro {
namespace {

using test::isDark;
using test::renderClient;

class LinePlot : public ::testing::Test {
protected:
    void SetUp() override
    {
        plot.Create(&parent, 274, 70, 194, 202);  // client 192 x 200
        plot.SetSource(&source);
    }

    void setAll(double v)
    {
        for (int i = 0; i < 32; ++i)
            frame.setVsf(i, v);
    }

    QWidget parent;
    test::SourceEnv env;
    test::FakeSource source{env};
    CFrameResult& frame = source.frameResult();
    CLinePlotWnd plot;
};

TEST_F(LinePlot, TopOfTheScaleIsRowZeroAndTheBottomOneRowBelowTheClient)
{
    EXPECT_EQ(plot.windowTitle(), QStringLiteral("Line Plot"));
    EXPECT_EQ(plot.pointCount(), 32);
    setAll(5.0);
    QImage image = renderClient(plot, false, 1, Qt::white);
    for (int x = 0; x < 192; ++x)
        ASSERT_TRUE(isDark(image.pixelColor(x + 1, 1))) << x;
    EXPECT_FALSE(isDark(image.pixelColor(50, 2)));
    EXPECT_FALSE(isDark(image.pixelColor(50, 0)));  // nothing above the client

    // -5 lies on row 200, outside the 200-row client: the window clips it away.
    // (Only the beam read-out at the top stays.)
    setAll(-5.0);
    image = renderClient(plot, false, 1, Qt::white);
    EXPECT_FALSE(test::inkBox(image.copy(0, 30, image.width(), image.height() - 30), Qt::white).isValid());
    EXPECT_EQ(plot.rowOf(-5.0, 200), 200);
    EXPECT_EQ(plot.rowOf(0.0, 200), 100);
    EXPECT_EQ(plot.rowOf(2.5, 200), 50);
}

TEST_F(LinePlot, PointsSpreadOverTheWidthAndFollowTheValues)
{
    // A step: rings 0..15 at +2.5 (row 50), 16..31 at -2.5 (row 150).
    for (int i = 0; i < 32; ++i)
        frame.setVsf(i, i < 16 ? 2.5 : -2.5);
    QImage image = renderClient(plot, false, 0, Qt::white);
    // x_i = trunc(i x 192 / 31): ring 15 at x 92, ring 16 at x 99.
    EXPECT_TRUE(isDark(image.pixelColor(0, 50)));
    EXPECT_TRUE(isDark(image.pixelColor(92, 50)));
    EXPECT_FALSE(isDark(image.pixelColor(92, 150)));
    EXPECT_TRUE(isDark(image.pixelColor(99, 150)));
    EXPECT_TRUE(isDark(image.pixelColor(191, 150)));
    bool slope = false;  // the line between them crosses row 100
    for (int x = 92; x <= 99; ++x)
        slope = slope || isDark(image.pixelColor(x, 100));
    EXPECT_TRUE(slope);
}

TEST_F(LinePlot, OutOfScaleValuesAreClampedOrClipped)
{
    EXPECT_EQ(plot.rowOf(-7.0, 200), 200);
    EXPECT_EQ(plot.rowOf(-std::numeric_limits<double>::infinity(), 200), 200);
    EXPECT_EQ(plot.rowOf(std::numeric_limits<double>::quiet_NaN(), 200), 200);
    EXPECT_EQ(plot.rowOf(6.0, 200), -20);
    EXPECT_LT(plot.rowOf(std::numeric_limits<double>::infinity(), 200), -100000);

    // Far above the top: nothing drawn outside the client, not even on paper.
    setAll(1.0e300);
    QImage paper = renderClient(plot, true, 3, Qt::white);
    EXPECT_EQ(test::inkBox(paper, Qt::white), QRect(2, 2, 194, 202));  // the frame only
}

TEST_F(LinePlot, BeamAttenuationReadOutAndPrinterFrame)
{
    setAll(-6.0);  // keep the line out of sight
    source.beam = 0.1234;
    QImage image = renderClient(plot, false, 0, Qt::white);
    QRect ink = test::inkBox(image, Qt::white);
    ASSERT_TRUE(ink.isValid());
    EXPECT_GE(ink.left(), 192 - 120);
    EXPECT_GE(ink.top(), 5);

    QImage paper = renderClient(plot, true, 1, Qt::white);
    EXPECT_TRUE(isDark(paper.pixelColor(0, 0)));
    EXPECT_TRUE(isDark(paper.pixelColor(193, 201)));
    EXPECT_FALSE(isDark(renderClient(plot, false, 1, Qt::white).pixelColor(0, 0)));
}

TEST(LinePlotBeamText, StandsInTheFirstCornerTheLineLeavesFree)
{
    const QSize text(100, 15);
    auto line = [](std::initializer_list<QPoint> points) { return QPolygon(QList<QPoint>(points)); };
    // Falling from the top left: the top right is free.
    EXPECT_EQ(CLinePlotWnd::textPlace(line({{0, 0}, {191, 200}}), text, 192, 200), QRect(72, 5, 100, 15));
    // A line along the top: the bottom right.
    EXPECT_EQ(CLinePlotWnd::textPlace(line({{0, 10}, {191, 10}}), text, 192, 200), QRect(72, 180, 100, 15));
    // Along the top and down the right half: the bottom left.
    EXPECT_EQ(CLinePlotWnd::textPlace(line({{0, 10}, {191, 10}, {150, 10}, {150, 199}}), text, 192, 200).topLeft(),
              QPoint(5, 180));
    // A long text keeps clear of the right edge.
    EXPECT_EQ(CLinePlotWnd::textPlace(line({{0, 199}, {191, 199}}), QSize(150, 15), 192, 200).right(), 192 - 4);
}

TEST_F(LinePlot, NoFrameDrawsNothing)
{
    plot.SetSource(nullptr);
    EXPECT_FALSE(test::inkBox(renderClient(plot, true, 2, Qt::white), Qt::white).isValid());
}

}  // namespace
}  // namespace kavro
