// The instrument opened by the desktop program, live from the instrument simulator
// on a pseudo-terminal: the port dialog, the source's own file dialogs, frames on
// Next and on the animation's ticks, and the port let go with the window.
#include "app/CAnimationBar.h"
#include "app/CKavroDoc.h"
#include "app/CKavroFrame.h"
#include "app/CKavroView.h"
#include "app/CMainFrame.h"
#include "app/CommandTable.h"
#include "app/FrameNavigator.h"
#include "app/SizeDistributionLayout.h"
#include "plots/CTextWnd.h"
#include "tests/app/AppTestSupport.h"
#include "tools/InstrumentSimulator.h"

#include <QAction>
#include <QCoreApplication>
#include <QPushButton>
#include <atomic>
#include <thread>

using namespace kavro;
using namespace kavro::test;

namespace {

class InstrumentViewTest : public AppFixture {
protected:
    InstrumentViewTest() : AppFixture(std::make_unique<KavroSourceFactory>()) {}
    ~InstrumentViewTest() override
    {
        stop = true;
        if (thread.joinable())
            thread.join();
    }
    bool startSimulator()
    {
        std::string error;
        if (!sim.start(&error)) {
            ADD_FAILURE() << error;
            return false;
        }
        thread = std::thread([this] { sim.run(stop); });
        return true;
    }
    SimulatorOptions options()
    {
        SimulatorOptions o;
        o.loop = false;
        return o;
    }
    InstrumentSimulator sim{syntheticRecording(3), options()};
    std::atomic<bool> stop{false};
    std::thread thread;
};

TEST_F(InstrumentViewTest, FramesArriveOnNextAndOnTicksUntilTheInstrumentFallsSilent)
{
    const std::string demo = std::string(KAVRO_BIN_DIR) + "/../data/demo/";
    if (!fileExists(demo + "RingArea_a.asc"))
        GTEST_SKIP() << "the build has no demo data";
    ASSERT_TRUE(startSimulator());
    Settings& settings = app->settings();
    settings.calFiles = demo;
    settings.comDevice[2] = sim.devicePath();
    settings.commWait = 0;  // an unanswered request is given up within a second
    dialogs->portAnswers.push_back(InstrumentChoice{2, 0});
    prompter->choose(demo + "RingArea_a.asc").choose(demo + "zsc.asc");
    app->mainFrame()->action(cmd::OpenInstrument)->trigger();
    ASSERT_EQ(app->mainFrame()->frames().size(), 1) << (prompter->messages().empty() ? "" : prompter->messages()[0]);
    CKavroFrame* frame = app->mainFrame()->activeFrame();
    EXPECT_EQ(frame->document().title(), "Instrument");
    EXPECT_EQ(app->mainFrame()->windowTitle(), "KAVRO - Instrument");
    EXPECT_EQ(settings.instrumentPort, "COM3:");
    SizeDistributionLayout* layout = frame->view()->sizeLayout();
    EXPECT_EQ(layout->frameLabel()->text(), "Data Frame: 0");

    frame->animationBar()->button(CAnimationBar::kNextButton)->click();
    EXPECT_EQ(layout->frameLabel()->text(), "Data Frame: 1");
    EXPECT_TRUE(layout->meanLabel()->text().startsWith("Mean: "));
    EXPECT_NE(layout->meanLabel()->text(), "Mean: 0.00");

    FrameNavigator* nav = frame->view()->navigator();
    EXPECT_EQ(nav->interval(), 1000);
    nav->toggle();
    nav->tick();
    nav->tick();
    EXPECT_EQ(layout->frameLabel()->text(), "Data Frame: 3");
    EXPECT_TRUE(nav->running());
    nav->tick();  // the recording has ended: no frame comes
    EXPECT_FALSE(nav->running());
    EXPECT_EQ(frame->animationBar()->timerText(), "Timer-OFF");
    EXPECT_EQ(sim.counters().replies, 3);

    frame->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(app->mainFrame()->frames().isEmpty());
    EXPECT_TRUE(prompter->messages().empty());
}

}  // namespace
