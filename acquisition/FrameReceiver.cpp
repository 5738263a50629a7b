#include "acquisition/FrameReceiver.h"

#include <algorithm>
#include <cstring>

namespace kavro {

namespace {

constexpr int kMaxCharacters = FrameReceiver::kBufferSize - 1;
constexpr int kMaxFrameLength = FrameReceiver::kFrameTextSize - 1;
// Buffers read in one call at most: bounds the call on a line that never pauses.
constexpr int kMaxRefills = 4;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

}  // namespace

FrameReceiver::FrameReceiver(char startChar, char endChar)
    : startChar_(startChar), endChar_(endChar), clock_([] { return Clock::now(); })
{
}

void FrameReceiver::clear()
{
    length_ = 0;
    buffer_[0] = '\0';
    arrivalCount_ = 0;
}

FrameReceiver::Result FrameReceiver::receive(SerialLink& link)
{
    for (int refill = 0; refill < kMaxRefills; ++refill) {
        fill(link);
        switch (cutFrame()) {
        case Cut::Frame:
            return Result::Frame;
        case Cut::TooLong:
            return Result::TooLong;
        case Cut::None:
            break;
        }
        if (length_ < kMaxCharacters)
            break;  // everything pending has been read
        dropStale();
    }
    return link.failed() ? Result::LinkFailed : Result::NoFrame;
}

int FrameReceiver::readLine(SerialLink& link)
{
    return fill(link);
}

int FrameReceiver::fill(SerialLink& link)
{
    const int before = length_;
    while (length_ < kMaxCharacters) {
        int room = kMaxCharacters - length_;
        int n = link.readPending(buffer_.data() + length_, room);
        if (n <= 0)
            break;
        length_ += std::min(n, room);
    }
    buffer_[static_cast<std::size_t>(length_)] = '\0';
    if (length_ > before)
        noteArrival(length_);
    return length_ - before;
}

void FrameReceiver::noteArrival(int end)
{
    if (arrivalCount_ == kMaxArrivals) {
        // A line that brings characters at every read without a frame: the oldest
        // two reads become one, noted at the later one's time.
        std::move(arrivals_.begin() + 1, arrivals_.end(), arrivals_.begin());
        --arrivalCount_;
    }
    arrivals_[static_cast<std::size_t>(arrivalCount_++)] = Arrival{end, clock_(), ++reads_};
}

const FrameReceiver::Arrival* FrameReceiver::arrivalAt(int position) const
{
    for (int i = 0; i < arrivalCount_; ++i)
        if (arrivals_[static_cast<std::size_t>(i)].end > position)
            return &arrivals_[static_cast<std::size_t>(i)];
    return nullptr;
}

void FrameReceiver::keepFrameText(int start, int length)
{
    const int kept = std::min(length, kMaxFrameLength);
    std::memcpy(frameText_.data(), buffer_.data() + start, static_cast<std::size_t>(kept));
    frameText_[static_cast<std::size_t>(kept)] = '\0';
    frameLength_ = kept;
    const Arrival* first = arrivalAt(start);
    const Arrival* last = arrivalAt(start + length - 1);
    frameStartRead_ = first ? first->read : reads_;
    frameArrived_ = last ? last->time : clock_();
}

FrameReceiver::Cut FrameReceiver::cutFrame()
{
    for (;;) {
        int start = find(startChar_, 0, length_);
        // End characters before the first start character close no frame: the
        // characters up to the last of them are noise.
        int strayEnd = findLast(endChar_, 0, start < 0 ? length_ : start);
        if (strayEnd >= 0) {
            discardFront(strayEnd + 1);
            continue;
        }
        if (start < 0)
            return Cut::None;
        int end = find(endChar_, start + 1, length_);
        if (end < 0)
            return Cut::None;
        start = findLast(startChar_, start, end);
        const int frameLength = end - start + 1;
        keepFrameText(start, frameLength);
        discardFront(end + 1);
        // Longer than the frame text area: a damaged frame, dropped whole (its
        // beginning is kept to be shown).
        return frameLength > kMaxFrameLength ? Cut::TooLong : Cut::Frame;
    }
}

void FrameReceiver::dropStale()
{
    // The buffer is full and holds no end character at all.  Only the text from
    // the last start character can still become a frame, and only when it is short
    // enough; everything else would block every later frame.
    int start = findLast(startChar_, 0, length_);
    if (start >= 0 && length_ - start < kMaxFrameLength)
        discardFront(start);
    else
        clear();
}

void FrameReceiver::discardFront(int count)
{
    count = std::clamp(count, 0, length_);
    std::memmove(buffer_.data(), buffer_.data() + count, static_cast<std::size_t>(length_ - count));
    length_ -= count;
    buffer_[static_cast<std::size_t>(length_)] = '\0';
    int kept = 0;
    for (int i = 0; i < arrivalCount_; ++i) {
        Arrival a = arrivals_[static_cast<std::size_t>(i)];
        a.end -= count;
        if (a.end > 0)
            arrivals_[static_cast<std::size_t>(kept++)] = a;
    }
    arrivalCount_ = kept;
}

int FrameReceiver::find(char c, int from, int to) const
{
    for (int i = from; i < to; ++i)
        if (buffer_[static_cast<std::size_t>(i)] == c)
            return i;
    return -1;
}

int FrameReceiver::findLast(char c, int from, int to) const
{
    for (int i = to - 1; i >= from; --i)
        if (buffer_[static_cast<std::size_t>(i)] == c)
            return i;
    return -1;
}

FrameReceiver::Check FrameReceiver::parseFrame(std::string_view text, std::span<double, kValueCount> values)
{
    Check check;
    std::array<double, kValueCount> found{};
    bool tooLarge = false;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const char c = text[pos];
        if (!isDigit(c)) {
            if (c == '.' && check.fault == Fault::None)
                check.fault = Fault::DecimalPoint;
            else if (c == '-' && check.fault == Fault::None)
                check.fault = Fault::MinusSign;
            ++pos;
            continue;
        }
        long value = 0;
        for (; pos < text.size() && isDigit(text[pos]); ++pos)
            value = std::min(value * 10 + (text[pos] - '0'), kMaxValue + 1);
        tooLarge = tooLarge || value > kMaxValue;
        if (check.numbers < kValueCount)
            found[static_cast<std::size_t>(check.numbers)] = static_cast<double>(value);
        ++check.numbers;
    }
    if (check.fault == Fault::None) {
        if (check.numbers < kValueCount)
            check.fault = Fault::TooFewNumbers;
        else if (tooLarge)
            check.fault = Fault::OutOfRange;
        else if (check.numbers > kValueCount)
            check.fault = Fault::TooManyNumbers;
    }
    if (check.accepted())
        std::copy(found.begin(), found.end(), values.begin());
    return check;
}

}  // namespace kavro
