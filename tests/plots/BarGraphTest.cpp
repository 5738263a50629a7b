#include "PlotTestSupport.h"
#include "core/CFrameResult.h"
#include "plots/CBarGraphWnd.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>
#include <gtest/gtest.h>

namespace kavro {
namespace {

using test::renderClient;

const QColor kTeal(0, 128, 128);
const QColor kWhite(255, 255, 255);
const QColor kMarkedBar(224, 224, 224);
const QColor kMarkedAbove(128, 128, 128);

// Diameters 10, 20, ... 320 um; class c holds c / 4 ul/l (so c / 32 of a scale of 8).
CFrameResult rampFrame()
{
    CFrameResult frame;
    for (int c = 0; c < 32; ++c) {
        frame.setDiameter(c, 10.0 * (c + 1));
        frame.setVolume(c, c * 0.25);
    }
    frame.setMean(-1.0);
    frame.setStdDev(-1.0);
    return frame;
}

class BarGraph : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The border takes one pixel on each side: a 194 x 200 client.
        graph.Create(&parent, 60, 70, 196, 202);
        graph.SetFrame(&frame);
        graph.SetYMax(8.0);
    }

    // Every class's columns: which x belong to it.
    static int expectedClass(int x) { return x * 32 / 194; }

    // Checks every pixel of the client against the bar heights and the marked classes.
    void expectBars(const QImage& image, std::initializer_list<int> marked) const
    {
        for (int x = 0; x < 194; ++x) {
            const int c = expectedClass(x);
            const int bar = c == 31 ? 200 : 25 * c / 4;  // 200 x c / 32, truncated
            const bool isMarked = std::find(marked.begin(), marked.end(), c) != marked.end();
            for (int y = 0; y < 200; ++y) {
                QColor want = y >= 200 - bar ? (isMarked ? kMarkedBar : kTeal) : (isMarked ? kMarkedAbove : kWhite);
                ASSERT_EQ(image.pixelColor(x, y), want) << "x " << x << " y " << y << " class " << c;
            }
        }
    }

    QWidget parent;
    CFrameResult frame = rampFrame();
    CBarGraphWnd graph{32};
};

TEST_F(BarGraph, EveryPixelColumnIsPaintedFromItsClassValue)
{
    frame.setVolume(31, 8.0);  // = yMax: to the top
    ASSERT_EQ(graph.clientWidth(), 194);
    ASSERT_EQ(graph.clientHeight(), 200);
    EXPECT_EQ(graph.windowTitle(), QStringLiteral("Bar Graph"));

    int columns[32] = {};
    for (int x = 0; x < 194; ++x) {
        EXPECT_EQ(graph.classAt(x), expectedClass(x));
        ++columns[graph.classAt(x)];
    }
    for (int c = 0; c < 32; ++c)
        EXPECT_TRUE(columns[c] == 6 || columns[c] == 7) << "class " << c << ": " << columns[c];

    expectBars(renderClient(graph, false), {});
}

TEST_F(BarGraph, ValuesBeyondTheScaleAreClippedAtTheEdges)
{
    frame.setVolume(0, 1.0e300);
    frame.setVolume(1, -3.0);
    frame.setVolume(2, std::numeric_limits<double>::quiet_NaN());
    QImage image = renderClient(graph, false);
    EXPECT_EQ(image.pixelColor(0, 0), kTeal);
    EXPECT_EQ(image.pixelColor(7, 199), kWhite);
    EXPECT_EQ(image.pixelColor(13, 199), kWhite);
}

TEST_F(BarGraph, MeanAndStandardDeviationMarkTheirClasses)
{
    frame.setVolume(31, 8.0);
    frame.setMean(100.0);   // class 9
    frame.setStdDev(30.0);  // classes 6 and 12
    graph.SetMarks(true, true);
    expectBars(renderClient(graph, false), {6, 9, 12});
    graph.SetMarks(true, false);
    expectBars(renderClient(graph, false), {9});
    graph.SetMarks(false, true);
    expectBars(renderClient(graph, false), {6, 12});

    // All three in one class: that class alone.
    frame.setStdDev(2.0);
    graph.SetMarks(true, true);
    expectBars(renderClient(graph, false), {9});
}

