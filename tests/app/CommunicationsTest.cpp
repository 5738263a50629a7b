// Show Buffer and Send Command of an instrument view, with the program's own hooks
// and an instrument source on a scripted line: one receive-buffer window per view
// that counts every text the instrument sends, and the typed command, the empty
// command and Ctrl-C as bytes on the line.
#include "acquisition/CCommSource.h"
#include "acquisition/ui/CSendCommandDlg.h"
#include "acquisition/ui/CShowBufferWnd.h"
#include "app/CAnimationBar.h"
#include "app/CKavroFrame.h"
#include "app/CKavroView.h"
#include "app/CMainFrame.h"
#include "app/CastOverviewPanel.h"
#include "app/CommandTable.h"
#include "app/FrameNavigator.h"
#include "app/ProgramHooks.h"
#include "plots/CTextWnd.h"
#include "app/InstrumentStatus.h"
#include "app/SizeDistributionLayout.h"
#include "background/ui/CAccumulateDlg.h"
#include "background/ui/CRingsWnd.h"
#include "tests/app/AppTestSupport.h"
#include "tests/core/CoreFixture.h"
#include "tests/support/ScriptedSerialLink.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPrinter>
#include <QPushButton>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <memory>

using namespace kavro;
using namespace kavro::test;

namespace {

// Instrument sources on a scripted line whose sleeps take no time.
class ScriptedInstrumentFactory : public SourceFactory {
public:
    std::unique_ptr<CDataSource> create(int kind, SourceContext context, SourceOwner* owner) override
    {
        if (kind != kKindInstrument)
            return nullptr;
        auto scripted = std::make_unique<ScriptedSerialLink>();
        link = scripted.get();
        auto made = std::make_unique<CCommSource>(context, owner, std::move(scripted), context.settings.instrumentPort);
        made->setTiming({[this] { return ms / 1000; },
                         [this](int d) {
                             ms += d;
                             if (duringSleep)
                                 duringSleep();
                         }});
        source = made.get();
        return made;
    }
    ScriptedSerialLink* link = nullptr;
    CCommSource* source = nullptr;
    long long ms = 0;
    std::function<void()> duringSleep;  // runs at every pause of an exchange
};

// A frame whose text grows with n: "{n n ... n}" with forty values.
std::string frameText(int n)
{
    std::string text = "{";
    for (int i = 0; i < 40; ++i) {
        if (i > 0)
            text += ' ';
        text += std::to_string(n);
    }
    return text + "}";
}

class CommunicationsTest : public AppFixture {
protected:
    CommunicationsTest()
        : AppFixture(std::make_unique<ScriptedInstrumentFactory>(), makeProgramHooks()),
          instruments(dynamic_cast<ScriptedInstrumentFactory*>(&app->sources()))
    {
        app->settings().calFiles = cal.dir.path();
        dialogs->portAnswers.push_back(InstrumentChoice{1, 0});
        prompter->choose(cal.path("RingArea_a.asc")).choose(cal.path("zsc.asc"));
        app->mainFrame()->onCommand(cmd::OpenInstrument);
        frame = app->mainFrame()->activeFrame();
    }
    CKavroView& view() { return *frame->view(); }
    ScriptedSerialLink& link() { return *instruments->link; }
    void command(int id) { app->mainFrame()->action(id)->trigger(); }
    // Next asks for a frame, and the instrument answers with text.
    void nextFrameFrom(const std::string& text)
    {
        link().reply(text);
        frame->animationBar()->button(CAnimationBar::kNextButton)->click();
    }
    int bufferWindows() { return static_cast<int>(view().findChildren<CShowBufferWnd*>().size()); }
    std::string frameLabel() { return view().sizeLayout()->frameLabel()->text().toStdString(); }
    std::string exchangeLine() { return view().instrumentStatus()->exchangeLabel()->text().toStdString(); }
    std::string recordingLine() { return view().instrumentStatus()->recordingLabel()->toolTip().toStdString(); }

