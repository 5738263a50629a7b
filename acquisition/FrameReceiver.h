#pragma once
// Cuts the instrument's frames out of the characters arriving on the serial line
// and turns a frame's text into its 40 numbers.
//
// The instrument sends each frame as text between a start and an end character;
// a frame may come in pieces and be followed by the beginning of the next one, and
// a noisy line adds stray characters.  The receive buffer keeps what has arrived
// and not yet been used from one exchange to the next.  A frame is the text from a
// start character to the first end character after it; a start character that
// comes again before that end character begins the frame afresh (the earlier one
// was cut off), so stray characters between frames never spoil a frame.  Frames
// that arrived together stay in the buffer, in order, and each call hands out the
// next of them: none is merged into another or lost.
//
// A frame's text is trusted only when it holds exactly 40 unsigned decimal
// numbers of at most 65535 (any other characters between them separate them).  A
// decimal point, a minus sign, fewer numbers or a larger one reject the frame
// whole; more than 40 numbers keep the first 40 and mark the frame suspect.  A
// frame text longer than 1027 characters (start and end character included) is
// dropped whole and told as TooLong, so that a caller counts it as a rejected frame.
//
// Every read that brings characters is noted with its time and a serial number, so
// that a frame carries the time its end character arrived (frameArrived()) and the
// read that brought its start character (frameStartRead()): a frame that began
// before a request went out is a late reply to an earlier one.  Reading the line
// often (readLine() between requests) keeps those times close to the arrival.
#include "platform/SerialLink.h"

#include <array>
#include <chrono>
#include <functional>
#include <span>
#include <string_view>

namespace kavro {

class FrameReceiver {
public:
    static constexpr int kBufferSize = 4096;     // at most 4095 characters and a terminator
    static constexpr int kFrameTextSize = 1028;  // at most 1027 characters and a terminator
    static constexpr int kValueCount = 40;

    // What checking a frame's text found.
    enum class Fault {
        None,
        TooFewNumbers,   // rejected
        DecimalPoint,    // rejected
        MinusSign,       // rejected
        OutOfRange,      // rejected: a number above 65535
        TooManyNumbers,  // accepted, the first 40 numbers: suspect
        TooLong,         // rejected: longer than the frame text area (never parsed)
    };
    struct Check {
        Fault fault = Fault::None;
        int numbers = 0;  // numbers found in the text (counted on past 40)
        bool accepted() const { return fault == Fault::None || fault == Fault::TooManyNumbers; }
        bool suspect() const { return fault == Fault::TooManyNumbers; }
    };
    static constexpr long kMaxValue = 65535;

    enum class Result {
        NoFrame,     // no complete frame yet; what arrived is kept
        Frame,       // frameText() holds a new frame
        LinkFailed,  // no complete frame, and the link has stopped working
        TooLong,     // a complete frame longer than the frame text area was dropped;
                     // frameText() holds its first 1027 characters
    };
    using Clock = std::chrono::system_clock;

    explicit FrameReceiver(char startChar = '{', char endChar = '}');

    // Reads every pending character from the link and cuts the first complete
    // frame out of the buffer; the characters after it stay for the next call.
    Result receive(SerialLink& link);
    // Reads every pending character into the buffer without cutting a frame, noting
    // when it came.  The characters read.
    int readLine(SerialLink& link);
    // The clock of the arrival times (default: the system's).
    void setClock(std::function<Clock::time_point()> clock) { clock_ = std::move(clock); }
    // Reads that brought characters so far; a frame whose frameStartRead() is larger
    // than the value taken when a request went out began after that request.
    long long readsSoFar() const { return reads_; }
    // When the end character of the last frame cut (or dropped) arrived.
    Clock::time_point frameArrived() const { return frameArrived_; }
    // The read that brought the start character of that frame.
    long long frameStartRead() const { return frameStartRead_; }

    // The last frame cut, start and end characters included.
    std::string_view frameText() const { return {frameText_.data(), static_cast<std::size_t>(frameLength_)}; }
    // Characters received and not yet used.
    std::string_view pending() const { return {buffer_.data(), static_cast<std::size_t>(length_)}; }
    void clear();

    // Checks the last frame text; when it is accepted its first 40 numbers go to
    // values[0..39], otherwise values stay as they were.
    Check parseFrameText(std::span<double, kValueCount> values) const { return parseFrame(frameText(), values); }
    // The same for any text: a number is a run of decimal digits.
    static Check parseFrame(std::string_view text, std::span<double, kValueCount> values);

private:
    // What arrived up to a position of the buffer: the characters before end, at
    // time, in read number read.
    struct Arrival {
        int end = 0;
        Clock::time_point time{};
        long long read = 0;
    };
    static constexpr int kMaxArrivals = 64;
    enum class Cut { None, Frame, TooLong };

    int fill(SerialLink& link);
    Cut cutFrame();
    void noteArrival(int end);
    const Arrival* arrivalAt(int position) const;
    void keepFrameText(int start, int length);
    void dropStale();
    void discardFront(int count);
    int find(char c, int from, int to) const;
    int findLast(char c, int from, int to) const;

    char startChar_;
    char endChar_;
    std::array<char, kBufferSize> buffer_{};
    int length_ = 0;
    std::array<char, kFrameTextSize> frameText_{};
    int frameLength_ = 0;
    std::array<Arrival, kMaxArrivals> arrivals_{};
    int arrivalCount_ = 0;
    long long reads_ = 0;
    Clock::time_point frameArrived_{};
    long long frameStartRead_ = 0;
    std::function<Clock::time_point()> clock_;
};

}  // namespace kavro
