// Process File on a raw-data-file view: the range from the bar's boxes, the same
// bytes as kavro-cli process, once per view, nothing else while it runs, and a
// view that still browses (without reading the file) once the source is closed.
#include "acquisition/CRawFile.h"
#include "app/CFrameSelectBar.h"
#include "app/CKavroFrame.h"
#include "app/CKavroView.h"
#include "app/CMainFrame.h"
#include "app/CommandTable.h"
#include "app/RawFileLayout.h"
#include "app/RawFileView.h"
#include "app/RawViewHooks.h"
#include "auxiliary/ui/CAuxParamDlg.h"
#include "background/ui/CRingsWnd.h"
#include "platform/FileUtil.h"
#include "plots/CTextWnd.h"
#include "tests/app/RawViewFixture.h"

#include <QProcess>
#include <QStatusBar>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <cstdlib>
#include <filesystem>

using namespace kavro;
using namespace kavro::test;

namespace {

class ProcessFileTest : public RawViewFixture {
protected:
    QPushButton* processButton(CKavroFrame* frame) { return rawView(frame)->bar()->button(CFrameSelectBar::kProcessButton); }
    void setRange(CKavroFrame* frame, const QString& first, const QString& last)
    {
        rawView(frame)->bar()->edit(CFrameSelectBar::kFirstEdit)->setText(first);
        rawView(frame)->bar()->edit(CFrameSelectBar::kLastEdit)->setText(last);
    }
    // kavro-cli process on the same recording, calibration and profile.
    static QString q(const std::string& text) { return QString::fromStdString(text); }
    int cliProcess(const std::string& psd, int first, int last)
    {
        // Run directly, not through a shell: the same on every system, any path.
        const QStringList arguments = {"process", "-q", "--model", "0", "--profile", q(dir.file("kavro.INI")),
                                       "--cal-dir", q(cal.dir.path()), "--ring-area", q(cal.path("RingArea_a.asc")),
                                       "--background", q(cal.path("zsc.asc")), "--first", QString::number(first),
                                       "--last", QString::number(last), "-o", q(psd), q(recording)};
        return QProcess::execute(q(std::string(KAVRO_BIN_DIR) + "/kavro-cli"), arguments);
    }
};

TEST_F(ProcessFileTest, WritesTheSameBytesAsKavroCliProcess)
{
    const std::string psd = dir.file("gui.psd");
    CKavroFrame* frame = openRecording(450, psd);
    ASSERT_NE(frame, nullptr);
    RawFileView* raw = rawView(frame);
    setRange(frame, "10", "300");
    std::vector<bool> busy;
    raw->setProcessObserver([&](int) {
        busy.push_back(frame->view()->busy());
        EXPECT_EQ(processButton(frame)->text(), "Processing");
        EXPECT_FALSE(processButton(frame)->isEnabled());
        EXPECT_EQ(raw->layout().frameLabel()->text(), "Data Frame: 301");
    });
    QTest::mouseClick(processButton(frame), Qt::LeftButton);

    EXPECT_EQ(busy, std::vector<bool>{true});
    EXPECT_EQ(processButton(frame)->text(), "Finished");
    EXPECT_FALSE(processButton(frame)->isEnabled());
    EXPECT_EQ(raw->layout().frameLabel()->text(), " ");
    EXPECT_FALSE(raw->sourceOpen());
    EXPECT_FALSE(frame->view()->busy());
    EXPECT_TRUE(prompter->messages().empty());
    // The status bar tells what was written.
    EXPECT_EQ(app->mainFrame()->statusBar()->currentMessage().toStdString(),
              "Processed 291 frames into " + fileNamePart(psd) + " in " + dir.path());

    ASSERT_EQ(cliProcess(dir.file("cli.psd"), 10, 300), 0);
    const std::string gui = readFile(psd);
    EXPECT_EQ(gui.size(), 1024u + 291u * 512u);
    EXPECT_TRUE(gui == readFile(dir.file("cli.psd")));

    // Once per view: a second click writes nothing more.
    processButton(frame)->setEnabled(true);
    QTest::mouseClick(processButton(frame), Qt::LeftButton);
    EXPECT_EQ(readFile(psd).size(), gui.size());
    EXPECT_EQ(processButton(frame)->text(), "Finished");
}

TEST_F(ProcessFileTest, OneFrameWhenFirstAndLastAreTheSame)
{
    const std::string psd = dir.file("one.psd");
    CKavroFrame* frame = openRecording(20, psd);
    ASSERT_NE(frame, nullptr);
    setRange(frame, "7", "7");
    QTest::mouseClick(processButton(frame), Qt::LeftButton);
    EXPECT_EQ(readFile(psd).size(), 1024u + 512u);
    ASSERT_EQ(cliProcess(dir.file("cli.psd"), 7, 7), 0);
    EXPECT_TRUE(readFile(psd) == readFile(dir.file("cli.psd")));
}

TEST_F(ProcessFileTest, ARangeThatIsNoRangeIsToldAndTheFileCanStillBeProcessed)
{
    CKavroFrame* frame = openRecording(50);
    ASSERT_NE(frame, nullptr);
    setRange(frame, "abc", "40");
    QTest::mouseClick(processButton(frame), Qt::LeftButton);
    setRange(frame, "30", "20");
    QTest::mouseClick(processButton(frame), Qt::LeftButton);
    EXPECT_EQ(prompter->messages(),
              (std::vector<std::string>{"Please enter an integer.",
                                        "Invalid value:\nFirst frame number exceeds last frame number.  "}));
    EXPECT_TRUE(rawView(frame)->processPending());
    EXPECT_TRUE(rawView(frame)->sourceOpen());
    EXPECT_EQ(processButton(frame)->text(), "Process File");
    setRange(frame, "20", "30");
    QTest::mouseClick(processButton(frame), Qt::LeftButton);
    EXPECT_FALSE(rawView(frame)->processPending());
    EXPECT_EQ(readFile(cal.path("cast.psd")).size(), 1024u + 11u * 512u);
}

TEST_F(ProcessFileTest, ARangeOutsideTheRecordingIsRefusedLikeAReversedOne)
{
    CKavroFrame* frame = openRecording(50);
    ASSERT_NE(frame, nullptr);
    struct Row {
        const char *first, *last, *message;
    };
    for (Row r : {Row{"-1", "10", "Invalid value:\nFirst frame number is less than 0."},
                  Row{"-5", "-2", "Invalid value:\nFirst frame number is less than 0."},
                  Row{"50", "60", "Invalid value:\nFirst frame number exceeds the last frame of the file, 49."},
                  Row{"30", "20", "Invalid value:\nFirst frame number exceeds last frame number.  "}}) {
        setRange(frame, r.first, r.last);
        QTest::mouseClick(processButton(frame), Qt::LeftButton);
        ASSERT_FALSE(prompter->messages().empty());
        EXPECT_EQ(prompter->messages().back(), r.message) << r.first << ".." << r.last;
        EXPECT_TRUE(rawView(frame)->processPending());
        EXPECT_TRUE(rawView(frame)->sourceOpen());
        EXPECT_EQ(processButton(frame)->text(), "Process File");
    }
    EXPECT_EQ(prompter->messages().size(), 4u);
    // A last frame beyond the recording stands for its end.
    setRange(frame, "45", "1000");
    QTest::mouseClick(processButton(frame), Qt::LeftButton);
    EXPECT_EQ(processButton(frame)->text(), "Finished");
    EXPECT_EQ(readFile(cal.path("cast.psd")).size(), 1024u + 5u * 512u);
}

TEST_F(ProcessFileTest, ARunThatProcessesNothingSaysSoInsteadOfFinished)
{
    CKavroFrame* frame = openRecording(50);
    ASSERT_NE(frame, nullptr);
    std::filesystem::resize_file(recording, 0);  // the recording went away after the open
    setRange(frame, "0", "9");
    QTest::mouseClick(processButton(frame), Qt::LeftButton);
    EXPECT_EQ(processButton(frame)->text(), "Nothing Processed");
    EXPECT_EQ(prompter->messages(),
              std::vector<std::string>{"No frame could be processed: the result file holds no frames."});
    EXPECT_EQ(readFile(cal.path("cast.psd")).size(), 1024u);
}

TEST_F(ProcessFileTest, NothingElseRunsWhileTheRangeIsProcessed)
{
    CKavroFrame* frame = openRecording(450);
    ASSERT_NE(frame, nullptr);
    RawFileView* raw = rawView(frame);
    const int callsBefore = static_cast<int>(hooks->calls.size());
    raw->setProcessObserver([&](int) {
        command(cmd::GoToNext);
        frame->view()->onCommand(cmd::GoToLast);
        command(cmd::Output);
        command(cmd::OpenPsdFile);
        frame->close();
        app->mainFrame()->close();
        QTest::mouseClick(raw->bar()->button(CFrameSelectBar::kSelectFirstButton), Qt::LeftButton);
    });
    raw->processFile();
    EXPECT_EQ(raw->graph()->first(), 0);
    EXPECT_EQ(raw->bar()->first(), 0);
    EXPECT_EQ(static_cast<int>(hooks->calls.size()), callsBefore);
    EXPECT_EQ(dialogsShown, 0);
    EXPECT_EQ(app->mainFrame()->frames().size(), 1);
    EXPECT_TRUE(app->mainFrame()->isVisible());
    EXPECT_EQ(readFile(cal.path("cast.psd")).size(), 1024u + 450u * 512u);
}

TEST_F(ProcessFileTest, AfterProcessingTheViewBrowsesWithoutReadingTheClosedFile)
{
    CKavroFrame* frame = openRecording(450);
    ASSERT_NE(frame, nullptr);
    RawFileView* raw = rawView(frame);
    setRange(frame, "0", "99");
    raw->processFile();
    CRawFile* source = rawSource(frame);
    ASSERT_FALSE(source->isOpen());
    const int frameAfter = source->currentFrame();
    const std::size_t callsAfter = hooks->calls.size();

    command(cmd::GoToNext);
    EXPECT_EQ(raw->graph()->first(), 400);
    CAuxParamDlg* aux = showAuxWindow(frame);
    ASSERT_NE(aux, nullptr);
    EXPECT_EQ(aux->frameText(), "449");
    QTest::mouseClick(raw->graph(), Qt::LeftButton, {}, QPoint(11, 40));
    EXPECT_EQ(aux->frameText(), "410");
    command(cmd::ViewRings);
    // The rings window follows the cursor from the records read at the open; the
    // closed source does not move.
    const std::vector<std::string> later(hooks->calls.begin() + static_cast<std::ptrdiff_t>(callsAfter),
                                         hooks->calls.end());
    EXPECT_NE(std::find(later.begin(), later.end(), "graphFrame:410"), later.end());
    EXPECT_EQ(source->currentFrame(), frameAfter);
    EXPECT_EQ(source->peekRawFrame(3), 0);
    EXPECT_EQ(source->goToFrame(3), 0);
    EXPECT_EQ(source->readNextFrame(), 0);
    EXPECT_EQ(readFile(cal.path("cast.psd")).size(), 1024u + 100u * 512u);
}

TEST_F(ProcessFileTest, TheRingsWindowFollowsTheCursorAlsoAfterProcessing)
{
    CKavroFrame* frame = openRecording(450);
    ASSERT_NE(frame, nullptr);
    RawFileView* raw = rawView(frame);
    command(cmd::ViewRings);
    CRingsWnd* rings = frame->view()->findChild<CRingsWnd*>();
    ASSERT_NE(rings, nullptr);
    // Ring 1 of frame i holds 16 i mod 4096: the Rings window shows the cursor's frame 200.
    EXPECT_EQ(rings->frameValue(0), 3200.0);
    QTest::mouseClick(raw->graph(), Qt::LeftButton, {}, QPoint(11, 40));
    EXPECT_EQ(rings->frameValue(0), 160.0);
    command(cmd::GoToNext);
    EXPECT_EQ(rings->frameValue(0), (16.0 * 410 - 4096));
    // Showing frames does not process them: nothing is written before Process File.
    EXPECT_EQ(readFile(cal.path("cast.psd")).size(), 1024u);

    EXPECT_EQ(rings->frameNumberEdit()->text(), "410");
    EXPECT_EQ(rings->laserPowerCaption()->text(), "Laser Power (raw)");
    EXPECT_EQ(rings->laserPowerUnit()->text(), "counts");
    EXPECT_EQ(rings->laserPowerEdit()->text(), "2410");

    // After Process File it goes on following the cursor, from the records read at the open.
    setRange(frame, "0", "9");
    raw->processFile();
    ASSERT_FALSE(raw->sourceOpen());
    QTest::mouseClick(raw->graph(), Qt::LeftButton, {}, QPoint(31, 40));
    EXPECT_EQ(rings->frameValue(0), (16.0 * 430 - 4096));
    EXPECT_EQ(rings->frameNumberEdit()->text(), "430");
    command(cmd::GoToFirst);
    command(cmd::ViewRings);
    EXPECT_EQ(rings->frameValue(0), 16.0 * 30);
    EXPECT_EQ(readFile(cal.path("cast.psd")).size(), 1024u + 10u * 512u);
}

}  // namespace