    // Runs script on the Send Command dialog once the command has opened it, then
    // makes sure it closes, so that a failed check never leaves the test waiting.
    void sendCommandDialog(const std::function<void(CSendCommandDlg&)>& script)
    {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            auto* dialog = qobject_cast<CSendCommandDlg*>(modal);
            if (dialog) {
                ran = true;
                script(*dialog);
            }
            if (modal && modal->isVisible())
                modal->close();
        });
        command(cmd::SendCommand);
        EXPECT_TRUE(ran) << "Send Command did not open its dialog";
    }

    ScriptedInstrumentFactory* instruments;
    CalibrationFolder cal;
    CKavroFrame* frame = nullptr;
};

TEST_F(CommunicationsTest, ShowBufferOpensOnceAndCountsEveryFrameText)
{
    ASSERT_NE(frame, nullptr);
    nextFrameFrom(frameText(1));  // before the window: shown nowhere
    command(cmd::ShowBuffer);
    command(cmd::ShowBuffer);
    ASSERT_EQ(bufferWindows(), 1);
    CShowBufferWnd* window = CShowBufferWnd::of(view());
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), " Receive Communications Buffer");
    EXPECT_EQ(window->count(), 0);
    EXPECT_EQ(window->lengthBox()->text(), "0");

    nextFrameFrom(frameText(22));
    nextFrameFrom(frameText(7));
    // Noise before the third frame, and the start of the next one after it.
    nextFrameFrom("x#" + frameText(333) + "{5");
    const std::string third = frameText(333);
    EXPECT_EQ(window->count(), 3);
    EXPECT_EQ(window->countBox()->text(), "3");
    EXPECT_EQ(window->length(), static_cast<int>(third.size()));
    EXPECT_EQ(window->lengthBox()->text(), QString::number(third.size()));
    EXPECT_EQ(window->text(), third);
    EXPECT_EQ(window->textBox()->toPlainText().toStdString(), third);
    EXPECT_EQ(instruments->source->pendingText(), "{5");

    // Cancel: the view has no window at once, and the window goes.
    QPointer<CShowBufferWnd> gone = window;
    window->cancelButton()->click();
    EXPECT_EQ(CShowBufferWnd::of(view()), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(gone.isNull());
    nextFrameFrom(frameText(4));  // nobody to show it to

    command(cmd::ShowBuffer);  // a new window counts from 0
    ASSERT_EQ(bufferWindows(), 1);
    nextFrameFrom(frameText(8));
    EXPECT_EQ(CShowBufferWnd::of(view())->count(), 1);
    EXPECT_TRUE(prompter->messages().empty());
}

TEST_F(CommunicationsTest, TheBufferWindowGoesWithItsView)
{
    ASSERT_NE(frame, nullptr);
    command(cmd::ShowBuffer);
    QPointer<CShowBufferWnd> window = CShowBufferWnd::of(view());
    ASSERT_FALSE(window.isNull());
    frame->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
    EXPECT_TRUE(app->mainFrame()->frames().isEmpty());
}

