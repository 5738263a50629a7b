#include "sim/InstrumentSimulator.h"

#include "platform/FileUtil.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace kavro {

namespace {

constexpr std::size_t kRecordBytes = kRawRecordBytes;
constexpr std::size_t kMaxLineLength = 4096;  // a longer line without LF is noise

}  // namespace

bool loadRecording(const std::string& path, std::vector<RawWords>& frames, std::string* error)
{
    std::string bytes;
    if (!readWholeFile(path, bytes)) {
        *error = path + ": cannot read the recording";
        return false;
    }
    if (bytes.size() < kRecordBytes) {
        *error = path + ": holds no complete 80-byte record";
        return false;
    }
    frames.clear();
    frames.reserve(bytes.size() / kRecordBytes);
    for (std::size_t at = 0; at + kRecordBytes <= bytes.size(); at += kRecordBytes)
        frames.push_back(decodeRawRecord(reinterpret_cast<const unsigned char*>(bytes.data() + at)));
    return true;
}

std::vector<RawWords> syntheticRecording(int count)
{
    std::vector<RawWords> frames(static_cast<std::size_t>(std::max(count, 1)));
    for (std::size_t k = 0; k < frames.size(); ++k) {
        RawWords& w = frames[k];
        double phase = 0.3 * static_cast<double>(k);
        for (std::size_t i = 0; i < 32; ++i) {
            double ring = static_cast<double>(i);
            double v = 150.0 + 2800.0 * std::exp(-ring / 7.0) * (1.0 + 0.15 * std::sin(phase + 0.2 * ring));
            w[i] = static_cast<std::uint16_t>(std::lround(v));
        }
        w[32] = static_cast<std::uint16_t>(2400 + k % 17);  // laser power
        w[33] = 3100;                                        // battery
        w[34] = 0;                                           // external instrument
        w[35] = static_cast<std::uint16_t>(2000 + k % 5);   // laser reference
        w[36] = static_cast<std::uint16_t>(800 + k % 50);   // pressure
        w[37] = 1500;                                        // temperature
        w[38] = 0;
        w[39] = 0;
    }
    return frames;
}

std::string frameReply(const RawWords& words, char startChar, char endChar)
{
    std::string text(1, startChar);
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (i > 0)
            text += ' ';
        text += std::to_string(words[i]);
    }
    text += endChar;
    text += "\r\n";
    return text;
}

InstrumentSimulator::InstrumentSimulator(std::vector<RawWords> recording, SimulatorOptions options)
    : recording_(std::move(recording)), options_(std::move(options)), random_(options_.seed)
{
    if (recording_.empty())
        recording_ = syntheticRecording(100);
    options_.pieces = std::max(options_.pieces, 1);
}

InstrumentSimulator::~InstrumentSimulator()
{
    hangUp();
}

bool InstrumentSimulator::start(std::string* error)
{
    hangUp();
    std::unique_ptr<InstrumentPort> port = openPseudoTerminalPort(error);
    if (!port)
        return false;
    attach(std::move(port));
    return true;
}

void InstrumentSimulator::attach(std::unique_ptr<InstrumentPort> port)
{
    hangUp();
    port_ = std::move(port);
    devicePath_ = port_ ? port_->devicePath() : std::string();
}

bool InstrumentSimulator::step(int waitMs)
{
    if (!port_ || finished())
        return false;
    int timeout = std::max(waitMs, 0);
    if (!queue_.empty()) {
        auto untilDue = std::chrono::ceil<std::chrono::milliseconds>(queue_.front().due - Clock::now()).count();
        timeout = static_cast<int>(std::clamp<long long>(untilDue, 0, timeout));
    }
    readRequests(timeout);
    writeDue();
    return !finished();
}

void InstrumentSimulator::run(const std::atomic<bool>& stop)
{
    while (!stop.load() && step(50)) {
    }
}

void InstrumentSimulator::hangUp()
{
    if (port_)
        port_->hangUp();
    port_.reset();
    queue_.clear();
}

