#include "core/ColourTable.h"
#include "core/Settings.h"
#include "platform/Profile.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

using namespace kavro;
using kavro::test::TempDir;
using kavro::test::writeFile;

TEST(Settings, DefaultsWithNoProfile)
{
    TempDir dir;
    Profile profile(dir.file("none.INI"));
    Settings s;
    s.load(profile, "/opt/kavro/bin");
    EXPECT_EQ(s.calFiles, "/opt/kavro/bin");
    EXPECT_EQ(s.instrumentPort, "COM2:");
    EXPECT_EQ(s.lRefRatio, 2.0);
    EXPECT_EQ(s.numIterations, 50);
    EXPECT_EQ(s.startChar, '{');
    EXPECT_EQ(s.endChar, '}');
    EXPECT_EQ(s.commWait, 5);
    EXPECT_EQ(s.autoMultiScan, 1);
    EXPECT_EQ(s.showMean, 0);
    EXPECT_EQ(s.showStdDev, 0);
    EXPECT_EQ(s.header, "Orvandel (KAVRO)");
    EXPECT_EQ(s.footer, "Tolvane");
    EXPECT_EQ(s.pdFirst, 0);
    EXPECT_EQ(s.dataFiles, "");  // the program's default (the documents folder) applies
    EXPECT_EQ(s.procOpt1, 0);
#ifdef _WIN32
    EXPECT_EQ(s.comDevice[1], "COM2");  // the port Windows itself calls COM2
#else
    EXPECT_EQ(s.comDevice[1], "/dev/ttyUSB1");
#endif
    EXPECT_EQ(s.baudRate, 9600);
    for (const auto& e : s.entries())
        EXPECT_FALSE(e.fromProfile) << e.key;
}

TEST(Settings, ParsingRules)
{
    TempDir dir;
    writeFile(dir.file("p.INI"),
              "[Directories]\nCalFiles=\nPDFirst=1\nDataFiles=/data/casts\n[Miscellaneous]\nLRefRatio=2.5 volts\n"
              "StartChar=<<<\nEndChar=\nNumIterations=abc\nCommWait=12\nHeader=Cruise 42\n[Communications]\nInstrumentPort=COM7:\n");
    Profile profile(dir.file("p.INI"));
    Settings s;
    s.load(profile, "/exe");
    EXPECT_EQ(s.calFiles, "/exe");  // present but empty is like absent
    EXPECT_EQ(s.pdFirst, 1);
    EXPECT_EQ(s.dataFiles, "/data/casts");
    EXPECT_EQ(s.lRefRatio, 2.5);    // a number followed by text uses the number
    EXPECT_EQ(s.startChar, '<');    // first character only
    EXPECT_EQ(s.endChar, '\0');     // empty text: NUL
    EXPECT_EQ(s.numIterations, 50); // not a number: the default
    EXPECT_EQ(s.commWait, 12);
    EXPECT_EQ(s.header, "Cruise 42");
    EXPECT_EQ(s.instrumentPort, "COM7:");  // kept as it is; the port dialog falls back to COM2:

    writeFile(dir.file("q.INI"), "[Miscellaneous]\nLRefRatio=abc\n");
    Profile q(dir.file("q.INI"));
    Settings t;
    t.load(q, "/exe");
    EXPECT_EQ(t.lRefRatio, 2.0);
}

