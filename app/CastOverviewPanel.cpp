#include "app/CastOverviewPanel.h"

#include "plots/CCastOverviewWnd.h"
#include "resources/AppTexts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>

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
    scan_ = false;
    picture_->setSummary(live_->summary());
    state_->show();
    followButton_->show();
    showState();
}

void CastOverviewPanel::startScan(CastSource source, long long total)
{
    // The recording can be read again: the picture keeps no copy of its frames.
    live_ = std::make_unique<LiveCast>(std::move(source), LiveCast::kDefaultMaxColumns, false);
    held_.reset();
    hasFile_ = false;
    scan_ = true;
    scanEnded_ = false;
    scanTotal_ = total;
    scanError_.clear();
    picture_->setSummary(live_->summary());
    state_->show();
    followButton_->hide();
    showState();
}

void CastOverviewPanel::appendScanned(const std::vector<OutputRecord>& records)
{
    if (!live_ || !scan_ || records.empty())
        return;
    // One picture for the whole batch: the frames in it cost an append each, the
    // picture is drawn once.
    for (const OutputRecord& record : records)
        live_->append(record, static_cast<int>(std::min<long long>(live_->size(), INT_MAX)));
    picture_->setSummary(live_->summary());
    picture_->setCurrentFrame(current_);
    showState();
}

void CastOverviewPanel::endScan(const std::string& reason)
{
    if (!scan_)
        return;
    scanEnded_ = true;
    scanError_ = reason;
    showState();
}

void CastOverviewPanel::showFile(CastSummary summary)
{
    live_.reset();
    held_.reset();
    hasFile_ = true;
    scan_ = false;
    picture_->setSummary(std::move(summary));
    state_->hide();
    followButton_->hide();
}

void CastOverviewPanel::append(const OutputRecord& record, int frameNumber, const RawWords* words)
{
    if (!live_ || scan_)
        return;
    live_->append(record, frameNumber, words);
    picture_->setSummary(live_->summary());
    picture_->setCurrentFrame(held_ ? *held_ : live_->size() - 1);
    showState();
}

void CastOverviewPanel::follow()
{
    if (!live_ || scan_ || !held_)
        return;
    held_.reset();
    picture_->setCurrentFrame(live_->size() - 1);
    showState();
    emit heldChanged(std::nullopt);
}

void CastOverviewPanel::hold(long long place)
{
    if (!live_ || scan_ || live_->empty())
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

bool CastOverviewPanel::holdShown()
{
    if (!live_ || scan_ || live_->empty())
        return false;
    if (held_)
        return true;
    held_ = live_->size() - 1;
    picture_->setCurrentFrame(*held_);
    showState();
    emit heldChanged(held_);
    return true;
}

void CastOverviewPanel::step(long long delta)
{
    if (!live_ || scan_ || live_->empty())
        return;
    hold((held_ ? *held_ : live_->size() - 1) + delta);
}

void CastOverviewPanel::setCurrentFrame(long long frame)
{
    if (live_ && !scan_)
        return;
    current_ = frame;
    picture_->setCurrentFrame(frame);
}

void CastOverviewPanel::clicked(long long place)
{
    if (live_ && scan_)
        emit frameClicked(live_->frameNumber(std::clamp(place, 0LL, std::max(0LL, live_->size() - 1))));
    else if (live_)
        hold(place);
    else
        emit frameClicked(place);
}

void CastOverviewPanel::showState()
{
    if (!live_)
        return;
    if (scan_) {
        if (!scanEnded_)
            state_->setText(QString::fromUtf8(text::kCastScanProgress).arg(live_->size()).arg(scanTotal_));
        else if (!scanError_.empty())
            state_->setText(QString::fromUtf8(text::kCastScanFailed)
                                .arg(live_->size())
                                .arg(scanTotal_)
                                .arg(QString::fromStdString(scanError_)));
        state_->setVisible(!scanEnded_ || !scanError_.empty());
        return;
    }
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