bool InstrumentSimulator::finished() const
{
    bool allReplied = options_.maxReplies > 0 && replies_.load() >= options_.maxReplies;
    return queue_.empty() && (allReplied || endOfRecording_);
}

InstrumentSimulator::Counters InstrumentSimulator::counters() const
{
    return Counters{requests_.load(), replies_.load(), dropped_.load(), commands_.load()};
}

void InstrumentSimulator::readRequests(int waitMs)
{
    char buf[256];
    // Waits for the first bytes only; the rest are those already there.
    for (int wait = waitMs;; wait = 0) {
        int n = port_->read(buf, static_cast<int>(sizeof buf), wait);
        if (n <= 0)
            return;
        for (int i = 0; i < n; ++i) {
            if (buf[i] == '\n') {
                if (!line_.empty() && line_.back() == '\r')
                    line_.pop_back();
                handleLine(line_);
                line_.clear();
            } else if (line_.size() < kMaxLineLength) {
                line_ += buf[i];
            } else {
                line_.clear();
            }
        }
    }
}

void InstrumentSimulator::handleLine(const std::string& line)
{
    if (line.empty()) {
        answerFrameRequest();
        return;
    }
    ++commands_;
    if (line == "\x03")
        schedule(options_.ctrlCReply + "\r\n", options_.replyDelayMs);
    else
        schedule(line + "\r\n" + options_.commandReply + "\r\n", options_.replyDelayMs);
}

void InstrumentSimulator::answerFrameRequest()
{
    long request = ++requests_;
    if (endOfRecording_ || (options_.maxReplies > 0 && replies_.load() >= options_.maxReplies))
        return;
    const RawWords& words = recording_[next_];
    if (++next_ == recording_.size()) {
        next_ = 0;
        endOfRecording_ = !options_.loop;
    }
    // A dropped reply still uses up its frame: the instrument measured it, the
    // answer was lost on the way.
    if (options_.dropEvery > 0 && request % options_.dropEvery == 0) {
        ++dropped_;
        return;
    }
    ++replies_;
    std::string reply = (options_.lineNoise ? noise() : std::string())
                        + frameReply(words, options_.startChar, options_.endChar);
    std::size_t pieces = std::min<std::size_t>(static_cast<std::size_t>(options_.pieces), reply.size());
    std::size_t at = 0;
    for (std::size_t k = 0; k < pieces; ++k) {
        std::size_t end = reply.size() * (k + 1) / pieces;
        schedule(reply.substr(at, end - at), k == 0 ? options_.replyDelayMs : options_.pieceGapMs);
        at = end;
    }
}

void InstrumentSimulator::schedule(std::string bytes, int delayMs)
{
    // Replies leave in the order they were asked for, each piece after the one before.
    Clock::time_point base = queue_.empty() ? Clock::now() : std::max(Clock::now(), lastDue_);
    lastDue_ = base + std::chrono::milliseconds(std::max(delayMs, 0));
    queue_.push_back(Chunk{lastDue_, std::move(bytes)});
}

void InstrumentSimulator::writeDue()
{
    while (!queue_.empty() && queue_.front().due <= Clock::now()) {
        std::string& bytes = queue_.front().bytes;
        int n = port_->write(bytes.data(), static_cast<int>(std::min<std::size_t>(bytes.size(), INT_MAX)));
        if (n <= 0)
            return;  // the line is full: the rest goes at the next step
        bytes.erase(0, static_cast<std::size_t>(n));
        if (bytes.empty())
            queue_.pop_front();
    }
}

std::string InstrumentSimulator::noise()
{
    // Any byte may turn up, the framing characters more often than by chance, but
    // never a start character followed by an end character: that would be a
    // frame, not noise.
    std::uniform_int_distribution<int> length(1, 16);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> kind(0, 15);
    std::string text;
    bool started = false;
    for (int i = length(random_); i > 0; --i) {
        int k = kind(random_);
        char c = k == 0 ? options_.startChar : k == 1 ? options_.endChar : static_cast<char>(byte(random_));
        if (started && c == options_.endChar)
            c = '#';
        started = started || c == options_.startChar;
        text += c;
    }
    return text;
}

}  // namespace kavro
