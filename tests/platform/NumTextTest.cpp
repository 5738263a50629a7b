#include "platform/FileUtil.h"
#include "platform/NumText.h"
#include "tests/support/TestFiles.h"

#include <climits>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace kavro;

TEST(NumText, FormatsAsTheCConversionsDo)
{
    EXPECT_EQ(formatG(0.00123456789), "0.00123457");
    EXPECT_EQ(formatG(1234567.0), "1.23457e+06");
    EXPECT_EQ(formatG(0.0), "0");
    EXPECT_EQ(formatG(0.001220703125), "0.0012207");
    EXPECT_EQ(formatG(19.80198019801980), "19.802");
    EXPECT_EQ(formatG(100000.0), "100000");
    EXPECT_EQ(formatG(1e-5), "1e-05");
    EXPECT_EQ(formatG(0.000431, 3), "0.000431");
    EXPECT_EQ(formatG(1234.5, 3), "1.23e+03");
    EXPECT_EQ(formatE(1.0), "1.000000e+00");
    EXPECT_EQ(formatE(-0.000123456789), "-1.234568e-04");
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2f", 12.345);
    EXPECT_EQ(formatFixed(12.345, 2), buf);
    EXPECT_EQ(formatFixed(-1.0, 3), "-1.000");
}

TEST(NumText, MatchesPrintfOverManyValues)
{
    std::setlocale(LC_NUMERIC, "C");
    double values[] = {1.0 / 3.0, 2.0 / 3.0, 1e300, -1e-300, 5e-324, 123456.5, 999999.5, 0.1, 9.999995, 58000.0};
    for (double v : values) {
        char buf[128];
        std::snprintf(buf, sizeof buf, "%g", v);
        EXPECT_EQ(formatG(v), buf);
        std::snprintf(buf, sizeof buf, "%e", v);
        EXPECT_EQ(formatE(v), buf);
        std::snprintf(buf, sizeof buf, "%.3g", v);
        EXPECT_EQ(formatG(v, 3), buf);
        std::snprintf(buf, sizeof buf, "%.15g", v);
        EXPECT_EQ(formatG(v, 15), buf);
    }
}

TEST(NumText, ScansAsPercentLgDoes)
{
    std::size_t used = 0;
    EXPECT_EQ(*scanDouble("  12.5abc", &used), 12.5);
    EXPECT_EQ(used, 6u);
    EXPECT_EQ(*scanDouble("+3e2"), 300.0);
    EXPECT_EQ(*scanDouble("-.5"), -0.5);
    EXPECT_EQ(*scanDouble("\r\n\t7"), 7.0);
    EXPECT_FALSE(scanDouble("abc"));
    EXPECT_FALSE(scanDouble(""));
    EXPECT_FALSE(scanDouble("--5"));
    EXPECT_FALSE(scanDouble("."));
    EXPECT_TRUE(std::isinf(*scanDouble("1e999")));
    EXPECT_EQ(*scanDouble("1e-999"), 0.0);
    // One value is enough: "2 3" is 2.
    EXPECT_EQ(*scanOneDouble("2 3"), 2.0);
    EXPECT_FALSE(scanOneDouble(""));
}

TEST(NumText, IndependentOfTheUserLocale)
{
    const char* commaLocales[] = {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "nl_NL.UTF-8"};
    const char* found = nullptr;
    for (const char* l : commaLocales)
        if (std::setlocale(LC_NUMERIC, l)) {
            found = l;
            break;
        }
    if (!found)
        GTEST_SKIP() << "no locale with a decimal comma installed";
    EXPECT_EQ(formatG(0.5), "0.5");
    EXPECT_EQ(*scanDouble("0.25"), 0.25);
    std::setlocale(LC_NUMERIC, "C");
}

