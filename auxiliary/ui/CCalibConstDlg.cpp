#include "auxiliary/ui/CCalibConstDlg.h"

#include "platform/NumText.h"
#include "platform/Prompter.h"
#include "resources/AppTexts.h"
#include "resources/AuxTexts.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <optional>

namespace kavro {
namespace {

// Columns of the grid; row 0 holds the column titles.
enum Column { kTitle, kLabel, kMultiplier, kOffset, kUnits };

QString numberText(double value)
{
    // Numbers show with 15 significant digits, as the boxes exchange doubles.
    return QString::fromStdString(formatG(value, 15));
}

std::string textOf(const QLineEdit* edit)
{
    return edit->text().toStdString();
}

}  // namespace

CCalibConstDlg::CCalibConstDlg(Profile& profile, Prompter& prompter, QWidget* parent)
    : QDialog(parent), profile_(profile), prompter_(prompter), info_(&profile)
{
    setWindowTitle(text::kCalibrationTitle);
    auto* grid = new QGridLayout;
    const char* titles[] = {text::kColumnLabel, text::kColumnMultiplier, text::kColumnOffset, text::kColumnUnits};
    for (int c = kLabel; c <= kUnits; ++c)
        grid->addWidget(new QLabel(QString::fromUtf8(titles[c - kLabel]), this), 0, c, Qt::AlignHCenter);
    for (int k = 0; k < kAuxChannels; ++k) {
        const auto i = static_cast<std::size_t>(k);
        const HKChannel& channel = *info_.Channel(k);
        grid->addWidget(new QLabel(QString::fromUtf8(text::kParameterRow) + QString::number(k + 1), this), k + 1,
                        kTitle);
        labels_[i] = addEdit(grid, k + 1, kLabel);
        multipliers_[i] = addEdit(grid, k + 1, kMultiplier);
        offsets_[i] = addEdit(grid, k + 1, kOffset);
        units_[i] = addEdit(grid, k + 1, kUnits);
        labels_[i]->setText(QString::fromStdString(channel.label));
        multipliers_[i]->setText(numberText(channel.multiplier));
        offsets_[i]->setText(numberText(channel.offset));
        units_[i]->setText(QString::fromStdString(channel.units));
    }
    volConv_ = new QLineEdit(numberText(GetVolConv(profile_, kInstrumentNumber)), this);
    grid->addWidget(new QLabel(QString::fromUtf8(text::kVolConvLabel), this), kAuxChannels + 1, kTitle, 1, 2);
    grid->addWidget(volConv_, kAuxChannels + 1, kMultiplier);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* column = new QVBoxLayout(this);
    auto* heading = new QLabel(QString::fromUtf8(text::kCalibrationHeading), this);
    heading->setAlignment(Qt::AlignCenter);
    column->addWidget(heading);
    column->addLayout(grid);
    column->addWidget(buttons);
}

QLineEdit* CCalibConstDlg::addEdit(QGridLayout* grid, int row, int column)
{
    auto* edit = new QLineEdit(this);
    edit->setMinimumWidth(column == kLabel ? 140 : 90);
    grid->addWidget(edit, row, column);
    return edit;
}

void CCalibConstDlg::accept()
{
    // The boxes are read in tab order; the first that holds no number is told.
    std::array<double, kAuxChannels> multiplier{}, offset{};
    auto readNumber = [this](QLineEdit* edit, double& target) {
        std::optional<double> v = scanWholeDouble(textOf(edit));
        if (!v) {
            prompter_.message(text::kEnterNumber, MessageIcon::Exclamation);
            edit->setFocus();
            edit->selectAll();
            return false;
        }
        target = *v;
        return true;
    };
    for (std::size_t i = 0; i < kAuxChannels; ++i)
        if (!readNumber(multipliers_[i], multiplier[i]) || !readNumber(offsets_[i], offset[i]))
            return;
    double volConv = 0.0;
    if (!readNumber(volConv_, volConv))
        return;

    bool ok = true;
    for (int k = 0; k < kAuxChannels; ++k) {
        const auto i = static_cast<std::size_t>(k);
        ok = WriteChannelCalibration(profile_, kInstrumentNumber, k, textOf(labels_[i]), textOf(units_[i]),
                                     multiplier[i], offset[i]) &&
             ok;
    }
    ok = SetVolConv(profile_, kInstrumentNumber, volConv) && ok;
    volConvValue_ = volConv;
    written_ = ok;
    QDialog::accept();
}

}  // namespace kavro
