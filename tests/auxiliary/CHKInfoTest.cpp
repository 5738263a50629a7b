#include "auxiliary/CHKInfo.h"
#include "platform/Profile.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

using namespace kavro;
using kavro::test::TempDir;
using kavro::test::writeFile;

TEST(CHKInfo, DefaultsWithoutAProfile)
{
    TempDir dir;
    Profile profile(dir.file("none.INI"));
    CHKInfo info(&profile);
    EXPECT_EQ(info.Channel(0)->label, "Laser Power");
    EXPECT_EQ(info.Channel(0)->units, "mwatts");
    EXPECT_DOUBLE_EQ(info.Channel(0)->multiplier, 0.0012);
    EXPECT_EQ(info.Channel(2)->label, "External Instrument");
    EXPECT_DOUBLE_EQ(info.Channel(2)->multiplier, 5.0 / 4096.0);
    EXPECT_EQ(info.Channel(5)->units, "deg C");
    EXPECT_EQ(info.Channel(7)->label, "Aux 2");
    EXPECT_EQ(info.Channel(7)->units, "");
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(info.Channel(k)->offset, 0.0);
    EXPECT_EQ(info.Channel(-1), nullptr);
    EXPECT_EQ(info.Channel(8), nullptr);
    EXPECT_EQ(GetVolConv(profile, 1), 58000.0);
}

TEST(CHKInfo, LoadRulesForNumbersAndTexts)
{
    TempDir dir;
    writeFile(dir.file("p.INI"),
              "[Instrument1]\nHK4Scale=abc\nHK1Scale=2 3\nHK1Off=-1.5\nHK3Label=\nHK3Units=mW\nHK0Off=\n"
              "VolConv=abc\n[Instrument2]\nHK5Scale=9\n");
    Profile profile(dir.file("p.INI"));
    CHKInfo info(&profile);
    EXPECT_DOUBLE_EQ(info.Channel(4)->multiplier, 0.0536);  // "abc" is ignored
    EXPECT_DOUBLE_EQ(info.Channel(1)->multiplier, 2.0);     // one conversion is enough
    EXPECT_DOUBLE_EQ(info.Channel(1)->offset, -1.5);
    EXPECT_EQ(info.Channel(3)->label, "");  // an empty stored label is used
    EXPECT_EQ(info.Channel(3)->units, "mW");
    EXPECT_EQ(info.Channel(0)->offset, 0.0);  // empty number: the default stays
    EXPECT_DOUBLE_EQ(info.Channel(5)->multiplier, 0.01);  // other instruments do not count
    EXPECT_EQ(GetVolConv(profile, 1), 58000.0);
}

TEST(CHKInfo, WrittenConstantsKeepSixDigitsAndReloadBringsThemBack)
{
    TempDir dir;
    Profile profile(dir.file("p.INI"));
    ASSERT_TRUE(WriteChannelCalibration(profile, 1, 2, "Fluorometer", "ug/l", 0.001220703125, 0.25));
    ASSERT_TRUE(SetVolConv(profile, 1, 61234.5678));
    EXPECT_EQ(profile.readString("Instrument1", "HK2Scale", ""), "0.0012207");
    EXPECT_EQ(profile.readString("Instrument1", "HK2Off", ""), "0.25");
    EXPECT_EQ(profile.readString("Instrument1", "VolConv", ""), "61234.6");

    CHKInfo info(&profile);
    EXPECT_EQ(info.Channel(2)->label, "Fluorometer");
    EXPECT_DOUBLE_EQ(info.Channel(2)->multiplier, 0.0012207);
    EXPECT_DOUBLE_EQ(GetVolConv(profile, 1), 61234.6);

    // Reload starts again from the defaults.
    info.Channel(6)->label = "changed in memory";
    info.Reload(profile);
    EXPECT_EQ(info.Channel(6)->label, "Aux 1");
    EXPECT_EQ(info.Channel(2)->label, "Fluorometer");
}

TEST(DisplaySelection, DefaultsLabelsAndColours)
{
    DisplaySelection s;
    int expected[8] = {1, 1, 0, 0, 1, 0, 0, 0};
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(s.IsShown(k), expected[k]);
    EXPECT_EQ(s.SetShown(2, 1), 0);
    EXPECT_EQ(s.SetShown(2, 0), 1);
    EXPECT_EQ(s.SetShown(9, 1), 0);
    EXPECT_EQ(s.IsShown(9), 0);
    EXPECT_STREQ(DisplaySelection::ShownLabel(1), "Battery Voltage");
    EXPECT_STREQ(DisplaySelection::ShownLabel(6), "Aux 2");
    EXPECT_EQ(DisplaySelection::Colour(5), 0x800000u);
    EXPECT_EQ(DisplaySelection::Colour(7), 0x000080u);
}
