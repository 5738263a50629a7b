// The background scatter and averaging windows in the desktop program: live
// collections from the instrument simulator through the Rings and the
// accumulate-and-average windows, the verdict window, the scale dialog, the
// transmission gauge and the Rings window of a raw recording.
#include "app/BackgroundHooks.h"
#include "app/BackgroundViewHost.h"
#include "app/CKavroFrame.h"
#include "app/CKavroView.h"
#include "app/CMainFrame.h"
#include "app/CommandTable.h"
#include "app/FrameNavigator.h"
#include "app/SourceFactory.h"
#include "background/LiveCollection.h"
#include "background/ui/CAccumulateDlg.h"
#include "background/ui/CBackgroundInfoDlg.h"
#include "background/ui/CRingsWnd.h"
#include "background/ui/CTransmissionGauge.h"
#include "background/ui/MaximumScaleDialog.h"
#include "background/ui/RingPlotPanel.h"
#include "core/CRawSource.h"
#include "platform/FileUtil.h"
#include "platform/NumText.h"
#include "plots/CTextWnd.h"
#include "tests/support/PlatformSkips.h"
#include "tests/app/AppTestSupport.h"
#include "sim/InstrumentSimulator.h"

#include <QStatusBar>
#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <atomic>
#include <thread>

using namespace kavro;
using namespace kavro::test;

namespace {

const std::string kDemo = std::string(KAVRO_BIN_DIR) + "/../data/demo/";

// The mean of frames first .. first + count - 1, added up and divided as the accumulator does.
std::array<double, kFrameValues> meanOf(const std::vector<RawWords>& frames, std::size_t first, std::size_t count)
{
    std::array<double, kFrameValues> mean{};
    for (std::size_t k = first; k < first + count; ++k)
        for (std::size_t i = 0; i < mean.size(); ++i)
            mean[i] += frames[k][i];
    for (double& v : mean)
        v /= static_cast<double>(count);
    return mean;
}

class BackgroundWindowsTest : public AppFixture {
protected:
    BackgroundWindowsTest()
        : AppFixture(std::make_unique<KavroSourceFactory>(),
                     std::make_unique<BackgroundHooks>([this](QDialog& d) { return answer(d); }))
    {
    }
    ~BackgroundWindowsTest() override
    {
        stop = true;
        if (thread.joinable())
            thread.join();
    }

    // The modal dialogs, answered as the script says.
    int answer(QDialog& dialog)
    {
        if (auto* scale = dynamic_cast<MaximumScaleDialog*>(&dialog)) {
            scaleShown.push_back(scale->valueEdit()->text());
            scale->valueEdit()->setText(scaleAnswer);
            scale->accept();
        } else if (auto* info = dynamic_cast<CBackgroundInfoDlg*>(&dialog)) {
            verdicts.push_back(info->verdictBox()->toPlainText());
            (acceptVerdict ? info->acceptButton() : info->cancelButton())->click();
        } else {
            ADD_FAILURE() << "unexpected dialog " << dialog.windowTitle().toStdString();
        }
        return dialog.result();
    }

    // The instrument, live from the simulator on COM3:; null when it did not open.
    // With a .psd output path the instrument records to it (and to the .asc beside it).
    CKavroView* openInstrument(const std::string& recording = {})
    {
        std::string error;
        if (!sim.start(&error)) {
            ADD_FAILURE() << error;
            return nullptr;
        }
        thread = std::thread([this] { sim.run(stop); });
        Settings& settings = app->settings();
        settings.calFiles = kDemo;
        settings.comDevice[2] = sim.devicePath();
        settings.commWait = 0;
        dialogs->portAnswers.push_back(InstrumentChoice{2, 0});
        prompter->choose(kDemo + "RingArea_a.asc").choose(kDemo + "zsc.asc");
        if (!recording.empty()) {
            settings.outputs.value[0] = settings.outputs.value[2] = 1;
            prompter->choose(recording);
        }
        app->mainFrame()->action(cmd::OpenInstrument)->trigger();
        if (app->mainFrame()->frames().size() != 1)
            return nullptr;
        return app->mainFrame()->activeView();
    }
    CRingsWnd* openRings(CKavroView& view)
    {
        view.onCommand(cmd::ViewRings);
        return view.findChild<CRingsWnd*>();
    }
    CAccumulateDlg* openAveraging(CKavroView& view)
    {
        view.onCommand(cmd::AccumulateAverage);
        return view.findChild<CAccumulateDlg*>();
    }
    const RawWords& simFrame(std::size_t k) const { return sim.recording()[k]; }