TEST_F(BarGraph, EmptyDistributionMarksNoClass)
{
    frame.setVolume(31, 8.0);
    graph.SetMarks(true, true);
    expectBars(renderClient(graph, false), {});
}

TEST_F(BarGraph, ClassIndexOfPicksTheNearestDiameter)
{
    EXPECT_EQ(graph.ClassIndexOf(100.0), 9);
    EXPECT_EQ(graph.ClassIndexOf(104.9), 9);
    EXPECT_EQ(graph.ClassIndexOf(105.0), 9);  // tie: the lower class
    EXPECT_EQ(graph.ClassIndexOf(105.1), 10);
    EXPECT_EQ(graph.ClassIndexOf(0.001), 0);
    EXPECT_EQ(graph.ClassIndexOf(1.0e9), 31);
    EXPECT_EQ(graph.ClassIndexOf(0.0), -1);
    EXPECT_EQ(graph.ClassIndexOf(-5.0), -1);
    EXPECT_EQ(graph.ClassIndexOf(std::numeric_limits<double>::quiet_NaN()), -1);
}

TEST_F(BarGraph, WithoutFrameOrScaleOnlyTheWhiteBackgroundShows)
{
    CBarGraphWnd empty(32);
    empty.Create(&parent, 0, 0, 196, 202);
    EXPECT_FALSE(test::inkBox(renderClient(empty, false), Qt::magenta).isValid());
    empty.SetYMax(8.0);
    EXPECT_FALSE(test::inkBox(renderClient(empty, true), Qt::magenta).isValid());
    empty.SetYMax(0.0);
    empty.SetFrame(&frame);
    EXPECT_FALSE(test::inkBox(renderClient(empty, false), Qt::magenta).isValid());

    // On screen: the border around a white client.
    QImage shot = empty.grab().toImage();
    EXPECT_EQ(shot.pixelColor(0, 0), QColor(Qt::black));
    EXPECT_EQ(test::inkBox(shot.copy(1, 1, 194, 200), kWhite), QRect());
}

TEST_F(BarGraph, PrinterGetsAFrameJustOutsideTheClient)
{
    QImage screen = renderClient(graph, false, 2);
    EXPECT_EQ(screen.pixelColor(1, 1), QColor(Qt::magenta));
    QImage paper = renderClient(graph, true, 2);
    for (QPoint p : {QPoint(1, 1), QPoint(196, 1), QPoint(1, 202), QPoint(196, 202), QPoint(100, 1), QPoint(1, 100)})
        EXPECT_EQ(paper.pixelColor(p), QColor(Qt::black)) << p.x() << "," << p.y();
    EXPECT_EQ(paper.pixelColor(0, 0), QColor(Qt::magenta));
    EXPECT_EQ(paper.pixelColor(2, 2), kWhite);  // class 0 is empty
}

TEST_F(BarGraph, HoldingTheButtonShowsTheClassValue)
{
    frame.setDiameter(0, 1234.5);
    frame.setVolume(0, 0.000431);
    EXPECT_EQ(graph.tipText(0), QStringLiteral("[1.23e+03 µm] 0.000431 µl/l"));
    EXPECT_EQ(graph.tipText(9), QStringLiteral("[100 µm] 2.25 µl/l"));

    parent.show();
    const QPointF inside(1, 50);  // client x 0
    QMouseEvent press(QEvent::MouseButtonPress, inside, graph.mapToGlobal(inside), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(&graph, &press);
    ASSERT_NE(graph.tip(), nullptr);
    EXPECT_EQ(graph.tip()->text(), QStringLiteral("[1.23e+03 µm] 0.000431 µl/l"));
    EXPECT_TRUE(graph.tip()->isVisible());
    EXPECT_EQ(graph.tip()->pos(), graph.mapToGlobal(QPoint(1, 50)));

    QMouseEvent release(QEvent::MouseButtonRelease, inside, graph.mapToGlobal(inside), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&graph, &release);
    EXPECT_EQ(graph.tip(), nullptr);

    // No frame, no tip.
    graph.SetFrame(nullptr);
    QApplication::sendEvent(&graph, &press);
    EXPECT_EQ(graph.tip(), nullptr);
}

}  // namespace
}  // namespace kavro
