// Browsing a raw recording in the desktop program: the layout, the ring image, the
// graph's pages and cursor, the frame-select bar, the auxiliary parameters window,
// the display selection and new calibration constants.
#include "acquisition/CRawFile.h"
#include "app/CFrameSelectBar.h"
#include "app/CKavroFrame.h"
#include "app/CKavroView.h"
#include "app/CMainFrame.h"
#include "app/CastOverviewPanel.h"
#include "app/CommandTable.h"
#include "app/RawFileLayout.h"
#include "app/RawFileView.h"
#include "app/RawViewHooks.h"
#include "auxiliary/ui/CAuxDisplayDlg.h"
#include "auxiliary/ui/CAuxParamDlg.h"
#include "auxiliary/ui/CCalibConstDlg.h"
#include "auxiliary/ui/CHKGraphWnd.h"
#include "plots/CCastOverviewWnd.h"
#include "plots/CDibWnd.h"
#include "plots/CDrawingWnd.h"
#include "plots/CMarkerStrip.h"
#include "plots/CTextWnd.h"
#include "platform/Profile.h"
#include "tests/app/RawViewFixture.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <cmath>
#include <filesystem>
#include <map>

using namespace kavro;
using namespace kavro::test;

namespace {

using RawViewTest = RawViewFixture;

std::map<QString, CTextWnd*> labelsOf(CKavroView* view)
{
    std::map<QString, CTextWnd*> out;
    for (CTextWnd* w : view->canvas()->findChildren<CTextWnd*>())
        out.emplace(w->text(), w);
    return out;
}

QString field(CFrameSelectBar* bar, int id)
{
    return bar->edit(id)->text();
}

TEST_F(RawViewTest, TheLayoutOfARecording)
{
    CKavroFrame* frame = openRecording(450);
    ASSERT_NE(frame, nullptr);
    CKavroView* view = frame->view();
    RawFileView* raw = rawView(frame);
    ASSERT_NE(raw, nullptr);
    EXPECT_EQ(view->viewport()->size(), QSize(600, 432));
    EXPECT_EQ(frame->animationBar(), nullptr);

    struct Row {
        const char* text;
        int x, y, alignment, angle;
    };
    auto labels = labelsOf(view);
    for (Row r : {Row{"Orvandel (KAVRO)", 250, 10, 2, 0}, Row{"32", 45, 30, 1, 0}, Row{"1", 45, 126, 1, 0},
                  Row{"Data File", 250, 136, 2, 0}, Row{"Rings", 30, 78, 1, 900}, Row{"Scale", 510, 78, 0, 900},
                  Row{"Auxiliary Parameters", 250, 352, 2, 0}, Row{" ", 250, 372, 2, 0},
                  Row{"Tolvane", 5, 376, 4, 0}, Row{"399", 450, 347, 2, 0}, Row{"Laser Power", 460, 162, 4, 0},
                  Row{"Battery", 460, 182, 4, 0}, Row{"Pressure", 460, 202, 4, 0}}) {
        ASSERT_TRUE(labels.count(r.text)) << r.text;
        CTextWnd* w = labels[r.text];
        EXPECT_EQ(w->anchor(), QPoint(r.x, r.y)) << r.text;
        EXPECT_EQ(w->alignment(), r.alignment) << r.text;
        EXPECT_EQ(w->angle(), r.angle) << r.text;
    }
    // The legend names the channels as the Auxiliary Parameters window does.
    EXPECT_EQ(labels["Battery"]->colour(), QColor(255, 0, 0));
    EXPECT_EQ(labels["Pressure"]->colour(), QColor(128, 128, 128));
    EXPECT_EQ(raw->layout().legend().size(), 3u);

    EXPECT_EQ(raw->layout().ringImage()->geometry(), QRect(50, 30, 400, 97));
    EXPECT_EQ(raw->layout().colourScale()->geometry(), QRect(470, 30, 20, 97));
    EXPECT_EQ(raw->graph()->geometry(), QRect(50, 162, 402, 182));
    EXPECT_EQ(raw->layout().markers()->markerCount(), 2);

    CFrameSelectBar* bar = raw->bar();
    EXPECT_TRUE(bar->edit(CFrameSelectBar::kCurrentEdit)->isReadOnly());
    EXPECT_EQ(field(bar, CFrameSelectBar::kCurrentEdit), "200");
    EXPECT_EQ(field(bar, CFrameSelectBar::kFirstEdit), "0");
    EXPECT_EQ(field(bar, CFrameSelectBar::kLastEdit), "449");
    EXPECT_EQ(bar->button(CFrameSelectBar::kProcessButton)->text(), "Process File");
}

TEST_F(RawViewTest, AStretchedViewKeepsItsPlacesAndPicksTheFrameUnderTheMouse)
{
    CKavroFrame* frame = openRecording(450);
    ASSERT_NE(frame, nullptr);
    CKavroView* view = frame->view();
    RawFileView* raw = rawView(frame);
    frame->resize(frame->size() + QSize(600, 432));
    QCoreApplication::processEvents();
    const ArrangementScale& s = view->canvas()->scale();
    ASSERT_GT(s.xScale(), 1.5);
    EXPECT_EQ(raw->layout().ringImage()->geometry(), s.map(QRect(50, 30, 400, 97)));
    EXPECT_EQ(raw->layout().colourScale()->geometry(), s.map(QRect(470, 30, 20, 97)));
    EXPECT_EQ(raw->graph()->geometry(), s.map(QRect(50, 162, 402, 182)));
    for (CTextWnd* w : raw->layout().legend())
        EXPECT_EQ(w->pos(), s.map(w->anchor())) << w->text().toStdString();
    // Column 10 of the graph's page is frame 10, wherever and however wide the graph is drawn.
    CHKGraphWnd* graph = raw->graph();
    const int x = graph->clientOrigin().x() + static_cast<int>(10.5 * graph->clientWidth() / 400.0);
    QTest::mouseClick(graph, Qt::LeftButton, {}, QPoint(x, 40));
    EXPECT_EQ(graph->cursorFrame(), 10);
    // The page markers stay under the image's columns.
    EXPECT_EQ(raw->layout().markers()->drawnAt(200) + raw->layout().markers()->x(),
              std::lround(s.mapX(50 + 200)));
}

TEST_F(RawViewTest, TheRingImageShowsEveryColumnsFrameRingOneAtTheBottom)
{
    // 1025 frames: 1024 columns, column i shows frame i * 1025 / 1024.  Ring 2 is off
    // the scale (index 0), ring 3 at its top (255).
    CKavroFrame* frame = openRecording(1025, "", [](int i) {
        std::vector<std::uint16_t> w = browsingFrame(i);
        w[0] = static_cast<std::uint16_t>(16 * (i % 256));
        w[1] = 4096;
        w[2] = 4095;
        return w;
    });
    ASSERT_NE(frame, nullptr);
    const CDibImage& image = rawView(frame)->layout().ringImage()->image();
    EXPECT_EQ(image.width(), 1024);
    EXPECT_EQ(image.height(), 32);
    EXPECT_FALSE(image.topDown());
    EXPECT_EQ(image.pixel(1023, 0), 1023 % 256);  // frame 1023, not 1024
    EXPECT_EQ(image.pixel(512, 0), 512 % 256);    // 512.5 -> frame 512
    EXPECT_EQ(image.pixel(600, 1), 0);
    EXPECT_EQ(image.pixel(600, 2), 255);
    // As shown: ring 1 is the bottom row, ring 32 the top.
    const QImage shown = image.toImage();
    EXPECT_EQ(shown.pixelIndex(1023, 31), 1023 % 256);
    EXPECT_EQ(shown.pixelIndex(600, 29), 255);
    // The colour scale: index 255 at the top beside "4095".
    const CDibImage& scale = rawView(frame)->layout().colourScale()->image();
    EXPECT_EQ(scale.toImage().pixelIndex(0, 0), 255);
    EXPECT_EQ(scale.toImage().pixelIndex(0, 96), 1);
    EXPECT_EQ(rawSource(frame)->currentFrame(), 0);
}

TEST_F(RawViewTest, FramesCommandsPageThroughTheGraph)
{
    CKavroFrame* frame = openRecording(450);
    ASSERT_NE(frame, nullptr);
    RawFileView* raw = rawView(frame);
    CFrameSelectBar* bar = raw->bar();
    auto pageLabels = [&] {
        return raw->layout().pageLabel(0)->text() + "-" + raw->layout().pageLabel(1)->text();
    };
    command(cmd::GoToNext);
    EXPECT_EQ(raw->graph()->first(), 400);
    EXPECT_EQ(pageLabels(), "400-799");
    EXPECT_EQ(field(bar, CFrameSelectBar::kCurrentEdit), "449");
    // Markers at 400 / 450 x 400 and, for frame 799, the strip's last pixel.
    EXPECT_EQ(RawFileLayout::markerPosition(400, 450, 400, false), 355);
    EXPECT_EQ(RawFileLayout::markerPosition(799, 450, 400, true), 399);
    command(cmd::GoToNext);
    EXPECT_EQ(raw->graph()->first(), 400);
    // The bar's own buttons do the same.
    QTest::mouseClick(bar->button(CFrameSelectBar::kLastButton), Qt::LeftButton);
    EXPECT_EQ(raw->graph()->first(), 50);
    EXPECT_EQ(pageLabels(), "50-449");
    command(cmd::GoToPrev);
    EXPECT_EQ(raw->graph()->first(), 0);
    command(cmd::GoToLast);
    command(cmd::GoToFirst);
    EXPECT_EQ(raw->graph()->first(), 0);
    // Paging never moves the source.
    EXPECT_EQ(rawSource(frame)->currentFrame(), 0);
    // Every page reports its cursor frame (kept at 49 since the short page) to the rings window's hook.
    EXPECT_EQ(hooks->calls.back(), "graphFrame:49");
}

// The Cast Overview panel of a recording's window: shown on request, filled by
// processing the recording in the background (the window goes on meanwhile), its
// cursor on the graph's frame, and a click goes to the frame clicked.
TEST_F(RawViewTest, TheCastPanelFillsInTheBackgroundAndAClickGoesToTheFrame)
{
    CKavroFrame* frame = openRecording(450);
    ASSERT_NE(frame, nullptr);
    CKavroView* view = frame->view();
    CastOverviewPanel* panel = view->overviewPanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_FALSE(frame->overviewShown());  // a recording's window starts as it always was
    EXPECT_TRUE(app->mainFrame()->action(cmd::CastOverview)->isEnabled());
    command(cmd::CastOverview);
    ASSERT_TRUE(frame->overviewShown());
    EXPECT_EQ(app->profile().readInt("Cast Overview", "PanelRaw", -1), 1);
    EXPECT_EQ(app->profile().readInt("Cast Overview", "PanelFile", -1), -1);
    // The command returns at once: the frames come on the window's timer.
    EXPECT_TRUE(panel->scanning());
    EXPECT_EQ(panel->liveCast()->size(), 0);
    EXPECT_EQ(panel->stateLabel()->text().toStdString(), "Processing the recording for the overview: 0 of 450 frames");
    ASSERT_TRUE(QTest::qWaitFor([panel] { return !panel->scanning(); }, 20000));
    CCastOverviewWnd* picture = panel->picture();
    EXPECT_EQ(picture->summary().frames, 450);
    EXPECT_EQ(panel->liveCast()->frameNumber(449), 449);
    EXPECT_FALSE(panel->stateLabel()->isVisible());
    EXPECT_FALSE(panel->followButton()->isVisible());
    EXPECT_EQ(rawView(frame)->overviewScan(), nullptr);  // done, its copies let go
    // Nothing processed into the result file: that is Process File's.
    EXPECT_EQ(rawSource(frame)->currentFrame(), 0);

    // The cursor stands on the graph's frame, and follows it.
    RawFileView* raw = rawView(frame);
    EXPECT_EQ(picture->currentFrame(), raw->graph()->cursorFrame());
    command(cmd::GoToNext);
    EXPECT_EQ(picture->currentFrame(), 449);
    // Clicks on frames of another page and of the page shown.
    struct Click {
        long long frame;
        int first;  // the graph's page then
    } clicks[] = {{12, 0}, {430, 400}, {399, 0}, {0, 0}, {449, 400}};
    for (const Click& c : clicks) {
        picture->setCurrentFrame(c.frame);
        const std::optional<double> x = picture->cursorX();
        ASSERT_TRUE(x.has_value()) << c.frame;
        picture->setCurrentFrame(raw->graph()->cursorFrame());
        const QPoint at(static_cast<int>(std::lround(*x)), picture->height() / 4);
        ASSERT_EQ(picture->frameAt(at - picture->contentsRect().topLeft()), c.frame);
        QTest::mouseClick(picture, Qt::LeftButton, {}, at);
        EXPECT_EQ(raw->graph()->cursorFrame(), c.frame);
        EXPECT_EQ(raw->graph()->first(), c.first) << c.frame;
        EXPECT_EQ(picture->currentFrame(), c.frame);
        EXPECT_EQ(hooks->calls.back(), "graphFrame:" + std::to_string(c.frame));
    }
    EXPECT_TRUE(prompter->messages().empty());
}

TEST_F(RawViewTest, ALongRecordingsPanelKeepsTheWindowAnsweringAndGoesWithIt)
{
    app->profile().writeString("Cast Overview", "PanelRaw", "1");
    CKavroFrame* frame = openRecording(50000);
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(frame->overviewShown());  // remembered from the last recording's window
    CastOverviewPanel* panel = frame->view()->overviewPanel();
    // Open before a single frame of the overview is in: the scan runs in the background.
    EXPECT_TRUE(panel->scanning());
    EXPECT_NE(rawView(frame)->overviewScan(), nullptr);
    EXPECT_EQ(panel->liveCast()->size(), 0);
    // The window pages through the graph meanwhile, and the picture grows.
    command(cmd::GoToNext);
    EXPECT_EQ(rawView(frame)->graph()->first(), 400);
    ASSERT_TRUE(QTest::qWaitFor([panel] { return panel->liveCast()->size() > 0; }, 20000));
    // Closed, whether its frames are still being processed or not: the scan goes with it.
    frame->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(app->mainFrame()->frames().isEmpty());
}

TEST_F(RawViewTest, APrintedViewHasTheGraphFramedAndNoCursor)
{
    CKavroFrame* frame = openRecording(450);
    ASSERT_NE(frame, nullptr);
    QImage page(600, 432, QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter painter(&page);
        renderDescendants(frame->view()->canvas(), painter, true);
    }
    // The graph's client starts at (51, 163); its frame is the pixel around it.
    EXPECT_EQ(page.pixelColor(50, 250), QColor(Qt::black));
    EXPECT_EQ(page.pixelColor(451, 250), QColor(Qt::black));
    EXPECT_EQ(page.pixelColor(51 + 200, 170), QColor(Qt::white));
    // The ring image and its colour scale are on the page.
    EXPECT_NE(page.pixelColor(250, 80), QColor(Qt::white));
    EXPECT_EQ(page.pixelColor(480, 31), QColor(255, 0, 255));  // the first row inside its border
}

TEST_F(RawViewTest, SelectFirstAndLastKeepTheRangeInOrder)
{
    CKavroFrame* frame = openRecording(450);
    ASSERT_NE(frame, nullptr);
    RawFileView* raw = rawView(frame);
    CFrameSelectBar* bar = raw->bar();
    raw->graph()->SetCursor(5);
    QTest::mouseClick(bar->button(CFrameSelectBar::kSelectLastButton), Qt::LeftButton);
    EXPECT_EQ(field(bar, CFrameSelectBar::kLastEdit), "5");
    raw->graph()->SetCursor(6);
    QTest::mouseClick(bar->button(CFrameSelectBar::kSelectFirstButton), Qt::LeftButton);
    EXPECT_EQ(prompter->messages(),
              std::vector<std::string>{"Invalid value:\nFirst frame number exceeds last frame number.  "});
    EXPECT_EQ(field(bar, CFrameSelectBar::kFirstEdit), "0");
    EXPECT_EQ(field(bar, CFrameSelectBar::kLastEdit), "5");
    raw->graph()->SetCursor(3);
    QTest::mouseClick(bar->button(CFrameSelectBar::kSelectFirstButton), Qt::LeftButton);
    EXPECT_EQ(field(bar, CFrameSelectBar::kFirstEdit), "3");
    // A last frame typed into its box counts as well.
    bar->edit(CFrameSelectBar::kLastEdit)->setText("2");
    QTest::mouseClick(bar->button(CFrameSelectBar::kSelectFirstButton), Qt::LeftButton);
    EXPECT_EQ(prompter->messages().size(), 2u);
    EXPECT_EQ(field(bar, CFrameSelectBar::kFirstEdit), "3");
}

TEST_F(RawViewTest, TheAuxiliaryWindowShowsTheCursorFramesRecord)
{
    CKavroFrame* frame = openRecording(450);
    ASSERT_NE(frame, nullptr);
    CAuxParamDlg* aux = showAuxWindow(frame);
    ASSERT_NE(aux, nullptr);
    EXPECT_TRUE(aux->isVisible());
    // Frame 200: laser power 2200 counts, battery 2000, pressure 300.
    EXPECT_EQ(aux->frameText(), "200");
    EXPECT_EQ(aux->valueText(0), "2.639");  // 2200 x 0.0012 is 2.6399999999999997: cut, not rounded
    EXPECT_EQ(aux->valueText(1), "10");
    EXPECT_EQ(aux->valueText(4), "16");  // 16.08 m
    EXPECT_EQ(aux->transmissionText(), "1.1");
    EXPECT_EQ(aux->warningText(0), "Warning: Water too clear.");
    // A click in the graph shows that frame.
    QTest::mouseClick(rawView(frame)->graph(), Qt::LeftButton, {}, QPoint(11, 40));
    EXPECT_EQ(aux->frameText(), "10");
    EXPECT_EQ(aux->valueText(0), "2.412");
    // Ctrl+H again keeps the one window.
    command(cmd::AuxParameterFrame);
    EXPECT_EQ(frame->view()->findChildren<CAuxParamDlg*>().size(), 1);
    aux->close();
    EXPECT_EQ(auxWindowOf(*frame->view()), nullptr);
}

TEST_F(RawViewTest, AnEmptyRecordingIsRefusedAtTheOpenAndLeavesNoPsd)
{
    // No frame -1 with made-up auxiliary values, and no header-only .psd.
    EXPECT_EQ(openRecording(0), nullptr);
    EXPECT_EQ(prompter->messages(), std::vector<std::string>{recording + " holds no frames: there is nothing to show."});
    EXPECT_FALSE(fileExists(cal.path("cast.psd")));
    EXPECT_TRUE(app->mainFrame()->frames().isEmpty());
}

TEST_F(RawViewTest, AMissingCalibrationFileNamesTheFolderAndWhereToChangeIt)
{
    const std::string empty = cal.dir.path() + "/elsewhere";
    std::filesystem::create_directory(empty);
    app->settings().calFiles = empty;
    EXPECT_EQ(openRecording(5), nullptr);
    ASSERT_FALSE(prompter->messages().empty());
    EXPECT_EQ(prompter->messages()[0], "Could not open the file " + empty + "/M32x32_a.asc\n\nCalibration files are "
                                       "looked for in " + empty + ".  Set the calibration folder in Options > "
                                       "Locations.");
    EXPECT_TRUE(app->mainFrame()->frames().isEmpty());
}

TEST_F(RawViewTest, TheDisplaySelectionRebuildsTheLegend)
{
    CKavroFrame* frame = openRecording(50);
    ASSERT_NE(frame, nullptr);
    RawFileView* raw = rawView(frame);
    dialogScript.push_back([](QDialog& d) {
        auto& dialog = dynamic_cast<CAuxDisplayDlg&>(d);
        EXPECT_EQ(dialog.windowTitle(), "Auxiliary Parameters");
        EXPECT_TRUE(dialog.box(4)->isChecked());
        EXPECT_EQ(dialog.box(2)->text(), "External Instrument");
        for (int k = 0; k < 8; ++k)
            dialog.box(k)->setChecked(k == 2 || k == 7);
        dialog.accept();
    });
    command(cmd::AuxParameterDisplay);
    ASSERT_EQ(raw->layout().legend().size(), 2u);
    EXPECT_EQ(raw->layout().legend()[0]->text(), "External Instrument");
    EXPECT_EQ(raw->layout().legend()[0]->colour(), QColor(192, 0, 192));  // readable on the graph's white
    EXPECT_EQ(raw->layout().legend()[0]->anchor(), QPoint(460, 162));
    EXPECT_EQ(raw->layout().legend()[1]->text(), "Aux 2");
    EXPECT_EQ(raw->layout().legend()[1]->colour(), QColor(0, 0, 128));
    EXPECT_EQ(app->settings().display.IsShown(0), 0);
    // Cancel leaves everything; nothing checked leaves no legend.
    dialogScript.push_back([](QDialog& d) { d.reject(); });
    command(cmd::AuxParameterDisplay);
    EXPECT_EQ(raw->layout().legend().size(), 2u);
    dialogScript.push_back([](QDialog& d) {
        auto& dialog = dynamic_cast<CAuxDisplayDlg&>(d);
        for (int k = 0; k < 8; ++k)
            dialog.box(k)->setChecked(false);
        dialog.accept();
    });
    command(cmd::AuxParameterDisplay);
    EXPECT_TRUE(raw->layout().legend().empty());
    EXPECT_EQ(labelsOf(frame->view()).count("Aux 2"), 0u);
}

TEST_F(RawViewTest, NewCalibrationConstantsReachTheOpenView)
{
    CKavroFrame* frame = openRecording(450);
    ASSERT_NE(frame, nullptr);
    CAuxParamDlg* aux = showAuxWindow(frame);
    ASSERT_NE(aux, nullptr);
    dialogScript.push_back([](QDialog& d) {
        auto& dialog = dynamic_cast<CCalibConstDlg&>(d);
        EXPECT_EQ(dialog.windowTitle(), "Calibration Constants");
        EXPECT_EQ(dialog.multiplierEdit(2)->text(), "0.001220703125");
        EXPECT_EQ(dialog.volConvEdit()->text(), "58000");
        dialog.multiplierEdit(0)->setText("0.002");
        dialog.labelEdit(0)->setText("Laser");
        dialog.volConvEdit()->setText("abc");
        dialog.accept();  // refused: the dialog stays open
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        dialog.volConvEdit()->setText("60000");
        dialog.accept();
    });
    command(cmd::EditCalibration);
    EXPECT_EQ(prompter->messages(), std::vector<std::string>{"Please enter a number."});
    EXPECT_EQ(app->profile().readString("Instrument1", "HK0Scale", ""), "0.002");
    EXPECT_EQ(app->profile().readString("Instrument1", "HK2Scale", ""), "0.0012207");
    EXPECT_EQ(app->profile().readString("Instrument1", "VolConv", ""), "60000");
    // Frame 200's record again, with the new constants.
    EXPECT_EQ(aux->labelText(0), "Laser");
    EXPECT_EQ(aux->valueText(0), "4.4");
    EXPECT_EQ(aux->frameText(), "200");
    EXPECT_EQ(frame->view()->source()->auxCalibration().Channel(0)->multiplier, 0.002);
    EXPECT_EQ(frame->view()->source()->frameResult().volumeConversion(), 60000.0);
}

TEST_F(RawViewTest, CalibrationConstantsWithoutAViewOnlyWriteTheProfile)
{
    dialogScript.push_back([](QDialog& d) {
        auto& dialog = dynamic_cast<CCalibConstDlg&>(d);
        dialog.unitsEdit(7)->setText("bar");
        dialog.accept();
    });
    command(cmd::EditCalibration);
    EXPECT_EQ(app->profile().readString("Instrument1", "HK7Units", ""), "bar");
    dialogScript.push_back([](QDialog& d) {
        auto& dialog = dynamic_cast<CCalibConstDlg&>(d);
        dialog.unitsEdit(7)->setText("psi");
        dialog.reject();
    });
    command(cmd::EditCalibration);
    EXPECT_EQ(app->profile().readString("Instrument1", "HK7Units", ""), "bar");
    EXPECT_EQ(dialogsShown, 2);
}

}  // namespace