TEST(NumText, NumberReaderFollowsRepeatedScans)
{
    kavro::test::TempDir dir;
    kavro::test::writeFile(dir.file("a"), "1 2\r\n3.5e1\t-4\n");
    std::FILE* f = std::fopen(dir.file("a").c_str(), "r");
    NumberReader r(f);
    EXPECT_EQ(*r.next(), 1.0);
    EXPECT_EQ(*r.next(), 2.0);
    EXPECT_EQ(*r.next(), 35.0);
    EXPECT_EQ(*r.next(), -4.0);
    EXPECT_FALSE(r.next());
    EXPECT_FALSE(r.stoppedAtText());
    std::fclose(f);

    kavro::test::writeFile(dir.file("b"), "5 6x 7");
    f = std::fopen(dir.file("b").c_str(), "r");
    NumberReader s(f);
    EXPECT_EQ(*s.next(), 5.0);
    EXPECT_EQ(*s.next(), 6.0);
    EXPECT_FALSE(s.next());  // "x 7": stops at the text and stays stopped
    EXPECT_FALSE(s.next());
    EXPECT_TRUE(s.stoppedAtText());
    std::fclose(f);
}

TEST(NumText, NumberReaderCopesWithHugeAndBinaryFiles)
{
    kavro::test::TempDir dir;
    std::string big;
    for (int i = 0; i < 200000; ++i)
        big += std::to_string(i) + (i % 7 ? " " : "\n");
    kavro::test::writeFile(dir.file("big"), big);
    std::FILE* f = std::fopen(dir.file("big").c_str(), "r");
    NumberReader r(f);
    double last = -1;
    int n = 0;
    while (auto v = r.next()) {
        last = *v;
        ++n;
    }
    EXPECT_EQ(n, 200000);
    EXPECT_EQ(last, 199999.0);
    std::fclose(f);

    std::string junk;
    for (int i = 0; i < 5000; ++i)
        junk += static_cast<char>((i * 7919) & 0xFF);
    kavro::test::writeFile(dir.file("junk"), junk);
    f = std::fopen(dir.file("junk").c_str(), "r");
    NumberReader j(f);
    for (int i = 0; i < 10000 && j.next(); ++i) {
    }
    std::fclose(f);

    // A run of digits longer than the reading window is still one number.
    kavro::test::writeFile(dir.file("long"), std::string(100000, '1') + " 2");
    f = std::fopen(dir.file("long").c_str(), "r");
    NumberReader l(f);
    EXPECT_TRUE(std::isinf(*l.next()));
    EXPECT_EQ(*l.next(), 2.0);
    std::fclose(f);
}

TEST(FileUtil, PathRules)
{
    EXPECT_EQ(removeExtension("/data/run.raw"), "/data/run");
    EXPECT_EQ(removeExtension("/data/run.2024"), "/data/run.2024");
    EXPECT_EQ(removeExtension("Instrument"), "Instrument");
    EXPECT_EQ(removeExtension("/data.1/run"), "/data.1/run");
    EXPECT_EQ(removeExtension("/out/run1.psd"), "/out/run1");
    EXPECT_EQ(directoryPart("/data/cast.3.raw"), "/data");
    EXPECT_EQ(directoryPart("Instrument"), "");
    EXPECT_EQ(fileNamePart("/data/cast.3.raw"), "cast.3.raw");
    EXPECT_EQ(stemBeforeFirstDot("cast.3.raw"), "cast");
    EXPECT_EQ(joinPath("/cal", "M32x32_a.asc"), "/cal/M32x32_a.asc");
    EXPECT_EQ(joinPath("/cal/", "M32x32_a.asc"), "/cal/M32x32_a.asc");
    // A path as typed in a Windows console: a backslash separates there, elsewhere it is part of a name.
    const std::string typed = "D:\\cruise.1\\c";
#ifdef _WIN32
    EXPECT_EQ(directoryPart(typed), "D:\\cruise.1");
    EXPECT_EQ(fileNamePart(typed), "c");
    EXPECT_EQ(removeExtension(typed), typed);
    EXPECT_EQ(joinPath("D:\\cal\\", "M32x32_a.asc"), "D:\\cal\\M32x32_a.asc");
#else
    EXPECT_EQ(directoryPart(typed), "");
    EXPECT_EQ(fileNamePart(typed), typed);
    EXPECT_EQ(removeExtension(typed), "D:\\cruise");
    EXPECT_EQ(joinPath("D:\\cal\\", "M32x32_a.asc"), "D:\\cal\\/M32x32_a.asc");
#endif
}