    InstrumentSimulator sim{syntheticRecording(12), SimulatorOptions{}};
    std::atomic<bool> stop{false};
    std::thread thread;
    QString scaleAnswer = "1000";
    bool acceptVerdict = true;
    std::vector<QString> scaleShown;
    std::vector<QString> verdicts;
};

#define SKIP_WITHOUT_DEMO()                                                                                            \
    if (!fileExists(kDemo + "factory_zsc.asc"))                                                                        \
    GTEST_SKIP() << "the build has no demo data"

TEST_F(BackgroundWindowsTest, ALiveBackgroundIsTheMeanOfTheFramesBetweenBeginAndFinish)
{
    KAVRO_NEEDS_PSEUDO_TERMINALS();
    SKIP_WITHOUT_DEMO();
    CKavroView* view = openInstrument();
    ASSERT_NE(view, nullptr);
    CRingsWnd* rings = openRings(*view);
    ASSERT_NE(rings, nullptr);
    EXPECT_EQ(rings->windowTitle(), "Rings");
    EXPECT_EQ(rings->collectButton()->text(), "BEGIN Background Scatter File");
    ASSERT_TRUE(rings->collectButton()->isEnabled());

    FrameNavigator* nav = view->navigator();
    nav->next();  // frame 0 comes before BEGIN: not part of the background
    rings->collectButton()->click();
    EXPECT_EQ(rings->collectButton()->text(), "FINISH Background Scatter File");
    constexpr int kFrames = 5;
    for (int k = 0; k < kFrames; ++k)
        nav->next();
    EXPECT_EQ(rings->framesEdit()->text(), QString::number(kFrames));

    const std::string output = dir.file("zsc.asc");
    prompter->choose(output);
    rings->collectButton()->click();

    ASSERT_EQ(verdicts.size(), 1u);
    EXPECT_FALSE(verdicts[0].contains('\r'));
    EXPECT_TRUE(verdicts[0].endsWith("5 frames collected.\n")) << verdicts[0].toStdString();
    const auto mean = meanOf(sim.recording(), 1, kFrames);
    std::string expected;
    for (double v : mean)
        expected += formatE(v) + "\n";
    EXPECT_EQ(readFile(output), expected);
    // The instrument takes the averages as its background, and the ratio is stored.
    for (int i = 0; i < kFrameValues; ++i)
        EXPECT_EQ(view->source()->value(kValueBackground, i), mean[static_cast<std::size_t>(i)]) << i;
    const double ratio = mean[kLaserPowerIndex] / mean[kLaserReferenceIndex];
    EXPECT_EQ(app->settings().lRefRatio, ratio);
    EXPECT_EQ(app->profile().readString("Miscellaneous", "LRefRatio", ""), formatG(ratio));
    EXPECT_EQ(view->source()->laserReferenceRatio(), ratio);

    // The collection is over: the caption returns and later frames go nowhere.
    EXPECT_EQ(rings->collectButton()->text(), "BEGIN Background Scatter File");
    nav->next();
    EXPECT_EQ(rings->framesEdit()->text(), "0");
    EXPECT_TRUE(prompter->messages().empty());
}

TEST_F(BackgroundWindowsTest, FinishWithoutFramesOrACancelledVerdictWritesNothing)
{
    KAVRO_NEEDS_PSEUDO_TERMINALS();
    SKIP_WITHOUT_DEMO();
    CKavroView* view = openInstrument();
    ASSERT_NE(view, nullptr);
    CRingsWnd* rings = openRings(*view);
    ASSERT_NE(rings, nullptr);
    const std::vector<double> before = [&] {
        std::vector<double> v;
        for (int i = 0; i < kFrameValues; ++i)
            v.push_back(view->source()->value(kValueBackground, i));
        return v;
    }();

    // FINISH leaves the timer as BEGIN found it: one that ran (a recording) goes on ...
    view->navigator()->toggle();
    rings->collectButton()->click();
    rings->collectButton()->click();
    EXPECT_EQ(prompter->messages(),
              std::vector<std::string>{"Unable to build background scattering file. No records read."});
    EXPECT_TRUE(view->navigator()->running());
    EXPECT_EQ(rings->collectButton()->text(), "BEGIN Background Scatter File");
    // ... and one started for the collection stops.
    view->navigator()->toggle();
    rings->collectButton()->click();
    view->navigator()->toggle();
    rings->collectButton()->click();
    EXPECT_FALSE(view->navigator()->running());
    EXPECT_EQ(prompter->messages().size(), 2u);

    acceptVerdict = false;
    rings->collectButton()->click();
    view->navigator()->next();
    rings->collectButton()->click();
    EXPECT_EQ(verdicts.size(), 1u);
    EXPECT_EQ(prompter->pendingAnswers(), 0u);  // no save dialog
    for (int i = 0; i < kFrameValues; ++i)
        EXPECT_EQ(view->source()->value(kValueBackground, i), before[static_cast<std::size_t>(i)]);
    EXPECT_FALSE(BackgroundViewHost::find(*view)->collection().running());
}


TEST_F(BackgroundWindowsTest, AveragingEndsByItselfAtItsTargetAndWritesOneRecord)
{
    KAVRO_NEEDS_PSEUDO_TERMINALS();
    SKIP_WITHOUT_DEMO();
    CKavroView* view = openInstrument();
    ASSERT_NE(view, nullptr);
    CAccumulateDlg* avg = openAveraging(*view);
    ASSERT_NE(avg, nullptr);
    EXPECT_EQ(avg->windowTitle(), "Accumulate & Average Data Frames");
    EXPECT_EQ(avg->framesToAverageEdit()->text(), "100");
    EXPECT_TRUE(avg->psdCheck()->isHidden());
    EXPECT_TRUE(avg->psdCheck()->isChecked());
    EXPECT_EQ(avg->collectButton()->text(), "BEGIN Collect Data Frames");

    const std::string output = dir.file("avg.psd");
    avg->framesToAverageEdit()->setText("3");
    avg->outputEdit()->setText(QString::fromStdString(output));
    avg->collectButton()->click();
    FrameNavigator* nav = view->navigator();
    EXPECT_TRUE(nav->running());
    EXPECT_EQ(nav->interval(), 1000);
    EXPECT_EQ(avg->collectButton()->text(), "FINISH Collect Data Frames");
    EXPECT_FALSE(avg->framesToAverageEdit()->isEnabled());

    nav->tick();
    nav->tick();
    EXPECT_TRUE(avg->collecting());
    EXPECT_EQ(avg->frameCountEdit()->text(), "2");
    nav->tick();
    EXPECT_FALSE(avg->collecting());
    EXPECT_FALSE(nav->running());
    EXPECT_EQ(avg->statusBox()->toPlainText(), "3 frames collected.\n");
    EXPECT_EQ(avg->collectButton()->text(), "BEGIN Collect Data Frames");
    EXPECT_TRUE(avg->framesToAverageEdit()->isEnabled());
    // Header, class diameters and the one record of the averaged frame.
    EXPECT_EQ(readFile(output).size(), 3u * 512u);
    EXPECT_FALSE(fileExists(dir.file("avg.asc")));
    const auto mean = meanOf(sim.recording(), 0, 3);
    for (int i = 0; i < kFrameValues; ++i)
        EXPECT_EQ(view->source()->rawValue(i), mean[static_cast<std::size_t>(i)]) << i;
    EXPECT_TRUE(prompter->messages().empty());
}

TEST_F(BackgroundWindowsTest, NoFramesToAverageEndsAtBeginAndOneCollectionRunsAtATime)
{
    KAVRO_NEEDS_PSEUDO_TERMINALS();
    SKIP_WITHOUT_DEMO();
    CKavroView* view = openInstrument();
    ASSERT_NE(view, nullptr);
    CAccumulateDlg* avg = openAveraging(*view);
    ASSERT_NE(avg, nullptr);
    avg->outputEdit()->setText(QString::fromStdString(dir.file("none.psd")));
    avg->framesToAverageEdit()->setText("0");
    avg->collectButton()->click();
    EXPECT_EQ(prompter->messages(),
              std::vector<std::string>{"Unable to build background scattering file. No records read."});
    EXPECT_FALSE(avg->collecting());
    EXPECT_FALSE(view->navigator()->running());
    EXPECT_EQ(avg->statusBox()->toPlainText(), "0 frames collected.\n");
    EXPECT_FALSE(fileExists(dir.file("none.psd")));

    // While the Rings window collects, the averaging window cannot begin, and the other way round.
    CRingsWnd* rings = openRings(*view);
    ASSERT_NE(rings, nullptr);
    rings->collectButton()->click();
    EXPECT_FALSE(avg->collectButton()->isEnabled());
    prompter->choose(dir.file("zsc.asc"));
    view->navigator()->next();
    rings->collectButton()->click();
    EXPECT_TRUE(avg->collectButton()->isEnabled());
    avg->framesToAverageEdit()->setText("50");
    avg->collectButton()->click();
    EXPECT_FALSE(rings->collectButton()->isEnabled());
    EXPECT_EQ(rings->collectButton()->text(), "BEGIN Background Scatter File");
    // Cancel finishes the collection before the window goes.
    avg->cancelButton()->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(view->findChild<CAccumulateDlg*>(), nullptr);
    EXPECT_TRUE(rings->collectButton()->isEnabled());
    EXPECT_FALSE(view->navigator()->running());
}

TEST_F(BackgroundWindowsTest, AveragingWithoutAnOutputIsRefusedAndCancelTellsWhatWasWritten)
{
    KAVRO_NEEDS_PSEUDO_TERMINALS();
    SKIP_WITHOUT_DEMO();
    CKavroView* view = openInstrument();
    ASSERT_NE(view, nullptr);
    CAccumulateDlg* avg = openAveraging(*view);
    ASSERT_NE(avg, nullptr);
    FrameNavigator* nav = view->navigator();
    avg->framesToAverageEdit()->setText("5");
    // Outputs that cannot be written are told at BEGIN, before any frame is collected.
    struct Row {
        std::string output;
        std::string told;
    };
    const Row rows[] = {
        {"  ", "No output file: choose the file for the averaged frame (\"Output file:\", \"...\") before BEGIN."},
        {dir.path(), "The averaged frame could not be written to " + dir.path() + ": Is a directory"},
        {dir.file("gone/avg.psd"),
         "The averaged frame could not be written to " + dir.file("gone/avg.psd") + ": No such file or directory"},
    };
    for (const Row& row : rows) {
        avg->outputEdit()->setText(QString::fromStdString(row.output));
        avg->collectButton()->click();
        ASSERT_FALSE(prompter->messages().empty());
        EXPECT_EQ(prompter->messages().back(), row.told);
        EXPECT_FALSE(avg->collecting()) << row.output;
        EXPECT_FALSE(nav->running()) << row.output;
    }
    const std::size_t told = prompter->messages().size();

    const std::string output = dir.file("part.psd");
    avg->outputEdit()->setText(QString::fromStdString(output));
    avg->ascCheck()->setChecked(true);
    avg->collectButton()->click();
    ASSERT_TRUE(avg->collecting());
    nav->tick();
    nav->tick();
    avg->cancelButton()->click();
    ASSERT_EQ(prompter->messages().size(), told + 1);
    EXPECT_EQ(prompter->messages().back(), "Averaging cancelled after 2 of 5 frames. The average of these 2 frames was "
                                       "written to " + output + " and " + dir.file("part.asc") + ".");
    EXPECT_EQ(readFile(output).size(), 3u * 512u);
    EXPECT_FALSE(nav->running());
}

TEST_F(BackgroundWindowsTest, TheAverageNeverReplacesAFileTheInstrumentIsRecordingTo)
{
    KAVRO_NEEDS_PSEUDO_TERMINALS();
    SKIP_WITHOUT_DEMO();
    const std::string recording = dir.file("live.psd");
    CKavroView* view = openInstrument(recording);
    ASSERT_NE(view, nullptr);
    view->navigator()->next();
    const std::string recorded = readFile(recording);
    CAccumulateDlg* avg = openAveraging(*view);
    ASSERT_NE(avg, nullptr);
    avg->outputEdit()->setText(QString::fromStdString(recording));
    avg->collectButton()->click();
    avg->outputEdit()->setText(QString::fromStdString(dir.file("live.dat")));
    avg->ascCheck()->setChecked(true);
    avg->collectButton()->click();
    EXPECT_EQ(prompter->messages(),
              (std::vector<std::string>{
                  "The averaged frame cannot go to a file that this instrument window is recording to: " + recording,
                  "The averaged frame cannot go to a file that this instrument window is recording to: " +
                      dir.file("live.asc")}));
    EXPECT_FALSE(avg->collecting());
    EXPECT_FALSE(view->navigator()->running());
    EXPECT_EQ(readFile(recording), recorded);
}

TEST_F(BackgroundWindowsTest, TheScaleDialogSetsThePlotsTopAndTheGaugeFollowsTheFrame)
{
    KAVRO_NEEDS_PSEUDO_TERMINALS();
    SKIP_WITHOUT_DEMO();
    CKavroView* view = openInstrument();
    ASSERT_NE(view, nullptr);
    CRingsWnd* rings = openRings(*view);
    ASSERT_NE(rings, nullptr);
    RingPlotPanel* plot = rings->plotPanel();
    EXPECT_EQ(plot->topLabel()->text(), "4095");
    EXPECT_EQ(plot->firstLegend()->text(), "Rings");
    EXPECT_EQ(plot->secondLegend()->text(), "Background Scattering");
    plot->scaleButton()->click();
    EXPECT_EQ(scaleShown, std::vector<QString>{"4095"});
    EXPECT_EQ(plot->topLabel()->text(), "1000");
    EXPECT_EQ(plot->plot()->yMax(), 1000.0);

    // A larger window gives the plot what it gains; the read-outs, the gauge and the
    // buttons move along, and shrinking it back puts everything where it was.
    const QPoint readOutAt = rings->laserPowerEdit()->mapTo(rings, QPoint(0, 0));
    const QRect plotAt = plot->plot()->geometry();
    const QSize opened = rings->size();
    rings->resize(opened + QSize(400, 300));
    const QRect stretched = plot->plot()->geometry();
    EXPECT_EQ(stretched, plot->scale().map(QRect(RingPlotPanel::kPlotX, RingPlotPanel::kPlotY,
                                                 RingPlotPanel::kPlotWidth, RingPlotPanel::kPlotHeight)));
    EXPECT_GE(stretched.width(), plotAt.width() + 320);
    EXPECT_GE(stretched.height(), plotAt.height() + 250);
    EXPECT_EQ(rings->laserPowerEdit()->mapTo(rings, QPoint(0, 0)), readOutAt + QPoint(400, 150));
    EXPECT_EQ(rings->collectButton()->geometry().bottom(), rings->height() - 42 + 29);
    EXPECT_LE(plot->geometry().right(), rings->laserPowerEdit()->mapTo(rings, QPoint(0, 0)).x());
    rings->resize(opened);
    EXPECT_EQ(plot->plot()->geometry(), plotAt);
    EXPECT_EQ(rings->laserPowerEdit()->mapTo(rings, QPoint(0, 0)), readOutAt);

    // At opening the laser power is the calibrated one; each new frame shows its raw value.
    CRawSource& source = dynamic_cast<CRawSource&>(*view->source());
    view->navigator()->next();
    const RawWords& f = simFrame(0);
    EXPECT_EQ(rings->laserPowerEdit()->text().toStdString(), formatG(f[kLaserPowerIndex]));
    const double ratio = source.laserReferenceRatio();
    ASSERT_GT(ratio, 0.0);
    const double expected = f[kLaserPowerIndex] / (f[kLaserReferenceIndex] * ratio) * 0.8;
    EXPECT_EQ(rings->gauge()->value(0), expected);
    EXPECT_EQ(plot->plot()->first()[7], f[7]);
    EXPECT_EQ(plot->plot()->second()[7], source.value(kValueBackground, 7));
    EXPECT_EQ(rings->factoryLaserPowerEdit()->text().toStdString(), formatG(source.factoryLaserPower()));
    EXPECT_EQ(CTransmissionGauge::valueOf(2000, 0, 2.0), 0.0);
    EXPECT_EQ(CTransmissionGauge::valueOf(2000, 1000, 0.0), 0.0);
}

TEST(MaximumScaleDialog, TakesOnlyANumber)
{
    ScriptedPrompter prompter;
    MaximumScaleDialog dialog(2047.0, prompter);
    EXPECT_EQ(dialog.windowTitle(), "Maximum Scale Setting");
    EXPECT_EQ(dialog.valueEdit()->selectedText(), "2047");
    for (const char* bad : {"", "abc", "12abc"}) {
        dialog.valueEdit()->setText(bad);
        dialog.accept();
        EXPECT_NE(dialog.result(), QDialog::Accepted) << bad;
    }
    EXPECT_EQ(prompter.messages(), std::vector<std::string>(3, "Please enter a number."));
    dialog.valueEdit()->setText(" 1.5e3 ");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.value(), 1500.0);
}

