#include "acquisition/CCommSource.h"

#include "core/Settings.h"
#include "platform/FileUtil.h"
#include "platform/SystemSerialLink.h"
#include "platform/Prompter.h"
#include "platform/System.h"
#include "resources/AcquisitionTexts.h"
#include "resources/CoreTexts.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

namespace kavro {

namespace {

constexpr int kPollSleepMs = 50;
constexpr int kReplyRounds = 3;
constexpr int kReplyRoundMs = 200;
constexpr int kReplyChunk = 4;
constexpr char kCtrlC = '\x03';
// Frames taken at one time at most: bounds a call on a line that never pauses
// (what is left waits, in order, for the next call).
constexpr int kMaxFramesAtOnce = 1000;
// Seconds between forcing the live outputs onto the disk.
constexpr double kLiveSyncSeconds = 2.0;
// Hours of frames at one a second the outputs' disk must hold before the open warns.
constexpr double kLowSpaceHours = 12.0;
// Seconds without a reply before the silence is told.
constexpr long long kSilenceSeconds = 10;

// "14:02:11": the time of day in UTC, as the time stamps have it.
std::string clockText(UtcTime time)
{
    const std::string stamp = utcMillisText(time);  // 2026-12-09T14:02:11.123Z
    return stamp.size() >= 19 ? stamp.substr(11, 8) : stamp;
}

std::string reasonOf(const SerialLink& link)
{
    std::string reason = link.lastError();
    return reason.empty() ? std::string(text::kSerialNoReason) : reason;
}

}  // namespace

CCommSource::CCommSource(SourceContext context, SourceOwner* owner, std::unique_ptr<SerialLink> link,
                         std::string portName)
    : CRawSource(context, owner),
      link_(std::move(link)),
      portName_(portName.empty() ? Settings::portName(0) : std::move(portName)),
      portIndex_(portIndexOf(portName_)),
      receiver_(context.settings.startChar, context.settings.endChar),
      timing_{steadySeconds, kavro::sleepMilliseconds}
{
    receiver_.setClock([this] { return utcNow(); });
    sourceName_ = text::kInstrumentSourceName;
    sourceKind_ = kKindInstrument;
    writesTimeStamps_ = true;
    // Frames from the instrument cannot be measured again: what was written more than
    // a few seconds ago is on the disk, whatever happens to the computer.
    outputSyncSeconds_ = kLiveSyncSeconds;
    switches_ = context.settings.outputs.instrumentSet();
    reply_.reserve(kReplyMax);
}

CCommSource::~CCommSource()
{
    close();
}

void CCommSource::open(const OpenRequest& given, OpenQuestions* questions)
{
    OpenRequest request = given;
    if (request.port.empty())
        request.port = portName_;
    portName_ = request.port;
    portIndex_ = portIndexOf(portName_);
    linkLost_ = false;
    linkError_.clear();
    linkNote_.clear();
    counts_ = Counts{};
    taken_ = 0;
    currentFrame_ = 0;
    silentSince_ = -1;
    silenceTold_ = false;
    lastExchange_ = Exchange::None;
    // The original program gave up here without a word; the person at the
    // instrument needs to know which device failed and why.
    auto portFailed = [this] {
        linkError_ = text::kInstrumentPortFailed + portName_ + " - " + reasonOf(*link_);
        closePort();
        context_.prompter.message(linkError_, MessageIcon::Exclamation);
        throw UserAbort{};
    };
    if (link_->open(portIndex_) != 0)
        portFailed();
    portOpen_ = 1;
    if (!setUpLine())
        portFailed();
    try {
        runOpenSequence(request, questions, false, std::string());
        currentFrame_ = static_cast<int>(std::min<long long>(continuedFrames_, kMaxFrameNumber));
        warnIfLittleSpace();
    } catch (const UserAbort&) {
        // Let the device go at once, so that the next attempt can have it.
        closePort();
        throw;
    }
}

bool CCommSource::setUpLine()
{
    if (link_->setLineParameters() != 0)
        return false;
    // An instrument that streamed before, or the reply to a request made before we
    // opened, would make every frame logged the answer to an earlier request.
    link_->discardPending();
    receiver_.clear();
    if (!initString_.empty()) {
        std::string init = initString_ + (appendCrLf_ ? "\r\n" : "");
        link_->write(init.data(), static_cast<int>(init.size()));
    }
    return true;
}

bool CCommSource::reconnect(bool now)
{
    if (!linkLost_)
        return true;
    const long long at = timing_.seconds();
    if (!now && lastAttempt_ >= 0 && at - lastAttempt_ < 1)
        return false;
    lastAttempt_ = at;
    // Whole frames that came before the line went are taken; a half one is lost.
    takeCompleteFrames();
    // (Only a frame begun counts: line ends and noise between frames are no frame.)
    partialAtLoss_ = receiver_.pending().find(static_cast<char>(context_.settings.startChar)) != std::string_view::npos;
    closePort();
    if (link_->open(portIndex_) != 0)
        return false;
    portOpen_ = 1;
    if (!setUpLine()) {
        closePort();
        return false;
    }
    linkLost_ = false;
    silentSince_ = -1;
    silenceTold_ = false;
    char note[256];
    std::snprintf(note, sizeof note, text::kInstrumentBack, clockText(utcNow()).c_str(),
                  at - lostSince_, partialAtLoss_ ? 1 : 0);
    tellLink(note);
    return true;
}

void CCommSource::tellLink(const std::string& note)
{
    linkNote_ = note;
    if (linkListener_)
        linkListener_(note);
}

void CCommSource::noteReplies(bool replied)
{
    if (!linkListener_)
        return;
    const long long now = timing_.seconds();
    if (replied || silentSince_ < 0) {
        if (replied && silenceTold_) {
            silenceTold_ = false;
            tellLink(text::kRepliesAgain);
        }
        silentSince_ = now;
        return;
    }
    if (!silenceTold_ && now - silentSince_ >= kSilenceSeconds) {
        silenceTold_ = true;
        char note[128];
        std::snprintf(note, sizeof note, text::kNoReplyFor, now - silentSince_);
        tellLink(note);
    }
}

std::string CCommSource::lowSpaceWarning(unsigned long long freeBytes, double bytesPerFrame,
                                         const std::string& folder)
{
    const double hours = static_cast<double>(freeBytes) / bytesPerFrame / 3600.0;
    if (!(bytesPerFrame > 0.0) || hours >= kLowSpaceHours)
        return std::string();
    char text[1024];
    std::snprintf(text, sizeof text, text::kLowDiskSpace, static_cast<double>(freeBytes) / 1e6, folder.c_str(),
                  std::floor(hours * 10.0) / 10.0);
    return text;
}

namespace {

// A frame's record, its .asc and .log lines and its time stamp, generously.
double bytesPerFrame(const std::vector<std::string>& paths)
{
    double bytes = 64.0;
    for (const std::string& path : paths)
        bytes += hasExtension(path, ".psd") ? 512.0 : hasExtension(path, ".asc") ? 1024.0 : 320.0;
    return bytes;
}

}  // namespace

std::string CCommSource::folderOf(const std::vector<std::string>& paths)
{
    const std::string folder = paths.empty() ? std::string() : directoryPart(paths.front());
    return folder.empty() ? "." : folder;
}

std::optional<double> CCommSource::hoursOfRoom(const std::vector<std::string>& paths, double interval)
{
    if (paths.empty())
        return std::nullopt;
    const auto free = freeBytesAt(folderOf(paths));
    if (!free)
        return std::nullopt;
    const double framesPerHour = 3600.0 / std::max(interval, 0.05);
    return static_cast<double>(*free) / bytesPerFrame(paths) / framesPerHour;
}

void CCommSource::warnIfLittleSpace()
{
    spaceWarning_.clear();
    const std::vector<std::string> paths = outputPaths();
    if (paths.empty())
        return;
    const std::string folder = folderOf(paths);
    if (const auto free = freeBytesAt(folder)) {
        spaceWarning_ = lowSpaceWarning(*free, bytesPerFrame(paths), folder);
        if (!spaceWarning_.empty())
            context_.prompter.message(spaceWarning_, MessageIcon::Exclamation);
    }
}

int CCommSource::readNextFrame()
{
    const long long takenBefore = taken_;
    const long rejectedBefore = counts_.rejected;
    // A cast that waits for its line: each request looks whether it is back.
    if (linkLost_ && linkListener_ && !reconnect()) {
        lastExchange_ = Exchange::LinkLost;
        return 0;
    }
    if (link_->failed()) {
        // Nothing more comes and nothing more is asked for; frames already
        // received are still taken.
        takeCompleteFrames();
        if (taken_ > takenBefore) {
            lastExchange_ = Exchange::Frame;
            return 1;
        }
        tellLinkLost();
        lastExchange_ = Exchange::LinkLost;
        return 0;
    }
    // Replies that came after their request had stopped waiting are taken first,
    // each with the time it arrived; this request still waits for its own reply.
    pollLine();
    takeCompleteFrames();
    const long long requestRead = receiver_.readsSoFar();
    if (portOpen_)
        sendLine(pollCommand_);
    const Reply reply = receiveReply(requestRead);
    if (reply != Reply::None)
        takeCompleteFrames();
    if (reply != Reply::Accepted)
        ++counts_.withoutFrame;
    if (!linkLost_)
        noteReplies(taken_ > takenBefore);
    if (taken_ > takenBefore) {
        lastExchange_ = Exchange::Frame;
        return 1;
    }
    lastExchange_ = counts_.rejected > rejectedBefore ? Exchange::Rejected
                    : linkLost_                        ? Exchange::LinkLost
                                                       : Exchange::NoReply;
    return 0;
}

void CCommSource::pollLine()
{
    if (portOpen_ && !link_->failed())
        receiver_.readLine(*link_);
}

int CCommSource::writeReceivedFrames()
{
    if (!portOpen_ || !calibrationOK_)
        return 0;
    const long long takenBefore = taken_;
    const int cut = takeCompleteFrames();
    const long taken = static_cast<long>(taken_ - takenBefore);
    if (cut > 0)
        lastExchange_ = taken > 0 ? Exchange::Frame : Exchange::Rejected;
    return static_cast<int>(taken);
}

CCommSource::Reply CCommSource::receiveReply(long long requestRead)
{
    const long long start = timing_.seconds();
    int waitedMs = 0;
    for (;;) {
        const FrameReceiver::Result result = receiver_.receive(*link_);
        switch (result) {
        case FrameReceiver::Result::Frame:
        case FrameReceiver::Result::TooLong: {
            const bool accepted = takeFrame(result);
            // A frame that began before the request is a late reply to an earlier
            // one: it is written, and the wait goes on for this request's own.
            if (receiver_.frameStartRead() > requestRead)
                return accepted ? Reply::Accepted : Reply::Rejected;
            continue;
        }
        case FrameReceiver::Result::LinkFailed:
            tellLinkLost();
            return Reply::None;
        case FrameReceiver::Result::NoFrame:
            break;
        }
        const long long waited = timing_.seconds() - start;
        if (waited > context_.settings.commWait)
            return Reply::None;
        // A driver that asks at an interval stops waiting when the next request is
        // due: a reply that comes later is taken by that request, and a silent
        // instrument is asked again at the interval.
        if (replyWaitMs_ > 0 && waitedMs >= replyWaitMs_)
            return Reply::None;
        if (waitListener_)
            waitListener_(static_cast<int>(waited));
        // On a line that can be waited on the wait ends when a byte comes, so that the
        // frame is stamped when it arrived; any other line is paced by the clock.
        if (link_->canWaitReadable()) {
            const auto before = std::chrono::steady_clock::now();
            link_->waitReadable(kPollSleepMs);
            waitedMs += static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                             std::chrono::steady_clock::now() - before)
                                             .count());
            // A driver's sleep also looks for a stop; it is given no time to wait.
            timing_.sleepMilliseconds(0);
        } else {
            timing_.sleepMilliseconds(kPollSleepMs);
            waitedMs += kPollSleepMs;
        }
    }
}