TEST(FileUtil, OnlyRegularFilesAreOpenedForReading)
{
    kavro::test::TempDir dir;
    EXPECT_EQ(openRegularFileForReading(dir.path()), nullptr);
    EXPECT_EQ(openRegularFileForReading(dir.file("missing")), nullptr);
#ifndef _WIN32
    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
    EXPECT_EQ(openRegularFileForReading(dir.file("fifo")), nullptr);  // and does not hang
#endif
    kavro::test::writeFile(dir.file("f"), "1");
    std::FILE* f = openRegularFileForReading(dir.file("f"));
    ASSERT_NE(f, nullptr);
    std::fclose(f);
}

TEST(FileUtil, ReadsAtOffsetsAndTellsSameFiles)
{
    kavro::test::TempDir dir;
    kavro::test::writeFile(dir.file("f"), "0123456789");
#ifndef _WIN32  // a descriptor is closed with close(), which only POSIX has
    int fd = openRegularFileDescriptor(dir.file("f"));
    ASSERT_GE(fd, 0);
    EXPECT_EQ(fileLength(fd), 10);
    char buf[8] = {};
    EXPECT_EQ(readAt(fd, buf, 4, 3), 4);
    EXPECT_EQ(std::string(buf, 4), "3456");
    EXPECT_EQ(readAt(fd, buf, 8, 7), 3);  // the end of the file comes first
    EXPECT_EQ(readAt(fd, buf, 8, 10), 0);
    EXPECT_EQ(readAt(fd, buf, 8, -80), -1);
    ::close(fd);
    EXPECT_LT(openRegularFileDescriptor(dir.path()), 0);
#endif

    EXPECT_TRUE(sameFile(dir.file("f"), dir.path() + "/./f"));
    EXPECT_TRUE(sameFile(dir.file("new.psd"), dir.path() + "/../" + fileNamePart(dir.path()) + "/new.psd"));
    EXPECT_FALSE(sameFile(dir.file("f"), dir.file("g")));
    EXPECT_FALSE(sameFile("", ""));
}

TEST(NumText, ShortestFloatTextReadsBackExactly)
{
    EXPECT_EQ(formatShortest(0.1f), "0.1");
    EXPECT_EQ(formatShortest(-1.0f), "-1");
    EXPECT_EQ(formatShortest(0.00123456789f), "0.0012345678");
    for (float v : {3.14159274f, 1e-30f, 123456.789f, 7.0e20f})
        EXPECT_EQ(static_cast<float>(*scanDouble(formatShortest(v))), v);
}

TEST(NumText, ANumberBoxTakesOnlyAWholeNumber)
{
    EXPECT_EQ(scanWholeInt("42"), 42);
    EXPECT_EQ(scanWholeInt("  -7 "), -7);
    EXPECT_EQ(scanWholeInt("+2147483647"), 2147483647);
    EXPECT_EQ(scanWholeInt("-2147483648"), INT_MIN);
    for (const char* bad : {"", " ", "abc", "12abc", "1.5", "2147483648", "99999999999999999999", "- 3", "+"})
        EXPECT_FALSE(scanWholeInt(bad).has_value()) << bad;

    EXPECT_EQ(scanWholeDouble("0.5"), 0.5);
    EXPECT_EQ(scanWholeDouble(" -1e3\t"), -1000.0);
    EXPECT_EQ(scanWholeDouble("58000"), 58000.0);
    for (const char* bad : {"", "abc", "1.5x", "2 3", "nan", "inf", "1e999"})
        EXPECT_FALSE(scanWholeDouble(bad).has_value()) << bad;
}