// The verdict window over an accumulator of a temporary calibration folder.
TEST(BackgroundInfoWindow, AnotherFactoryFileRedrawsAndJudgesAgain)
{
    TempDir dir;
    ScriptedPrompter prompter;
    Settings settings;
    settings.calFiles = dir.path();
    auto factory = [](double ring, double power) {
        std::string text;
        for (int i = 0; i < kFrameValues; ++i)
            text += formatG(i < kRings ? ring : i == kLaserPowerIndex ? power : 1000.0) + "\n";
        return text;
    };
    writeFile(dir.file("factory_zsc.asc"), factory(50.0, 2000.0));
    writeFile(dir.file("old_factory.asc"), factory(5.0, 100.0));
    CScatterAccumulator accumulator(settings, prompter);
    RawWords frame{};
    frame.fill(20);
    frame[kLaserPowerIndex] = 1900;
    frame[3] = 0;
    accumulator.addFrame(frame);
    ASSERT_EQ(accumulator.average(), 1);

    int scaleAsked = 0;
    CBackgroundInfoDlg window(accumulator, prompter, [&](QDialog&) { return ++scaleAsked, QDialog::Rejected; });
    EXPECT_EQ(window.windowTitle(), "Background Scatter Information");
    EXPECT_EQ(window.factoryButton()->text().toStdString(), dir.file("factory_zsc.asc"));
    EXPECT_EQ(window.verdictBox()->toPlainText(), "Ring values of 0 occurred in 1 record(s).\n1 frames collected.\n");
    EXPECT_EQ(window.plotPanel()->topLabel()->text(), "2047");
    EXPECT_EQ(window.plotPanel()->secondLegend()->text(), "Factory Background Scattering");
    EXPECT_EQ(window.plotPanel()->plot()->second()[0], 50.0);
    window.plotPanel()->scaleButton()->click();
    EXPECT_EQ(scaleAsked, 1);
    EXPECT_EQ(window.plotPanel()->topLabel()->text(), "2047");  // Cancel changes nothing

    prompter.choose(dir.file("old_factory.asc"));
    window.factoryButton()->click();
    EXPECT_EQ(prompter.calls().back().request.title, "Open FACTORY background scattering File");
    EXPECT_EQ(window.factoryButton()->text().toStdString(), dir.file("old_factory.asc"));
    EXPECT_TRUE(window.verdictBox()->toPlainText().startsWith("BAD factory background scatter file.\n"));
    EXPECT_EQ(window.plotPanel()->plot()->second()[0], 5.0);

    // A file that cannot be opened, or that holds no factory background, is refused
    // with a message; the window goes on with the file in use.
    writeFile(dir.file("short.asc"), "1 2 3\n");
    const std::string still = "\nStill in use: " + dir.file("old_factory.asc");
    struct Row {
        std::string chosen, message;
    };
    for (const Row& r : {Row{dir.file("missing.asc"), "Could not open the factory zero scatter file" + still},
                         Row{dir.file("short.asc"), "This file does not hold the 40 numbers of a factory zero "
                                                    "scatter file:\n" + dir.file("short.asc") + still}}) {
        prompter.choose(r.chosen);
        window.factoryButton()->click();
        EXPECT_EQ(prompter.messages().back(), r.message);
        EXPECT_EQ(window.factoryButton()->text().toStdString(), dir.file("old_factory.asc"));
        EXPECT_EQ(window.plotPanel()->plot()->second()[0], 5.0);
        EXPECT_EQ(accumulator.factoryPath(), dir.file("old_factory.asc"));
    }

    // The close box is Cancel.
    window.show();
    window.close();
    EXPECT_EQ(window.result(), QDialog::Rejected);
}