int CCommSource::takeCompleteFrames()
{
    int cut = 0;
    for (; cut < kMaxFramesAtOnce; ++cut) {
        const FrameReceiver::Result result = receiver_.receive(*link_);
        if (result != FrameReceiver::Result::Frame && result != FrameReceiver::Result::TooLong)
            break;
        takeFrame(result);
    }
    return cut;
}

bool CCommSource::takeFrame(FrameReceiver::Result result)
{
    // A rejected text leaves the raw values, the words and the frame number as they were.
    FrameReceiver::Check check;
    if (result == FrameReceiver::Result::Frame)
        check = receiver_.parseFrameText(std::span<double, kFrameValues>(raw_));
    else
        check.fault = FrameReceiver::Fault::TooLong;
    if (!closing_)
        showText(receiver_.frameText(), !check.accepted());
    if (!check.accepted()) {
        ++counts_.rejected;
        return false;
    }
    if (check.suspect())
        ++counts_.suspect;
    processFrame();
    return true;
}

void CCommSource::processFrame()
{
    // A live source is never multi-scan: the laser test takes raw value 32 as it is.
    correctFrame(raw_[kLaserPowerIndex]);
    for (std::size_t i = 0; i < words_.size(); ++i)
        words_[i] = wordOf(raw_[i]);
    // The frame's number is its record in the .psd, counting the data records from 0
    // as the replay, Go To Frame and the exports do.
    currentFrame_ = static_cast<int>(std::min<long long>(continuedFrames_ + taken_, kMaxFrameNumber));
    ++taken_;
    if (listener_ && !closing_)
        listener_(words_);
    invertFrame();
    FrameOutputs out;
    formatFrameOutputs(record_, words_.data(), out);
    // The time its end character arrived, not the time it was taken.
    const UtcTime arrived = receiver_.frameArrived();
    // The time file names the frame by the .psd record it becomes (from 0).
    if (results_.writeTogether(out, fileRecords_, arrived)) {
        ++counts_.written;
        ++fileRecords_;
    }
    // Every frame taken goes to the window's cast so far, recorded or not.
    if (recordListener_ && !closing_)
        recordListener_(outputRecord(), currentFrame_);
}

