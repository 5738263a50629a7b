#include "app/InstrumentStatus.h"

#include "acquisition/CCommSource.h"
#include "app/ViewLabels.h"
#include "platform/FileUtil.h"
#include "plots/CTextWnd.h"
#include "resources/AppTexts.h"

#include <QFont>
#include <QFontMetrics>
#include <QLabel>
#include <algorithm>
#include <cstdio>

namespace kavro {

namespace {

// Positions in the instrument layout: under the footer (the frame's quality line stands
// under the frame label), and under the maker's name.
constexpr int kExchangeX = 266;
constexpr int kExchangeY = 367;
constexpr int kRecordingX = 5;
constexpr int kRecordingY = 386;
constexpr int kLineWidth = 522;  // the client area's width less the margins

const QColor kTroubleColour(160, 0, 0);
const QColor kWaitingColour(0, 0, 160);
const QColor kRecordingColour(0, 100, 0);

// The text, shortened in the middle to the line's width; the whole of it as the tip.
void setLine(CTextWnd* label, const std::string& text, const QColor& colour)
{
    const QString whole = QString::fromStdString(text);
    label->SetColour(colour);
    label->SetText(QFontMetrics(label->labelFont()).elidedText(whole, Qt::ElideMiddle, kLineWidth));
    label->setToolTip(whole);
}

}  // namespace

std::string recordingFileName(const CDataSource* source)
{
    const auto* live = dynamic_cast<const CCommSource*>(source);
    if (!live || !live->recording())
        return std::string();
    return fileNamePart(live->outputPaths().front());
}

InstrumentStatus::InstrumentStatus(QWidget* canvas, const CCommSource& source, int commWait)
    : source_(source),
      commWait_(commWait),
      exchange_(addViewLabel(canvas, kExchangeX, kExchangeY, anchor::TopCentre, " ")),
      recording_(addViewLabel(canvas, kRecordingX, kRecordingY, anchor::TopLeft, " "))
{
    showRecording();
}

InstrumentStatus::Run InstrumentStatus::runOf(bool timerRunning, bool timerRan, bool linkLost)
{
    if (linkLost)
        return Run::Lost;
    if (timerRunning)
        return Run::Going;
    return timerRan ? Run::Stopped : Run::Ready;
}

long InstrumentStatus::framesInFiles() const
{
    // A continued cast counts the frames its files held before this run as well.
    return source_.counts().written + static_cast<long>(source_.recordBase());
}

std::string InstrumentStatus::recordingText(const std::vector<std::string>& paths, const std::string& outputError,
                                            Run run, long frames)
{
    if (!outputError.empty())
        return text::kRecordingFailed + outputError;
    if (paths.empty())
        return run == Run::Going || run == Run::Ready ? text::kNotRecording : text::kStoppedNothingRecorded;
    if (run == Run::Ready)
        return text::kReadyToRecord + fileListText(paths) + text::kReadyToRecordEnd;
    if (run == Run::Going)
        return text::kRecordingTo + fileListText(paths);
    return (run == Run::Lost ? text::kStoppedLost : text::kStopped) + std::to_string(frames) +
           (frames == 1 ? text::kStoppedFrameIn : text::kStoppedFramesIn) + fileListText(paths);
}

InstrumentStatus::Indicator InstrumentStatus::indicatorOf(Run run, bool recording, bool failed)
{
    if (run == Run::Lost)
        return Indicator::Lost;
    if (failed)
        return Indicator::Failed;
    if (!recording)
        return Indicator::NotRecording;
    return run == Run::Going ? Indicator::Rec : run == Run::Ready ? Indicator::Ready : Indicator::Stopped;
}

std::string InstrumentStatus::indicatorText(Indicator state, long long seconds, long frames)
{
    const std::string count =
        text::kIndicatorSeparator + std::to_string(frames) + (frames == 1 ? text::kIndicatorFrame : text::kIndicatorFrames);
    switch (state) {
    case Indicator::Rec: {
        const long long s = std::max(0LL, seconds);
        char clock[32];
        std::snprintf(clock, sizeof clock, "%02lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
        return text::kIndicatorRec + std::string(text::kIndicatorSeparator) + clock + count;
    }
    case Indicator::Ready:
        return text::kIndicatorReady;
    case Indicator::Stopped:
        return text::kIndicatorStopped + count;
    case Indicator::Lost:
        return text::kIndicatorLost;
    case Indicator::NotRecording:
        return text::kIndicatorNotRecording;
    case Indicator::Failed:
        return text::kIndicatorFailed + count;
    }
    return std::string();
}

QLabel* InstrumentStatus::makeIndicator()
{
    auto* band = new QLabel;
    QFont font = band->font();
    font.setPixelSize(22);
    font.setBold(true);
    band->setFont(font);
    band->setTextFormat(Qt::PlainText);
    band->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    band->setAutoFillBackground(true);
    band->setContentsMargins(10, 3, 10, 3);
    band->setMinimumWidth(1);  // a long text is cut, never widens the window
    band->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    return band;
}

void InstrumentStatus::setIndicator(QLabel* indicator)
{
    indicator_ = indicator;
    showRecording();
}

long long InstrumentStatus::runSeconds() const
{
    return (ranMs_ + (running_ && runClock_.isValid() ? runClock_.elapsed() : 0)) / 1000;
}

void InstrumentStatus::setRunning(bool running)
{
    if (running && !running_)
        runClock_.start();
    else if (!running && running_ && runClock_.isValid())
        ranMs_ += runClock_.elapsed();
    running_ = running;
    ran_ = ran_ || running;
    showRecording();
}

void InstrumentStatus::showRecording()
{
    const bool failed = !source_.outputError().empty();
    const bool recording = source_.recording();
    const Run run = runOf(running_, ran_, source_.linkLost());
    const QColor colour = failed || run == Run::Lost || (!recording && run == Run::Going) ? kTroubleColour
                          : run == Run::Going                                            ? kRecordingColour
                                                                                         : kWaitingColour;
    setLine(recording_, recordingText(source_.outputPaths(), source_.outputError(), run, framesInFiles()),
            colour);
    showIndicator(run);
}

void InstrumentStatus::showIndicator(Run run)
{
    if (!indicator_)
        return;
    const Indicator state = indicatorOf(run, source_.recording(), !source_.outputError().empty());
    struct Look {
        QColor background;
        QColor text;
    };
    const Look look = state == Indicator::Rec            ? Look{QColor(200, 0, 0), Qt::white}
                      : state == Indicator::Ready        ? Look{QColor(0, 90, 160), Qt::white}
                      : state == Indicator::Stopped      ? Look{QColor(80, 80, 80), Qt::white}
                      : state == Indicator::Lost         ? Look{QColor(235, 140, 0), Qt::black}
                      : state == Indicator::NotRecording ? Look{QColor(120, 120, 120), Qt::white}
                                                         : Look{QColor(120, 0, 0), Qt::white};
    QPalette palette = indicator_->palette();
    palette.setColor(QPalette::Window, look.background);
    palette.setColor(QPalette::WindowText, look.text);
    indicator_->setPalette(palette);
    indicator_->setText(QString::fromStdString(indicatorText(state, runSeconds(), framesInFiles())));
}

std::string InstrumentStatus::exchangeText() const
{
    const CCommSource::Counts& counts = source_.counts();
    switch (source_.lastExchange()) {
    case CCommSource::Exchange::NoReply:
        return text::kNoFrameNoReply + std::to_string(commWait_) + text::kSecondsUnit;
    case CCommSource::Exchange::Rejected:
        return text::kNoFrameRejected;
    case CCommSource::Exchange::LinkLost:
        return text::kNoFrameLinkLost;
    case CCommSource::Exchange::Frame:
    case CCommSource::Exchange::None:
        break;
    }
    if (counts.rejected == 0 && counts.withoutFrame == 0)
        return " ";
    return std::to_string(counts.rejected) + text::kRejectedCount + std::to_string(counts.withoutFrame) +
           text::kWithoutFrameCount;
}

void InstrumentStatus::showExchange()
{
    const CCommSource::Exchange last = source_.lastExchange();
    const bool noFrame = last != CCommSource::Exchange::Frame && last != CCommSource::Exchange::None;
    setLine(exchange_, exchangeText(), noFrame ? kTroubleColour : Qt::black);
}

void InstrumentStatus::showWaiting(int secondsWaited)
{
    // The next request often starts as soon as one has timed out: the line keeps
    // saying that the one before brought nothing.
    const CCommSource::Exchange last = source_.lastExchange();
    const bool noFrameBefore = last == CCommSource::Exchange::NoReply || last == CCommSource::Exchange::Rejected;
    setLine(exchange_,
            text::kWaitingForInstrument + std::to_string(secondsWaited) + text::kSecondsUnit +
                (noFrameBefore ? text::kWaitingAfterNoFrame : ""),
            noFrameBefore ? kTroubleColour : kWaitingColour);
    exchange_->repaint();
}

}  // namespace kavro