TEST(BackgroundInfoWindow, ReturnAcceptsOnlyAVerdictWithoutFault)
{
    TempDir dir;
    ScriptedPrompter prompter;
    Settings settings;
    settings.calFiles = dir.path();
    std::string factory;
    for (int i = 0; i < kFrameValues; ++i)
        factory += formatG(i < kRings ? 50.0 : i == kLaserPowerIndex ? 2000.0 : 1000.0) + "\n";
    writeFile(dir.file("factory_zsc.asc"), factory);
    struct Row {
        const char* what;
        std::uint16_t ring, power, ring3;
        bool fails;
    };
    const Row rows[] = {
        {"good", 20, 1900, 20, false},
        {"a ring at 0", 20, 1900, 0, true},
        {"weak laser", 20, 1000, 20, true},
        {"rings above twice the factory's", 120, 1900, 120, true},
        {"saturated", 20, 1900, 4095, true},
    };
    for (const Row& row : rows) {
        CScatterAccumulator accumulator(settings, prompter);
        RawWords frame{};
        frame.fill(row.ring);
        frame[kLaserPowerIndex] = row.power;
        frame[3] = row.ring3;
        accumulator.addFrame(frame);
        ASSERT_EQ(accumulator.average(), 1) << row.what;
        EXPECT_EQ(accumulator.verdictFails(), row.fails) << row.what << ": " << accumulator.qualityText();
        CBackgroundInfoDlg window(accumulator, prompter, [](QDialog&) { return QDialog::Rejected; });
        EXPECT_EQ(window.acceptButton()->isDefault(), !row.fails) << row.what;
        EXPECT_EQ(window.cancelButton()->isDefault(), row.fails) << row.what;
    }
}