int CCommSource::portIndexOf(const std::string& portName)
{
    int index = Settings::portIndexOf(portName);
    return index < 0 ? 1 : index;
}

std::uint16_t CCommSource::wordOf(double value)
{
    // The instrument sends unsigned 16-bit values; a damaged number beyond them
    // (99999, 1e300) is held at the limit rather than converted out of range.
    if (!(value > 0.0))
        return 0;
    if (value >= 65535.0)
        return 65535;
    return static_cast<std::uint16_t>(value);
}

int CCommSource::nextFrame()
{
    return readNextFrame();
}

void CCommSource::close()
{
    // The window or the logger may be going away: nothing is shown or handed on.
    closing_ = true;
    writeReceivedFrames();
    closing_ = false;
    closePort();
    closeOutputs();
    baseClose();
}

void CCommSource::closePort()
{
    if (!portOpen_)
        return;
    if (link_->closeBegin() == 0)
        link_->closeEnd();
    portOpen_ = 0;
}

void CCommSource::sendLine(const std::string& text)
{
    std::string line = text + (appendCrLf_ ? "\r\n" : "");
    if (line.empty())
        return;
    link_->beforeCommand();
    link_->write(line.data(), static_cast<int>(line.size()));
}

void CCommSource::sendCommandAndShowReply()
{
    reply_.clear();
    if (portOpen_ && !link_->failed()) {
        sendLine(command_);
        char chunk[kReplyChunk];
        for (int round = 0; round < kReplyRounds; ++round) {
            timing_.sleepMilliseconds(kReplyRoundMs);
            while (static_cast<int>(reply_.size()) < kReplyMax) {
                int room = kReplyMax - static_cast<int>(reply_.size());
                int n = link_->readPending(chunk, std::min(kReplyChunk, room));
                if (n <= 0)
                    break;
                reply_.append(chunk, static_cast<std::size_t>(std::min(n, room)));
            }
        }
        if (link_->failed())
            tellLinkLost();
    }
    showText(reply_);
}

