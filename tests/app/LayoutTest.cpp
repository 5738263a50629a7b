// The instrument and .psd layout: children, positions, texts, fonts, colours and
// the size of the child frame.
#include "app/CAnimationBar.h"
#include "app/CKavroFrame.h"
#include "app/CKavroView.h"
#include "app/CMainFrame.h"
#include "app/SizeDistributionLayout.h"
#include "core/FrameStatistics.h"
#include "plots/CBarGraphWnd.h"
#include "plots/CLinePlotWnd.h"
#include "plots/CTextWnd.h"
#include "tests/app/AppTestSupport.h"

#include <QCoreApplication>
#include <QFontInfo>
#include <QMdiArea>
#include <QScrollBar>
#include <algorithm>
#include <map>

using namespace kavro;
using namespace kavro::test;

namespace {

class LayoutTest : public AppFixture {
protected:
    CKavroView* openModel(int model)
    {
        SourceSetup setup;
        setup.modelFromFile = model;
        CKavroFrame* frame = open(kKindPsdFile, setup);
        return frame ? frame->view() : nullptr;
    }
};

// Every label of a view by its text.
std::multimap<QString, CTextWnd*> labels(CKavroView* view)
{
    std::multimap<QString, CTextWnd*> out;
    for (CTextWnd* w : view->canvas()->findChildren<CTextWnd*>())
        out.emplace(w->text(), w);
    return out;
}

// Resizes the frame so that the view's viewport gets the given size.
void setViewportSize(CKavroFrame* frame, QSize viewport)
{
    for (int i = 0; i < 3 && frame->view()->viewport()->size() != viewport; ++i) {
        frame->resize(frame->size() + (viewport - frame->view()->viewport()->size()));
        QCoreApplication::processEvents();
    }
}

CTextWnd* label(CKavroView* view, const QString& text)
{
    auto all = labels(view);
    auto it = all.find(text);
    return it == all.end() ? nullptr : it->second;
}

TEST_F(LayoutTest, EveryLabelStandsAtItsAnchorWithItsAlignment)
{
    CKavroView* view = openModel(0);
    ASSERT_NE(view, nullptr);
    struct Row {
        const char* text;
        int x, y, alignment;
    };
    for (Row r : {Row{"Orvandel (KAVRO)", 266, 10, 2}, Row{"Tolvane", 266, 344, 2}, Row{"Data Frame: 0", 266, 308, 2},
                  Row{"Mean: 10.00 µm", 5, 308, 0}, Row{"Std Dev: 1.00 µm", 5, 324, 0},
                  Row{"Total Vol Conc: 16.00 µl/l", 5, 340, 0}, Row{"Particle Size Distribution", 157, 68, 3},
                  Row{"Volume Scattering Function", 371, 68, 3}, Row{"10", 59, 70, 1}, Row{"µl/l", 59, 171, 1},
                  Row{"0", 59, 272, 1}, Row{" +5", 470, 70, 0}, Row{"  -5", 470, 272, 0},
                  Row{"  log10", 470, 171, 0}, Row{"5", 60, 272, 4}, Row{"50", 157, 272, 2}, Row{"500", 254, 272, 5},
                  Row{"0.049", 274, 272, 4}, Row{"0.487", 371, 272, 2}, Row{"4.87", 468, 272, 5},
                  Row{"µm", 157, 290, 2}, Row{"degrees", 371, 290, 2}}) {
        CTextWnd* w = label(view, r.text);
        ASSERT_NE(w, nullptr) << r.text;
        EXPECT_EQ(w->anchor(), QPoint(r.x, r.y)) << r.text;
        EXPECT_EQ(w->alignment(), r.alignment) << r.text;
        EXPECT_EQ(w->pos(), CPlacedWnd::placedAt(w->anchor(), w->size(), r.alignment, {})) << r.text;
    }
    // The maker label is the second "Tolvane", top-left at (5, 364).
    auto all = labels(view);
    auto makers = all.equal_range("Tolvane");
    int found = 0;
    for (auto it = makers.first; it != makers.second; ++it)
        if (it->second->anchor() == QPoint(5, 364) && it->second->alignment() == 4)
            ++found;
    EXPECT_EQ(found, 1);
    EXPECT_EQ(all.size(), 24u);
    // Under the frame number, centred, in dark red: what is wrong with the frame.
    auto quality = std::find_if(all.begin(), all.end(), [](auto& l) { return l.second->anchor() == QPoint(266, 326); });
    ASSERT_NE(quality, all.end());
    EXPECT_EQ(quality->second->alignment(), 2);
    EXPECT_EQ(quality->second->colour(), QColor(160, 0, 0));
}

TEST_F(LayoutTest, HeaderFooterAndMakerHaveTheirFontsAndColours)
{
    app->settings().header = "Cruise 12";
    app->settings().footer = "Station 4";
    CKavroView* view = openModel(0);
    ASSERT_NE(view, nullptr);
    CTextWnd* header = label(view, "Cruise 12");
    CTextWnd* footer = label(view, "Station 4");
    CTextWnd* maker = label(view, "Tolvane");
    ASSERT_TRUE(header && footer && maker);
    EXPECT_EQ(header->colour(), QColor(255, 0, 0));
    EXPECT_EQ(footer->colour(), QColor(0, 0, 128));
    EXPECT_EQ(maker->colour(), QColor(0, 128, 0));
    EXPECT_EQ(QFontInfo(header->labelFont()).family(), "Liberation Sans");
    EXPECT_EQ(QFontInfo(footer->labelFont()).family(), "Liberation Serif");
    EXPECT_EQ(QFontInfo(maker->labelFont()).family(), "Liberation Sans");
    EXPECT_EQ(header->labelFont().weight(), 700);
    EXPECT_EQ(footer->labelFont().weight(), 700);
    EXPECT_EQ(maker->labelFont().weight(), 500);
    for (auto [w, cell] : {std::pair{header, 19}, std::pair{footer, 21}, std::pair{maker, 11}}) {
        int h = QFontMetrics(w->labelFont()).height();
        EXPECT_LE(h, cell);
        EXPECT_GE(h, cell - 1);
    }
    // The other labels keep the labels' own font: Arial, 12 pixels, weight 600.
    CTextWnd* unit = label(view, "µm");
    EXPECT_EQ(QFontInfo(unit->labelFont()).family(), "Liberation Sans");
    EXPECT_EQ(unit->labelFont().pixelSize(), 12);
    EXPECT_EQ(unit->colour(), QColor(Qt::black));
}

TEST_F(LayoutTest, AxisLabelsFollowTheModel)
{
    const char* size[3][3] = {{"5", "50", "500"}, {"1", "17", "250"}, {"2.5", "35", "500"}};
    const char* angle[3][3] = {{"0.049", "0.487", "4.87"}, {"0.097", "1.38", "19.5"}, {"0.049", "0.689", "9.74"}};
    for (int model : {0, 1, 2, 5}) {
        CKavroView* view = openModel(model);
        ASSERT_NE(view, nullptr);
        int row = model == 5 ? 0 : model;  // any other model shows the first row
        const QPoint sizeAt[3] = {{60, 272}, {157, 272}, {254, 272}};
        const QPoint angleAt[3] = {{274, 272}, {371, 272}, {468, 272}};
        for (int i = 0; i < 3; ++i) {
            bool sizeFound = false;
            bool angleFound = false;
            for (auto [text, w] : labels(view)) {
                sizeFound |= text == size[row][i] && w->anchor() == sizeAt[i];
                angleFound |= text == angle[row][i] && w->anchor() == angleAt[i];
            }
            EXPECT_TRUE(sizeFound) << "model " << model << " size " << i;
            EXPECT_TRUE(angleFound) << "model " << model << " angle " << i;
        }
    }
}

TEST_F(LayoutTest, PlotsStandAtTheirRectanglesAndDrawTheSource)
{
    CKavroView* view = openModel(0);
    ASSERT_NE(view, nullptr);
    SizeDistributionLayout* layout = view->sizeLayout();
    EXPECT_EQ(layout->barGraph()->geometry(), QRect(60, 70, 194, 202));
    EXPECT_EQ(layout->linePlot()->geometry(), QRect(274, 70, 194, 202));
    EXPECT_EQ(layout->barGraph()->classCount(), 32);
    EXPECT_EQ(layout->barGraph()->yMax(), 10.0);
    layout->setMaxOrdinate(2.5);
    EXPECT_EQ(layout->barGraph()->yMax(), 2.5);
    EXPECT_EQ(layout->maxOrdinateLabel()->text(), "2.5");
    EXPECT_EQ(layout->maxOrdinateLabel()->pos().x() + layout->maxOrdinateLabel()->width(), 59);
}

TEST_F(LayoutTest, TheFrameIsSizedForTheViewAndItsBar)
{
    CKavroFrame* frame = openPsd();
    ASSERT_NE(frame, nullptr);
    CKavroView* view = frame->view();
    EXPECT_EQ(view->viewport()->size(), QSize(std::max(532, frame->animationBar()->sizeHint().width()), 414));
    EXPECT_EQ(frame->animationBar()->geometry().top(), view->geometry().bottom() + 1);
    EXPECT_EQ(frame->widget()->height(), 414 + frame->animationBar()->height());
    EXPECT_EQ(view->extent(), QSize(400, 360));
    EXPECT_FALSE(view->horizontalScrollBar()->isVisible());
    EXPECT_FALSE(view->verticalScrollBar()->isVisible());
    // Everything the layout placed lies inside the client area.
    for (QWidget* w : view->canvas()->findChildren<QWidget*>())
        EXPECT_TRUE(QRect(0, 0, 532, 414).contains(w->geometry())) << w->geometry().x() << "," << w->geometry().y();
}

TEST_F(LayoutTest, TheArrangementFollowsTheViewportDownToItsReadableMinimum)
{
    CKavroFrame* frame = openPsd();
    ASSERT_NE(frame, nullptr);
    CKavroView* view = frame->view();
    SizeDistributionLayout* layout = view->sizeLayout();
    struct Row {
        const char* what;
        QSize viewport;
        bool scrolls;
        QSize canvas;          // the canvas the arrangement stands on
        double widthShare;     // at least this much of the viewport's width is plot ...
        double heightShare;    // ... and of its height
    };
    // The window as it opened: the display at its own size (the window may be
    // wider, for its bar).
    const QSize laidOut = view->viewport()->size();
    for (Row r : {Row{"laid out", laidOut, false, laidOut, 408.0 / laidOut.width() - 0.01, 0.48},
                  Row{"a full screen", QSize(1366, 640), false, QSize(1366, 640), 0.72, 0.53},
                  // 58 pixels wider than laid out (the bar's width follows the system's font).
                  Row{"tall", QSize(laidOut.width() + 58, 700), false, QSize(laidOut.width() + 58, 700), 0.64, 0.50},
                  Row{"small", QSize(300, 250), true, QSize(399, 311), 0.0, 0.0},
                  Row{"laid out again", laidOut, false, laidOut, 0.0, 0.0}}) {
        setViewportSize(frame, r.viewport);
        if (!r.scrolls) {
            ASSERT_EQ(view->viewport()->size(), r.viewport) << r.what;
        }
        const ArrangementScale& scale = view->canvas()->scale();
        EXPECT_EQ(view->horizontalScrollBar()->isVisible(), r.scrolls) << r.what;
        EXPECT_EQ(view->canvas()->size(), r.canvas.expandedTo(view->viewport()->size())) << r.what;
        EXPECT_GE(scale.fontScale(), ArrangementScale::kMinimum) << r.what;

        const QRect bar = layout->barGraph()->geometry();
        const QRect vsf = layout->linePlot()->geometry();
        EXPECT_EQ(bar, scale.map(QRect(60, 70, 194, 202))) << r.what;
        EXPECT_EQ(vsf, scale.map(QRect(274, 70, 194, 202))) << r.what;
        const QRect plots = bar.united(vsf);
        EXPECT_GE(plots.width(), r.widthShare * r.viewport.width()) << r.what;
        EXPECT_GE(plots.height(), r.heightShare * r.viewport.height()) << r.what;
        for (CTextWnd* w : view->canvas()->findChildren<CTextWnd*>()) {
            // Every label at its anchor (mapped), in its font at the view's scale ...
            EXPECT_EQ(w->pos(), CPlacedWnd::placedAt(scale.map(w->anchor()), w->size(), w->alignment(), {}))
                << r.what << " " << w->text().toStdString();
            EXPECT_EQ(w->shownFont().pixelSize(), scale.font(w->labelFont()).pixelSize())
                << r.what << " " << w->text().toStdString();
            // ... beside the plots, never over them, and on the canvas.
            EXPECT_FALSE(w->geometry().intersects(bar) || w->geometry().intersects(vsf))
                << r.what << " " << w->text().toStdString();
            EXPECT_TRUE(QRect(QPoint(0, 0), view->canvas()->size()).contains(w->geometry()))
                << r.what << " " << w->text().toStdString();
        }
    }
    // Back at the laid-out size every window stands where it stood at first.
    EXPECT_TRUE(view->canvas()->scale().isIdentity());
    EXPECT_EQ(layout->barGraph()->geometry(), QRect(60, 70, 194, 202));
    EXPECT_EQ(label(view, "µl/l")->pos(),
              CPlacedWnd::placedAt(QPoint(59, 171), label(view, "µl/l")->size(), CPlacedWnd::RightCentre, {}));
}

TEST_F(LayoutTest, AMaximizedWindowOnAFullScreenIsMostlyPlot)
{
    // A 1366 x 768 main window with its document window maximized: the two plots
    // together span at least 70 % of the workspace's width and 50 % of its height.
    CMainFrame* main = app->mainFrame();
    main->showNormal();
    main->resize(1366, 768);
    CKavroFrame* frame = openPsd();
    ASSERT_NE(frame, nullptr);
    frame->showMaximized();
    QCoreApplication::processEvents();
    QWidget* workspace = main->mdiArea()->viewport();
    SizeDistributionLayout* layout = frame->view()->sizeLayout();
    const QRect bar(layout->barGraph()->mapTo(workspace, QPoint(0, 0)), layout->barGraph()->size());
    const QRect vsf(layout->linePlot()->mapTo(workspace, QPoint(0, 0)), layout->linePlot()->size());
    const QRect plots = bar.united(vsf);
    const double widthShare = static_cast<double>(plots.width()) / workspace->width();
    const double heightShare = static_cast<double>(plots.height()) / workspace->height();
    RecordProperty("workspace", (std::to_string(workspace->width()) + "x" + std::to_string(workspace->height())));
    RecordProperty("plotWidthPercent", static_cast<int>(widthShare * 100));
    RecordProperty("plotHeightPercent", static_cast<int>(heightShare * 100));
    EXPECT_GE(widthShare, 0.70);
    EXPECT_GE(heightShare, 0.50);
    EXPECT_FALSE(frame->view()->verticalScrollBar()->isVisible());

    // Working maximised is remembered: the next window opens maximised, until one is restored.
    EXPECT_EQ(app->profile().readInt("Windows", "Maximized", 0), 1);
    CKavroFrame* second = openPsd();
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(second->isMaximized());
    second->showNormal();
    QCoreApplication::processEvents();
    EXPECT_EQ(app->profile().readInt("Windows", "Maximized", 1), 0);

    // The main window remembers being maximised too, and the next start opens so.
    main->showMaximized();
    QCoreApplication::processEvents();
    EXPECT_EQ(app->profile().readInt("Windows", "MainMaximized", 0), 1);
    {
        CMainFrame next(*app);
        EXPECT_TRUE(next.windowState() & Qt::WindowMaximized);
    }
    main->showNormal();
    QCoreApplication::processEvents();
    EXPECT_EQ(app->profile().readInt("Windows", "MainMaximized", 1), 0);
    CMainFrame again(*app);
    EXPECT_FALSE(again.windowState() & Qt::WindowMaximized);
}

TEST(LayoutTexts, StatisticsShowTwoDecimalsOrTheBareLabel)
{
    EXPECT_EQ(SizeDistributionLayout::statisticText("Mean:", 12.345, "µm"), "Mean: 12.35 µm");
    EXPECT_EQ(SizeDistributionLayout::statisticText("Mean:", -1.0, "µm"), "Mean:");
    EXPECT_EQ(SizeDistributionLayout::statisticText("Std Dev:", 0.0, "µm"), "Std Dev: 0.00 µm");
    EXPECT_EQ(SizeDistributionLayout::statisticText("Total Vol Conc:", 1234567.891, "µl/l"),
              "Total Vol Conc: 1234567.89 µl/l");
    EXPECT_EQ(SizeDistributionLayout::statisticText("Mean:", 3.0, ""), "Mean: 3.00");
    EXPECT_EQ(SizeDistributionLayout::frameText(-2), "Data Frame: -2");
    EXPECT_EQ(SizeDistributionLayout::qualityText(0), "");
    EXPECT_EQ(SizeDistributionLayout::qualityText(kFlagLaserOff), "No usable laser light");
    EXPECT_EQ(SizeDistributionLayout::qualityText(kFlagTooTurbid | kFlagSaturatedRings | kFlagNoParticles),
              "Water too turbid · Saturated rings · No particles");
}

TEST_F(LayoutTest, AnEmptyDistributionShowsTheBareLabels)
{
    CKavroView* view = openPsd({MemoryFrame{-1.0, -1.0, 0.0, 0.0}})->view();
    EXPECT_EQ(view->sizeLayout()->meanLabel()->text(), "Mean:");
    EXPECT_EQ(view->sizeLayout()->stdDevLabel()->text(), "Std Dev:");
    EXPECT_EQ(view->sizeLayout()->totalLabel()->text(), "Total Vol Conc: 0.00 µl/l");
}

}  // namespace
