// Frame navigation, Go To, the animation and its bar.
#include "app/CAnimationBar.h"
#include "app/CKavroFrame.h"
#include "app/CKavroView.h"
#include "app/CMainFrame.h"
#include "app/CommandTable.h"
#include "app/FrameNavigator.h"
#include "app/SizeDistributionLayout.h"
#include "plots/CTextWnd.h"
#include "tests/app/AppTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

using namespace kavro;
using namespace kavro::test;

namespace {

using Scroll = CAnimationBar::Scroll;

class NavigationTest : public AppFixture {
protected:
    CKavroView* view = nullptr;
    void openFile(int frames = 5)
    {
        CKavroFrame* frame = openPsd(numberedFrames(frames));
        ASSERT_NE(frame, nullptr);
        view = frame->view();
    }
    void run(int id) { app->mainFrame()->action(id)->trigger(); }
    QString frameText() const { return view->sizeLayout()->frameLabel()->text(); }
    QString meanText() const { return view->sizeLayout()->meanLabel()->text(); }
    CAnimationBar* bar() const { return view->frame().animationBar(); }
};

TEST_F(NavigationTest, TheFirstFrameIsShownWithItsStatistics)
{
    openFile();
    EXPECT_EQ(frameText(), "Data Frame: 0");
    EXPECT_EQ(meanText(), "Mean: 10.00 µm");
    EXPECT_EQ(view->sizeLayout()->stdDevLabel()->text(), "Std Dev: 1.00 µm");
    EXPECT_EQ(view->sizeLayout()->totalLabel()->text(), "Total Vol Conc: 16.00 µl/l");  // 32 classes x 0.5
}

TEST_F(NavigationTest, StepsAndClampsAtBothEnds)
{
    openFile(4);
    const std::pair<int, const char*> steps[] = {
        {cmd::GoToPrev, "Data Frame: 0"}, {cmd::GoToNext, "Data Frame: 1"}, {cmd::GoToNext, "Data Frame: 2"},
        {cmd::GoToLast, "Data Frame: 3"}, {cmd::GoToNext, "Data Frame: 3"}, {cmd::GoToPrev, "Data Frame: 2"},
        {cmd::GoToFirst, "Data Frame: 0"}};
    for (auto [id, expected] : steps) {
        run(id);
        EXPECT_EQ(frameText(), expected) << id;
    }
    run(cmd::GoToLast);
    EXPECT_EQ(meanText(), "Mean: 13.00 µm");
    EXPECT_EQ(hooks->framesChanged, 8);  // companion windows hear of every change
}

TEST_F(NavigationTest, TheKeysStepTheFramesAndStopAtBothEnds)
{
    openFile(25);
    QApplication::setActiveWindow(app->mainFrame());
    view->setFocus();
    const std::pair<int, const char*> keys[] = {
        {Qt::Key_Left, "Data Frame: 0"},     {Qt::Key_Right, "Data Frame: 1"},   {Qt::Key_Down, "Data Frame: 2"},
        {Qt::Key_Up, "Data Frame: 1"},       {Qt::Key_PageDown, "Data Frame: 11"}, {Qt::Key_PageDown, "Data Frame: 21"},
        {Qt::Key_PageDown, "Data Frame: 24"}, {Qt::Key_PageUp, "Data Frame: 14"}, {Qt::Key_Home, "Data Frame: 0"},
        {Qt::Key_PageUp, "Data Frame: 0"},   {Qt::Key_End, "Data Frame: 24"},    {Qt::Key_Right, "Data Frame: 24"}};
    for (auto [key, expected] : keys) {
        QTest::keyClick(view, static_cast<Qt::Key>(key));
        EXPECT_EQ(frameText(), expected) << QKeySequence(key).toString().toStdString();
    }
    // Go To Frame opens at the frame shown.
    dialogs->frameAnswers = {std::nullopt};
    run(cmd::GoToFrame);
    EXPECT_EQ(dialogs->frameOpenedAt, std::vector<int>{24});
}

TEST_F(NavigationTest, TheBarButtonsSendTheSameCommands)
{
    openFile();
    bar()->button(CAnimationBar::kLastButton)->click();
    EXPECT_EQ(frameText(), "Data Frame: 4");
    bar()->button(CAnimationBar::kPrevButton)->click();
    EXPECT_EQ(frameText(), "Data Frame: 3");
    bar()->button(CAnimationBar::kFirstButton)->click();
    bar()->button(CAnimationBar::kNextButton)->click();
    EXPECT_EQ(frameText(), "Data Frame: 1");
    bar()->button(CAnimationBar::kDisplayButton)->click();
    EXPECT_EQ(hooks->calls, std::vector<std::string>{"sizeDisplay"});
}

TEST_F(NavigationTest, GoToMovesToTheEnteredFrameAndTheSourceClampsIt)
{
    openFile();
    dialogs->frameAnswers = {3, 99, std::nullopt};
    run(cmd::GoToFrame);
    EXPECT_EQ(frameText(), "Data Frame: 3");
    run(cmd::GoToFrame);
    EXPECT_EQ(frameText(), "Data Frame: 4");
    int changes = hooks->framesChanged;
    run(cmd::GoToFrame);  // cancelled: nothing moves
    EXPECT_EQ(frameText(), "Data Frame: 4");
    EXPECT_EQ(hooks->framesChanged, changes);
    // Each time the box started at the frame shown.
    EXPECT_EQ(dialogs->frameOpenedAt, (std::vector<int>{0, 3, 4}));
}

TEST_F(NavigationTest, TheAnimationStopsByItselfAtTheEndOfTheFile)
{
    openFile(3);
    EXPECT_EQ(bar()->timerText(), "Timer-OFF");
    view->navigator()->setInterval(5);
    run(cmd::ShowFrameSequence);
    EXPECT_TRUE(view->navigator()->running());
    EXPECT_EQ(bar()->timerText(), "Timer-ON");
    EXPECT_EQ(view->navigator()->timer().interval(), 5);
    QElapsedTimer clock;
    clock.start();
    while (view->navigator()->running() && clock.elapsed() < 5000)
        QTest::qWait(10);
    EXPECT_FALSE(view->navigator()->running());
    EXPECT_FALSE(view->navigator()->timer().isActive());
    EXPECT_EQ(bar()->timerText(), "Timer-OFF");
    EXPECT_EQ(frameText(), "Data Frame: 2");
}

TEST_F(NavigationTest, TheTimerButtonTogglesAndANewIntervalKeepsItRunning)
{
    openFile();
    bar()->button(CAnimationBar::kTimerButton)->click();
    EXPECT_TRUE(view->navigator()->running());
    EXPECT_EQ(bar()->intervalValue()->text(), "0.5 s");
    bar()->scroll(Scroll::PageRight);  // 500 + 200
    EXPECT_EQ(view->navigator()->interval(), 700);
    EXPECT_EQ(bar()->intervalValue()->text(), "0.7 s");
    EXPECT_TRUE(view->navigator()->timer().isActive());
    EXPECT_EQ(view->navigator()->timer().interval(), 700);
    // A pace set elsewhere (a dialog, a collection) moves the thumb and the figure too.
    view->navigator()->setInterval(2500);
    EXPECT_EQ(bar()->position(), 2500);
    EXPECT_EQ(bar()->intervalValue()->text(), "2.5 s");
    EXPECT_EQ(view->navigator()->timer().interval(), 2500);
    bar()->button(CAnimationBar::kTimerButton)->click();
    EXPECT_FALSE(view->navigator()->timer().isActive());
    EXPECT_EQ(bar()->timerText(), "Timer-OFF");
}

TEST_F(NavigationTest, FileAndInstrumentBarsStartAtTheirIntervalsAndMinimums)
{
    openFile();
    EXPECT_EQ(bar()->dialogId(), CAnimationBar::kFileBar);
    EXPECT_EQ(view->navigator()->interval(), 500);
    EXPECT_EQ(bar()->minimum(), 100);
    EXPECT_EQ(bar()->position(), 500);
    EXPECT_EQ(bar()->scrollBar()->minimum(), 100);
    EXPECT_EQ(bar()->scrollBar()->maximum(), 5000);
    for (int id : {CAnimationBar::kFirstButton, CAnimationBar::kPrevButton, CAnimationBar::kNextButton,
                   CAnimationBar::kLastButton, CAnimationBar::kDisplayButton})
        EXPECT_NE(bar()->button(id), nullptr);
    EXPECT_EQ(bar()->button(CAnimationBar::kAccumulateButton), nullptr);

    CKavroFrame* instrument = openInstrument();
    ASSERT_NE(instrument, nullptr);
    CAnimationBar* live = instrument->animationBar();
    EXPECT_EQ(live->dialogId(), CAnimationBar::kInstrumentBar);
    EXPECT_EQ(instrument->view()->navigator()->interval(), 1000);
    EXPECT_EQ(live->minimum(), 1000);
    EXPECT_EQ(live->position(), 1000);
    EXPECT_EQ(live->button(CAnimationBar::kFirstButton), nullptr);
    EXPECT_EQ(live->button(CAnimationBar::kNextButton)->text(), "Next  >");
    EXPECT_EQ(live->button(CAnimationBar::kAccumulateButton)->text(), "Accumulate and Average");
    live->button(CAnimationBar::kAccumulateButton)->click();
    EXPECT_EQ(hooks->calls, std::vector<std::string>{"accumulate"});
}

TEST(AnimationBarScroll, LinePageThumbAndEndsWithinTheMinimum)
{
    struct Case {
        Scroll code;
        int position, thumb, minimum, expected;
    };
    for (Case c : {Case{Scroll::PageLeft, 150, 0, 100, 100}, Case{Scroll::PageRight, 4900, 0, 100, 5000},
                   Case{Scroll::LineLeft, 500, 0, 100, 490}, Case{Scroll::LineRight, 500, 0, 100, 510},
                   Case{Scroll::ThumbTrack, 500, 2345, 100, 2345}, Case{Scroll::ThumbPosition, 500, 700, 1000, 1000},
                   Case{Scroll::Left, 3000, 0, 1000, 1000}, Case{Scroll::Right, 300, 0, 100, 5000},
                   Case{Scroll::Other, 1500, 0, 1000, 1500}, Case{Scroll::LineLeft, 1005, 0, 1000, 1000},
                   Case{Scroll::PageLeft, 1100, 0, 1000, 1000}})
        EXPECT_EQ(CAnimationBar::scrolledPosition(c.code, c.position, c.thumb, c.minimum, 5000), c.expected)
            << static_cast<int>(c.code) << " from " << c.position;
}

TEST_F(NavigationTest, TheScrollBarsOwnActionsFollowTheBarsRules)
{
    CKavroFrame* instrument = openInstrument();
    ASSERT_NE(instrument, nullptr);
    CAnimationBar* live = instrument->animationBar();
    live->scroll(Scroll::PageRight);
    EXPECT_EQ(instrument->view()->navigator()->interval(), 1200);
    live->scrollBar()->triggerAction(QAbstractSlider::SliderPageStepSub);
    live->scrollBar()->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(live->position(), 1000);
    EXPECT_EQ(live->scrollBar()->sliderPosition(), 1000);
    EXPECT_EQ(instrument->view()->navigator()->interval(), 1000);
    live->scrollBar()->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(instrument->view()->navigator()->interval(), 5000);
}

TEST_F(NavigationTest, TheInstrumentAnimationStopsWhenNoFrameArrives)
{
    CKavroFrame* instrument = openInstrument(numberedFrames(2));
    ASSERT_NE(instrument, nullptr);
    FrameNavigator* nav = instrument->view()->navigator();
    nav->toggle();
    nav->tick();  // frame 1 arrives
    EXPECT_TRUE(nav->running());
    EXPECT_EQ(instrument->view()->sizeLayout()->frameLabel()->text(), "Data Frame: 1");
    nav->tick();  // nothing in time
    EXPECT_FALSE(nav->running());
    EXPECT_EQ(instrument->animationBar()->timerText(), "Timer-OFF");
}

}  // namespace