TEST(Settings, DialogWritesStoreAndSetWhatTheDialogSets)
{
    TempDir dir;
    Profile profile(dir.file("p.INI"));
    Settings s;
    s.load(profile, "/exe");

    ASSERT_TRUE(s.acceptDisplayParameters(profile, 1, 1, "New header", "New footer"));
    EXPECT_EQ(s.showMean, 1);
    EXPECT_EQ(s.header, "Orvandel (KAVRO)");  // in force until the next run
    EXPECT_EQ(profile.readString("Miscellaneous", "Header", ""), "New header");
    EXPECT_EQ(profile.readInt("Miscellaneous", "ShowStdDev", 0), 1);

    ASSERT_TRUE(s.acceptLocations(profile, "", 1));
    EXPECT_EQ(s.calFiles, "/exe");
    EXPECT_EQ(profile.readString("Directories", "CalFiles", "x"), "");
    ASSERT_TRUE(s.acceptLocations(profile, "/cal", 0));
    EXPECT_EQ(s.calFiles, "/cal");

    ASSERT_TRUE(s.acceptInstrumentPort(profile, 2));
    EXPECT_EQ(s.instrumentPort, "COM3:");
    EXPECT_EQ(profile.readString("Communications", "InstrumentPort", ""), "COM3:");

    EXPECT_EQ(s.storedInstrumentModel(profile), 0);
    ASSERT_TRUE(s.acceptInstrumentModel(profile, 2));
    EXPECT_EQ(s.lastSelectedModel, 2);
    EXPECT_EQ(s.storedInstrumentModel(profile), 2);

    ASSERT_TRUE(s.storeLRefRatio(profile, 2000.0 / 101.0));
    EXPECT_EQ(profile.readString("Miscellaneous", "LRefRatio", ""), "19.802");

    Settings again;
    again.load(profile, "/exe");
    EXPECT_EQ(again.header, "New header");
    EXPECT_EQ(again.calFiles, "/cal");
    EXPECT_DOUBLE_EQ(again.lRefRatio, 19.802);
}

TEST(Settings, PortNames)
{
    EXPECT_EQ(Settings::portIndexOf("COM1:"), 0);
    EXPECT_EQ(Settings::portIndexOf("COM4:"), 3);
    EXPECT_EQ(Settings::portIndexOf("com1:"), -1);
    EXPECT_EQ(Settings::portIndexOf("COM5:"), -1);
    EXPECT_EQ(Settings::portName(0), "COM1:");
}

TEST(Settings, OutputSwitchSetsStartAsDocumented)
{
    OutputSwitchBlock block;
    OutputSwitches instrument = block.instrumentSet();
    EXPECT_EQ(instrument.rawBinary, 1);
    EXPECT_EQ(instrument.binarySize, 0);
    EXPECT_EQ(instrument.asciiSize, 0);
    OutputSwitches raw = block.rawFileSet();
    EXPECT_EQ(raw.rawBinary, 0);
    EXPECT_EQ(raw.binarySize, 1);
    EXPECT_EQ(raw.asciiRaw, 0);
    block.value[5] = 1;  // raw .asc
    block.value[8] = 1;  // raw VSF
    block.value[1] = 1;  // instrument .log
    EXPECT_EQ(block.rawFileSet().asciiSize, 1);
    EXPECT_EQ(block.rawFileSet().vsfInAscii, 1);
    EXPECT_EQ(block.instrumentSet().asciiRaw, 1);
    EXPECT_EQ(block.rawFileSet().asciiRaw, 0);
}

TEST(ColourTable, ReversedThreeBandRamp)
{
    auto p = ringImagePalette();
    // Entry 0 is the ramp's last colour (pure red), 255 its first (magenta).
    EXPECT_EQ(p[0].red, 255);
    EXPECT_EQ(p[0].green, 0);
    EXPECT_EQ(p[0].blue, 0);
    EXPECT_EQ(p[255].red, 255);
    EXPECT_EQ(p[255].green, 0);
    EXPECT_EQ(p[255].blue, 255);
    // Ramp index 85 (start of the second band, k = 0) is entry 170: red 0, green 255, blue 255.
    EXPECT_EQ(p[170].red, 0);
    EXPECT_EQ(p[170].green, 255);
    EXPECT_EQ(p[170].blue, 255);
    // Ramp index 84: k = 84, a = trunc(84/85*255) = 252 → red 3, green 252, blue 255.
    EXPECT_EQ(p[171].red, 3);
    EXPECT_EQ(p[171].green, 252);
    EXPECT_EQ(p[171].blue, 255);
    for (const auto& e : p)
        EXPECT_EQ(e.reserved, 0);
}
