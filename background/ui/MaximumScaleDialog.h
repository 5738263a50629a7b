#pragma once
// Maximum Scale Setting (dialog 130): the top of a ring plot's scale, asked by the
// "+/-" buttons of the Rings and Background Scatter Information windows.
#include <QDialog>

class QLineEdit;

namespace kavro {

class Prompter;

class MaximumScaleDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kValueEdit = 247;

    // The box shows current, selected; prompter tells the user when it does not hold a number.
    MaximumScaleDialog(double current, Prompter& prompter, QWidget* parent = nullptr);

    QLineEdit* valueEdit() const { return edit_; }
    // The value entered (valid after OK).
    double value() const { return value_; }

    // Takes the number; a box without one is told and the dialog stays open.
    void accept() override;

private:
    Prompter& prompter_;
    QLineEdit* edit_;
    double value_;
};

}  // namespace kavro
