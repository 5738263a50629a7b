// The instrument opened by the desktop program, live from the instrument simulator
// on a pseudo-terminal: the port dialog, the source's own file dialogs, frames on
// Next and on the animation's ticks into the receive-buffer window and the output
// files, the port let go with the window, a device that is missing, busy or
// unplugged while the animation runs, and the cast so far growing beside the plots.
#include "acquisition/CCommSource.h"
#include "acquisition/ui/CShowBufferWnd.h"
#include "app/CAnimationBar.h"
#include "app/CKavroDoc.h"
#include "app/CKavroFrame.h"
#include "app/CKavroView.h"
#include "app/CMainFrame.h"
#include "app/CastOverviewPanel.h"
#include "app/CommandTable.h"
#include "app/FrameNavigator.h"
#include "app/InstrumentStatus.h"
#include "app/ProgramHooks.h"
#include "app/RawViewHooks.h"
#include "app/SizeDistributionLayout.h"
#include "auxiliary/ui/CAuxParamDlg.h"
#include "background/ui/CRingsWnd.h"
#include "core/CDataSource.h"
#include "platform/posix/PosixSerialLink.h"
#include "plots/CCastOverviewWnd.h"
#include "plots/CTextWnd.h"
#include "tests/app/AppTestSupport.h"
#include "tests/core/CoreFixture.h"
#include "sim/InstrumentSimulator.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <optional>
#include <atomic>
#include <filesystem>
#include <functional>
#include <optional>
#include <regex>
#include <thread>

using namespace kavro;
using namespace kavro::test;