void CCommSource::sendCtrlC()
{
    std::string kept = command_;
    command_.assign(1, kCtrlC);
    sendCommandAndShowReply();
    command_ = std::move(kept);
}

void CCommSource::tellLinkLost()
{
    if (linkLost_)
        return;
    linkLost_ = true;
    lostSince_ = timing_.seconds();
    lastAttempt_ = lostSince_;
    if (linkListener_) {
        // The cast stays open: the driver reopens the same device while it waits.
        linkError_ = text::kInstrumentLostAt + clockText(utcNow()) + " (" + reasonOf(*link_) + text::kInstrumentLostWaiting;
        closePort();
        tellLink(linkError_);
        return;
    }
    // Say what became of the frames: never that they are written when nothing records them.
    std::string frames;
    if (!outputError().empty())
        frames = text::kInstrumentLostFailed + outputError();
    else if (recording())
        frames = text::kInstrumentLostWritten + std::to_string(counts_.written) + text::kInstrumentLostWrittenTo +
                 fileListText(outputPaths());
    else
        frames = text::kInstrumentLostNothing;
    linkError_ = text::kInstrumentLost + portName_ + " - " + reasonOf(*link_) + frames + text::kInstrumentLostEnd;
    context_.prompter.message(linkError_, MessageIcon::Exclamation);
}

void CCommSource::showText(std::string_view text, bool rejected)
{
    if (owner_ && rejected)
        owner_->showRejectedText(std::string(text));
    else if (owner_)
        owner_->showBufferText(std::string(text));
}

std::unique_ptr<SerialLink> makeInstrumentLink(const Settings& settings)
{
    return makeSystemSerialLink(settings.instrumentDevices(), settings.baudRate);
}

std::unique_ptr<SerialLink> makeInstrumentLink(const Settings& settings, const OpenRequest& request)
{
    std::array<std::string, 4> devices = settings.instrumentDevices();
    const int port = Settings::portIndexOf(request.port.empty() ? settings.instrumentPort : request.port);
    if (!request.device.empty() && port >= 0)
        devices[static_cast<std::size_t>(port)] = request.device;
    return makeSystemSerialLink(devices, settings.baudRate);
}

}  // namespace kavro
