// A real .psd file opened by the desktop program: the file dialog, the first frame
// with its statistics, the model from the header, and navigation through the file.
#include "app/CAnimationBar.h"
#include "app/CKavroDoc.h"
#include "app/CKavroFrame.h"
#include "app/CKavroView.h"
#include "app/CMainFrame.h"
#include "app/CommandTable.h"
#include "app/FrameNavigator.h"
#include "app/SizeDistributionLayout.h"
#include "core/OutputRecord.h"
#include "plots/CTextWnd.h"
#include "tests/app/AppTestSupport.h"

#include <QStatusBar>
#include <QAction>
#include <QCoreApplication>
#include <filesystem>
#include <netcdf.h>
#include <cstdio>
#include <functional>
#include <optional>

using namespace kavro;
using namespace kavro::test;

namespace {

// Frame i: every class holds 0.25 * (i + 1), mean 20 + i, std 3.256 + i.
CFrameResult psdFrame(int i)
{
    CFrameResult r;
    for (int k = 0; k < kClasses; ++k) {
        r.setVolume(k, 0.25 * (i + 1));
        r.setDiameter(k, 2.0 + k);
    }
    for (int ring = 0; ring < kRings; ++ring)
        r.setVsf(ring, 1.5 - 0.1 * ring);
    r.setMean(20.0 + i);
    r.setStdDev(3.256 + i);
    r.setTransmission(0.9);
    r.setBeamAttenuation(0.5 + i);
    return r;
}

std::string psdFile(int model, int frames)
{
    std::string bytes = bytesOf(encodePsdHeader(model, 2.0, "/cal/zsc.asc"));
    bytes += bytesOf(encodeDiameterRecord(psdFrame(0)));
    for (int i = 0; i < frames; ++i)
        bytes += bytesOf(encodeOutputRecord(buildOutputRecord(psdFrame(i))));
    return bytes;
}

class PsdViewTest : public AppFixture {
protected:
    PsdViewTest() : AppFixture(std::make_unique<KavroSourceFactory>()) {}
    CKavroFrame* openFile(const std::string& name, const std::string& bytes)
    {
        std::string path = dir.file(name);
        writeFile(path, bytes);
        prompter->choose(path);
        app->mainFrame()->action(cmd::OpenPsdFile)->trigger();
        return app->mainFrame()->frames().isEmpty() ? nullptr : app->mainFrame()->activeFrame();
    }
    static QString text(CTextWnd* w) { return w->text(); }
    // Open Raw Data File on the demo recording with the demo calibration, writing
    // output (replace: the answer to the question about the files beside it);
    // false (nothing opened) when the build has no demo data.
    bool openDemoRaw(const std::string& output, std::optional<bool> replace = std::nullopt)
    {
        const std::string demo = std::string(KAVRO_BIN_DIR) + "/../data/demo/";
        if (!fileExists(demo + "demo.raw"))
            return false;
        app->settings().calFiles = demo;
        dialogs->modelAnswers.push_back(0);
        prompter->choose(demo + "demo.raw").choose(demo + "RingArea_a.asc").choose(demo + "zsc.asc").choose(output);
        if (replace)
            prompter->answer(*replace);
        app->mainFrame()->action(cmd::OpenRawFile)->trigger();
        return true;
    }
};

TEST_F(PsdViewTest, OpensWithTheFirstFrameAndItsStatistics)
{
    CKavroFrame* frame = openFile("cast.2.psd", psdFile(1, 3));
    ASSERT_NE(frame, nullptr);
    ASSERT_EQ(prompter->calls().size(), 1u);
    EXPECT_EQ(prompter->calls()[0].request.title, "Open Particle Size Distribution File");
    EXPECT_TRUE(prompter->calls()[0].request.mustExist);
    EXPECT_EQ(frame->document().title(), "cast");
    EXPECT_EQ(frame->document().instrumentModel(), 1);
    SizeDistributionLayout* layout = frame->view()->sizeLayout();
    EXPECT_EQ(text(layout->frameLabel()), "Data Frame: 0");
    EXPECT_EQ(text(layout->meanLabel()), "Mean: 20.00 µm");
    EXPECT_EQ(text(layout->stdDevLabel()), "Std Dev: 3.26 µm");
    EXPECT_EQ(text(layout->totalLabel()), "Total Vol Conc: 8.00 µl/l");
    // Model 1's axis labels.
    int found = 0;
    for (CTextWnd* w : frame->view()->canvas()->findChildren<CTextWnd*>())
        found += w->text() == "17" || w->text() == "250" || w->text() == "1.38" || w->text() == "19.5";
    EXPECT_EQ(found, 4);
}

// kavro FILE...: the path answers the open command's file dialog, once.
TEST_F(PsdViewTest, FilesNamedOnTheCommandLineOpenWithoutTheirFileDialog)
{
    const std::string psd = dir.file("CAST.PSD");
    writeFile(psd, psdFile(0, 3));
    app->openPath(psd);
    ASSERT_EQ(app->mainFrame()->frames().size(), 1);
    EXPECT_EQ(app->mainFrame()->activeFrame()->document().title(), "CAST");
    EXPECT_TRUE(prompter->calls().empty());
    // The next File > Open asks again.
    prompter->cancel();
    app->mainFrame()->action(cmd::OpenPsdFile)->trigger();
    ASSERT_EQ(prompter->calls().size(), 1u);
    EXPECT_EQ(prompter->calls()[0].request.title, "Open Particle Size Distribution File");
    // Any other name is a raw recording: its open goes on to the ring-area file.
    const std::string demo = std::string(KAVRO_BIN_DIR) + "/../data/demo/";
    ASSERT_TRUE(fileExists(demo + "demo.raw"));
    app->settings().calFiles = demo;
    dialogs->modelAnswers.push_back(0);
    prompter->cancel();
    app->openPath(demo + "demo.raw");
    ASSERT_EQ(prompter->calls().size(), 2u);
    EXPECT_EQ(prompter->calls()[1].request.title, "Open Ring Area Normalization File");
    EXPECT_EQ(app->mainFrame()->frames().size(), 1);
}

TEST_F(PsdViewTest, NavigatesTheFileAndTheAnimationEndsAtItsLastRecord)
{
    CKavroFrame* frame = openFile("run.psd", psdFile(0, 4));
    ASSERT_NE(frame, nullptr);
    SizeDistributionLayout* layout = frame->view()->sizeLayout();
    app->mainFrame()->action(cmd::GoToLast)->trigger();
    EXPECT_EQ(text(layout->frameLabel()), "Data Frame: 3");
    EXPECT_EQ(text(layout->meanLabel()), "Mean: 23.00 µm");
    app->mainFrame()->action(cmd::GoToPrev)->trigger();
    EXPECT_EQ(text(layout->frameLabel()), "Data Frame: 2");
    dialogs->frameAnswers = {1, 10000};
    app->mainFrame()->action(cmd::GoToFrame)->trigger();
    EXPECT_EQ(text(layout->frameLabel()), "Data Frame: 1");
    app->mainFrame()->action(cmd::GoToFrame)->trigger();
    EXPECT_EQ(text(layout->frameLabel()), "Data Frame: 3");
    // The dialog knew the file's frames, 0 to 3, to tell a number outside them.
    EXPECT_EQ(dialogs->frameRangeAsked, (std::vector<int>{3, 3}));

    app->mainFrame()->action(cmd::GoToFirst)->trigger();
    FrameNavigator* nav = frame->view()->navigator();
    nav->toggle();
    for (int i = 0; i < 10 && nav->running(); ++i)
        nav->tick();
    EXPECT_FALSE(nav->running());
    EXPECT_EQ(frame->animationBar()->timerText(), "Timer-OFF");
    EXPECT_EQ(text(layout->frameLabel()), "Data Frame: 3");
}

TEST_F(PsdViewTest, FileExportWritesNetcdfOrCsvAndLeavesTheViewWhereItWas)
{
    CKavroFrame* frame = openFile("cast.psd", psdFile(0, 4));
    ASSERT_NE(frame, nullptr);
    app->mainFrame()->action(cmd::GoToLast)->trigger();
    const std::string nc = dir.file("out/cast.nc");
    std::filesystem::create_directory(dir.file("out"));
    prompter->choose(nc);
    app->mainFrame()->action(cmd::ExportData)->trigger();
    // The save dialog, then the warning that the fixture's folder holds no calibration
    // the .psd could have been processed with: the file is written all the same.
    ASSERT_GE(prompter->calls().size(), 2u);
    const auto& request = prompter->calls()[prompter->calls().size() - 2].request;
    EXPECT_EQ(request.title, "Export Frames for Analysis");
    EXPECT_EQ(request.initialName, "cast.nc");
    EXPECT_EQ(request.initialDirectory, dir.path());
    EXPECT_TRUE(request.overwritePrompt);
    int id = -1, dim = -1;
    std::size_t frames = 0;
    ASSERT_EQ(nc_open(nc.c_str(), NC_NOWRITE, &id), NC_NOERR);
    nc_inq_dimid(id, "frame", &dim);
    nc_inq_dimlen(id, dim, &frames);
    nc_close(id);
    EXPECT_EQ(frames, 4u);
    EXPECT_EQ(app->mainFrame()->statusBar()->currentMessage().toStdString(), "Exported to " + nc);
    prompter->choose(dir.file("out/cast.CSV"));
    app->mainFrame()->action(cmd::ExportData)->trigger();
    EXPECT_EQ(readFile(dir.file("out/cast.CSV")).rfind("frame,volume_conc_ul_per_l_", 0), 0u);
    ASSERT_EQ(prompter->messages().size(), 1u);
    EXPECT_NE(prompter->messages()[0].find(nc + ": warning: calibration folder "), std::string::npos)
        << prompter->messages()[0];
    EXPECT_EQ(text(frame->view()->sizeLayout()->frameLabel()), "Data Frame: 3");
    // A folder that cannot be written is told, and nothing is left.
    prompter->choose(dir.file("cast.psd/x.nc"));
    app->mainFrame()->action(cmd::ExportData)->trigger();
    ASSERT_EQ(prompter->messages().size(), 2u);
    EXPECT_EQ(prompter->messages()[1].rfind(dir.file("cast.psd/x.nc") + ": ", 0), 0u);
    // A failure is never told as a success.
    EXPECT_EQ(app->mainFrame()->statusBar()->currentMessage().toStdString(),
              "Exported to " + dir.file("out/cast.CSV"));
}

TEST_F(PsdViewTest, AFileCutShortOrDeletedUnderTheWindowIsToldAndTheWindowStops)
{
    struct Case {
        const char* name;
        std::function<void(const std::string&)> change;
        std::string told;  // what the message says after the path
    };
    const std::vector<Case> cases = {
        {"cut.psd", [](const std::string& p) { writeFile(p, psdFile(0, 4).substr(0, 3 * 512)); },
         " has shrunk while this window shows it: it now holds 3 of the 6 records it held when opened."},
        {"gone.psd", [](const std::string& p) { std::remove(p.c_str()); },
         " has been deleted or replaced while this window shows it."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
#ifdef _WIN32
        // Windows deletes a file that a program holds open only at its last close.
        if (std::string(c.name) == "gone.psd")
            continue;
#endif
        const std::size_t before = prompter->messages().size();
        CKavroFrame* frame = openFile(c.name, psdFile(0, 4));
        ASSERT_NE(frame, nullptr);
        SizeDistributionLayout* layout = frame->view()->sizeLayout();
        FrameNavigator* nav = frame->view()->navigator();
        nav->next();
        nav->toggle();
        c.change(dir.file(c.name));
        nav->tick();
        EXPECT_FALSE(nav->running());
        ASSERT_EQ(prompter->messages().size(), before + 1);
        EXPECT_EQ(prompter->messages().back(), "The file " + dir.file(c.name) + c.told +
                                               " The window keeps the last frame it read and goes no further; "
                                               "open the file again to see what it holds now.");
        // The frame shown stays with its own number, whatever is asked.
        app->mainFrame()->action(cmd::GoToFirst)->trigger();
        app->mainFrame()->action(cmd::GoToLast)->trigger();
        EXPECT_EQ(text(layout->frameLabel()), "Data Frame: 1");
        EXPECT_EQ(text(layout->meanLabel()), "Mean: 21.00 µm");
        EXPECT_EQ(prompter->messages().size(), before + 1);
        frame->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// Files named on the command line (or chosen) that cannot be shown as they are: told by name.
TEST_F(PsdViewTest, BadOpensAreToldByTheirFileName)
{
    struct Row {
        std::string name;
        std::string bytes;    // nothing written when empty and missing
        bool missing;
        std::optional<bool> answer;  // to the question the open asks
        bool opens;
        std::string told;     // the message or question, {path} for the file's path
    };
    const Row rows[] = {
        {"missing.psd", "", true, std::nullopt, false, "The file does not exist: {path}"},
        {"missing.raw", "", true, std::nullopt, false, "The file does not exist: {path}"},
        {"empty.psd", std::string(512, '\0'), false, std::nullopt, false,
         "Empty particle distribution file.\nFile: {path}"},
        {"notes.psd", std::string(2048, 'n'), false, false, false,
         "This file does not appear to be a KAVRO400 Particle Size Distribution file.  Do you wish to "
         "continue?\nFile: {path}"},
        {"cut.psd", psdFile(0, 3) + std::string(100, '\x7f'), false, std::nullopt, true,
         "cut.psd ends in part of a record (100 bytes, most likely a recording that was cut off).  Every whole "
         "frame is shown; the part is not."},
        // A power cut: the file system had made the file longer, the data never came.
        {"zeros.psd", psdFile(0, 3) + std::string(2 * 512, '\0'), false, std::nullopt, true,
         "zeros.psd: 2 zero-filled records at the end, left out: the recording was cut off"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string path = dir.file(row.name);
        if (!row.missing)
            writeFile(path, row.bytes);
        if (row.answer)
            prompter->answer(*row.answer);
        const std::size_t before = prompter->calls().size();
        app->openPath(path);
        ASSERT_EQ(prompter->calls().size(), before + 1);
        std::string told = row.told;
        if (const auto at = told.find("{path}"); at != std::string::npos)
            told.replace(at, 6, path);
        EXPECT_EQ(prompter->calls().back().text, told);
        EXPECT_EQ(app->mainFrame()->frames().size(), row.opens ? 1 : 0);
        EXPECT_TRUE(dialogs->modelAsked.empty());  // a raw file that is not there asks for no model
        EXPECT_EQ(prompter->pendingAnswers(), 0u);
        if (row.opens) {
            EXPECT_EQ(app->mainFrame()->activeFrame()->view()->source()->recordCount(), 5);
            app->mainFrame()->activeFrame()->close();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }
}

}  // namespace

namespace {

// A raw recording opened by the desktop program with the demo calibration: the
// model dialog, then the source's own file dialogs; the document takes the name
// of the .psd output it chose.
TEST_F(PsdViewTest, ARawRecordingOpensWithTheDemoCalibration)
{
    const std::string output = dir.file("cast07.psd");
    if (!openDemoRaw(output))
        GTEST_SKIP() << "the build has no demo data";
    ASSERT_EQ(app->mainFrame()->frames().size(), 1);
    CKavroFrame* frame = app->mainFrame()->activeFrame();
    EXPECT_EQ(frame->document().title(), "cast07");
    EXPECT_EQ(frame->view()->sourceKind(), kKindRawFile);
    EXPECT_EQ(app->profile().readInt("Instrument1", "InstrumentModel", -1), 0);
    EXPECT_EQ(hooks->calls, std::vector<std::string>{"rawLayout"});
    EXPECT_EQ(prompter->pendingAnswers(), 0u);
    EXPECT_TRUE(prompter->messages().empty());
    frame->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(readFile(output).size(), 1024u);  // the header: frames wait for Process File
}

}  // namespace

namespace {

// A .psd that a window writes cannot be shown, and one that a window shows cannot
// be written: each refusal names the file, and the file stays as it was.
TEST_F(PsdViewTest, AFileAnotherWindowWritesOrShowsIsRefusedWithItsName)
{
    const std::string written = dir.file("written.psd");
    if (!openDemoRaw(written))
        GTEST_SKIP() << "the build has no demo data";
    ASSERT_EQ(app->mainFrame()->frames().size(), 1);
    prompter->choose(written);
    app->mainFrame()->action(cmd::OpenPsdFile)->trigger();
    EXPECT_EQ(app->mainFrame()->frames().size(), 1);
    ASSERT_EQ(prompter->messages().size(), 1u);
    EXPECT_EQ(prompter->messages()[0], written + " is being written by another program or window.");

    const std::string shownBytes = psdFile(0, 3);
    CKavroFrame* shown = openFile("shown.psd", shownBytes);
    ASSERT_EQ(app->mainFrame()->frames().size(), 2);
    openDemoRaw(dir.file("shown.psd"));
    EXPECT_EQ(app->mainFrame()->frames().size(), 2);
    ASSERT_EQ(prompter->messages().size(), 2u);
    EXPECT_EQ(prompter->messages()[1],
              "Could not write to the file " + dir.file("shown.psd") + ": in use by another program or window");
    EXPECT_EQ(readFile(dir.file("shown.psd")), shownBytes);
    EXPECT_EQ(shown->view()->sizeLayout()->frameLabel()->text(), "Data Frame: 0");
}

}  // namespace

namespace {

TEST_F(PsdViewTest, FilesBesideTheChosenPsdAreReplacedOnlyWhenTheUserSaysSo)
{
    app->settings().outputs.value[5] = app->settings().outputs.value[6] = 1;  // the raw file's .asc and .log
    writeFile(dir.file("cast.asc"), "kept");
    writeFile(dir.file("cast.log"), "kept");
    for (bool yes : {false, true}) {
        if (!openDemoRaw(dir.file("cast.psd"), yes))
            GTEST_SKIP() << "the build has no demo data";
        EXPECT_EQ(app->mainFrame()->frames().size(), yes ? 1 : 0);
        EXPECT_EQ(prompter->calls().back().text,
                  "These files exist already: cast.asc, cast.log in " + dir.path() + ".  Do you want to replace them?");
        EXPECT_EQ(readFile(dir.file("cast.asc")), yes ? "" : "kept");
        EXPECT_EQ(fileExists(dir.file("cast.psd")), yes);
    }
}

}  // namespace
