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

    auto values = filled(-1.0);
    EXPECT_EQ(rx.parseFrameText(values), 4);
    EXPECT_EQ(values[0], 1.0);
    EXPECT_EQ(values[1], 2.0);
    EXPECT_EQ(values[2], 3.0);
    EXPECT_EQ(values[3], 4.0);
    EXPECT_EQ(values[4], -1.0);
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

TEST(FrameReceiver, ParsingFollowsTheDigitRuns)
{
    // Only the numbers present are set; the rest keep what they held.
    auto values = filled(-7.0);
    EXPECT_EQ(FrameReceiver::parseNumbers("{100 200}", values), 2);
    EXPECT_EQ(values[0], 100.0);
    EXPECT_EQ(values[1], 200.0);
    for (std::size_t i = 2; i < 40; ++i)
        EXPECT_EQ(values[i], -7.0) << i;

    // A number is read in full, but the search goes on after its first run of digits.
    values = filled(0.0);
    EXPECT_EQ(FrameReceiver::parseNumbers("{12.5 7}", values), 3);
    EXPECT_EQ(values[0], 12.5);
    EXPECT_EQ(values[1], 5.0);
    EXPECT_EQ(values[2], 7.0);

    // Any non-digit separates; a minus sign is never seen.
    values = filled(0.0);
    EXPECT_EQ(FrameReceiver::parseNumbers("{1,2;x3-4\r\n5}", values), 5);
    EXPECT_EQ(values[3], 4.0);
    EXPECT_EQ(values[4], 5.0);

    // Only the first 40 numbers count.
    std::string many = "{";
    for (int i = 1; i <= 45; ++i)
        many += std::to_string(i) + " ";
    many += "}";
    values = filled(0.0);
    EXPECT_EQ(FrameReceiver::parseNumbers(many, values), 40);
    EXPECT_EQ(values[39], 40.0);

    values = filled(3.0);
    EXPECT_EQ(FrameReceiver::parseNumbers("{no numbers}", values), 0);
    EXPECT_EQ(values[0], 3.0);
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

TEST(FrameReceiver, FrameLongerThanItsAreaIsDiscarded)
{
    ScriptedSerialLink link;
    FrameReceiver rx;
    const int longest = FrameReceiver::kFrameTextSize - 1;
    std::string fits = "{" + std::string(static_cast<std::size_t>(longest - 2), '1') + "}";
    std::string tooLong = "{" + std::string(static_cast<std::size_t>(longest - 1), '2') + "}";
    link.arrive(tooLong + "{5 6}" + fits);
    ASSERT_EQ(rx.receive(link), Result::Frame);
    EXPECT_EQ(rx.frameText(), "{5 6}");
    ASSERT_EQ(rx.receive(link), Result::Frame);
    EXPECT_EQ(rx.frameText(), fits);
    EXPECT_EQ(rx.receive(link), Result::NoFrame);
    EXPECT_EQ(rx.pending(), "");
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