namespace {

class InstrumentViewTest : public AppFixture {
protected:
    InstrumentViewTest() : AppFixture(std::make_unique<KavroSourceFactory>(), makeProgramHooks()) {}
    ~InstrumentViewTest() override { stopSimulator(); }
    // The simulator answering on its own thread.
    bool startSimulator(SimulatorOptions options)
    {
        sim = std::make_unique<InstrumentSimulator>(syntheticRecording(3), options);
        std::string error;
        if (!sim->start(&error)) {
            ADD_FAILURE() << error;
            return false;
        }
        thread = std::thread([this] { sim->run(stop); });
        return true;
    }
    void stopSimulator()
    {
        stop = true;
        if (thread.joinable())
            thread.join();
    }
    // One pass through the recording: then the instrument falls silent.
    static SimulatorOptions once()
    {
        SimulatorOptions o;
        o.loop = false;
        return o;
    }
    // Opens the instrument on the simulator as port COM3: with the test calibration and
    // every output of the instrument on: .psd (at psd), .asc and .log beside it.
    // An empty psd: every output off, nothing recorded.
    CKavroFrame* openOnSimulator(const std::string& psd)
    {
        Settings& settings = app->settings();
        settings.calFiles = cal.dir.path();
        settings.comDevice[2] = sim->devicePath();
        settings.commWait = 0;  // an unanswered request is given up within a second
        for (int slot : {0, 1, 2})
            settings.outputs.value[slot] = psd.empty() ? 0 : 1;
        dialogs->portAnswers.push_back(InstrumentChoice{2, 0});
        prompter->choose(cal.path("RingArea_a.asc")).choose(cal.path("zsc.asc"));
        if (!psd.empty())
            prompter->choose(psd);
        app->mainFrame()->action(cmd::OpenInstrument)->trigger();
        return app->mainFrame()->activeFrame();
    }
    // Lets the program run (its timer ticks) until done() or the time is up.
    static bool runUntil(const std::function<bool()>& done, int limitMs = 15000)
    {
        QElapsedTimer clock;
        clock.start();
        while (!done() && clock.elapsed() < limitMs)
            QTest::qWait(10);
        return done();
    }
    // The frame text of a recorded frame, as the receive-buffer window shows it.
    std::string sentText(std::size_t k) const
    {
        std::string text = frameReply(sim->recording()[k], '{', '}');
        return text.substr(0, text.size() - 2);  // without CR LF
    }
    // The .log lines of the first count frames sent (the recording over and over).
    std::string logOf(std::size_t count) const
    {
        std::string text;
        for (std::size_t k = 0; k < count; ++k) {
            for (std::uint16_t w : sim->recording()[k % sim->recording().size()])
                text += std::to_string(w) + " ";
            text += "\n";
        }
        return text;
    }
    void closeWindow(CKavroFrame* frame)
    {
        frame->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    CalibrationFolder cal;
    std::unique_ptr<InstrumentSimulator> sim;
    std::atomic<bool> stop{false};
    std::thread thread;
};

TEST_F(InstrumentViewTest, FramesArriveOnNextAndOnTicksUntilTheInstrumentFallsSilent)
{
    const std::string demo = std::string(KAVRO_BIN_DIR) + "/../data/demo/";
    if (!fileExists(demo + "RingArea_a.asc"))
        GTEST_SKIP() << "the build has no demo data";
    ASSERT_TRUE(startSimulator(once()));
    Settings& settings = app->settings();
    settings.calFiles = demo;
    settings.comDevice[2] = sim->devicePath();
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
    EXPECT_EQ(layout->qualityLabel()->text(), "");  // no frame yet, so nothing wrong with one

    frame->animationBar()->button(CAnimationBar::kNextButton)->click();
    EXPECT_EQ(layout->frameLabel()->text(), "Data Frame: 0");  // the first record of the .psd
    EXPECT_EQ(layout->qualityLabel()->text(), "");  // a sound frame
    EXPECT_TRUE(layout->meanLabel()->text().startsWith("Mean: "));
    EXPECT_NE(layout->meanLabel()->text(), "Mean: 0.00 µm");

    FrameNavigator* nav = frame->view()->navigator();
    EXPECT_EQ(nav->interval(), 1000);
    nav->toggle();
    nav->tick();
    nav->tick();
    EXPECT_EQ(layout->frameLabel()->text(), "Data Frame: 2");
    EXPECT_TRUE(nav->running());
    nav->tick();  // the recording has ended: no frame comes, and the timer goes on asking
    EXPECT_TRUE(nav->running());
    EXPECT_EQ(layout->frameLabel()->text(), "Data Frame: 2");
    CTextWnd* exchange = frame->view()->instrumentStatus()->exchangeLabel();
    EXPECT_EQ(exchange->text(), "No frame for this request: no reply within 0 s");
    // A frame with something wrong and a request without a frame: neither line may hide the other.
    layout->qualityLabel()->SetText("Water too turbid · Saturated rings");
    EXPECT_FALSE(exchange->geometry().intersects(layout->qualityLabel()->geometry()));
    nav->toggle();
    EXPECT_EQ(frame->animationBar()->timerText(), "Timer-OFF");
    EXPECT_EQ(sim->counters().replies, 3);

    frame->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(app->mainFrame()->frames().isEmpty());
    EXPECT_TRUE(prompter->messages().empty());
}

TEST_F(InstrumentViewTest, TheAnimationTakesEveryFrameShowsItInTheBufferWindowAndWritesIt)
{
    ASSERT_TRUE(startSimulator(once()));
    const std::string psd = cal.path("live.psd");
    CKavroFrame* frame = openOnSimulator(psd);
    ASSERT_NE(frame, nullptr) << (prompter->messages().empty() ? "" : prompter->messages()[0]);
    EXPECT_EQ(frame->document().title(), "live");
    app->mainFrame()->action(cmd::ShowBuffer)->trigger();
    CShowBufferWnd* window = CShowBufferWnd::of(*frame->view());
    ASSERT_NE(window, nullptr);

    FrameNavigator* nav = frame->view()->navigator();
    EXPECT_EQ(nav->interval(), 1000);
    nav->setInterval(20);  // the test need not wait a second a frame
    frame->animationBar()->button(CAnimationBar::kTimerButton)->click();
    EXPECT_EQ(frame->animationBar()->timerText(), "Timer-ON");
    EXPECT_EQ(frame->view()->instrumentStatus()->recordingLabel()->toolTip().toStdString(),
              "Recording: live.psd, live.asc, live.log, live.time.csv in " + cal.dir.path());
    // Three frames, then requests without an answer: the animation goes on asking.
    CTextWnd* exchange = frame->view()->instrumentStatus()->exchangeLabel();
    EXPECT_TRUE(runUntil([exchange] { return exchange->text().startsWith("No frame for this request"); }));
    EXPECT_TRUE(nav->running());
    frame->animationBar()->button(CAnimationBar::kTimerButton)->click();
    EXPECT_EQ(frame->animationBar()->timerText(), "Timer-OFF");
    EXPECT_EQ(frame->view()->sizeLayout()->frameLabel()->text(), "Data Frame: 2");
    EXPECT_EQ(window->count(), 3);
    EXPECT_EQ(window->text(), sentText(2));
    EXPECT_EQ(window->length(), static_cast<int>(sentText(2).size()));
    EXPECT_EQ(sim->counters().replies, 3);
    EXPECT_TRUE(prompter->messages().empty());

    prompter->answer(true);  // stop recording and close
    closeWindow(frame);
    EXPECT_EQ(readFile(psd).size(), (3u + 2u) * 512u);
    EXPECT_EQ(readFile(cal.path("live.log")), logOf(3));
    const std::string asc = readFile(cal.path("live.asc"));
    EXPECT_EQ(std::count(asc.begin(), asc.end(), '\n'), 3);
}

// The live window's overview, recording or only showing the frames.
class LiveOverviewTest : public InstrumentViewTest, public ::testing::WithParamInterface<bool> {
protected:
    static void clickOnFrame(CCastOverviewWnd* picture, long long place)
    {
        const long long shown = picture->currentFrame();
        picture->setCurrentFrame(place);
        const std::optional<double> x = picture->cursorX();
        picture->setCurrentFrame(shown);
        ASSERT_TRUE(x.has_value()) << place;
        const QPoint click(static_cast<int>(std::lround(*x)), picture->height() / 4);
        ASSERT_EQ(picture->frameAt(click - picture->contentsRect().topLeft()), place);
        QTest::mouseClick(picture, Qt::LeftButton, {}, click);
    }
};

TEST_P(LiveOverviewTest, GrowsWithEveryFrameAndAClickHoldsAFrameWhileTheInstrumentGoesOn)
{
    const bool recording = GetParam();
    ASSERT_TRUE(startSimulator(SimulatorOptions{}));
    const std::string psd = recording ? cal.path("grow.psd") : std::string();
    CKavroFrame* frame = openOnSimulator(psd);
    ASSERT_NE(frame, nullptr) << (prompter->messages().empty() ? "" : prompter->messages()[0]);
    CKavroView* view = frame->view();
    CastOverviewPanel* panel = view->overviewPanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(frame->overviewShown());  // a live window shows the cast so far
    ASSERT_NE(panel->liveCast(), nullptr);
    CCastOverviewWnd* picture = panel->picture();
    CTextWnd* label = view->sizeLayout()->frameLabel();
    QPushButton* next = frame->animationBar()->button(CAnimationBar::kNextButton);

    for (int n = 1; n <= 5; ++n) {
        next->click();
        EXPECT_EQ(panel->liveCast()->size(), n);
        EXPECT_EQ(picture->summary().frames, n);
        EXPECT_EQ(static_cast<int>(picture->summary().columns.size()), n);
        EXPECT_EQ(picture->currentFrame(), n - 1);  // on the newest
    }
    EXPECT_EQ(panel->stateLabel()->text().toStdString(),
              "Newest frame 4 - click the picture to look at an earlier frame");
    EXPECT_FALSE(panel->followButton()->isEnabled());
    // The auxiliary and Rings windows show what the plots show: the newest, or the held frame.
    app->mainFrame()->action(cmd::AuxParameterFrame)->trigger();
    app->mainFrame()->action(cmd::ViewRings)->trigger();
    CAuxParamDlg* aux = auxWindowOf(*view);
    CRingsWnd* rings = view->findChild<CRingsWnd*>();
    ASSERT_NE(aux, nullptr);
    ASSERT_NE(rings, nullptr);
    auto shown = [&] { return (aux->frameText() + "/" + rings->frameNumberEdit()->text()).toStdString(); };
    EXPECT_EQ(shown(), "4/4");
    auto* instrument = dynamic_cast<CCommSource*>(view->source());
    ASSERT_NE(instrument, nullptr);

    // Frame 2 held: the plots show it, the requests go on and the cast grows.
    clickOnFrame(picture, 1);
    ASSERT_EQ(panel->heldPlace(), 1);
    EXPECT_EQ(label->text(), "Data Frame: 1");
    EXPECT_EQ(view->sizeLayout()->shownSource().frameResult().mean(), panel->liveCast()->record(1)[kRecMean]);
    EXPECT_EQ(panel->stateLabel()->text().toStdString(),
              "Viewing frame 1 while new frames keep coming - click the newest frame or press End to follow");
    const RawWords* heldWords = panel->liveCast()->words(1);
    ASSERT_NE(heldWords, nullptr);
    auto showsHeldRings = [&] {
        for (int i = 0; i < kFrameValues; ++i)
            if (rings->frameValue(i) != (*heldWords)[static_cast<std::size_t>(i)])
                return false;
        return true;
    };
    EXPECT_EQ(shown(), "1/1");
    EXPECT_TRUE(showsHeldRings());
    for (int n = 0; n < 3; ++n)
        next->click();
    EXPECT_EQ(shown(), "1/1");  // new frames leave the held one in view
    EXPECT_TRUE(showsHeldRings());
    EXPECT_EQ(instrument->counts().written, 8);
    EXPECT_EQ(instrument->frameNumber(), 7);  // the .psd record of the newest, from 0
    EXPECT_EQ(panel->liveCast()->size(), 8);
    EXPECT_EQ(label->text(), "Data Frame: 1");
    EXPECT_EQ(picture->currentFrame(), 1);

    // Back to the newest by the button, by a click on the newest frame and by End.
    panel->followButton()->click();
    EXPECT_TRUE(panel->following());
    EXPECT_EQ(label->text(), "Data Frame: 7");
    EXPECT_EQ(shown(), "7/7");
    EXPECT_EQ(rings->frameValue(0), instrument->rawValue(0));
    // Windows opened while a frame is held start on it.
    clickOnFrame(picture, 2);
    aux->close();
    rings->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    app->mainFrame()->action(cmd::AuxParameterFrame)->trigger();
    app->mainFrame()->action(cmd::ViewRings)->trigger();
    aux = auxWindowOf(*view);
    rings = view->findChild<CRingsWnd*>();
    ASSERT_NE(aux, nullptr);
    ASSERT_NE(rings, nullptr);
    EXPECT_EQ(shown(), "2/2");
    panel->followButton()->click();
    EXPECT_EQ(shown(), "7/7");
    EXPECT_EQ(&view->sizeLayout()->shownSource(), view->source());
    clickOnFrame(picture, 3);
    EXPECT_EQ(label->text(), "Data Frame: 3");
    clickOnFrame(picture, 7);
    EXPECT_TRUE(panel->following());
    EXPECT_EQ(label->text(), "Data Frame: 7");
    clickOnFrame(picture, 0);
    EXPECT_EQ(label->text(), "Data Frame: 0");
    // End reaches the window that has the focus.
    app->mainFrame()->show();
    QApplication::setActiveWindow(app->mainFrame());
    view->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([view] { return view->hasFocus(); }, 2000));
    QTest::keyClick(view, Qt::Key_End);
    EXPECT_TRUE(panel->following());
    EXPECT_EQ(label->text(), "Data Frame: 7");
    EXPECT_TRUE(prompter->messages().empty());  // the locked output was never opened a second time

