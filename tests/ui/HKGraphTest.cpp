// The auxiliary graph on its own: pages, the cursor and its limits, what it tells
// the view, its traces, and a cursor that erases itself.
#include "auxiliary/CHKInfo.h"
#include "auxiliary/ui/CHKGraphWnd.h"

#include <QImage>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace kavro;

namespace {

struct Listener : HKGraphListener {
    void setCursorFrame(int frame) override { cursorFrame = frame; }
    void setSelection(int f, int l) override { selection = {f, l}; }
    void selectFirst(int frame) override { calls.push_back("first:" + std::to_string(frame)); }
    void selectLast(int frame) override { calls.push_back("last:" + std::to_string(frame)); }
    void pageShown(int f, int l) override { page = {f, l}; }
    void frameReported(int frame, const FrameSummary& record) override
    {
        reported.push_back(frame);
        reportedLaser = record.aux[0];
    }
    int cursorFrame = -99;
    std::pair<int, int> selection{-99, -99}, page{-99, -99};
    std::vector<int> reported;
    std::vector<std::string> calls;
    int reportedLaser = -1;
};

// Frame i: laser power i (so a report can be told apart), battery 4096, pressure 0.
std::vector<FrameSummary> records(int n)
{
    std::vector<FrameSummary> out(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        out[static_cast<std::size_t>(i)].aux[0] = static_cast<std::uint16_t>(i);
        out[static_cast<std::size_t>(i)].aux[1] = 4096;
    }
    return out;
}

struct HKGraphTest : ::testing::Test {
    QWidget parent;
    Listener listener;
    DisplaySelection selection;
    std::vector<FrameSummary> data;
    CHKGraphWnd* graph = nullptr;