TEST_F(CommunicationsTest, SendCommandSendsTheBoxAndShowsTheReply)
{
    ASSERT_NE(frame, nullptr);
    command(cmd::ShowBuffer);
    CShowBufferWnd* window = CShowBufferWnd::of(view());
    ASSERT_NE(window, nullptr);
    link().written.clear();

    sendCommandDialog([&](CSendCommandDlg& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Send Command");
        EXPECT_EQ(dialog.commandEdit()->text(), "");
        EXPECT_EQ(dialog.focusWidget(), dialog.commandEdit());

        // An empty box still sends the line end, and the reply is shown.
        link().arrive("\r\nOK\r\n");
        dialog.sendButton()->click();
        EXPECT_EQ(link().written, "\r\n");
        EXPECT_EQ(window->text(), "\r\nOK\r\n");
        EXPECT_EQ(window->length(), 6);
        EXPECT_EQ(window->textBox()->toPlainText(), "\nOK\n");

        QTest::keyClicks(dialog.commandEdit(), "VER");
        link().arrive("VER\r\nOK\r\n");
        QTest::keyClick(dialog.commandEdit(), Qt::Key_Return);  // the same as Send Command
        EXPECT_EQ(link().written, "\r\nVER\r\n");
        EXPECT_EQ(instruments->source->command(), "VER");
        EXPECT_EQ(window->text(), "VER\r\nOK\r\n");
        EXPECT_EQ(window->count(), 2);
        EXPECT_EQ(dialog.focusWidget(), dialog.commandEdit());
        EXPECT_EQ(dialog.commandEdit()->selectedText(), "VER");
        EXPECT_TRUE(dialog.isVisible());

        link().arrive("STOPPED\r\n");
        dialog.ctrlCButton()->click();
        EXPECT_EQ(link().written, std::string("\r\nVER\r\n\x03\r\n"));
        EXPECT_EQ(instruments->source->command(), "VER");
        EXPECT_EQ(dialog.commandEdit()->text(), "VER");
        EXPECT_EQ(dialog.commandEdit()->selectedText(), "VER");
        EXPECT_EQ(window->text(), "STOPPED\r\n");
        EXPECT_EQ(window->count(), 3);

        dialog.cancelButton()->click();
        EXPECT_FALSE(dialog.isVisible());
    });
    EXPECT_EQ(link().beforeCommandCalls, 3);

    // Built afresh, with the command sent last.
    sendCommandDialog([&](CSendCommandDlg& dialog) {
        EXPECT_EQ(dialog.commandEdit()->text(), "VER");
        EXPECT_EQ(dialog.commandEdit()->selectedText(), "VER");
        dialog.ctrlCButton()->click();
    });
    EXPECT_EQ(instruments->source->command(), "VER");
    EXPECT_EQ(link().written, std::string("\r\nVER\r\n\x03\r\n\x03\r\n"));
    EXPECT_TRUE(prompter->messages().empty());
}

