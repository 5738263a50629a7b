// The instrument and .psd layout: children, positions, texts, fonts, colours and
// the size of the child frame.
#include "app/CAnimationBar.h"
#include "app/CKavroFrame.h"
#include "app/CKavroView.h"
#include "app/SizeDistributionLayout.h"
#include "plots/CBarGraphWnd.h"
#include "plots/CLinePlotWnd.h"
#include "plots/CTextWnd.h"
#include "tests/app/AppTestSupport.h"

#include <QCoreApplication>
#include <QFontInfo>
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
                  Row{"Mean: 10.00", 5, 308, 0}, Row{"Std Dev: 1.00", 5, 324, 0},
                  Row{"Total Vol Conc: 16.00", 5, 340, 0}, Row{"Particle Size Distribution", 157, 68, 3},
                  Row{"Volume Scattering Function", 371, 68, 3}, Row{"10", 59, 70, 1}, Row{"ul / l", 59, 171, 1},
                  Row{"0", 59, 272, 1}, Row{" +5", 470, 70, 0}, Row{"  -5", 470, 272, 0},
                  Row{"  log10", 470, 171, 0}, Row{"5", 60, 272, 4}, Row{"50", 157, 272, 2}, Row{"500", 254, 272, 5},
                  Row{"0.049", 274, 272, 4}, Row{"0.487", 371, 272, 2}, Row{"4.87", 468, 272, 5},
                  Row{"microns", 157, 290, 2}, Row{"degrees", 371, 290, 2}}) {
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
    EXPECT_EQ(all.size(), 23u);
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
    CTextWnd* unit = label(view, "microns");
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

TEST_F(LayoutTest, ASmallerWindowScrollsOverTheExtent)
{
    CKavroFrame* frame = openPsd();
    ASSERT_NE(frame, nullptr);
    frame->resize(300, 250);
    QCoreApplication::processEvents();
    CKavroView* view = frame->view();
    EXPECT_TRUE(view->horizontalScrollBar()->isVisible());
    EXPECT_EQ(view->canvas()->width(), 400);
    EXPECT_GT(view->horizontalScrollBar()->maximum(), 0);
}

TEST(LayoutTexts, StatisticsShowTwoDecimalsOrTheBareLabel)
{
    EXPECT_EQ(SizeDistributionLayout::statisticText("Mean:", 12.345), "Mean: 12.35");
    EXPECT_EQ(SizeDistributionLayout::statisticText("Mean:", -1.0), "Mean:");
    EXPECT_EQ(SizeDistributionLayout::statisticText("Std Dev:", 0.0), "Std Dev: 0.00");
    EXPECT_EQ(SizeDistributionLayout::statisticText("Total Vol Conc:", 1234567.891), "Total Vol Conc: 1234567.89");
    EXPECT_EQ(SizeDistributionLayout::frameText(-2), "Data Frame: -2");
}

TEST_F(LayoutTest, AnEmptyDistributionShowsTheBareLabels)
{
    CKavroView* view = openPsd({MemoryFrame{-1.0, -1.0, 0.0, 0.0}})->view();
    EXPECT_EQ(view->sizeLayout()->meanLabel()->text(), "Mean:");
    EXPECT_EQ(view->sizeLayout()->stdDevLabel()->text(), "Std Dev:");
    EXPECT_EQ(view->sizeLayout()->totalLabel()->text(), "Total Vol Conc: 0.00");
}

}  // namespace
