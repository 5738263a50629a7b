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

FrameReceiver::FrameReceiver(char startChar, char endChar) : startChar_(startChar), endChar_(endChar) {}

void FrameReceiver::clear()
{
    length_ = 0;
    buffer_[0] = '\0';
}

FrameReceiver::Result FrameReceiver::receive(SerialLink& link)
{
    for (int refill = 0; refill < kMaxRefills; ++refill) {
        fill(link);
        if (cutFrame())
            return Result::Frame;
        if (length_ < kMaxCharacters)
            break;  // everything pending has been read
        dropStale();
    }
    return link.failed() ? Result::LinkFailed : Result::NoFrame;
}

void FrameReceiver::fill(SerialLink& link)
{
    while (length_ < kMaxCharacters) {
        int room = kMaxCharacters - length_;
        int n = link.readPending(buffer_.data() + length_, room);
        if (n <= 0)
            break;
        length_ += std::min(n, room);
    }
    buffer_[static_cast<std::size_t>(length_)] = '\0';
}

bool FrameReceiver::cutFrame()
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
            return false;
        int end = find(endChar_, start + 1, length_);
        if (end < 0)
            return false;
        start = findLast(startChar_, start, end);
        int frameLength = end - start + 1;
        if (frameLength > kMaxFrameLength) {
            // Longer than any frame the instrument sends: a damaged frame, dropped whole.
            discardFront(end + 1);
            continue;
        }
        std::memcpy(frameText_.data(), buffer_.data() + start, static_cast<std::size_t>(frameLength));
        frameText_[static_cast<std::size_t>(frameLength)] = '\0';
        frameLength_ = frameLength;
        discardFront(end + 1);
        return true;
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
