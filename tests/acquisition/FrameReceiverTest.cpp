#include "acquisition/FrameReceiver.h"

#include "tests/support/ScriptedSerialLink.h"

#include <array>
#include <gtest/gtest.h>

namespace kavro {
namespace {

using Result = FrameReceiver::Result;
using test::ScriptedSerialLink;

std::array<double, 40> filled(double v)
{
    std::array<double, 40> a;
    a.fill(v);
    return a;
}

TEST(FrameReceiver, FrameInPiecesAcrossPollsLeavesTheNextOnesStart)
{
    ScriptedSerialLink link;
    link.setReadChunk(3);  // several reads per poll
    FrameReceiver rx;
    link.arrive("xx{1 2 3");
    EXPECT_EQ(rx.receive(link), Result::NoFrame);
    EXPECT_EQ(rx.pending(), "xx{1 2 3");
    link.arrive(" 4}{5");
    ASSERT_EQ(rx.receive(link), Result::Frame);
    EXPECT_EQ(rx.frameText(), "{1 2 3 4}");
    EXPECT_EQ(rx.pending(), "{5");

}

TEST(FrameReceiver, TextWithoutEndCharacterNeverYieldsAFrame)
{
    ScriptedSerialLink link;
    FrameReceiver rx;
    for (const char* piece : {"{1 2 3", " 4 5 6", "", " 7 8 9 {10"}) {
        link.arrive(piece);
        EXPECT_EQ(rx.receive(link), Result::NoFrame) << piece;
    }
    EXPECT_EQ(rx.pending(), "{1 2 3 4 5 6 7 8 9 {10");
    EXPECT_EQ(rx.frameText(), "");
}

// count numbers from first on, separated by sep, between braces.
std::string numbers(int count, int first = 1, const std::string& sep = " ")
{
    std::string text = "{";
    for (int i = 0; i < count; ++i)
        text += std::to_string(first + i) + sep;
    return text + "}";
}

TEST(FrameReceiver, OnlyFortyUnsignedSixteenBitNumbersMakeAFrame)
{
    using Fault = FrameReceiver::Fault;
    const std::string forty = numbers(40);
    const struct {
        std::string text;
        Fault fault;
        int numbers;
    } cases[] = {
        {forty, Fault::None, 40},
        {numbers(40, 1, ",x;\r\n"), Fault::None, 40},     // any other character separates
        {"{" + std::string(40, ' ') + "65535 " + forty.substr(1), Fault::TooManyNumbers, 41},
        {numbers(45), Fault::TooManyNumbers, 45},              // the first 40 are kept
        {numbers(39), Fault::TooFewNumbers, 39},
        {"{100 200}", Fault::TooFewNumbers, 2},
        {"{}", Fault::TooFewNumbers, 0},
        {"{A1 B2 C3 ERR}", Fault::TooFewNumbers, 3},
        {"{12.5 " + forty.substr(1), Fault::DecimalPoint, 42},
        {"{-3 " + forty.substr(1), Fault::MinusSign, 41},
        {"{65536 " + numbers(39).substr(1), Fault::OutOfRange, 40},
        {"{000000000000000000099999 " + numbers(39).substr(1), Fault::OutOfRange, 40},
        {"{00065535 " + numbers(39).substr(1), Fault::None, 40},
        {numbers(40).substr(0, 3) + "99999999999999999999 " + numbers(40).substr(3), Fault::OutOfRange, 41},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        auto values = filled(-7.0);
        const FrameReceiver::Check check = FrameReceiver::parseFrame(c.text, values);
        EXPECT_EQ(check.fault, c.fault);
        EXPECT_EQ(check.numbers, c.numbers);
        EXPECT_EQ(check.accepted(), c.fault == Fault::None || c.fault == Fault::TooManyNumbers);
        if (!check.accepted())
            EXPECT_EQ(values, filled(-7.0));  // a rejected frame sets nothing
        else
            EXPECT_NE(values[39], -7.0);
    }
    auto values = filled(0.0);
    ASSERT_TRUE(FrameReceiver::parseFrame(numbers(45, 100), values).suspect());
    EXPECT_EQ(values[0], 100.0);
    EXPECT_EQ(values[39], 139.0);
    ASSERT_TRUE(FrameReceiver::parseFrame("{00065535 " + numbers(39).substr(1), values).accepted());
    EXPECT_EQ(values[0], 65535.0);
    EXPECT_EQ(values[39], 39.0);
}

TEST(FrameReceiver, LineNoiseAroundFramesIsDropped)
{
    ScriptedSerialLink link;
    FrameReceiver rx;
    link.arrive("\x01\xff" "ab}9 9}{1 2}zz");
    ASSERT_EQ(rx.receive(link), Result::Frame);
    EXPECT_EQ(rx.frameText(), "{1 2}");
    EXPECT_EQ(rx.pending(), "zz");

    // A start character without its end is superseded by the next frame's start.
    link.arrive("{3 4 {5 6}");
    ASSERT_EQ(rx.receive(link), Result::Frame);
    EXPECT_EQ(rx.frameText(), "{5 6}");
    EXPECT_EQ(rx.pending(), "");

    // A lone end character before the first start never cuts a frame of its own.
    link.arrive("7 8}");
    EXPECT_EQ(rx.receive(link), Result::NoFrame);
    EXPECT_EQ(rx.pending(), "");
    link.arrive("{8}");
    ASSERT_EQ(rx.receive(link), Result::Frame);
    EXPECT_EQ(rx.frameText(), "{8}");
}

TEST(FrameReceiver, TwoFramesReceivedTogetherAreBothDelivered)
{
    ScriptedSerialLink link;
    FrameReceiver rx;
    link.arrive("{1 2}\r\n{3 4}\r\n{5");
    ASSERT_EQ(rx.receive(link), Result::Frame);
    EXPECT_EQ(rx.frameText(), "{1 2}");
    ASSERT_EQ(rx.receive(link), Result::Frame);
    EXPECT_EQ(rx.frameText(), "{3 4}");
    EXPECT_EQ(rx.receive(link), Result::NoFrame);
    EXPECT_EQ(rx.pending(), "\r\n{5");
}

TEST(FrameReceiver, FullBufferWithoutAFrameDoesNotBlockLaterFrames)
{
    ScriptedSerialLink link;
    FrameReceiver rx;
    // Noise that fills the buffer, then a frame.
    link.arrive(std::string(5000, 'x') + "{1 2}");
    ASSERT_EQ(rx.receive(link), Result::Frame);
    EXPECT_EQ(rx.frameText(), "{1 2}");

    // An endless frame, then a good one.
    link.arrive("{" + std::string(6000, '7'));
    EXPECT_EQ(rx.receive(link), Result::NoFrame);
    EXPECT_LT(rx.pending().size(), std::size_t(FrameReceiver::kBufferSize));
    link.arrive("{3 4}");
    ASSERT_EQ(rx.receive(link), Result::Frame);
    EXPECT_EQ(rx.frameText(), "{3 4}");

    // A frame whose start just made it into the full buffer survives the clean-up.
    link.arrive(std::string(4090, 'x') + "{1 2 3 4 5 6");
    EXPECT_EQ(rx.receive(link), Result::NoFrame);
    EXPECT_EQ(rx.pending(), "{1 2 3 4 5 6");
    link.arrive("}");
    ASSERT_EQ(rx.receive(link), Result::Frame);
    EXPECT_EQ(rx.frameText(), "{1 2 3 4 5 6}");
}

TEST(FrameReceiver, FrameLongerThanItsAreaIsDroppedAndTold)
{
    ScriptedSerialLink link;
    FrameReceiver rx;
    const int longest = FrameReceiver::kFrameTextSize - 1;
    std::string fits = "{" + std::string(static_cast<std::size_t>(longest - 2), '1') + "}";
    std::string tooLong = "{" + std::string(static_cast<std::size_t>(longest - 1), '2') + "}";
    link.arrive(tooLong + "{5 6}" + fits);
    ASSERT_EQ(rx.receive(link), Result::TooLong);
    EXPECT_EQ(rx.frameText(), tooLong.substr(0, static_cast<std::size_t>(longest)));
    ASSERT_EQ(rx.receive(link), Result::Frame);
    EXPECT_EQ(rx.frameText(), "{5 6}");
    ASSERT_EQ(rx.receive(link), Result::Frame);
    EXPECT_EQ(rx.frameText(), fits);
    EXPECT_EQ(rx.receive(link), Result::NoFrame);
    EXPECT_EQ(rx.pending(), "");
}

TEST(FrameReceiver, AFrameKeepsWhenItsEndArrivedAndWhichReadBroughtItsStart)
{
    using namespace std::chrono;
    ScriptedSerialLink link;
    FrameReceiver rx;
    FrameReceiver::Clock::time_point now{};
    rx.setClock([&now] { return now; });
    // What arrives at which second, and whether the line is read then; receive()
    // at the end reads the rest.
    const struct {
        int second;
        const char* bytes;
        bool read;
    } line[] = {{1, "xx{1 2", true}, {2, " 3}{4", true}, {3, " 5}", false}, {4, "", true}, {6, "{7}{8", true}};
    for (const auto& l : line) {
        now = FrameReceiver::Clock::time_point(seconds(l.second));
        link.arrive(l.bytes);
        if (l.read)
            rx.readLine(link);
    }
    EXPECT_EQ(rx.readsSoFar(), 4);  // a read that brings nothing is no arrival
    now = FrameReceiver::Clock::time_point(seconds(9));
    const struct {
        const char* text;
        int arrived;    // second
        long long read;  // of its start character
    } frames[] = {{"{1 2 3}", 2, 1}, {"{4 5}", 4, 2}, {"{7}", 6, 4}};
    for (const auto& f : frames) {
        SCOPED_TRACE(f.text);
        ASSERT_EQ(rx.receive(link), Result::Frame);
        EXPECT_EQ(rx.frameText(), f.text);
        EXPECT_EQ(rx.frameArrived(), FrameReceiver::Clock::time_point(seconds(f.arrived)));
        EXPECT_EQ(rx.frameStartRead(), f.read);
    }
    EXPECT_EQ(rx.receive(link), Result::NoFrame);
    EXPECT_EQ(rx.pending(), "{8");

    // Many reads of noise inside a frame: the oldest reads are merged, the time of
    // the frame's end stays exact.
    for (int i = 0; i < 100; ++i) {
        now = FrameReceiver::Clock::time_point(seconds(10 + i));
        link.arrive("x");
        rx.readLine(link);
    }
    now = FrameReceiver::Clock::time_point(seconds(200));
    link.arrive("}");
    ASSERT_EQ(rx.receive(link), Result::Frame);
    EXPECT_EQ(rx.frameText().substr(0, 3), "{8x");
    EXPECT_EQ(rx.frameArrived(), FrameReceiver::Clock::time_point(seconds(200)));
    EXPECT_EQ(rx.readsSoFar(), 105);
    EXPECT_GT(rx.frameStartRead(), 4);  // merged into a later read: never taken for earlier
}

TEST(FrameReceiver, BrokenLinkIsToldApartFromSilence)
{
    ScriptedSerialLink link;
    FrameReceiver rx;
    EXPECT_EQ(rx.receive(link), Result::NoFrame);
    link.arrive("{1 2}{3");
    link.setReadChunk(4);
    EXPECT_EQ(rx.receive(link), Result::Frame);  // what arrived before the break still counts
    link.breakLink("gone");
    EXPECT_EQ(rx.receive(link), Result::LinkFailed);
    EXPECT_EQ(rx.pending(), "{3");
}

TEST(FrameReceiver, OtherFramingCharacters)
{
    ScriptedSerialLink link;
    FrameReceiver rx('<', '>');
    link.arrive("{1}<2 3>{4}");
    ASSERT_EQ(rx.receive(link), Result::Frame);
    EXPECT_EQ(rx.frameText(), "<2 3>");
    EXPECT_EQ(rx.pending(), "{4}");
}

}  // namespace
}  // namespace kavro