// No dialog, companion window or option leaves the frame timer other than it found
// it: a recording goes on through each of them, at its pace, and the frames taken
// meanwhile (those of a collection too) are written like every other.
TEST_F(CommunicationsTest, NoDialogOrWindowStopsARecording)
{
    ASSERT_NE(frame, nullptr);
    for (int slot : {1, 2})
        app->settings().outputs.value[slot] = 1;  // .log and .psd
    dialogs->portAnswers.push_back(InstrumentChoice{1, 0});
    prompter->choose(cal.path("RingArea_a.asc")).choose(cal.path("zsc.asc")).choose(dir.file("rec.psd"));
    app->mainFrame()->onCommand(cmd::OpenInstrument);
    frame = app->mainFrame()->activeFrame();
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(instruments->source->recording());
    app->printer().setOutputFormat(QPrinter::PdfFormat);
    app->printer().setOutputFileName(QString::fromStdString(dir.file("page.pdf")));
    // Every request finds its frame on the line.
    int n = 1;
    instruments->duringSleep = [&] {
        if (link().notYetRead().empty() && link().written.size() >= 2 &&
            link().written.compare(link().written.size() - 2, 2, "\r\n") == 0)
            link().arrive(frameText(n++));
    };
    FrameNavigator* nav = view().navigator();
    constexpr int kInterval = 2000;  // no tick of its own during the test: the test ticks
    nav->setInterval(kInterval);
    nav->toggle();
    ASSERT_TRUE(nav->running());

    // While the dialog or window is open: the timer runs and its ticks write frames.
    auto meanwhile = [&](const char* what) {
        EXPECT_TRUE(nav->running()) << what;
        const long before = instruments->source->counts().written;
        nav->tick();
        nav->tick();
        EXPECT_EQ(instruments->source->counts().written, before + 2) << what;
    };
    // A modal dialog the command opens, closed with Cancel once the frames came.
    auto modal = [&](const char* what, int id) {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                ran = true;
                meanwhile(what);
                dialog->reject();
            }
        });
        command(id);
        EXPECT_TRUE(ran) << what << " opened no dialog";
    };
    // The verdict that follows a collection, cancelled.
    auto cancelNextModal = [] {
        QTimer::singleShot(0, [] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                dialog->reject();
        });
    };
    struct Row {
        const char* what;
        std::function<void(const char*)> run;
    };
    const std::vector<Row> rows = {
        {"Send Command", [&](const char* what) { modal(what, cmd::SendCommand); }},
        {"Size Distribution Display", [&](const char* what) { modal(what, cmd::SizeDistributionDisplay); }},
        {"Output", [&](const char* what) { modal(what, cmd::Output); }},
        {"Locations", [&](const char* what) { modal(what, cmd::Locations); }},
        {"Edit Calibration Parameters", [&](const char* what) { modal(what, cmd::EditCalibration); }},
        {"Show Buffer",
         [&](const char* what) {
             command(cmd::ShowBuffer);
             ASSERT_NE(CShowBufferWnd::of(view()), nullptr);
             meanwhile(what);
             CShowBufferWnd::of(view())->cancelButton()->click();
         }},
        {"Accumulate and Average, cancelled",
         [&](const char* what) {
             command(cmd::AccumulateAverage);
             CAccumulateDlg* averaging = view().findChild<CAccumulateDlg*>();
             ASSERT_NE(averaging, nullptr);
             meanwhile(what);
             averaging->cancelButton()->click();
         }},
        {"Accumulate and Average, a collection",
         [&](const char* what) {
             command(cmd::AccumulateAverage);
             CAccumulateDlg* averaging = view().findChild<CAccumulateDlg*>();
             ASSERT_NE(averaging, nullptr);
             averaging->outputEdit()->setText(QString::fromStdString(dir.file("average.psd")));
             averaging->collectButton()->click();  // BEGIN: one frame a second meanwhile
             ASSERT_TRUE(averaging->collecting()) << (prompter->messages().empty() ? "" : prompter->messages().back());
             EXPECT_EQ(nav->interval(), 1000);
             meanwhile(what);
             EXPECT_EQ(averaging->frameCountEdit()->text(), "2");
             averaging->collectButton()->click();  // FINISH
             EXPECT_TRUE(fileExists(dir.file("average.psd")));
             averaging->cancelButton()->click();
         }},
        {"View Rings, a background",
         [&](const char* what) {
             command(cmd::ViewRings);
             CRingsWnd* rings = view().findChild<CRingsWnd*>();
             ASSERT_NE(rings, nullptr);
             rings->collectButton()->click();  // BEGIN
             meanwhile(what);
             EXPECT_EQ(rings->framesEdit()->text(), "2");
             cancelNextModal();
             rings->collectButton()->click();  // FINISH, the verdict cancelled
             rings->cancelButton()->click();
         }},
        {"Print Preview", [&](const char*) { command(cmd::PrintPreview); }},
        {"Build Background Scatter File, cancelled",
         [&](const char*) {
             prompter->cancel();
             command(cmd::BuildBackground);
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        row.run(row.what);
        QCoreApplication::processEvents();
        EXPECT_TRUE(nav->running());
        EXPECT_EQ(nav->interval(), kInterval);
        EXPECT_EQ(frame->animationBar()->timerText(), "Timer-ON");
        EXPECT_EQ(view().instrumentStatus()->indicator()->text().left(5), QString::fromUtf8("\u25CF REC"));
    }
    // Every frame taken is in the .psd (two header records and one record a frame),
    // those of the two collections too.
    nav->toggle();
    EXPECT_EQ(instruments->source->counts().written, 18);
    EXPECT_EQ(readFile(dir.file("rec.psd")).size(), (2u + 18u) * 512u);
}

}  // namespace

