#pragma once
// "Calibration Constants" (dialog 127): label, multiplier, offset and units of the
// eight auxiliary channels and the volume conversion constant, written to the
// settings profile on OK.  It touches no data source itself.
#include "auxiliary/CHKInfo.h"

#include <QDialog>
#include <array>

class QGridLayout;
class QLineEdit;

namespace kavro {

class Profile;
class Prompter;

class CCalibConstDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = 127;

    // The rows start from the profile's constants (defaults where it has none).
    CCalibConstDlg(Profile& profile, Prompter& prompter, QWidget* parent = nullptr);

    QLineEdit* labelEdit(int k) const { return labels_[static_cast<std::size_t>(k)]; }
    QLineEdit* multiplierEdit(int k) const { return multipliers_[static_cast<std::size_t>(k)]; }
    QLineEdit* offsetEdit(int k) const { return offsets_[static_cast<std::size_t>(k)]; }
    QLineEdit* unitsEdit(int k) const { return units_[static_cast<std::size_t>(k)]; }
    QLineEdit* volConvEdit() const { return volConv_; }

    // The volume conversion constant entered (after OK).
    double volConv() const { return volConvValue_; }
    // False when the profile could not be written (after OK).
    bool written() const { return written_; }

    // Every number box must hold a number ("Please enter a number." and the dialog
    // stays open otherwise); then every channel and the constant go to the profile.
    void accept() override;

private:
    QLineEdit* addEdit(QGridLayout* grid, int row, int column);

    Profile& profile_;
    Prompter& prompter_;
    CHKInfo info_;
    std::array<QLineEdit*, kAuxChannels> labels_{};
    std::array<QLineEdit*, kAuxChannels> multipliers_{};
    std::array<QLineEdit*, kAuxChannels> offsets_{};
    std::array<QLineEdit*, kAuxChannels> units_{};
    QLineEdit* volConv_ = nullptr;
    double volConvValue_ = kDefaultVolConv;
    bool written_ = true;
};

}  // namespace kavro