    void make(int frames)
    {
        data = records(frames);
        graph = new CHKGraphWnd(listener, selection, &parent);
        graph->Create(&parent, 50, 162, 400, 180, data);
    }
    // A click at column x of the client area (inside the border).
    void click(int x) { QTest::mouseClick(graph, Qt::LeftButton, {}, QPoint(x + 1, 90)); }
};

TEST_F(HKGraphTest, StartsAtColumn200WithTheWholeFileSelected)
{
    make(450);
    EXPECT_EQ(graph->geometry(), QRect(50, 162, 402, 182));
    EXPECT_EQ(graph->clientWidth(), 400);
    EXPECT_EQ(graph->windowTitle(), "HK Graph");
    EXPECT_EQ(graph->visible(), 400);
    EXPECT_EQ(graph->cursor(), 200);
    EXPECT_EQ(listener.cursorFrame, 200);
    EXPECT_EQ(listener.selection, std::make_pair(0, 449));
    EXPECT_TRUE(listener.reported.empty());
}

TEST_F(HKGraphTest, PagesThroughA450FrameFile)
{
    make(450);
    graph->NextPage();
    EXPECT_EQ(graph->first(), 400);
    EXPECT_EQ(listener.page, std::make_pair(400, 799));
    // The cursor stays on the file: 50 frames on this page.
    EXPECT_EQ(graph->cursor(), 49);
    EXPECT_EQ(listener.cursorFrame, 449);
    EXPECT_EQ(listener.reported.back(), 449);
    EXPECT_EQ(listener.reportedLaser, 449);
    graph->NextPage();
    EXPECT_EQ(graph->first(), 400);
    graph->LastPage();
    EXPECT_EQ(graph->first(), 50);
    EXPECT_EQ(listener.page, std::make_pair(50, 449));
    graph->PreviousPage();
    EXPECT_EQ(graph->first(), 0);
    graph->NextPage();
    graph->FirstPage();
    EXPECT_EQ(graph->first(), 0);
    EXPECT_EQ(listener.reported.size(), 6u);
}

TEST_F(HKGraphTest, TheCursorKeepsToThePageAndTheFile)
{
    make(450);
    click(399);
    EXPECT_EQ(listener.reported.back(), 399);
    click(-30);
    EXPECT_EQ(graph->cursor(), 0);
    graph->NextPage();
    // Beyond the last record of a short page: the last frame.
    click(300);
    EXPECT_EQ(graph->cursor(), 49);
    EXPECT_EQ(listener.reported.back(), 449);
    graph->SelectFirst();
    graph->SelectLast();
    EXPECT_EQ(listener.calls, (std::vector<std::string>{"first:449", "last:449"}));
}

TEST_F(HKGraphTest, DraggingMovesTheCursorAndReportsOnceOnRelease)
{
    make(450);
    QTest::mousePress(graph, Qt::LeftButton, {}, QPoint(11, 50));
    EXPECT_EQ(listener.cursorFrame, 10);
    QMouseEvent move(QEvent::MouseMove, QPointF(121, 50), graph->mapToGlobal(QPointF(121, 50)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(graph, &move);
    EXPECT_EQ(listener.cursorFrame, 120);
    EXPECT_TRUE(listener.reported.empty());
    QTest::mouseRelease(graph, Qt::LeftButton, {}, QPoint(131, 50));
    EXPECT_EQ(listener.reported, std::vector<int>{130});
    // Without the button held, a move is nothing to the graph.
    QMouseEvent idle(QEvent::MouseMove, QPointF(301, 50), graph->mapToGlobal(QPointF(301, 50)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(graph, &idle);
    EXPECT_EQ(graph->cursor(), 130);
}

TEST_F(HKGraphTest, AFileWithoutRecordsReportsNothing)
{
    make(0);
    graph->NextPage();
    click(20);
    EXPECT_TRUE(listener.reported.empty());
    EXPECT_EQ(listener.selection, std::make_pair(0, -1));
}

TEST_F(HKGraphTest, TheCursorDrawnTwiceLeavesThePixelsAsTheyWere)
{
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(QColor(200, 30, 90));
    const QImage before = image.copy();
    {
        QPainter p(&image);
        CHKGraphWnd::drawCursor(p, 7, 30);
    }
    // Green exclusive-or'ed with what lies under it: white would turn magenta.
    EXPECT_EQ(image.pixelColor(7, 0), QColor(200, 225, 90));
    EXPECT_EQ(image.pixelColor(7, 29), QColor(200, 225, 90));
    EXPECT_EQ(image.pixelColor(8, 10), QColor(200, 30, 90));
    {
        QPainter p(&image);
        CHKGraphWnd::drawCursor(p, 7, 30);
    }
    EXPECT_EQ(image, before);
}

TEST_F(HKGraphTest, TracesOfTheShownChannelsAtTheirHeights)
{
    make(450);
    graph->SetCursor(150);
    for (int k = 0; k < 8; ++k)
        selection.SetShown(k, k == 1 ? 1 : 0);  // battery alone: 4096 counts, the top row
    QImage image(400, 180, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        graph->renderInto(p, true);
    }
    EXPECT_EQ(image.pixelColor(100, 0), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(398, 0), QColor(255, 0, 0));
    // The dotted grid at a quarter of the width (a third of its pixels or so).
    int grey = 0;
    for (int y = 0; y < 180; ++y)
        grey += image.pixelColor(100, y) == QColor(128, 128, 128);
    EXPECT_GT(grey, 40);
    EXPECT_LT(grey, 120);
    // No cursor on paper.
    EXPECT_EQ(image.pixelColor(150, 60), QColor(Qt::white));

    // Laser power only: frame i at height i counts, zero on the last row.
    selection.SetShown(1, 0);
    selection.SetShown(0, 1);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        graph->renderInto(p, false);
    }
    EXPECT_EQ(image.pixelColor(0, 179), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(398, 180 - 17 - 1), QColor(Qt::black));  // 398 * 180 / 4096 = 17.49
    // The cursor on screen: green over white shows magenta.
    EXPECT_EQ(image.pixelColor(150, 60), QColor(255, 0, 255));
}

}  // namespace
