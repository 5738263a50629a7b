#include "background/ui/CRingsWnd.h"

#include "acquisition/CCommSource.h"
#include "acquisition/CRawFile.h"
#include "background/LiveCollection.h"
#include "background/ui/CBackgroundInfoDlg.h"
#include "background/ui/CTransmissionGauge.h"
#include "background/ui/RingPlotPanel.h"
#include "platform/NumText.h"
#include "platform/Prompter.h"
#include "auxiliary/CHKInfo.h"
#include "plots/CTextWnd.h"
#include "resources/BackgroundTexts.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kavro {

namespace {

constexpr int kWidth = 650;
constexpr int kHeight = 330;
// The read-outs and the gauge stand in a column right of the plot; a larger
// window widens and heightens the plot and moves the column along.
constexpr int kColumnX = 400;
constexpr int kColumnHeight = 250;
constexpr int kReadOutX = 412 - kColumnX;
constexpr QRect kGaugeRect(592 - kColumnX, 40, 22, 200);
constexpr int kButtonsUp = 42;

QString numberText(double value)
{
    return QString::fromStdString(formatG(value));
}

}  // namespace

CRingsWnd::CRingsWnd(BackgroundHost& host, QWidget* parent)
    : QDialog(parent), host_(host),
      plot_(new RingPlotPanel(text::kRingsLegend, text::kBackgroundLegend, kInitialMaximum, host.prompter(),
                              [&host](QDialog& d) { return host.runDialog(d); }, this)),
      collectButton_(new QPushButton(text::kBeginBackground, this)),
      cancelButton_(new QPushButton(text::kCancelButton, this)),
      laserPower_(host.source().value(kValueAux, 0))
{
    setWindowTitle(text::kRingsTitle);
    setAttribute(Qt::WA_DeleteOnClose);
    setMinimumSize(kWidth, kHeight);
    resize(kWidth, kHeight);
    plot_->move(10, 10);
    column_ = new QWidget(this);
    column_->setGeometry(kColumnX, 0, kWidth - kColumnX, kColumnHeight);
    buildReadOuts();
    buildGauge();
    collectButton_->setGeometry(10, kHeight - kButtonsUp, 280, 30);
    cancelButton_->setGeometry(kWidth - 110, kHeight - kButtonsUp, 100, 30);
    collectButton_->setAutoDefault(false);
    cancelButton_->setAutoDefault(false);
    connect(collectButton_, &QPushButton::clicked, this, &CRingsWnd::beginOrFinish);
    connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
    redraw();
}

void CRingsWnd::buildReadOuts()
{
    auto readOut = [this](int y, const char* label, QLabel** caption = nullptr) {
        auto* l = new QLabel(label, column_);
        l->move(kReadOutX, y);
        if (caption)
            *caption = l;
        auto* edit = new QLineEdit(column_);
        edit->setReadOnly(true);
        edit->setGeometry(kReadOutX, y + 18, 110, 24);
        return edit;
    };
    auto unit = [this](QLineEdit* edit, const QString& text) {
        auto* l = new QLabel(text, column_);
        l->move(edit->geometry().right() + 5, edit->y() + 4);
        l->adjustSize();
        return l;
    };
    laserPowerEdit_ = readOut(20, text::kLaserPowerCalibrated, &laserPowerCaption_);
    laserPowerUnit_ = unit(laserPowerEdit_, QString());
    factoryEdit_ = readOut(75, text::kFactoryLaserPowerLabel);
    unit(factoryEdit_, QString::fromUtf8(text::kCountsUnit));
    framesEdit_ = readOut(130, text::kFramesLabel);
    frameNumberEdit_ = readOut(185, text::kRingsFrameLabel);
    showLaserPowerKind();
}

void CRingsWnd::showLaserPowerKind()
{
    const HKChannel* channel = host_.source().auxCalibration().Channel(0);
    const QString unit = laserPowerCalibrated_ && channel ? QString::fromStdString(channel->units)
                                                         : QString::fromUtf8(text::kCountsUnit);
    laserPowerCaption_->setText(
        QString::fromUtf8(laserPowerCalibrated_ ? text::kLaserPowerCalibrated : text::kLaserPowerRaw));
    laserPowerCaption_->adjustSize();
    laserPowerUnit_->setText(unit);
    laserPowerUnit_->adjustSize();
}

void CRingsWnd::buildGauge()
{
    gauge_ = new CTransmissionGauge(column_);
    gauge_->Create(column_, kGaugeRect);
    auto label = [this](int x, int y, int anchor) {
        auto* l = new CTextWnd(column_);
        l->SetAlignment(anchor);
        l->Create(column_, x, y);
        return l;
    };
    CTextWnd* caption = label(kGaugeRect.left() - 6, kGaugeRect.center().y(), CPlacedWnd::RightCentre);
    caption->SetAngle(90);
    caption->SetText(text::kTransmissionCaption);
    const int right = kGaugeRect.right() + 5;
    label(right, kGaugeRect.bottom(), CPlacedWnd::LeftCentre)->SetText(text::kGaugeLow);
    // "100" stands at the 100 % mark, 0.8 of the way up.
    label(right, kGaugeRect.top() + gauge_->markRow(1.0), CPlacedWnd::LeftCentre)->SetText(text::kGaugeHigh);
}

