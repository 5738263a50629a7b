// The serial receive-and-parse step: the input arrives on a scripted serial link
// in pieces of the sizes the input chooses, the frame receiver cuts frames out of
// it and parses their numbers.  Whatever arrives, the receiver keeps within its
// buffers, every frame it hands out is one start character, no other start or end
// character, and one end character, and the frames do not depend on how the
// characters were split into pieces (as long as the buffer never overflowed).  A
// frame's numbers are taken only when it holds 40 unsigned numbers up to 65535, and
// a rejected frame changes none of them.
#include "acquisition/FrameReceiver.h"
#include "fuzz/FuzzSupport.h"
#include "tests/support/ScriptedSerialLink.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

using namespace kavro;

namespace {

void checkNumbers(std::string_view text)
{
    std::array<double, FrameReceiver::kValueCount> values;
    values.fill(-1.0);
    const FrameReceiver::Check check = FrameReceiver::parseFrame(text, values);
    fuzz::require(check.numbers >= 0, "a count of numbers");
    const bool signOrPoint = text.find_first_of(".-") != std::string_view::npos;
    if (signOrPoint || check.numbers < FrameReceiver::kValueCount) {
        fuzz::require(!check.accepted(), "a point, a sign or too few numbers reject the frame");
    }
    if (!check.accepted()) {
        for (double v : values)
            fuzz::require(v == -1.0, "a rejected frame sets no value");
        return;
    }
    fuzz::require(check.suspect() == (check.numbers > FrameReceiver::kValueCount), "more than 40 numbers is suspect");
    for (double v : values)
        fuzz::require(v >= 0.0 && v <= 65535.0 && v == static_cast<double>(static_cast<long>(v)),
                      "every value of an accepted frame is a 16-bit unsigned integer");
}

void checkFrame(const FrameReceiver& receiver, char start, char end)
{
    std::string_view frame = receiver.frameText();
    fuzz::require(frame.size() >= 2 && frame.size() < FrameReceiver::kFrameTextSize, "a frame fits its text area");
    fuzz::require(frame.front() == start && frame.back() == end, "a frame runs from a start to an end character");
    std::string_view inside = frame.substr(1, frame.size() - 2);
    fuzz::require(inside.find(start) == std::string_view::npos && inside.find(end) == std::string_view::npos,
                  "no start or end character inside a frame");

    checkNumbers(frame);
}

// Every frame that a receiver hands out when the characters arrive whole.
std::vector<std::string> framesOfWhole(const std::string& text, char start, char end)
{
    test::ScriptedSerialLink link;
    FrameReceiver receiver(start, end);
    link.arrive(text);
    std::vector<std::string> frames;
    for (;;) {
        const FrameReceiver::Result result = receiver.receive(link);
        if (result == FrameReceiver::Result::Frame)
            frames.emplace_back(receiver.frameText());
        else if (result != FrameReceiver::Result::TooLong)
            return frames;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const bool customChars = input.ConsumeBool();
    char start = '{', end = '}';
    if (customChars) {
        start = input.ConsumeIntegral<char>();
        end = input.ConsumeIntegral<char>();
        if (start == end)
            return 0;  // one character cannot both open and close a frame
    }
    const bool breakAtEnd = input.ConsumeBool();

    test::ScriptedSerialLink link;
    FrameReceiver receiver(start, end);
    std::string all;
    std::vector<std::string> frames;
    while (input.remaining_bytes() > 0) {
        const int readChunk = input.ConsumeIntegralInRange<int>(0, 64);
        const std::size_t pieceLength = input.ConsumeIntegralInRange<std::size_t>(0, 300);
        const std::string piece = input.ConsumeBytesAsString(pieceLength);
        all += piece;
        link.setReadChunk(readChunk);
        link.arrive(piece);
        if (breakAtEnd && input.remaining_bytes() == 0)
            link.breakLink("unplugged");
        // Take every frame that is there now, as the source's repeated polls would.
        for (;;) {
            FrameReceiver::Result result = receiver.receive(link);
            fuzz::require(receiver.pending().size() < FrameReceiver::kBufferSize, "the buffer never overflows");
            if (result == FrameReceiver::Result::TooLong) {
                fuzz::require(receiver.frameText().size() == FrameReceiver::kFrameTextSize - 1,
                              "a frame too long shows its beginning");
                continue;
            }
            if (result != FrameReceiver::Result::Frame) {
                fuzz::require(result == FrameReceiver::Result::LinkFailed || !link.failed(),
                              "a broken link without a frame is told");
                break;
            }
            checkFrame(receiver, start, end);
            frames.emplace_back(receiver.frameText());
        }
    }
    checkNumbers(all);

    // Pieces or whole, the same frames, while everything fits the buffer at once.
    if (all.size() < static_cast<std::size_t>(FrameReceiver::kBufferSize) - 1 && !breakAtEnd)
        fuzz::require(frames == framesOfWhole(all, start, end), "frames do not depend on how the line split them");
    return 0;
}