    if (recording)
        prompter->answer(true);  // stop recording and close
    closeWindow(frame);
    if (recording)
        EXPECT_EQ(readFile(psd).size(), (8u + 2u) * 512u);
}

INSTANTIATE_TEST_SUITE_P(Outputs, LiveOverviewTest, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "Recording" : "NotRecording");
                         });

TEST_F(InstrumentViewTest, WithNoOutputOnTheOpenAsksWhetherToRecordBeforeTheFirstRequest)
{
    SimulatorOptions looping;
    looping.loop = true;
    ASSERT_TRUE(startSimulator(looping));
    Settings& settings = app->settings();
    settings.calFiles = cal.dir.path();
    settings.comDevice[2] = sim->devicePath();
    settings.commWait = 0;
    const std::regex proposal(std::regex_replace(dir.path(), std::regex(R"([.^$|()\[\]{}*+?\\])"), R"(\$&)") +
                              R"(/Instrument-\d{8}-\d{6}\.psd)");
    const std::string psd = dir.file("rec.psd");
    struct Case {
        std::optional<bool> answer;  // Record, Continue without recording, Cancel
        bool opens;
        std::string title;
        std::vector<std::string> files;  // written in the data folder
    };
    const Case cases[] = {
        {true, true, "rec", {"rec.psd", "rec.log", "rec.time.csv"}},
        {false, true, "Instrument", {}},
        {std::nullopt, false, "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer ? (*c.answer ? "record" : "continue") : "cancel");
        for (const char* name : {"rec.psd", "rec.log", "rec.time.csv", "rec.asc"})
            std::filesystem::remove(dir.file(name));
        const std::size_t callsBefore = prompter->calls().size();
        const long requestsBefore = sim->counters().requests;
        dialogs->portAnswers.push_back(InstrumentChoice{2, 0});
        dialogs->recordAnswers.push_back(c.answer);
        prompter->choose(cal.path("RingArea_a.asc")).choose(cal.path("zsc.asc"));
        if (c.answer && *c.answer)
            prompter->choose(psd);
        app->mainFrame()->action(cmd::OpenInstrument)->trigger();
        ASSERT_FALSE(dialogs->recordingAsked.empty());
        EXPECT_TRUE(std::regex_match(dialogs->recordingAsked.back(), proposal)) << dialogs->recordingAsked.back();
        EXPECT_EQ(sim->counters().requests, requestsBefore) << "a request went out at the open";
        EXPECT_EQ(prompter->pendingAnswers(), 0u);
        CKavroFrame* frame = app->mainFrame()->activeFrame();
        if (!c.opens) {
            // Asked after the calibration and background, before any output: Cancel leaves none.
            EXPECT_EQ(frame, nullptr);
            EXPECT_EQ(prompter->calls().size(), callsBefore + 2);
            EXPECT_FALSE(fileExists(psd));
            continue;
        }
        ASSERT_NE(frame, nullptr) << (prompter->messages().empty() ? "" : prompter->messages()[0]);
        EXPECT_EQ(frame->document().title(), c.title);
        if (c.answer && *c.answer) {
            // The save dialog proposes the data folder's stamped name; the user may change it.
            const FileDialogRequest& save = prompter->calls().back().request;
            EXPECT_EQ(save.initialDirectory, dir.path());
            EXPECT_EQ(dir.file(save.initialName), dialogs->recordingAsked.back());
        }
        // Two frames, then the timer runs and stops: the line tells what was kept.
        frame->animationBar()->button(CAnimationBar::kNextButton)->click();
        frame->animationBar()->button(CAnimationBar::kNextButton)->click();
        FrameNavigator* nav = frame->view()->navigator();
        nav->toggle();
        const std::string running = frame->view()->instrumentStatus()->recordingLabel()->toolTip().toStdString();
        nav->toggle();
        const std::string stopped = frame->view()->instrumentStatus()->recordingLabel()->toolTip().toStdString();
        if (c.files.empty()) {
            EXPECT_EQ(running, "Not recording: no instrument output is on (Options > Output)");
            EXPECT_EQ(stopped, "Stopped: nothing was recorded (no instrument output is on)");
            closeWindow(frame);  // nothing recorded: no question
            EXPECT_TRUE(app->mainFrame()->frames().isEmpty());
        } else {
            EXPECT_EQ(running, "Recording: rec.psd, rec.log, rec.time.csv in " + dir.path());
            EXPECT_EQ(stopped, "Stopped: 2 frames in rec.psd, rec.log, rec.time.csv in " + dir.path());
            // Closing asks first; No keeps the window recording, Yes closes it with its files whole.
            prompter->answer(false);
            closeWindow(frame);
            ASSERT_EQ(app->mainFrame()->frames().size(), 1);
            EXPECT_EQ(prompter->calls().back().text, "Recording to rec.psd: stop recording and close?");
            EXPECT_TRUE(prompter->calls().back().style.defaultNo);
            prompter->answer(true);
            closeWindow(frame);
            EXPECT_TRUE(app->mainFrame()->frames().isEmpty());
            EXPECT_EQ(readFile(psd).size(), (2u + 2u) * 512u);
            EXPECT_EQ(readFile(dir.file("rec.log")), logOf(2));
        }
        for (const char* name : {"rec.psd", "rec.log", "rec.time.csv", "rec.asc"})
            EXPECT_EQ(fileExists(dir.file(name)),
                      std::find(c.files.begin(), c.files.end(), name) != c.files.end())
                << name;
        EXPECT_TRUE(prompter->messages().empty());
        // The program's own switches are as they were: the choice was this run's.
        for (int slot = 0; slot < 5; ++slot)
            EXPECT_EQ(settings.outputs.value[slot], slot == 3 ? 1 : 0) << slot;
    }
}

TEST_F(InstrumentViewTest, ExitWithARecordingWindowAsksAndANoKeepsEveryWindow)
{
    ASSERT_TRUE(startSimulator(once()));
    const std::string psd = cal.path("exit.psd");
    CKavroFrame* frame = openOnSimulator(psd);
    ASSERT_NE(frame, nullptr);
    frame->animationBar()->button(CAnimationBar::kNextButton)->click();
    for (bool yes : {false, true}) {
        prompter->answer(yes);
        app->mainFrame()->action(cmd::Exit)->trigger();
        QTest::qWait(20);  // Exit closes the main window once the menu is done
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(prompter->calls().back().text, "Recording to exit.psd: stop recording and close?");
        EXPECT_EQ(app->mainFrame()->frames().size(), yes ? 0 : 1);
    }
    EXPECT_EQ(readFile(psd).size(), (1u + 2u) * 512u);
    EXPECT_EQ(prompter->pendingAnswers(), 0u);
}

TEST_F(InstrumentViewTest, AnUnpluggedInstrumentIsWaitedForWithoutABoxAndStopEndsTheCast)
{
    ASSERT_TRUE(startSimulator(SimulatorOptions{}));
    const std::string psd = cal.path("unplugged.psd");
    CKavroFrame* frame = openOnSimulator(psd);
    ASSERT_NE(frame, nullptr);
    app->mainFrame()->action(cmd::ShowBuffer)->trigger();
    CShowBufferWnd* window = CShowBufferWnd::of(*frame->view());
    ASSERT_NE(window, nullptr);
    FrameNavigator* nav = frame->view()->navigator();
    nav->setInterval(20);
    nav->toggle();
    ASSERT_TRUE(runUntil([window] { return window->count() >= 2; }));

    // Between two ticks the line goes: the window says so in its banner and goes on waiting.
    stopSimulator();
    sim->hangUp();
    auto* reconnect = frame->view()->findChild<QPushButton*>("reconnectNow");
    EXPECT_TRUE(runUntil([&] {
        reconnect = frame->view()->findChild<QPushButton*>("reconnectNow");
        return reconnect && reconnect->isVisibleTo(frame->view());
    }));
    ASSERT_NE(reconnect, nullptr);
    const QString banner = reconnect->parentWidget()->findChild<QLabel*>()->text();
    EXPECT_TRUE(banner.startsWith("Instrument lost at ")) << banner.toStdString();
    EXPECT_TRUE(banner.contains(QString::fromStdString(sim->devicePath()))) << banner.toStdString();
    EXPECT_TRUE(nav->running());
    EXPECT_TRUE(prompter->messages().empty());
    const int received = window->count();

    // Stop ends the cast; every frame received is in the files.
    frame->animationBar()->button(CAnimationBar::kTimerButton)->click();
    EXPECT_FALSE(nav->running());
    EXPECT_TRUE(prompter->messages().empty());
    prompter->answer(true);
    closeWindow(frame);
    EXPECT_EQ(readFile(cal.path("unplugged.log")), logOf(static_cast<std::size_t>(received)));
    EXPECT_EQ(readFile(psd).size(), (static_cast<std::size_t>(received) + 2u) * 512u);
}

TEST_F(InstrumentViewTest, AMissingOrBusyDeviceIsToldAndNothingOpens)
{
    ASSERT_TRUE(startSimulator(once()));
    Settings& settings = app->settings();
    settings.comDevice[1] = dir.file("ttyGone");
    settings.comDevice[2] = sim->devicePath();
    PosixSerialLink other({"", "", sim->devicePath(), ""});  // another window of this program has the port
    ASSERT_EQ(other.open(2), 0) << other.lastError();
    for (int port : {1, 2}) {
        dialogs->portAnswers.push_back(InstrumentChoice{port, 0});
        app->mainFrame()->action(cmd::OpenInstrument)->trigger();
    }
    EXPECT_TRUE(app->mainFrame()->frames().isEmpty());
    ASSERT_EQ(prompter->messages().size(), 2u);
    EXPECT_EQ(prompter->messages()[0], "Could not open the instrument port COM2: - " + dir.file("ttyGone")
                                           + ": no such device (is the instrument's USB adapter plugged in?)");
    EXPECT_EQ(prompter->messages()[1],
              "Could not open the instrument port COM3: - " + sim->devicePath()
                  + ": already open in this program (another window has it)");
    EXPECT_EQ(prompter->pendingAnswers(), 0u);
}

}  // namespace