void CRingsWnd::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    if (column_ == nullptr)
        return;
    const int dx = width() - kWidth;
    const int dy = height() - kHeight;
    plot_->resize(RingPlotPanel::kWidth + dx, RingPlotPanel::kHeight + dy);
    column_->move(kColumnX + dx, dy / 2);
    collectButton_->move(10, height() - kButtonsUp);
    cancelButton_->move(width() - 110, height() - kButtonsUp);
}

double CRingsWnd::frameValue(int index) const
{
    if (rawFrame_ && index >= 0 && index < kFrameValues)
        return (*rawFrame_)[static_cast<std::size_t>(index)];
    return host_.source().rawValue(index);
}

void CRingsWnd::newFrame()
{
    rawFrame_.reset();
    laserPower_ = frameValue(kLaserPowerIndex);
    laserPowerCalibrated_ = false;
    showLaserPowerKind();
    redraw();
}

bool CRingsWnd::showRawFrame(int frame)
{
    auto* file = dynamic_cast<CRawFile*>(&host_.source());
    std::array<double, kFrameValues> values{};
    if (!file || !file->frameValues(frame, values.data()))
        return false;
    showFrameValues(values, frame);
    return true;
}

void CRingsWnd::showFrameValues(const std::array<double, kFrameValues>& values, int frame)
{
    rawFrame_ = values;
    rawFrameNumber_ = frame;
    laserPower_ = values[kLaserPowerIndex];
    laserPowerCalibrated_ = false;
    showLaserPowerKind();
    redraw();
}

void CRingsWnd::redraw()
{
    CDataSource& source = host_.source();
    CRingBarGraphWnd::Rings rings{}, background{};
    for (int i = 0; i < kRings; ++i) {
        rings[static_cast<std::size_t>(i)] = frameValue(i);
        background[static_cast<std::size_t>(i)] = source.value(kValueBackground, i);
    }
    plot_->setSeries(rings, background);
    laserPowerEdit_->setText(numberText(laserPower_ > 0.0 ? laserPower_ : 0.0));
    factoryEdit_->setText(numberText(source.value(kValueFactoryBackground, kLaserPowerIndex)));
    framesEdit_->setText(QString::number(host_.collection().recordCount()));
    frameNumberEdit_->setText(QString::number(rawFrame_ ? rawFrameNumber_ : source.frameNumber()));
    gauge_->SetValue(CTransmissionGauge::valueOf(frameValue(kLaserPowerIndex), frameValue(kLaserReferenceIndex),
                                                 source.laserReferenceRatio()),
                     0);
    showCollectionState();
}

void CRingsWnd::showCollectionState()
{
    const LiveCollection::Purpose purpose = host_.collection().purpose();
    const bool collecting = purpose == LiveCollection::Purpose::Background;
    collectButton_->setText(collecting ? text::kFinishBackground : text::kBeginBackground);
    // A raw data file has no live frames, and the averaging window may be collecting.
    collectButton_->setEnabled(host_.source().sourceKind() == kKindInstrument &&
                               (collecting || purpose == LiveCollection::Purpose::None));
}

void CRingsWnd::beginOrFinish()
{
    if (host_.collection().purpose() == LiveCollection::Purpose::Background)
        finish();
    else
        begin();
}

void CRingsWnd::begin()
{
    try {
        host_.collection().begin(LiveCollection::Purpose::Background, dynamic_cast<CCommSource*>(&host_.source()),
                                 host_.settings(), host_.prompter());
        host_.collectionBegins(0);
    } catch (const UserAbort&) {
        // The factory file could not be read (told); nothing runs.
    }
    host_.collectionChanged();
}

void CRingsWnd::finish()
{
    std::unique_ptr<CScatterAccumulator> accumulator = host_.collection().end();
    host_.collectionEnds();
    host_.collectionChanged();
    if (accumulator) {
        auto* instrument = dynamic_cast<CCommSource*>(&host_.source());
        std::vector<std::string> inUse;
        if (instrument && !instrument->backgroundFileName().empty())
            inUse.push_back(instrument->backgroundFileName());
        finishLiveBackground(*accumulator, instrument, host_.settings(), host_.profile(), host_.prompter(),
                             verdictWindow(host_.prompter(), [this](QDialog& d) { return host_.runDialog(d); }, this),
                             inUse);
        if (!accumulator->writtenPath().empty())
            host_.tell(text::kBackgroundWritten + accumulator->writtenPath());
    }
    // The accumulator goes here, whatever the verdict.
    accumulator.reset();
    redraw();
}

}  // namespace kavro
