#include "app/InstrumentStatus.h"

#include "acquisition/CCommSource.h"
#include "app/ViewLabels.h"
#include "platform/FileUtil.h"
#include "plots/CTextWnd.h"
#include "resources/AppTexts.h"

#include <QFontMetrics>

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

std::string InstrumentStatus::recordingText(const std::vector<std::string>& paths, const std::string& outputError,
                                            Run run, long frames)
{
    if (!outputError.empty())
        return text::kRecordingFailed + outputError;
    if (paths.empty())
        return run == Run::Going ? text::kNotRecording : text::kStoppedNothingRecorded;
    if (run == Run::Going)
        return text::kRecordingTo + fileListText(paths);
    return (run == Run::Lost ? text::kStoppedLost : text::kStopped) + std::to_string(frames) +
           (frames == 1 ? text::kStoppedFrameIn : text::kStoppedFramesIn) + fileListText(paths);
}

void InstrumentStatus::setRunning(bool running)
{
    stopped_ = !running;
    showRecording();
}

void InstrumentStatus::showRecording()
{
    const bool failed = !source_.outputError().empty();
    const bool recording = source_.recording();
    const Run run = source_.linkLost() ? Run::Lost : stopped_ ? Run::Stopped : Run::Going;
    const QColor colour = failed || run == Run::Lost || (!recording && run == Run::Going) ? kTroubleColour
                          : run == Run::Stopped                                          ? kWaitingColour
                                                                                         : kRecordingColour;
    setLine(recording_, recordingText(source_.outputPaths(), source_.outputError(), run, source_.counts().written),
            colour);
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