TEST_F(BackgroundWindowsTest, BuildFromARawFileThroughTheVerdictWindow)
{
    SKIP_WITHOUT_DEMO();
    app->settings().calFiles = kDemo;
    const std::string output = dir.file("built_zsc.asc");
    prompter->choose(kDemo + "demo.raw").choose(output);
    app->mainFrame()->action(cmd::BuildBackground)->trigger();
    ASSERT_EQ(verdicts.size(), 1u);
    EXPECT_TRUE(verdicts[0].endsWith("100 frames collected.\n")) << verdicts[0].toStdString();
    const std::string written = readFile(output);
    EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 40);
    EXPECT_EQ(app->mainFrame()->statusBar()->currentMessage().toStdString(),
              "Background scatter file written: " + output);
}

TEST_F(BackgroundWindowsTest, TheRingsOfARawRecordingAreReadNotCollected)
{
    SKIP_WITHOUT_DEMO();
    app->settings().calFiles = kDemo;
    dialogs->modelAnswers.push_back(0);
    const std::string output = dir.file("cast.psd");
    prompter->choose(kDemo + "demo.raw").choose(kDemo + "RingArea_a.asc").choose(kDemo + "zsc.asc").choose(output);
    app->mainFrame()->action(cmd::OpenRawFile)->trigger();
    CKavroView* view = app->mainFrame()->activeView();
    ASSERT_NE(view, nullptr);
    CRingsWnd* rings = openRings(*view);
    ASSERT_NE(rings, nullptr);
    EXPECT_FALSE(rings->collectButton()->isEnabled());
    EXPECT_EQ(view->findChild<CAccumulateDlg*>(), nullptr);
    view->onCommand(cmd::AccumulateAverage);
    EXPECT_EQ(view->findChild<CAccumulateDlg*>(), nullptr);

    std::vector<RawWords> frames;
    std::string error;
    ASSERT_TRUE(loadRecording(kDemo + "demo.raw", frames, &error)) << error;
    ASSERT_TRUE(rings->showRawFrame(4));
    EXPECT_EQ(rings->plotPanel()->plot()->first()[0], rings->frameValue(0));
    EXPECT_EQ(rings->laserPowerEdit()->text().toStdString(), formatG(rings->frameValue(kLaserPowerIndex)));
    const double divisor = dynamic_cast<CRawSource&>(*view->source()).multiScan() ? 16.0 : 1.0;
    EXPECT_EQ(rings->frameValue(0), frames[4][0] / divisor);
    EXPECT_EQ(readFile(output).size(), 1024u);  // nothing processed or written

    // Closed, as Process File leaves it: the records read at the open still show.
    view->source()->close();
    EXPECT_TRUE(rings->showRawFrame(5));
    EXPECT_EQ(rings->frameValue(0), frames[5][0] / divisor);
    EXPECT_EQ(rings->frameNumberEdit()->text(), "5");
    EXPECT_FALSE(rings->showRawFrame(static_cast<int>(frames.size())));
}

}  // namespace
