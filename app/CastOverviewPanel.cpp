#include "app/CastOverviewPanel.h"

#include "plots/CCastOverviewWnd.h"
#include "resources/AppTexts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kavro {

CastOverviewPanel::CastOverviewPanel(QWidget* parent)
    : QWidget(parent), picture_(new CCastOverviewWnd(this)), state_(new QLabel(this)),
      followButton_(new QPushButton(QString::fromUtf8(text::kCastFollowButton), this))
{
    setMinimumSize(kMinimumWidth, kMinimumHeight);
    picture_->setMinimumSize(kMinimumWidth - 8, kMinimumHeight - 40);
    state_->setTextFormat(Qt::PlainText);
    state_->setMinimumWidth(1);  // a long line is cut, never widens the panel
    auto* top = new QHBoxLayout;
    top->setContentsMargins(4, 2, 4, 0);
    top->addWidget(state_, 1);
    top->addWidget(followButton_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addLayout(top);
    layout->addWidget(picture_, 1);
    state_->hide();
    followButton_->hide();
    connect(picture_, &CCastOverviewWnd::frameClicked, this, &CastOverviewPanel::clicked);
    connect(followButton_, &QPushButton::clicked, this, &CastOverviewPanel::follow);
}

CastOverviewPanel::~CastOverviewPanel() = default;

void CastOverviewPanel::startLive(CastSource source)
{
    live_ = std::make_unique<LiveCast>(std::move(source));
    held_.reset();
    hasFile_ = false;
    picture_->setSummary(live_->summary());
    state_->show();
    followButton_->show();
    showState();
}

void CastOverviewPanel::showFile(CastSummary summary)
{
    live_.reset();
    held_.reset();
    hasFile_ = true;
    picture_->setSummary(std::move(summary));
    state_->hide();
    followButton_->hide();
}

void CastOverviewPanel::append(const OutputRecord& record, int frameNumber)
{
    if (!live_)
        return;
    live_->append(record, frameNumber);
    picture_->setSummary(live_->summary());
    picture_->setCurrentFrame(held_ ? *held_ : live_->size() - 1);
    showState();
}

void CastOverviewPanel::follow()
{
    if (!live_ || !held_)
        return;
    held_.reset();
    picture_->setCurrentFrame(live_->size() - 1);
    showState();
    emit heldChanged(std::nullopt);
}

void CastOverviewPanel::hold(long long place)
{
    if (!live_ || live_->empty())
        return;
    place = std::clamp(place, 0LL, live_->size() - 1);
    if (place == live_->size() - 1) {
        follow();
        return;
    }
    held_ = place;
    picture_->setCurrentFrame(place);
    showState();
    emit heldChanged(place);
}

void CastOverviewPanel::setCurrentFrame(long long frame)
{
    if (!live_)
        picture_->setCurrentFrame(frame);
}

void CastOverviewPanel::clicked(long long place)
{
    if (live_)
        hold(place);
    else
        emit frameClicked(place);
}

void CastOverviewPanel::showState()
{
    if (!live_)
        return;
    followButton_->setEnabled(held_.has_value());
    if (live_->empty()) {
        state_->setText(QString::fromUtf8(text::kCastWaitingForFrames));
        return;
    }
    if (held_)
        state_->setText(QString::fromUtf8(text::kCastViewing).arg(live_->frameNumber(*held_)));
    else
        state_->setText(QString::fromUtf8(text::kCastFollowing).arg(live_->frameNumber(live_->size() - 1)));
}

}  // namespace kavro
