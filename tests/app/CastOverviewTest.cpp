// The Cast Overview of a .psd view, as a panel beside the plots (the bar's button
// and the menu show and hide it) and as a window of its own: its cursor follows Go
// To Frame, a click on the picture moves the view, the window is listed in the
// Window menu, and the panel's choice is remembered.
#include "app/CAnimationBar.h"
#include "app/CKavroFrame.h"
#include "app/CKavroView.h"
#include "app/CMainFrame.h"
#include "app/CastOverviewPanel.h"
#include "app/CastOverviewWindow.h"
#include "app/CommandTable.h"
#include "app/SizeDistributionLayout.h"
#include "plots/CBarGraphWnd.h"
#include "plots/CCastOverviewWnd.h"
#include "plots/CLinePlotWnd.h"
#include "plots/CTextWnd.h"
#include "tests/support/PlatformSkips.h"
#include "tests/app/AppTestSupport.h"
#include "tests/support/DiagonalCast.h"

#include <QStatusBar>
#include <QFontMetrics>
#include <QMdiArea>
#include <QScrollBar>
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QPrinter>
#include <QPushButton>
#include <QTest>
#include <cmath>
#include <cstdlib>

using namespace kavro;
using namespace kavro::test;

namespace {

class CastOverviewTest : public AppFixture {
protected:
    CastOverviewTest() : AppFixture(std::make_unique<KavroSourceFactory>()) {}
    void SetUp() override
    {
        prompter->choose(DiagonalCast::write(dir));
        app->mainFrame()->action(cmd::OpenPsdFile)->trigger();
        ASSERT_FALSE(app->mainFrame()->frames().isEmpty());
        view = app->mainFrame()->activeFrame()->view();
    }
    QString frameText() const { return view->sizeLayout()->frameLabel()->text(); }
    CKavroView* view = nullptr;
};

// How the picture is shown: the panel from the bar's button, the window from its menu item.
struct ShowCase {
    const char* name;
    CCastOverviewWnd* (*show)(CKavroView& view, CKavroApp& app);
};

class CastOverviewShownTest : public CastOverviewTest, public ::testing::WithParamInterface<ShowCase> {};

TEST_P(CastOverviewShownTest, TheCursorFollowsGoToFrameAndAClickMovesTheView)
{
    EXPECT_TRUE(app->mainFrame()->action(cmd::CastOverview)->isEnabled());
    EXPECT_TRUE(app->mainFrame()->action(cmd::CastOverviewWindow)->isEnabled());
    CCastOverviewWnd* picture = GetParam().show(*view, *app);
    ASSERT_NE(picture, nullptr);
    EXPECT_TRUE(picture->isVisible());
    EXPECT_EQ(picture->summary().frames, DiagonalCast::kFrames);
    EXPECT_EQ(picture->currentFrame(), 0);

    dialogs->frameAnswers.push_back(30);
    app->mainFrame()->action(cmd::GoToFrame)->trigger();
    EXPECT_EQ(frameText(), "Data Frame: 30");
    EXPECT_EQ(picture->currentFrame(), 30);
    const std::optional<double> at30 = picture->cursorX();
    ASSERT_TRUE(at30.has_value());
    app->mainFrame()->action(cmd::GoToNext)->trigger();
    EXPECT_GT(*picture->cursorX(), *at30);  // one frame on, a little to the right

    // A click on frame 12's column of the image.
    picture->setCurrentFrame(12);
    const double x12 = *picture->cursorX();
    picture->setCurrentFrame(31);
    const QPoint click(static_cast<int>(std::lround(x12)), picture->height() / 4);
    ASSERT_EQ(picture->frameAt(click - picture->contentsRect().topLeft()), 12);
    QTest::mouseClick(picture, Qt::LeftButton, {}, click);
    EXPECT_EQ(frameText(), "Data Frame: 12");
    EXPECT_EQ(picture->currentFrame(), 12);
    EXPECT_TRUE(prompter->messages().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Ways, CastOverviewShownTest,
    ::testing::Values(ShowCase{"Panel",
                               [](CKavroView& view, CKavroApp&) -> CCastOverviewWnd* {
                                   view.frame().animationBar()->button(CAnimationBar::kOverviewButton)->click();
                                   return view.overviewPanel() ? view.overviewPanel()->picture() : nullptr;
                               }},
                      ShowCase{"Window",
                               [](CKavroView& view, CKavroApp& app) -> CCastOverviewWnd* {
                                   app.mainFrame()->action(cmd::CastOverviewWindow)->trigger();
                                   app.mainFrame()->action(cmd::CastOverviewWindow)->trigger();  // the same one again
                                   return view.castOverview() ? view.castOverview()->picture() : nullptr;
                               }}),
    [](const ::testing::TestParamInfo<ShowCase>& info) { return std::string(info.param.name); });

TEST_F(CastOverviewTest, ThePanelStandsBesideThePlotsAndIsRememberedPerKindOfWindow)
{
    CKavroFrame* frame = &view->frame();
    CastOverviewPanel* panel = view->overviewPanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_FALSE(frame->overviewShown());  // a file's window starts as it always was
    const int narrow = frame->width();
    app->mainFrame()->action(cmd::CastOverview)->trigger();
    ASSERT_TRUE(frame->overviewShown());
    // Beside the plots, which keep their room; the frame grew by the panel.
    EXPECT_GE(frame->width(), narrow + CastOverviewPanel::kMinimumWidth);
    EXPECT_GE(panel->geometry().left(), view->geometry().right());
    EXPECT_GE(view->width(), SizeDistributionLayout::kClientWidth);
    EXPECT_FALSE(panel->stateLabel()->isVisible());  // a file has nothing to follow
    EXPECT_EQ(app->profile().readInt("Cast Overview", "PanelFile", -1), 1);

    // The next file opens with it, the instrument's choice is its own.
    prompter->choose(DiagonalCast::write(dir, "second.psd"));
    app->mainFrame()->action(cmd::OpenPsdFile)->trigger();
    CKavroFrame* second = app->mainFrame()->activeFrame();
    ASSERT_NE(second, frame);
    EXPECT_TRUE(second->overviewShown());
    EXPECT_EQ(app->profile().readInt("Cast Overview", "PanelLive", -1), -1);
    second->animationBar()->button(CAnimationBar::kOverviewButton)->click();
    EXPECT_FALSE(second->overviewShown());
    EXPECT_LE(second->width(), narrow + 1);  // back to the width of the plots
    EXPECT_EQ(app->profile().readInt("Cast Overview", "PanelFile", -1), 0);
}

// Maximised with the overview beside it, on the screens the program is used on: the
// frame plots keep a large share of the width, the display fills its side of the
// divider (no empty grey room), the frame number and statistics are readable from a
// distance and the overview's tick labels stay legible.  A dragged divider is
// remembered, and the next window takes its share.
TEST_F(CastOverviewTest, MaximisedBesideTheOverviewThePlotsScaleWithTheWindow)
{
    struct Row {
        QSize screen;
        double plotWidthShare;  // of the workspace
        int capHeight;          // of the frame number and the statistics, pixels
    };
    CMainFrame* main = app->mainFrame();
    CKavroFrame* frame = &view->frame();
    app->mainFrame()->action(cmd::CastOverview)->trigger();
    ASSERT_TRUE(frame->overviewShown());
    for (const Row& r : {Row{QSize(1366, 768), 0.40, 12}, Row{QSize(1920, 1080), 0.45, 14}}) {
        SCOPED_TRACE(r.screen.width());
        main->showNormal();
        main->resize(r.screen);
        frame->showMaximized();
        QCoreApplication::processEvents();
        QWidget* workspace = main->mdiArea()->viewport();
        SizeDistributionLayout* layout = view->sizeLayout();
        const QRect bar(layout->barGraph()->mapTo(workspace, QPoint(0, 0)), layout->barGraph()->size());
        const QRect vsf(layout->linePlot()->mapTo(workspace, QPoint(0, 0)), layout->linePlot()->size());
        const double share = static_cast<double>(bar.united(vsf).width()) / workspace->width();
        RecordProperty("plotWidthPercent" + std::to_string(r.screen.width()), static_cast<int>(share * 100));
        EXPECT_GE(share, r.plotWidthShare);
        // The display fills the view beside the divider: no grey half (within what the
        // system's font makes of the bar the frame is sized for).
        const QSize shown = view->canvas()->scaledExtent();
        EXPECT_GE(shown.width(), 0.94 * view->viewport()->width());
        EXPECT_GE(shown.height(), 0.95 * view->viewport()->height());
        EXPECT_FALSE(view->horizontalScrollBar()->isVisible());
        EXPECT_FALSE(view->verticalScrollBar()->isVisible());
        // The overview keeps at least its least width, on the right.
        CastOverviewPanel* panel = view->overviewPanel();
        EXPECT_GE(panel->width(), CastOverviewPanel::kMinimumWidth);
        EXPECT_GE(panel->mapTo(workspace, QPoint(0, 0)).x(), vsf.right());
        for (CTextWnd* label : {layout->frameLabel(), layout->meanLabel(), layout->stdDevLabel(), layout->totalLabel()})
            EXPECT_GE(QFontMetrics(label->shownFont()).capHeight(), r.capHeight) << label->text().toStdString();
        EXPECT_GE(panel->picture()->tickLabelFont().pixelSize(), 9);
    }

    // A drag of the divider is remembered, as a share of the width, and the next window takes it.
    QSplitter* splitter = frame->splitter();
    const int total = splitter->width() - splitter->handleWidth();
    splitter->setSizes({total / 2, total - total / 2});
    emit splitter->splitterMoved(total / 2, 1);
    frame->close();  // a close straight after the drag still writes it
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_NEAR(app->profile().readInt("Cast Overview", "Split", 0), 500, 2);
    prompter->choose(DiagonalCast::write(dir, "second.psd"));
    app->mainFrame()->action(cmd::OpenPsdFile)->trigger();
    CKavroFrame* second = app->mainFrame()->activeFrame();
    ASSERT_NE(second, nullptr);
    ASSERT_TRUE(second->isMaximized());
    ASSERT_TRUE(second->overviewShown());
    QCoreApplication::processEvents();
    const int secondTotal = second->splitter()->width() - second->splitter()->handleWidth();
    EXPECT_NEAR(second->splitter()->sizes().value(0), secondTotal / 2, 3);
}

TEST_F(CastOverviewTest, TheWindowIsListedInTheWindowMenu)
{
    app->mainFrame()->action(cmd::CastOverviewWindow)->trigger();
    CastOverviewWindow* overview = view->castOverview();
    ASSERT_NE(overview, nullptr);
    QMenu* windowMenu = nullptr;
    for (QAction* top : app->mainFrame()->menuBar()->actions())
        if (top->menu() && top->text() == "&Window")
            windowMenu = top->menu();
    ASSERT_NE(windowMenu, nullptr);
    emit windowMenu->aboutToShow();
    QStringList items;
    for (QAction* a : app->mainFrame()->windowListActions())
        items << a->text();
    EXPECT_EQ(items, QStringList({"&1 diagonal", "&2 Cast Overview - diagonal.psd"}));
    overview->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    emit windowMenu->aboutToShow();
    EXPECT_EQ(app->mainFrame()->windowListActions().size(), 1);
}

TEST_F(CastOverviewTest, PrintsAndSavesTheSamePictureWithItsText)
{
    KAVRO_NEEDS_PDF_TOOLS();
    app->mainFrame()->action(cmd::CastOverviewWindow)->trigger();
    CastOverviewWindow* overview = view->castOverview();
    ASSERT_NE(overview, nullptr);
    QPrinter& printer = app->printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    const std::string printed = dir.file("printed.pdf");
    printer.setOutputFileName(QString::fromStdString(printed));
    overview->printButton()->click();
    const std::string saved = dir.file("saved.svg");
    prompter->choose(saved);
    overview->saveButton()->click();
    EXPECT_EQ(app->mainFrame()->statusBar()->currentMessage().toStdString(), "Cast picture saved: " + saved);
    ASSERT_EQ(std::system(("pdftotext '" + printed + "' '" + printed + ".txt'").c_str()), 0);
    for (const std::string& text : {readFile(printed + ".txt"), readFile(saved)})
        for (const char* expected : {"diagonal.psd", "Transmission", "Frame"})
            EXPECT_NE(text.find(expected), std::string::npos) << expected;
    EXPECT_TRUE(prompter->messages().empty());
}

}  // namespace
