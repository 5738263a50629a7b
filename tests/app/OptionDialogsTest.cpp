// The option dialogs: Display Parameters on a view (its animation, interval floor
// and stored switches), Output Options with its enabling rules, and Locations.
#include "app/CAnimationBar.h"
#include "app/CKavroFrame.h"
#include "app/CKavroView.h"
#include "app/CMainFrame.h"
#include "app/CommandTable.h"
#include "app/DisplayParametersDialog.h"
#include "app/FrameNavigator.h"
#include "app/CKavroApp.h"
#include "app/LocationsDialog.h"
#include "app/OutputOptionsDialog.h"
#include "app/RawViewHooks.h"
#include "app/SizeDistributionLayout.h"
#include "auxiliary/ui/CAuxParamDlg.h"
#include "plots/CBarGraphWnd.h"
#include "plots/CTextWnd.h"
#include "platform/Profile.h"
#include "tests/app/RawViewFixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QLineEdit>
#include <QTest>

using namespace kavro;
using namespace kavro::test;

namespace {

class OptionDialogsTest : public RawViewFixture {
protected:
    OptionDialogsTest() : RawViewFixture(std::make_unique<MemorySourceFactory>()) {}

    // Display Parameters answered with this interval (and a new header and maximum).
    void answerDisplay(const QString& interval)
    {
        dialogScript.push_back([interval](QDialog& d) {
            auto& dialog = dynamic_cast<DisplayParametersDialog&>(d);
            dialog.headerEdit()->setText("Cast 7");
            dialog.maxOrdinateEdit()->setText("2.5");
            dialog.intervalEdit()->setText(interval);
            dialog.showMeanBox()->setChecked(true);
            dialog.accept();
        });
    }
};

TEST(DisplayInterval, HasAFloorForFilesAndAHigherOneForTheInstrument)
{
    EXPECT_EQ(RawViewHooks::displayInterval(50, kKindPsdFile), 100);
    EXPECT_EQ(RawViewHooks::displayInterval(-5, kKindPsdFile), 100);
    EXPECT_EQ(RawViewHooks::displayInterval(250, kKindPsdFile), 250);
    EXPECT_EQ(RawViewHooks::displayInterval(50, kKindInstrument), 1000);
    EXPECT_EQ(RawViewHooks::displayInterval(999, kKindInstrument), 1000);
    EXPECT_EQ(RawViewHooks::displayInterval(1500, kKindInstrument), 1500);
}

TEST_F(OptionDialogsTest, DisplayParametersStopTheAnimationAndApplyToTheView)
{
    CKavroFrame* frame = openPsd();
    ASSERT_NE(frame, nullptr);
    FrameNavigator* nav = frame->view()->navigator();
    SizeDistributionLayout* layout = frame->view()->sizeLayout();
    nav->toggle();
    ASSERT_TRUE(nav->running());
    bool ranWhileOpen = true;
    dialogScript.push_back([&](QDialog& d) {
        ranWhileOpen = nav->running();
        auto& dialog = dynamic_cast<DisplayParametersDialog&>(d);
        EXPECT_EQ(dialog.windowTitle(), "Display Parameters");
        EXPECT_EQ(dialog.headerEdit()->text(), "Orvandel (KAVRO)");
        EXPECT_EQ(dialog.maxOrdinateEdit()->text(), "10");
        EXPECT_EQ(dialog.intervalEdit()->text(), "500");
        // Refused boxes keep the dialog open.
        for (const char* bad : {"ten", "0", "-3", "nan"}) {
            dialog.maxOrdinateEdit()->setText(bad);
            dialog.accept();
            EXPECT_EQ(dialog.result(), QDialog::Rejected) << bad;
        }
        dialog.maxOrdinateEdit()->setText("2.5");
        dialog.intervalEdit()->setText("0.5");
        dialog.accept();
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        dialog.intervalEdit()->setText("50");
        dialog.headerEdit()->setText("Cast 7");
        dialog.showStdDevBox()->setChecked(true);
        dialog.accept();
    });
    command(cmd::SizeDistributionDisplay);
    EXPECT_FALSE(ranWhileOpen);
    // Each refusal names its box.
    const std::string maxBox = "\nIn the box: Maximum ordinate value:";
    EXPECT_EQ(prompter->messages(),
              (std::vector<std::string>{"Please enter a number." + maxBox, "Please enter a number above 0." + maxBox,
                                        "Please enter a number above 0." + maxBox,
                                        "Please enter a number." + maxBox,  // "nan" is no number
                                        "Please enter an integer.\nIn the box: Animation frame interval:"}));
    EXPECT_TRUE(nav->running());
    EXPECT_EQ(nav->interval(), 100);
    EXPECT_EQ(nav->timer().interval(), 100);
    EXPECT_EQ(frame->animationBar()->position(), 100);
    EXPECT_EQ(layout->maxOrdinate(), 2.5);
    EXPECT_EQ(layout->maxOrdinateLabel()->text(), "2.5");
    EXPECT_EQ(layout->header()->text(), "Cast 7");
    EXPECT_EQ(app->settings().showStdDev, 1);
    EXPECT_EQ(app->profile().readString("Miscellaneous", "Header", ""), "Cast 7");
    EXPECT_EQ(app->profile().readInt("Miscellaneous", "ShowStdDev", 0), 1);
    // Texts in force stay as loaded: a view opened later shows the start-up header.
    EXPECT_EQ(app->settings().header, "Orvandel (KAVRO)");
    nav->stop();
}

TEST_F(OptionDialogsTest, CancelRestartsTheAnimationAndChangesNothing)
{
    CKavroFrame* frame = openInstrument();
    ASSERT_NE(frame, nullptr);
    FrameNavigator* nav = frame->view()->navigator();
    nav->toggle();
    dialogScript.push_back([](QDialog& d) {
        dynamic_cast<DisplayParametersDialog&>(d).intervalEdit()->setText("50");
        d.reject();
    });
    command(cmd::SizeDistributionDisplay);
    EXPECT_TRUE(nav->running());
    EXPECT_EQ(nav->interval(), 1000);
    EXPECT_FALSE(app->profile().hasKey("Miscellaneous", "Header"));
    // The instrument's floor is a second.
    answerDisplay("50");
    command(cmd::SizeDistributionDisplay);
    EXPECT_EQ(nav->interval(), 1000);
    EXPECT_EQ(frame->view()->sizeLayout()->header()->text(), "Cast 7");
    nav->stop();
}

TEST_F(OptionDialogsTest, TheAuxiliaryWindowFollowsTheViewsFrames)
{
    CKavroFrame* frame = openPsd(numberedFrames(5));
    ASSERT_NE(frame, nullptr);
    CAuxParamDlg* aux = showAuxWindow(frame);
    ASSERT_NE(aux, nullptr);
    EXPECT_EQ(aux->frameText(), "0");
    command(cmd::GoToNext);
    command(cmd::GoToNext);
    EXPECT_EQ(aux->frameText(), "2");
    command(cmd::GoToLast);
    EXPECT_EQ(aux->frameText(), "4");
}

TEST_F(OptionDialogsTest, OutputOptionsEnablingRulesAndSwitchThree)
{
    app->settings().outputs.value[3] = 1;
    app->settings().outputs.value[4] = 1;  // VSF for the instrument, while its .asc is off
    dialogScript.push_back([](QDialog& d) {
        auto& dialog = dynamic_cast<OutputOptionsDialog&>(d);
        EXPECT_EQ(dialog.windowTitle(), "Output Options");
        // 164 forced off and disabled, 169 disabled, 167 and 136 follow their .asc boxes.
        EXPECT_FALSE(dialog.box(3)->isChecked());
        EXPECT_FALSE(dialog.box(3)->isEnabled());
        EXPECT_FALSE(dialog.box(7)->isEnabled());
        EXPECT_TRUE(dialog.box(7)->isChecked());
        EXPECT_FALSE(dialog.box(4)->isEnabled());
        EXPECT_TRUE(dialog.box(4)->isChecked());
        EXPECT_FALSE(dialog.box(8)->isEnabled());
        QTest::mouseClick(dialog.box(0), Qt::LeftButton);
        EXPECT_TRUE(dialog.box(4)->isEnabled());
        QTest::mouseClick(dialog.box(5), Qt::LeftButton);
        EXPECT_TRUE(dialog.box(8)->isEnabled());
        QTest::mouseClick(dialog.box(8), Qt::LeftButton);
        // Unchecking the .asc box disables its VSF box, which keeps its mark.
        QTest::mouseClick(dialog.box(5), Qt::LeftButton);
        EXPECT_FALSE(dialog.box(8)->isEnabled());
        EXPECT_TRUE(dialog.box(8)->isChecked());
        dialog.accept();
    });
    command(cmd::Output);
    const int expected[9] = {1, 0, 0, 0, 1, 0, 0, 1, 1};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(app->settings().outputs.value[i], expected[i]) << i;

    // Cancel keeps the block as it was.
    dialogScript.push_back([](QDialog& d) {
        QTest::mouseClick(dynamic_cast<OutputOptionsDialog&>(d).box(6), Qt::LeftButton);
        d.reject();
    });
    command(cmd::Output);
    EXPECT_EQ(app->settings().outputs.value[6], 0);
}

TEST_F(OptionDialogsTest, LocationsWriteTheFolderAndTheBackgroundRule)
{
    dialogScript.push_back([this](QDialog& d) {
        auto& dialog = dynamic_cast<LocationsDialog&>(d);
        EXPECT_EQ(dialog.windowTitle(), "Location of Calibration / Inversion Information Files");
        // A folder that does not exist is pointed out as it is typed; empty is the program's own.
        for (auto [folder, warned] : {std::pair{dir.path(), false}, {"/cal/kavro", true}, {"", false}}) {
            dialog.directoryEdit()->setText(QString::fromStdString(folder));
            EXPECT_EQ(dialog.missingFolderWarning()->isHidden(), !warned) << folder;
        }
        EXPECT_EQ(dialog.browseButton()->text(), "Browse...");
        dialog.directoryEdit()->setText("/cal/kavro");
        dialog.lookBesideRawFileBox()->setChecked(true);
        // The recordings' folder: the one set (the test's), the documents folder shown greyed.
        EXPECT_EQ(dialog.dataFolderEdit()->text().toStdString(), dir.path());
        EXPECT_EQ(dialog.dataFolderEdit()->placeholderText().toStdString(), CKavroApp::defaultDataFolder());
        dialog.dataFolderEdit()->setText("/data/casts");
        dialog.accept();
    });
    command(cmd::Locations);
    EXPECT_EQ(app->settings().dataFiles, "/data/casts");
    EXPECT_EQ(app->dataFolder(), "/data/casts");
    EXPECT_EQ(app->profile().readString("Directories", "DataFiles", "?"), "/data/casts");
    EXPECT_EQ(app->settings().calFiles, "/cal/kavro");
    EXPECT_EQ(app->settings().pdFirst, 1);
    EXPECT_EQ(app->profile().readString("Directories", "CalFiles", "?"), "/cal/kavro");
    EXPECT_EQ(app->profile().readInt("Directories", "PDFirst", 0), 1);
    // An empty folder is stored empty and means the executable's folder.
    dialogScript.push_back([](QDialog& d) {
        auto& dialog = dynamic_cast<LocationsDialog&>(d);
        EXPECT_EQ(dialog.directoryEdit()->text(), "/cal/kavro");
        EXPECT_TRUE(dialog.lookBesideRawFileBox()->isChecked());
        dialog.directoryEdit()->clear();
        dialog.dataFolderEdit()->clear();
        dialog.accept();
    });
    command(cmd::Locations);
    EXPECT_EQ(app->settings().calFiles, dir.path());
    // An empty recordings' folder is the documents (or home) folder, never the calibration one.
    EXPECT_EQ(app->dataFolder(), CKavroApp::defaultDataFolder());
    EXPECT_NE(app->dataFolder(), app->settings().calFiles);
    EXPECT_TRUE(app->profile().hasKey("Directories", "CalFiles"));
    EXPECT_EQ(app->profile().readString("Directories", "CalFiles", "?"), "");
}

}  // namespace
