#include "platform/Profile.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TestFiles.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

using namespace kavro;
using kavro::test::readFile;
using kavro::test::ScopedEnvironment;
using kavro::test::TempDir;
using kavro::test::writeFile;

TEST(Profile, MissingFileSectionOrKeyGivesTheDefault)
{
    TempDir dir;
    Profile none(dir.file("none.INI"));
    EXPECT_EQ(none.readString("Miscellaneous", "Header", "dflt"), "dflt");
    EXPECT_EQ(none.readInt("Miscellaneous", "CommWait", 5), 5);

    writeFile(dir.file("p.INI"), "[Miscellaneous]\nHeader=Cast 7\n");
    Profile p(dir.file("p.INI"));
    EXPECT_EQ(p.readString("Other", "Header", "d"), "d");
    EXPECT_EQ(p.readString("Miscellaneous", "Footer", "d"), "d");
    EXPECT_EQ(p.readString("Miscellaneous", "Header", "d"), "Cast 7");
}

TEST(Profile, NamesCompareWithoutCaseAndValuesAreTrimmedAndUnquoted)
{
    TempDir dir;
    writeFile(dir.file("p.INI"), "; comment\n[miscELLANEOUS]\n  header =  \"Two words\"  \r\nStartChar=\n");
    Profile p(dir.file("p.INI"));
    EXPECT_EQ(p.readString("Miscellaneous", "HEADER", "d"), "Two words");
    // A key that is present with an empty value is empty, not the default.
    EXPECT_EQ(p.readString("MISCELLANEOUS", "startchar", "{"), "");
    EXPECT_TRUE(p.hasKey("Miscellaneous", "StartChar"));
}

TEST(Profile, FirstSectionAndFirstKeyOfANameWin)
{
    TempDir dir;
    writeFile(dir.file("p.INI"), "[A]\nk=1\nk=2\n[B]\nk=3\n[a]\nk=4\n");
    Profile p(dir.file("p.INI"));
    EXPECT_EQ(p.readInt("A", "k", 0), 1);
    EXPECT_EQ(p.readInt("B", "K", 0), 3);
}

TEST(Profile, IntegersAreReadFromLeadingDigitsElseTheDefault)
{
    TempDir dir;
    writeFile(dir.file("p.INI"),
              "[S]\na=42\nb=17abc\nc=abc\nd=\ne= -3\nf=99999999999999999999\ng=+8\n");
    Profile p(dir.file("p.INI"));
    EXPECT_EQ(p.readInt("S", "a", 5), 42);
    EXPECT_EQ(p.readInt("S", "b", 5), 17);
    EXPECT_EQ(p.readInt("S", "c", 5), 5);
    EXPECT_EQ(p.readInt("S", "d", 5), 5);
    EXPECT_EQ(p.readInt("S", "e", 5), -3);
    EXPECT_EQ(p.readInt("S", "f", 5), 2147483647);
    EXPECT_EQ(p.readInt("S", "g", 5), 8);
    EXPECT_EQ(p.readInt("S", "missing", 5), 5);
}

TEST(Profile, WritingOneKeyKeepsEveryOtherLineAsItWas)
{
    TempDir dir;
    const std::string original =
        "; KAVRO settings\r\n\r\n[Directories]\r\nCalFiles=/cal\r\n# keep me\r\n\r\n[Miscellaneous]\r\nHeader=Old\r\nFooter=F\r\n";
    writeFile(dir.file("p.INI"), original);
    Profile p(dir.file("p.INI"));
    ASSERT_TRUE(p.writeString("MISCELLANEOUS", "header", "New text"));
    EXPECT_EQ(readFile(dir.file("p.INI")),
              "; KAVRO settings\r\n\r\n[Directories]\r\nCalFiles=/cal\r\n# keep me\r\n\r\n[Miscellaneous]\r\nHeader=New text\r\nFooter=F\r\n");
    EXPECT_EQ(p.readString("Miscellaneous", "Header", ""), "New text");

    // A new key goes after the section's last key; a new section at the end.
    ASSERT_TRUE(p.writeString("Directories", "PDFirst", "1"));
    ASSERT_TRUE(p.writeString("Instrument1", "VolConv", "60000"));
    EXPECT_EQ(readFile(dir.file("p.INI")),
              "; KAVRO settings\r\n\r\n[Directories]\r\nCalFiles=/cal\r\nPDFirst=1\r\n# keep me\r\n\r\n[Miscellaneous]\r\n"
              "Header=New text\r\nFooter=F\r\n\r\n[Instrument1]\r\nVolConv=60000\r\n");
}

TEST(Profile, WriteCreatesTheFileAndItsFolder)
{
    TempDir dir;
    Profile p(dir.file("sub/folder/kavro.INI"));
    ASSERT_TRUE(p.writeString("Communications", "InstrumentPort", "COM3:")) << p.lastError();
    EXPECT_EQ(readFile(dir.file("sub/folder/kavro.INI")), "[Communications]\nInstrumentPort=COM3:\n");
    // A file whose last line has no line end gets one before the new line.
    writeFile(dir.file("n.INI"), "[A]\nx=1");
    Profile n(dir.file("n.INI"));
    ASSERT_TRUE(n.writeString("A", "y", "2"));
    EXPECT_EQ(readFile(dir.file("n.INI")), "[A]\nx=1\ny=2\n");
}

