// The Cast Overview of a .psd view: it opens from the menu and the bar, its cursor
// follows Go To Frame, and a click on the picture moves the view.
#include "app/CAnimationBar.h"
#include "app/CKavroFrame.h"
#include "app/CKavroView.h"
#include "app/CMainFrame.h"
#include "app/CastOverviewWindow.h"
#include "app/CommandTable.h"
#include "app/SizeDistributionLayout.h"
#include "plots/CCastOverviewWnd.h"
#include "plots/CTextWnd.h"
#include "tests/app/AppTestSupport.h"
#include "tests/support/DiagonalCast.h"

#include <QStatusBar>
#include <QAction>
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

TEST_F(CastOverviewTest, TheCursorFollowsGoToFrameAndAClickMovesTheView)
{
    EXPECT_TRUE(app->mainFrame()->action(cmd::CastOverview)->isEnabled());
    view->frame().animationBar()->button(CAnimationBar::kOverviewButton)->click();
    CastOverviewWindow* overview = view->castOverview();
    ASSERT_NE(overview, nullptr);
    EXPECT_TRUE(overview->isVisible());
    CCastOverviewWnd* picture = overview->picture();
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
    app->mainFrame()->action(cmd::CastOverview)->trigger();  // the same window again
    EXPECT_EQ(view->castOverview(), overview);
    picture->setCurrentFrame(12);
    const double x12 = *picture->cursorX();
    picture->setCurrentFrame(31);
    const QPoint click(static_cast<int>(std::lround(x12)), picture->height() / 4);
    ASSERT_EQ(picture->frameAt(click - picture->contentsRect().topLeft()), 12);
    QTest::mouseClick(picture, Qt::LeftButton, {}, click);
    EXPECT_EQ(frameText(), "Data Frame: 12");
    EXPECT_EQ(picture->currentFrame(), 12);
}

TEST_F(CastOverviewTest, PrintsAndSavesTheSamePictureWithItsText)
{
    app->mainFrame()->action(cmd::CastOverview)->trigger();
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
