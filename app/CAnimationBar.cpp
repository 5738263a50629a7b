#include "app/CAnimationBar.h"

#include "app/CommandTable.h"
#include "app/ShellLook.h"
#include "platform/NumText.h"
#include "resources/AppTexts.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <algorithm>

namespace kavro {

namespace {

constexpr int kScrollRangeLow = 100;
constexpr int kScrollRangeHigh = 5000;
constexpr int kLineStep = 10;
constexpr int kPageStep = 200;
constexpr int kShortestInterval = 100;

QLabel* label(const char* text, QWidget* parent, Qt::Alignment alignment = Qt::AlignCenter)
{
    auto* l = new QLabel(QString::fromUtf8(text), parent);
    l->setAlignment(alignment);
    return l;
}

}  // namespace

CAnimationBar::CAnimationBar(int dialogId, QWidget* parent)
    : QWidget(parent), dialogId_(dialogId), scrollBar_(new QScrollBar(Qt::Horizontal, this)),
      intervalValue_(new QLabel(this))
{
    paintLightGrey(this);

    scrollBar_->setRange(kScrollRangeLow, kScrollRangeHigh);
    scrollBar_->setSingleStep(kLineStep);
    scrollBar_->setPageStep(kPageStep);
    scrollBar_->setValue(position_);
    scrollBar_->setMinimumWidth(130);
    connect(scrollBar_, &QAbstractSlider::actionTriggered, this, &CAnimationBar::onScrollAction);

    // The scroll bar with its scale under it: "0.0" at the left end, "5.0" at the right.
    auto* interval = new QGridLayout;
    interval->setHorizontalSpacing(0);
    interval->setVerticalSpacing(0);
    interval->addWidget(scrollBar_, 0, 0, 1, 3);
    interval->addWidget(label(text::kIntervalLow, this, Qt::AlignLeft | Qt::AlignTop), 1, 0);
    interval->addWidget(label(text::kIntervalTitle, this, Qt::AlignHCenter | Qt::AlignTop), 1, 1);
    interval->addWidget(label(text::kIntervalHigh, this, Qt::AlignRight | Qt::AlignTop), 1, 2);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(6, 5, 6, 4);
    row->setSpacing(4);
    row->addLayout(interval);
    // The interval chosen, in seconds, where the eye looks from the thumb.
    QFont bold = intervalValue_->font();
    bold.setBold(true);
    intervalValue_->setFont(bold);
    intervalValue_->setMinimumWidth(intervalValue_->fontMetrics().horizontalAdvance(intervalText(5000)) + 4);
    intervalValue_->setText(intervalText(position_));
    row->addWidget(intervalValue_);
    row->addSpacing(6);
    addButton(kTimerButton, text::kTimerOff, cmd::ShowFrameSequence);
    addButton(kDisplayButton, text::kDisplayButton, cmd::SizeDistributionDisplay);
    if (dialogId_ == kInstrumentBar) {
        addButton(kNextButton, text::kNextButton, cmd::GoToNext);
        addButton(kAccumulateButton, text::kAccumulateButton, cmd::AccumulateAverage);
        addButton(kOverviewButton, text::kCastOverviewButton, cmd::CastOverview);
    } else {
        addButton(kFirstButton, text::kFirstButton, cmd::GoToFirst);
        addButton(kPrevButton, text::kPrevButton, cmd::GoToPrev);
        addButton(kNextButton, text::kNextButton, cmd::GoToNext);
        addButton(kLastButton, text::kLastButton, cmd::GoToLast);
        addButton(kOverviewButton, text::kCastOverviewButton, cmd::CastOverview);
    }
    row->addStretch(1);
    setFixedHeight(sizeHint().height());
}

QPushButton* CAnimationBar::addButton(int id, const char* text, int commandId)
{
    QPushButton* b = makeBarButton(this, text);
    connect(b, &QPushButton::clicked, this, [this, commandId] { emit command(commandId); });
    static_cast<QHBoxLayout*>(layout())->addWidget(b);
    buttons_[id] = b;
    return b;
}

QPushButton* CAnimationBar::button(int id) const
{
    auto it = buttons_.find(id);
    return it == buttons_.end() ? nullptr : it->second;
}

void CAnimationBar::setPosition(int position)
{
    position_ = position;
    {
        // Moving the thumb from here is no scroll of the user's: the view is not told.
        const QSignalBlocker quiet(scrollBar_);
        scrollBar_->setSliderPosition(position);
    }
    intervalValue_->setText(intervalText(std::max(kShortestInterval, position)));
}

QString CAnimationBar::intervalText(int milliseconds)
{
    return QString::fromStdString(formatFixed(milliseconds / 1000.0, 1) + text::kIntervalValueUnit);
}

void CAnimationBar::setTimerText(const QString& text)
{
    buttons_.at(kTimerButton)->setText(text);
}

QString CAnimationBar::timerText() const
{
    return buttons_.at(kTimerButton)->text();
}

int CAnimationBar::scrolledPosition(Scroll code, int position, int thumb, int minimum, int maximum)
{
    int p = position;
    switch (code) {
    case Scroll::LineLeft:
        p -= kLineStep;
        break;
    case Scroll::LineRight:
        p += kLineStep;
        break;
    case Scroll::PageLeft:
        p -= kPageStep;
        break;
    case Scroll::PageRight:
        p += kPageStep;
        break;
    case Scroll::ThumbPosition:
    case Scroll::ThumbTrack:
        p = thumb;
        break;
    case Scroll::Left:
        p = minimum;
        break;
    case Scroll::Right:
        p = maximum;
        break;
    case Scroll::Other:
        break;
    }
    return std::clamp(p, minimum, std::max(minimum, maximum));
}

void CAnimationBar::scroll(Scroll code, int thumb)
{
    setPosition(scrolledPosition(code, position_, thumb, minimum_, maximum_));
    emit intervalChosen(std::max(kShortestInterval, position_));
}

void CAnimationBar::onScrollAction(int action)
{
    Scroll code = Scroll::Other;
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
        code = Scroll::LineLeft;
        break;
    case QAbstractSlider::SliderSingleStepAdd:
        code = Scroll::LineRight;
        break;
    case QAbstractSlider::SliderPageStepSub:
        code = Scroll::PageLeft;
        break;
    case QAbstractSlider::SliderPageStepAdd:
        code = Scroll::PageRight;
        break;
    case QAbstractSlider::SliderToMinimum:
        code = Scroll::Left;
        break;
    case QAbstractSlider::SliderToMaximum:
        code = Scroll::Right;
        break;
    case QAbstractSlider::SliderMove:
        code = Scroll::ThumbTrack;
        break;
    default:
        break;
    }
    // The slider has already moved by its own steps; the bar's rules replace that.
    scroll(code, scrollBar_->sliderPosition());
}

void CAnimationBar::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    drawBarTopBorder(*this);
}

}  // namespace kavro
