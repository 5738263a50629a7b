// The shell's small dialogs and the file dialogs of the desktop Prompter.
#include "app/GoToFrameDialog.h"
#include "app/InstrumentDialog.h"
#include "platform/ScriptedPrompter.h"
#include "platform/SerialDevices.h"
#include "platform/qt/QtPrompter.h"
#include "tests/support/TestFiles.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QFileDialog>
#include <QLineEdit>
#include <QTest>
#include <QValidator>
#include <gtest/gtest.h>

using namespace kavro;

namespace {

QStringList items(QComboBox* box)
{
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemText(i);
    return out;
}

TEST(InstrumentDialogs, PortDialogListsPortsAndModelsWithThePreselection)
{
    InstrumentDialog dialog(InstrumentDialog::kPortDialog, 2, 1);
    EXPECT_EQ(dialog.windowTitle(), "Instrument Port");
    ASSERT_NE(dialog.portBox(), nullptr);
    EXPECT_EQ(items(dialog.portBox()), (QStringList{"COM1:", "COM2:", "COM3:", "COM4:"}));
    EXPECT_EQ(items(dialog.modelBox()), (QStringList{"KAVRO 400-A (5 - 500 micron)", "KAVRO 400-B (1 - 250 micron)",
                                                     "KAVRO 400-C (2.5 - 500 micron)"}));
    EXPECT_EQ(dialog.port(), 2);
    EXPECT_EQ(dialog.model(), 1);
    dialog.modelBox()->setCurrentIndex(2);
    EXPECT_EQ(dialog.model(), 2);
}

// The device behind each port, and the devices present offered for the chosen one.
TEST(InstrumentDialogs, PortDialogOffersTheDevicesPresentForThePort)
{
    PortDevices devices;
    devices.mapped = {"/dev/ttyUSB0", "/dev/serial/by-id/usb-A", "/nonexistent/pts/9", "/dev/ttyUSB3"};
    devices.present = {{"/dev/serial/by-id/usb-A", "/dev/ttyUSB1", "usb-A", true}, {"/dev/ttyS0", "/dev/ttyS0", "", false}};
    InstrumentDialog dialog(InstrumentDialog::kPortDialog, 2, 1, nullptr, devices);
    ASSERT_NE(dialog.deviceBox(), nullptr);
    // Each present device as this system describes it ("/dev/ttyUSB1  usb-A" on Linux).
    EXPECT_EQ(items(dialog.deviceBox()), (QStringList{QString::fromStdString(describeSerialDevice(devices.present[0])),
                                                      QString::fromStdString(describeSerialDevice(devices.present[1]))}));
#ifndef _WIN32
    EXPECT_EQ(items(dialog.deviceBox()), (QStringList{"/dev/ttyUSB1  usb-A", "/dev/ttyS0"}));
#endif
    EXPECT_EQ(dialog.device(), "/nonexistent/pts/9");  // not present: shown as its path
    EXPECT_NE(dialog.portDevicesLabel()->text().indexOf("COM3:  /nonexistent/pts/9 (not present)"), -1)
        << dialog.portDevicesLabel()->text().toStdString();
    dialog.portBox()->setCurrentIndex(1);
    EXPECT_EQ(dialog.deviceBox()->currentIndex(), 0);
    EXPECT_EQ(dialog.device(), "/dev/serial/by-id/usb-A");
    dialog.deviceBox()->setCurrentIndex(1);
    EXPECT_EQ(dialog.device(), "/dev/ttyS0");
    dialog.deviceBox()->setEditText("/dev/pts/4");
    EXPECT_EQ(dialog.device(), "/dev/pts/4");
}

TEST(InstrumentDialogs, ModelDialogHasNoPortList)
{
    InstrumentDialog dialog(InstrumentDialog::kModelDialog, 0, 2);
    EXPECT_EQ(dialog.windowTitle(), "Instrument Model");
    EXPECT_EQ(dialog.portBox(), nullptr);
    EXPECT_EQ(dialog.port(), -1);
    EXPECT_EQ(dialog.model(), 2);
}

TEST(GoToDialog, TakesDigitsOnlyStartingAtZero)
{
    ScriptedPrompter prompter;
    GoToFrameDialog dialog(prompter);
    EXPECT_EQ(dialog.windowTitle(), "Go To ");
    QLineEdit* edit = dialog.frameEdit();
    EXPECT_EQ(edit->text(), "0");
    EXPECT_EQ(edit->selectedText(), "0");
    edit->selectAll();
    QTest::keyClicks(edit, "1-2a3");
    EXPECT_EQ(edit->text(), "123");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.frame(), 123);
    EXPECT_TRUE(prompter.calls().empty());
}

