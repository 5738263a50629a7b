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
// was cut off), so stray characters between frames never spoil a frame.
#include "platform/SerialLink.h"

#include <array>
#include <span>
#include <string_view>

namespace kavro {

class FrameReceiver {
public:
    static constexpr int kBufferSize = 4096;     // at most 4095 characters and a terminator
    static constexpr int kFrameTextSize = 1028;  // at most 1027 characters and a terminator
    static constexpr int kValueCount = 40;

    enum class Result {
        NoFrame,     // no complete frame yet; what arrived is kept
        Frame,       // frameText() holds a new frame
        LinkFailed,  // no complete frame, and the link has stopped working
    };

    explicit FrameReceiver(char startChar = '{', char endChar = '}');

    // Reads every pending character from the link and cuts the first complete
    // frame out of the buffer; the characters after it stay for the next call.
    Result receive(SerialLink& link);

    // The last frame cut, start and end characters included.
    std::string_view frameText() const { return {frameText_.data(), static_cast<std::size_t>(frameLength_)}; }
    // Characters received and not yet used.
    std::string_view pending() const { return {buffer_.data(), static_cast<std::size_t>(length_)}; }
    void clear();

    // Reads the numbers of the last frame text into values[0..39]; the number of
    // values set.  Values after the last number keep their contents.
    int parseFrameText(std::span<double, kValueCount> values) const { return parseNumbers(frameText(), values); }
    // The same for any text: each number starts at the next decimal digit and is
    // read with the full floating-point syntax; the next search starts after the
    // run of digits the number began with (so "12.5" gives 12.5 and then 5).
    static int parseNumbers(std::string_view text, std::span<double, kValueCount> values);

private:
    void fill(SerialLink& link);
    bool cutFrame();
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
};

}  // namespace kavro