namespace {

TEST_F(NavigationTest, TheDocumentAcceleratorsWorkCtrlHAmongThem)
{
    openFile();
    CMainFrame* main = app->mainFrame();
    QApplication::setActiveWindow(main);
    QTest::keyClick(main, Qt::Key_N, Qt::ControlModifier);
    QTest::keyClick(main, Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(frameText(), "Data Frame: 2");
    QTest::keyClick(main, Qt::Key_L, Qt::ControlModifier);
    EXPECT_EQ(frameText(), "Data Frame: 4");
    QTest::keyClick(main, Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(frameText(), "Data Frame: 3");
    QTest::keyClick(main, Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(frameText(), "Data Frame: 0");
    QTest::keyClick(main, Qt::Key_H, Qt::ControlModifier);
    QTest::keyClick(main, Qt::Key_F1);
    EXPECT_EQ(hooks->calls, std::vector<std::string>{"auxFrame"});
    dialogs->frameAnswers = {2};
    QTest::keyClick(main, Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(frameText(), "Data Frame: 2");
    QTest::keyClick(main, Qt::Key_A, Qt::ControlModifier);
    EXPECT_TRUE(view->navigator()->running());
}

}  // namespace

namespace {

TEST_F(NavigationTest, ATickArrivingDuringTheLastOneIsDropped)
{
    FrameNavigator* nav = nullptr;
    int nested = 0;
    SourceSetup setup;
    setup.duringNext = [&] {
        // The source shows a message box: its event loop delivers the next timer tick.
        if (nav && nested++ == 0)
            nav->tick();
    };
    CKavroFrame* frame = open(kKindPsdFile, setup);
    ASSERT_NE(frame, nullptr);
    nav = frame->view()->navigator();
    nav->toggle();
    nav->tick();
    EXPECT_EQ(frame->view()->sizeLayout()->frameLabel()->text(), "Data Frame: 1");
    EXPECT_EQ(nested, 1);
    nav->tick();
    EXPECT_EQ(frame->view()->sizeLayout()->frameLabel()->text(), "Data Frame: 2");
}

}  // namespace