namespace {

TEST(InstrumentStatusTexts, TheBandSaysRecOnlyWhileTheTimerTakesFramesIntoFiles)
{
    using Run = InstrumentStatus::Run;
    using Indicator = InstrumentStatus::Indicator;
    // The run: before the timer's first start, while it runs, after, the instrument gone.
    EXPECT_EQ(InstrumentStatus::runOf(false, false, false), Run::Ready);
    EXPECT_EQ(InstrumentStatus::runOf(true, true, false), Run::Going);
    EXPECT_EQ(InstrumentStatus::runOf(false, true, false), Run::Stopped);
    EXPECT_EQ(InstrumentStatus::runOf(true, true, true), Run::Lost);
    EXPECT_EQ(InstrumentStatus::runOf(false, false, true), Run::Lost);
    struct Row {
        Run run;
        bool recording;
        bool failed;
        Indicator state;
        long long seconds;
        long frames;
        std::string band;
    };
    const std::string dot = "\u25CF";
    for (const Row& r : std::vector<Row>{
             {Run::Ready, true, false, Indicator::Ready, 0, 0, "READY - press the timer button (Timer-OFF) to record"},
             {Run::Ready, true, false, Indicator::Ready, 0, 2, "READY - press the timer button (Timer-OFF) to record"},
             {Run::Going, true, false, Indicator::Rec, 3725, 754, dot + " REC   \u00B7   01:02:05   \u00B7   754 frames"},
             {Run::Going, true, false, Indicator::Rec, 0, 1, dot + " REC   \u00B7   00:00:00   \u00B7   1 frame"},
             {Run::Going, true, false, Indicator::Rec, 360000, 0, dot + " REC   \u00B7   100:00:00   \u00B7   0 frames"},
             {Run::Stopped, true, false, Indicator::Stopped, 60, 12, "STOPPED   \u00B7   12 frames"},
             {Run::Lost, true, false, Indicator::Lost, 60, 12, "LOST - waiting for the instrument"},
             {Run::Lost, false, true, Indicator::Lost, 0, 0, "LOST - waiting for the instrument"},
             {Run::Going, false, false, Indicator::NotRecording, 5, 0, "NOT RECORDING - no instrument output is on"},
             {Run::Ready, false, false, Indicator::NotRecording, 0, 0, "NOT RECORDING - no instrument output is on"},
             {Run::Going, true, true, Indicator::Failed, 5, 7, "RECORDING FAILED   \u00B7   7 frames"},
         }) {
        const Indicator state = InstrumentStatus::indicatorOf(r.run, r.recording, r.failed);
        EXPECT_EQ(state, r.state) << r.band;
        EXPECT_EQ(InstrumentStatus::indicatorText(state, r.seconds, r.frames), r.band);
    }
    // The line at the bottom: "Recording" only while the timer runs.
    const std::vector<std::string> files{"/d/a.psd", "/d/a.log"};
    EXPECT_EQ(InstrumentStatus::recordingText(files, "", Run::Ready, 0),
              "Ready to record: a.psd, a.log in /d - press the timer button (Timer-OFF) to record");
    EXPECT_EQ(InstrumentStatus::recordingText(files, "", Run::Going, 3), "Recording: a.psd, a.log in /d");
    EXPECT_EQ(InstrumentStatus::recordingText(files, "", Run::Stopped, 3), "Stopped: 3 frames in a.psd, a.log in /d");
    EXPECT_EQ(InstrumentStatus::recordingText({}, "", Run::Ready, 0),
              "Not recording: no instrument output is on (Options > Output)");
}

TEST_F(CommunicationsTest, TheBandFollowsTheTimerAndTheKeysLookBackAtTheCast)
{
    ASSERT_NE(frame, nullptr);
    QLabel* band = view().instrumentStatus()->indicator();
    ASSERT_NE(band, nullptr);
    EXPECT_TRUE(band->isVisibleTo(frame));
    // Nothing is recorded in this window: the band says so whatever the timer does.
    EXPECT_EQ(band->text(), "NOT RECORDING - no instrument output is on");
    for (int i = 1; i <= 4; ++i)
        nextFrameFrom(frameText(i));
    EXPECT_EQ(frameLabel(), "Data Frame: 3");
    QApplication::setActiveWindow(app->mainFrame());
    view().setFocus();
    const std::pair<int, const char*> keys[] = {{Qt::Key_Left, "Data Frame: 2"}, {Qt::Key_Home, "Data Frame: 0"},
                                                {Qt::Key_Right, "Data Frame: 1"}, {Qt::Key_PageDown, "Data Frame: 3"},
                                                {Qt::Key_PageUp, "Data Frame: 0"}, {Qt::Key_End, "Data Frame: 3"}};
    for (auto [key, expected] : keys) {
        QTest::keyClick(&view(), static_cast<Qt::Key>(key));
        EXPECT_EQ(frameLabel(), expected) << QKeySequence(key).toString().toStdString();
    }
    EXPECT_TRUE(view().overviewPanel()->following());

    // Maximised at 1366 x 768 beside the overview, with the band taking its height, the
    // frame number and the statistics still stand in capitals 12 pixels high.
    app->mainFrame()->showNormal();
    app->mainFrame()->resize(1366, 768);
    frame->showMaximized();
    QCoreApplication::processEvents();
    ASSERT_TRUE(frame->overviewShown());
    SizeDistributionLayout* layout = view().sizeLayout();
    for (CTextWnd* label : {layout->frameLabel(), layout->meanLabel(), layout->stdDevLabel(), layout->totalLabel()})
        EXPECT_GE(QFontMetrics(label->shownFont()).capHeight(), 12) << label->text().toStdString();
    EXPECT_GE(band->height(), 28);
}

TEST_F(CommunicationsTest, ARequestWithoutAFrameKeepsTheFrameNumberAndSaysWhy)
{
    ASSERT_NE(frame, nullptr);
    command(cmd::ShowBuffer);
    CShowBufferWnd* window = CShowBufferWnd::of(view());
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(recordingLine(), "Not recording: no instrument output is on (Options > Output)");
    nextFrameFrom(frameText(1));
    EXPECT_EQ(frameLabel(), "Data Frame: 0");  // the first record of the .psd
    const QString mean = view().sizeLayout()->meanLabel()->text();

    // While the request waits the window says so, stays drawn and takes no command.
    std::vector<std::string> waiting;
    auto busySeen = std::make_shared<std::vector<bool>>();  // by events handled during the wait
    instruments->duringSleep = [&] {
        waiting.push_back(exchangeLine());
        QTimer::singleShot(0, &view(), [busySeen, this] { busySeen->push_back(view().busy()); });
    };
    struct Row {
        std::string sent;
        std::string line;
    };
    const std::vector<Row> rows = {
        {"", "No frame for this request: no reply within 5 s"},
        {"{100 200}", "No frame for this request: its text was rejected (see Show Buffer)"},
        {"{1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24 25 26 27 28 29 30 31 32 33 34 35 36 "
         "37 38 39 4.5}",
         "No frame for this request: its text was rejected (see Show Buffer)"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.sent);
        nextFrameFrom(row.sent);
        EXPECT_EQ(frameLabel(), "Data Frame: 0");
        EXPECT_EQ(view().sizeLayout()->meanLabel()->text(), mean);
        EXPECT_EQ(exchangeLine(), row.line);
    }
    ASSERT_FALSE(waiting.empty());
    EXPECT_EQ(waiting.front(), "Waiting for the instrument ... 0 s");
    EXPECT_EQ(waiting.back(), "Waiting for the instrument ... 5 s");
    // The next request that waits says that the one before got nothing.
    waiting.clear();
    nextFrameFrom("");
    EXPECT_EQ(waiting.front(), "Waiting for the instrument ... 0 s (the request before got no frame)");
    ASSERT_FALSE(busySeen->empty());
    EXPECT_EQ(std::count(busySeen->begin(), busySeen->end(), false), 0);
    EXPECT_FALSE(view().busy());
    EXPECT_EQ(window->count(), 3);  // frame 1 and the two rejected texts
    EXPECT_EQ(window->rejected(), 2);
    EXPECT_EQ(window->rejectedBox()->text(), "2");
    EXPECT_EQ(window->text(), rows.back().sent);

    nextFrameFrom(frameText(2));
    EXPECT_EQ(frameLabel(), "Data Frame: 1");
    EXPECT_EQ(exchangeLine(), "2 rejected, 4 requests without a frame");
    EXPECT_EQ(window->rejected(), 2);
    EXPECT_TRUE(prompter->messages().empty());
}

TEST_F(CommunicationsTest, TheTimerKeepsAskingThroughSilenceAndWaitsForALineThatIsGone)
{
    ASSERT_NE(frame, nullptr);
    FrameNavigator* nav = view().navigator();
    nav->toggle();
    link().written.clear();
    for (int i = 0; i < 3; ++i)
        nav->tick();
    EXPECT_TRUE(nav->running());
    EXPECT_EQ(link().written, "\r\n\r\n\r\n");  // one request a tick, none in between
    link().reply(frameText(4));
    nav->tick();
    EXPECT_EQ(frameLabel(), "Data Frame: 0");

    link().breakLink("/dev/ttyUSB1: the device went away");
    nav->tick();
    // The cast waits for its line: the timer goes on, nothing blocks, the banner says so.
    EXPECT_TRUE(nav->running());
    EXPECT_EQ(exchangeLine(), "No frame: the instrument is lost");
    EXPECT_TRUE(prompter->messages().empty());
    auto* reconnect = view().findChild<QPushButton*>("reconnectNow");
    ASSERT_NE(reconnect, nullptr);
    EXPECT_TRUE(reconnect->isVisibleTo(&view()));
    auto* banner = reconnect->parentWidget()->findChild<QLabel*>();
    EXPECT_TRUE(banner->text().startsWith("Instrument lost at ")) << banner->text().toStdString();
    EXPECT_TRUE(banner->text().endsWith("(/dev/ttyUSB1: the device went away): waiting for it to come back"));
    link().written.clear();
    reconnect->click();
    EXPECT_TRUE(banner->text().startsWith("Instrument back at ")) << banner->text().toStdString();
    EXPECT_FALSE(reconnect->isVisibleTo(&view()));
    link().reply(frameText(5));
    nav->tick();
    EXPECT_EQ(frameLabel(), "Data Frame: 1");  // the frame numbers run on
    EXPECT_EQ(link().written, "\r\n");
    EXPECT_TRUE(prompter->messages().empty());
}

TEST_F(CommunicationsTest, ARecordingWindowNamesItsFilesAndClosingWritesTheFramesWaiting)
{
    ASSERT_NE(frame, nullptr);
    for (int slot : {1, 2})
        app->settings().outputs.value[slot] = 1;  // .log and .psd
    const std::string psd = dir.file("cast.psd");
    dialogs->portAnswers.push_back(InstrumentChoice{1, 0});
    prompter->choose(cal.path("RingArea_a.asc")).choose(cal.path("zsc.asc")).choose(psd);
    app->mainFrame()->onCommand(cmd::OpenInstrument);
    CKavroFrame* recording = app->mainFrame()->activeFrame();
    ASSERT_NE(recording, frame);
    EXPECT_EQ(recording->view()->instrumentStatus()->recordingLabel()->toolTip().toStdString(),
              "Ready to record: cast.psd, cast.log, cast.time.csv in " + dir.path() + " - press the timer button (Timer-OFF) to record");

    // Two frames arrive that nobody asked for yet: the window's close takes them.
    instruments->link->arrive(frameText(3) + frameText(4) + "{5 5");
    prompter->answer(true);  // stop recording and close
    recording->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const std::string log = readFile(dir.file("cast.log"));
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2);
    EXPECT_EQ(readFile(psd).size(), 4u * 512u);
    EXPECT_TRUE(prompter->messages().empty());
}

}  // namespace