TEST(GoToDialog, AnEmptyTooLargeOrOutOfRangeNumberIsRefusedAndTheDialogStaysOpen)
{
    struct Row {
        const char* entry;
        int lastFrame;  // -1: the range is not known
        const char* told;  // "" when accepted
    };
    const Row rows[] = {
        {"", -1, "Please enter an integer."},
        {"99999999999", -1, "Please enter an integer."},
        {"12", -1, ""},
        {"12", 12, ""},
        {"0", 0, ""},
        {"13", 12, "There is no frame 13 in this file: its frames are 0 to 12."},
        {"1", 0, "There is no frame 1 in this file: its frames are 0 to 0."},
    };
    for (const Row& row : rows) {
        ScriptedPrompter prompter;
        GoToFrameDialog dialog(prompter, nullptr, row.lastFrame);
        dialog.frameEdit()->setText(row.entry);
        dialog.accept();
        const bool accepted = std::string(row.told).empty();
        EXPECT_EQ(dialog.result() == QDialog::Accepted, accepted) << row.entry << " of " << row.lastFrame;
        EXPECT_EQ(prompter.messages(), accepted ? std::vector<std::string>{} : std::vector<std::string>{row.told})
            << row.entry;
    }
}

TEST(QtPrompterFilters, BarSeparatedPairsBecomeQtFilters)
{
    EXPECT_EQ(qtNameFilters("Particle Sizes (*.psd)|*.psd|All (*.*)|*.*||"),
              (QStringList{"Particle Sizes (*.psd)", "All (*)"}));
    EXPECT_EQ(qtNameFilters("Ring Area (RingArea*.asc)|RingArea*.asc|All asc|*.asc|All (*.*)|*.*||"),
              (QStringList{"Ring Area (RingArea*.asc)", "All asc (*.asc)", "All (*)"}));
    EXPECT_EQ(qtNameFilters("Raw Data (*.raw;*.bin;*.dat)|*.raw;*.bin;*.dat||"),
              (QStringList{"Raw Data (*.raw *.bin *.dat)"}));
    // The patterns after the bar are the ones that count.
    EXPECT_EQ(qtNameFilters("Data (old)|*.x||"), (QStringList{"Data (old) (*.x)"}));
    EXPECT_TRUE(qtNameFilters("").isEmpty());
}

TEST(QtPrompterFilters, APatternAsInitialNameShowsOnlyMatchingFiles)
{
    FileDialogRequest request;
    request.title = "Open Ring Area Normalization File";
    request.filter = "All asc|*.asc|Ring Area (RingArea*.asc)|RingArea*.asc|All (*.*)|*.*||";
    request.initialName = "RingArea*.asc";
    const test::TempDir folder;
    request.initialDirectory = folder.path();
    request.defaultExtension = "asc";
    request.mustExist = true;
    QFileDialog dialog;
    configureFileDialog(dialog, request, false);
    EXPECT_EQ(dialog.windowTitle(), "Open Ring Area Normalization File");
    EXPECT_EQ(dialog.selectedNameFilter(), "Ring Area (RingArea*.asc)");
    EXPECT_EQ(dialog.fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(dialog.directory().absolutePath(), QDir(QString::fromStdString(folder.path())).absolutePath());
    EXPECT_EQ(dialog.defaultSuffix(), "asc");

    // A pattern the list does not hold becomes a filter of its own, shown first.
    request.filter = "Bkgrnd Scatter (*.asc)|*.asc|All (*.*)|*.*||";
    request.initialName = "zsc*.asc";
    QFileDialog other;
    configureFileDialog(other, request, false);
    EXPECT_EQ(other.nameFilters().front(), "zsc*.asc (zsc*.asc)");
    EXPECT_EQ(other.selectedNameFilter(), "zsc*.asc (zsc*.asc)");
}

TEST(QtPrompterFilters, SaveDialogsAskBeforeOverwritingOnlyWhenTold)
{
    FileDialogRequest request;
    request.title = "Open OUTPUT Particle Size Distribution File";
    request.filter = "Particle Sizes (*.psd)|*.psd|All (*.*)|*.*||";
    request.initialName = "cast.psd";
    request.overwritePrompt = true;
    QFileDialog save;
    configureFileDialog(save, request, true);
    EXPECT_EQ(save.acceptMode(), QFileDialog::AcceptSave);
    EXPECT_FALSE(save.testOption(QFileDialog::DontConfirmOverwrite));
    EXPECT_EQ(save.selectedNameFilter(), "Particle Sizes (*.psd)");
    request.overwritePrompt = false;
    QFileDialog quiet;
    configureFileDialog(quiet, request, true);
    EXPECT_TRUE(quiet.testOption(QFileDialog::DontConfirmOverwrite));
    EXPECT_FALSE(isNamePattern("cast.psd"));
    EXPECT_TRUE(isNamePattern("cast?.psd"));
}

}  // namespace
