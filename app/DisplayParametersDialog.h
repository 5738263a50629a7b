#pragma once
// Display Parameters (dialog 112): the header and footer texts, the top of the
// size axis and the animation interval of a view, and the stored switches that
// show the mean and the standard deviation on the bar graph.
#include <QDialog>
#include <string>

class QCheckBox;
class QLineEdit;

namespace kavro {

class Prompter;

class DisplayParametersDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = 112;

    struct Values {
        std::string header;
        std::string footer;
        double maxOrdinate = 10.0;
        int interval = 500;
        int showMean = 0;
        int showStdDev = 0;
    };

    // prompter tells a number box that holds no number.
    DisplayParametersDialog(const Values& initial, Prompter& prompter, QWidget* parent = nullptr);

    // What was entered (after OK).
    const Values& values() const { return values_; }

    QLineEdit* headerEdit() const { return header_; }
    QLineEdit* footerEdit() const { return footer_; }
    QLineEdit* maxOrdinateEdit() const { return maxOrdinate_; }
    QLineEdit* intervalEdit() const { return interval_; }
    QCheckBox* showMeanBox() const { return showMean_; }
    QCheckBox* showStdDevBox() const { return showStdDev_; }

    // The maximum must be a number and the interval an integer; else the dialog
    // tells which and stays open.
    void accept() override;

private:
    Prompter& prompter_;
    Values values_;
    QLineEdit* header_;
    QLineEdit* footer_;
    QLineEdit* maxOrdinate_;
    QLineEdit* interval_;
    QCheckBox* showMean_;
    QCheckBox* showStdDev_;
};

}  // namespace kavro
