#include "app/DisplayParametersDialog.h"

#include "app/ShellLook.h"
#include "platform/NumText.h"
#include "resources/AppTexts.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

namespace kavro {
DisplayParametersDialog::DisplayParametersDialog(const Values& initial, Prompter& prompter, QWidget* parent)
    : QDialog(parent),
      prompter_(prompter),
      values_(initial),
      header_(new QLineEdit(QString::fromStdString(initial.header), this)),
      footer_(new QLineEdit(QString::fromStdString(initial.footer), this)),
      maxOrdinate_(new QLineEdit(QString::fromStdString(formatG(initial.maxOrdinate, 15)), this)),
      interval_(new QLineEdit(QString::number(initial.interval), this)),
      showMean_(new QCheckBox(QString::fromUtf8(text::kShowMeanBox), this)),
      showStdDev_(new QCheckBox(QString::fromUtf8(text::kShowStdDevBox), this))
{
    setWindowTitle(text::kDisplayParametersTitle);
    header_->setMinimumWidth(260);
    showMean_->setChecked(initial.showMean != 0);
    showStdDev_->setChecked(initial.showStdDev != 0);

    auto* form = new QFormLayout;
    form->addRow(text::kHeaderTextLabel, header_);
    form->addRow(text::kFooterTextLabel, footer_);
    form->addRow(text::kMaxOrdinateLabel, maxOrdinate_);
    auto* interval = new QHBoxLayout;
    interval->addWidget(interval_);
    interval->addWidget(new QLabel(QString::fromUtf8(text::kMillisec), this));
    form->addRow(text::kIntervalLabel, interval);
    form->addRow(showMean_);
    form->addRow(showStdDev_);
    addOkCancel(*this, form);
}

void DisplayParametersDialog::accept()
{
    // Each refusal names its box: the dialog has two that take numbers.
    std::optional<double> maxOrdinate = scanWholeDouble(maxOrdinate_->text().toStdString());
    if (!maxOrdinate) {
        refuseBox(prompter_, (std::string(text::kEnterNumber) + text::kInTheBox + text::kMaxOrdinateLabel).c_str(),
                  maxOrdinate_);
        return;
    }
    // A plot whose top is at or below its bottom shows nothing (and divides by zero).
    if (!(*maxOrdinate > 0.0)) {
        refuseBox(prompter_, (std::string(text::kEnterPositive) + text::kInTheBox + text::kMaxOrdinateLabel).c_str(),
                  maxOrdinate_);
        return;
    }
    std::optional<int> interval = scanWholeInt(interval_->text().toStdString());
    if (!interval) {
        refuseBox(prompter_, (std::string(text::kEnterInteger) + text::kInTheBox + text::kIntervalLabel).c_str(),
                  interval_);
        return;
    }
    values_.header = header_->text().toStdString();
    values_.footer = footer_->text().toStdString();
    values_.maxOrdinate = *maxOrdinate;
    values_.interval = *interval;
    values_.showMean = showMean_->isChecked() ? 1 : 0;
    values_.showStdDev = showStdDev_->isChecked() ? 1 : 0;
    QDialog::accept();
}

}  // namespace kavro
