#include "core/OutputRecord.h"

#include <cstring>
#include <limits>
#include <gtest/gtest.h>

using namespace kavro;

TEST(OutputRecord, LayoutOfTheRecordAndItsBytes)
{
    CFrameResult r;
    for (int k = 0; k < 32; ++k) {
        r.setVolume(k, k + 0.5);
        r.setVsf(k, -k);
    }
    for (int i = 0; i < 8; ++i)
        r.setAux(i, 100 + i);
    r.setMean(42.25);
    r.setStdDev(-1.0);
    r.setTransmission(0.5);
    r.setBeamAttenuation(13.8629);
    r.setZeroRings(2);
    r.setSaturatedRings(3);
    OutputRecord rec = buildOutputRecord(r);
    EXPECT_EQ(rec[0], 0.5f);
    EXPECT_EQ(rec[31], 31.5f);
    for (int i = 32; i < 64; ++i)
        EXPECT_EQ(rec[static_cast<std::size_t>(i)], 0.0f);
    EXPECT_EQ(rec[64], 100.0f);
    EXPECT_EQ(rec[71], 107.0f);
    EXPECT_EQ(rec[73], -1.0f);
    EXPECT_EQ(rec[104], 42.25f);
    EXPECT_EQ(rec[105], -1.0f);
    EXPECT_EQ(rec[106], 0.5f);
    EXPECT_EQ(rec[107], static_cast<float>(13.8629));
    EXPECT_EQ(rec[108], 2.0f);
    EXPECT_EQ(rec[109], 3.0f);
    for (int i = 110; i < 128; ++i)
        EXPECT_EQ(rec[static_cast<std::size_t>(i)], 0.0f);

    PsdRecordBytes bytes = encodeOutputRecord(rec);
    // 42.25f = 0x42290000, little-endian at entry 104.
    EXPECT_EQ(bytes[416], 0x00);
    EXPECT_EQ(bytes[417], 0x00);
    EXPECT_EQ(bytes[418], 0x29);
    EXPECT_EQ(bytes[419], 0x42);
    EXPECT_EQ(decodeOutputRecordBytes(bytes.data()), rec);
}

TEST(OutputRecord, DecodingTruncatesCountsAndLeavesTheTotal)
{
    OutputRecord rec{};
    rec[108] = 2.9f;
    rec[109] = -0.5f;
    rec[104] = 17.0f;
    CFrameResult r;
    r.setTotalVolume(9.0);
    decodeIntoResult(rec, r);
    EXPECT_EQ(r.zeroRings(), 2);
    EXPECT_EQ(r.saturatedRings(), 0);
    EXPECT_EQ(r.mean(), 17.0);
    EXPECT_EQ(r.totalVolume(), 9.0);
    rec[108] = 1e30f;  // hostile values do not overflow the conversion
    rec[109] = std::numeric_limits<float>::quiet_NaN();
    decodeIntoResult(rec, r);
    EXPECT_EQ(r.zeroRings(), 2147483647);
    EXPECT_EQ(r.saturatedRings(), 0);
}

TEST(OutputRecord, PsdHeaderBytes)
{
    PsdRecordBytes h = encodePsdHeader(2, 2.0, "/data/zsc.asc");
    EXPECT_EQ(std::memcmp(h.data(), "KAVRO400", 8), 0);
    EXPECT_EQ(getInt32(h.data() + 8), 2);
    EXPECT_EQ(getInt32(h.data() + 12), 2);
    EXPECT_EQ(getFloat64(h.data() + 16), 2.0);
    EXPECT_EQ(h[16 + 7], 0x40);  // 2.0 = 0x4000000000000000, little-endian
    EXPECT_STREQ(reinterpret_cast<const char*>(h.data() + 24), "/data/zsc.asc");
    for (std::size_t i = 24 + 13; i < 512; ++i)
        ASSERT_EQ(h[i], 0);

    // A path longer than the field is cut at its end, keeping the terminator.
    std::string longPath(600, 'p');
    PsdRecordBytes l = encodePsdHeader(0, 1.0, longPath);
    EXPECT_EQ(std::strlen(reinterpret_cast<const char*>(l.data() + 24)), 487u);
    EXPECT_EQ(l[511], 0);
    // ... and never inside a UTF-8 character.
    std::string accented = std::string(486, 'p') + "\xc3\xa9" + "tail";
    PsdRecordBytes u = encodePsdHeader(0, 1.0, accented);
    EXPECT_EQ(std::strlen(reinterpret_cast<const char*>(u.data() + 24)), 486u);

    CFrameResult r;
    r.setDiameter(0, 5.5);
    PsdRecordBytes d = encodeDiameterRecord(r);
    EXPECT_EQ(getFloat32(d.data()), 5.5f);
    for (std::size_t i = 128; i < 512; ++i)
        ASSERT_EQ(d[i], 0);
}

TEST(OutputRecord, AscAndLogLines)
{
    OutputRecord rec{};
    rec[0] = 0.00123456789f;
    rec[1] = 1234567.0f;
    rec[106] = 0.5f;
    rec[107] = 13.5f;
    rec[72] = -30.0f;
    std::string line = ascLine(rec, false);
    EXPECT_EQ(line.substr(0, 26), "0.00123457 1.23457e+06 0 0");
    EXPECT_EQ(line.back(), '\n');
    EXPECT_EQ(line[line.size() - 2], ' ');
    int blanks = 0;
    for (char c : line)
        blanks += c == ' ';
    EXPECT_EQ(blanks, 42);
    EXPECT_NE(line.find(" 0.5 13.5 \n"), std::string::npos);

    std::string vsf = ascLine(rec, true);
    blanks = 0;
    for (char c : vsf)
        blanks += c == ' ';
    EXPECT_EQ(blanks, 74);
    EXPECT_NE(vsf.find(" 0.5 13.5 -30 0 "), std::string::npos);

    std::uint16_t words[40];
    for (auto& w : words)
        w = 4095;
    std::string expected;
    for (int i = 0; i < 40; ++i)
        expected += "4095 ";
    EXPECT_EQ(logLine(words), expected + "\n");
}