TEST(Profile, ValuesCannotBreakTheFileStructure)
{
    TempDir dir;
    Profile p(dir.file("p.INI"));
    ASSERT_TRUE(p.writeString("S", "Header", "line1\n[Evil]\nk=v"));
    EXPECT_FALSE(p.hasKey("Evil", "k"));
    EXPECT_EQ(p.readString("S", "Header", ""), "line1 [Evil] k=v");
}

TEST(Profile, ReplaceIsAtomicAndLeavesNoTemporaryFiles)
{
    TempDir dir;
    writeFile(dir.file("p.INI"), "[S]\nk=1\n");
    Profile p(dir.file("p.INI"));
    for (int i = 0; i < 20; ++i)
        ASSERT_TRUE(p.writeString("S", "k", std::to_string(i)));
    EXPECT_EQ(readFile(dir.file("p.INI")), "[S]\nk=19\n");
    int entries = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.path())) {
        (void)e;
        ++entries;
    }
    EXPECT_EQ(entries, 1);
}

TEST(Profile, AFailedWriteIsReportedAndTheOldFileIsUntouched)
{
    TempDir dir;
    // A directory where the profile should be: reads give defaults, writes fail.
    std::filesystem::create_directory(dir.file("p.INI"));
    Profile p(dir.file("p.INI"));
    EXPECT_EQ(p.readInt("S", "k", 7), 7);
    EXPECT_FALSE(p.writeString("S", "k", "1"));
    EXPECT_FALSE(p.lastError().empty());
}

TEST(Profile, ALoneCarriageReturnAtTheEndIsNoLineEnd)
{
    // A file cut after the carriage return of its last CR LF: a key added after
    // that line gets a line of its own instead of being glued to the line before.
    TempDir dir;
    writeFile(dir.file("p.INI"), "[S]\r\na=1\r\nb=2\r");
    Profile p(dir.file("p.INI"));
    EXPECT_EQ(p.readString("S", "b", ""), "2");
    ASSERT_TRUE(p.writeString("S", "c", "3"));
    EXPECT_EQ(readFile(dir.file("p.INI")), "[S]\r\na=1\r\nb=2\r\r\nc=3\r\n");
    EXPECT_EQ(p.readString("S", "b", ""), "2");
    EXPECT_EQ(p.readString("S", "c", ""), "3");
}

TEST(Profile, JunkLongLinesAndNulBytesDoNotCrash)
{
    TempDir dir;
    std::string junk = "[Miscellaneous]\nHeader=abc";
    junk += '\0';
    junk += "def\n" + std::string(1 << 20, 'x') + "\n\xff\xfe[\n=\n[Miscellaneous\nCommWait=9\n";
    writeFile(dir.file("p.INI"), junk);
    Profile p(dir.file("p.INI"));
    EXPECT_EQ(p.readString("Miscellaneous", "Header", ""), "abc");
    EXPECT_EQ(p.readInt("Miscellaneous", "CommWait", 5), 9);
    EXPECT_TRUE(p.writeString("Miscellaneous", "Footer", "x"));
    EXPECT_EQ(p.readString("Miscellaneous", "Footer", ""), "x");
}

TEST(Profile, TheFileIsReadAgainWhenItChanges)
{
    TempDir dir;
    writeFile(dir.file("p.INI"), "[S]\nk=1\n");
    Profile p(dir.file("p.INI"));
    EXPECT_EQ(p.readInt("S", "k", 0), 1);
    writeFile(dir.file("p.INI"), "[S]\nk=22\n");
    EXPECT_EQ(p.readInt("S", "k", 0), 22);
}

TEST(Profile, LocationFollowsTheEnvironment)
{
    using Variables = std::vector<std::pair<std::string, std::optional<std::string>>>;
    const struct {
        Variables variables;
        std::string location;
    } rows[] = {
        // Named by KAVRO_PROFILE, with any characters, whatever the system's own place.
        {{{"KAVRO_PROFILE", "/data/Fahrt 1/Müller.INI"}}, "/data/Fahrt 1/Müller.INI"},
#ifdef _WIN32
        {{{"KAVRO_PROFILE", std::nullopt}, {"APPDATA", "C:\\Users\\Ørsted\\AppData\\Roaming"}},
         "C:/Users/Ørsted/AppData/Roaming/kavro/kavro.INI"},
        {{{"KAVRO_PROFILE", std::nullopt}, {"APPDATA", std::nullopt}, {"USERPROFILE", "D:\\Benutzer\\Jürgen"}},
         "D:/Benutzer/Jürgen/AppData/Roaming/kavro/kavro.INI"},
#else
        {{{"KAVRO_PROFILE", ""}, {"XDG_CONFIG_HOME", "/xdg/Jürgen"}}, "/xdg/Jürgen/kavro/kavro.INI"},
        // A relative XDG_CONFIG_HOME is ignored, as the XDG rules say.
        {{{"KAVRO_PROFILE", std::nullopt}, {"XDG_CONFIG_HOME", "xdg"}, {"HOME", "/home/op"}},
         "/home/op/.config/kavro/kavro.INI"},
        {{{"KAVRO_PROFILE", std::nullopt}, {"XDG_CONFIG_HOME", std::nullopt}, {"HOME", "/home/Ørsted"}},
         "/home/Ørsted/.config/kavro/kavro.INI"},
#endif
    };
    for (const auto& row : rows) {
        std::vector<std::unique_ptr<ScopedEnvironment>> set;
        for (const auto& [name, value] : row.variables)
            set.push_back(std::make_unique<ScopedEnvironment>(name, value));
        EXPECT_EQ(profileLocation("kavro"), row.location) << row.variables.front().second.value_or("(unset)");
    }
}
