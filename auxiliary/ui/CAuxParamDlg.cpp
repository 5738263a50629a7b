#include "auxiliary/ui/CAuxParamDlg.h"

#include "auxiliary/AuxDisplay.h"
#include "core/CDataSource.h"
#include "core/Constants.h"
#include "platform/NumText.h"
#include "resources/AuxTexts.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kavro {
namespace {

constexpr int kChannels = 8;
constexpr int kTransmissionRow = 8;

QString qtext(const std::string& s)
{
    return QString::fromStdString(s);
}

QLineEdit* readOnlyEdit(QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setReadOnly(true);
    edit->setMinimumWidth(110);
    return edit;
}

}  // namespace

CAuxParamDlg::CAuxParamDlg(const CDataSource& source, QWidget* view) : QDialog(view), source_(source)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowTitle(text::kAuxWindowTitle);
    buildControls();
    refRatio_ = source_.laserReferenceRatio();
    // A .psd file holds engineering values already: there are no counts to show.
    storedValues_ = source_.sourceKind() == kKindPsdFile;
    showRawBox_->setEnabled(!storedValues_);
    loadCalibration();
    loadFromSource();
    updateControls();
}

void CAuxParamDlg::buildControls()
{
    auto* grid = new QGridLayout;
    for (int row = 0; row <= kTransmissionRow; ++row) {
        labels_[row] = new QLabel(this);
        grid->addWidget(labels_[row], row, 0);
    }
    for (int k = 0; k < kChannels; ++k) {
        values_[k] = readOnlyEdit(this);
        unitLabels_[k] = new QLabel(this);
        unitLabels_[k]->setMinimumWidth(50);
        grid->addWidget(values_[k], k, 1);
        grid->addWidget(unitLabels_[k], k, 2);
    }
    transmissionEdit_ = readOnlyEdit(this);
    grid->addWidget(transmissionEdit_, kTransmissionRow, 1);

    auto* column = new QVBoxLayout(this);
    column->addLayout(grid);
    for (QLabel*& warning : warnings_) {
        warning = new QLabel(QString::fromUtf8(text::kNoWarning), this);
        warning->setAlignment(Qt::AlignCenter);
        warning->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        column->addWidget(warning);
    }
    auto* bottom = new QGridLayout;
    frameEdit_ = readOnlyEdit(this);
    bottom->addWidget(new QLabel(QString::fromUtf8(text::kAuxFrameLabel), this), 0, 0);
    bottom->addWidget(frameEdit_, 0, 1);
    showRawBox_ = new QCheckBox(QString::fromUtf8(text::kShowRawData), this);
    bottom->addWidget(showRawBox_, 1, 0, 1, 2);
    auto* cancel = new QPushButton(QString::fromUtf8(text::kCancelButton), this);
    cancel->setAutoDefault(false);
    bottom->addWidget(cancel, 1, 2);
    column->addLayout(bottom);

    connect(showRawBox_, &QCheckBox::clicked, this, [this] { onShowRawClicked(); });
    connect(cancel, &QPushButton::clicked, this, [this] { close(); });
}

void CAuxParamDlg::loadCalibration()
{
    const CHKInfo& info = source_.auxCalibration();
    for (int k = 0; k < kChannels; ++k) {
        const HKChannel& c = *info.Channel(k);
        label_[k] = c.label;
        multiplier_[k] = c.multiplier;
        offset_[k] = c.offset;
    }
    label_[kTransmissionRow] = text::kTransmissionLabel;
    for (int row = 0; row <= kTransmissionRow; ++row)
        labels_[row]->setText(qtext(label_[row]));
    applyUnitsRule();
}

void CAuxParamDlg::applyUnitsRule()
{
    for (int k = 0; k < kChannels; ++k)
        units_[k] = showRaw_ ? std::string() : source_.auxCalibration().Channel(k)->units;
}

void CAuxParamDlg::loadFromSource()
{
    for (int k = 0; k < kChannels; ++k)
        raw_[k] = source_.value(kValueRaw, kRings + k);
    refRatio_ = source_.laserReferenceRatio();
    frame_ = source_.frameNumber();
    const CFrameResult& result = source_.frameResult();
    saturatedRings_ = result.saturatedRings();
    zeroRings_ = result.zeroRings();
    transmission_ = Trunc3(result.transmission());
}

void CAuxParamDlg::Refresh()
{
    loadFromSource();
    updateControls();
}

void CAuxParamDlg::RefreshCalibration()
{
    refRatio_ = source_.laserReferenceRatio();
    loadCalibration();
    Refresh();
}

void CAuxParamDlg::ShowRecord(const FrameSummary& record, int frameIndex)
{
    for (int k = 0; k < kChannels; ++k)
        raw_[k] = record.aux[k];
    frame_ = frameIndex;
    refRatio_ = source_.laserReferenceRatio();
    transmission_ = summaryTransmission(raw_[0], raw_[3], refRatio_);
    zeroRings_ = record.zeroRings;
    saturatedRings_ = record.saturatedRings;
    updateControls();
}

void CAuxParamDlg::updateControls()
{
    for (int k = 0; k < kChannels; ++k) {
        HKChannel calibration;
        calibration.multiplier = multiplier_[k];
        calibration.offset = offset_[k];
        const double value = shownAuxValue(k, raw_[k], calibration, storedValues_, showRaw_);
        values_[k]->setText(qtext(formatG(value, 15)));
        unitLabels_[k]->setText(qtext(units_[k]));
    }
    transmissionEdit_->setText(qtext(formatG(transmission_, 15)));
    frameEdit_->setText(QString::number(frame_));
    const AuxWarnings w = auxWarnings(transmission_, saturatedRings_, zeroRings_);
    warnings_[0]->setText(QString::fromUtf8(w.clarity));
    warnings_[1]->setText(QString::fromUtf8(w.saturated));
    warnings_[2]->setText(QString::fromUtf8(w.zero));
}

void CAuxParamDlg::onShowRawClicked()
{
    showRaw_ = showRawBox_->isChecked();
    applyUnitsRule();
    updateControls();
}

QString CAuxParamDlg::labelText(int row) const
{
    return row >= 0 && row <= kTransmissionRow ? labels_[row]->text() : QString();
}

QString CAuxParamDlg::valueText(int channel) const
{
    return channel >= 0 && channel < kChannels ? values_[channel]->text() : QString();
}

QString CAuxParamDlg::unitsText(int channel) const
{
    return channel >= 0 && channel < kChannels ? unitLabels_[channel]->text() : QString();
}

QString CAuxParamDlg::transmissionText() const
{
    return transmissionEdit_->text();
}

QString CAuxParamDlg::frameText() const
{
    return frameEdit_->text();
}

QString CAuxParamDlg::warningText(int line) const
{
    return line >= 0 && line < 3 ? warnings_[line]->text() : QString();
}

}  // namespace kavro
