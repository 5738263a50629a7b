#pragma once
// Background Scatter Information: the verdict step of every background build.  It
// shows the averaged background beside the factory background, the verdict, and
// lets the user judge the build against another factory file before accepting.
#include "background/BackgroundBuild.h"
#include "background/ui/BackgroundHost.h"

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace kavro {

class RingPlotPanel;

class CBackgroundInfoDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr double kInitialMaximum = 2047.0;

    // The accumulator stays the caller's; only its factory values change here.
    CBackgroundInfoDlg(CScatterAccumulator& accumulator, Prompter& prompter, DialogRunner runner,
                       QWidget* parent = nullptr);

    // The factory button: another factory file, then the plot and the verdict again.
    void chooseFactoryFile();

    // The verdict as the text box shows it: its "\r\n" line ends become line breaks.
    static QString displayText(const std::string& verdict);

    QPushButton* factoryButton() const { return factoryButton_; }
    QPushButton* acceptButton() const { return acceptButton_; }
    QPushButton* cancelButton() const { return cancelButton_; }
    QPlainTextEdit* verdictBox() const { return verdictBox_; }
    RingPlotPanel* plotPanel() const { return plot_; }

private:
    void showAccumulator();

    CScatterAccumulator& accumulator_;
    QPushButton* factoryButton_;
    RingPlotPanel* plot_;
    QPlainTextEdit* verdictBox_;
    QPushButton* acceptButton_;
    QPushButton* cancelButton_;
};

// The verdict step of the builds: this window, run modally over parent; true for Accept.
VerdictStep verdictWindow(Prompter& prompter, DialogRunner runner, QWidget* parent);

}  // namespace kavro
