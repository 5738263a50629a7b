#include "products/CfConventions.h"

#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>

using namespace kavro;

TEST(CfConventions, SourceDateEpochSetsTheCreationTime)
{
    struct Row {
        const char* value;
        double expected;  // < 0: not a usable value
    } rows[] = {
        {"1765246845", 1765246845.0}, {" 0", 0.0},        {"1765246845\n", 1765246845.0},
        {"", -1},                     {"-5", -1},         {"17652.5", -1},
        {"12abc", -1},                {"1e9", -1},        {"99999999999999", -1},
    };
    for (const Row& r : rows) {
        const std::optional<double> t = sourceDateEpoch(r.value);
        if (r.expected < 0)
            EXPECT_FALSE(t.has_value()) << '"' << r.value << '"';
        else
            EXPECT_EQ(t.value_or(-1), r.expected) << '"' << r.value << '"';
    }
    EXPECT_FALSE(sourceDateEpoch(nullptr).has_value());

    const char* saved = std::getenv("SOURCE_DATE_EPOCH");
    const std::string keep = saved ? saved : "";
    setenv("SOURCE_DATE_EPOCH", "86400", 1);
    EXPECT_EQ(creationTimeUtc(), 86400.0);
    setenv("SOURCE_DATE_EPOCH", "yesterday", 1);
    EXPECT_GT(creationTimeUtc(), 1.7e9);  // the clock
    if (saved)
        setenv("SOURCE_DATE_EPOCH", keep.c_str(), 1);
    else
        unsetenv("SOURCE_DATE_EPOCH");
}

TEST(CfConventions, StandardNamesOnlyWhereTheUnitsFit)
{
    ASSERT_TRUE(unitsCheckAvailable()) << "the UDUNITS-2 database did not load";
    struct Row {
        const char* units;
        bool water;
        const char* pressure;
        const char* temperature;
    } rows[] = {
        {"dbar", true, "sea_water_pressure", ""},
        {"decibar", false, "sea_water_pressure", ""},
        {"kPa", false, "sea_water_pressure", ""},
        {"meters", true, "", ""},  // the default: a depth estimate, not a pressure
        {"m", true, "", ""},
        {"deg C", true, "", "sea_water_temperature"},
        {"deg C", false, "", ""},  // the housing's temperature is not the water's
        {"K", true, "", "sea_water_temperature"},
        {"volts", true, "", ""},
        {"", true, "", ""},
        {"furlongs per fortnight", true, "", ""},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(pressureStandardName(r.units), r.pressure) << r.units;
        EXPECT_EQ(temperatureStandardName(r.units, r.water), r.temperature) << r.units << " water " << r.water;
    }
}

TEST(CfConventions, UnitsTextsCheckedByUdunits)
{
    ASSERT_TRUE(unitsCheckAvailable());
    struct Row {
        const char* profile;
        const char* spelled;
        bool unit;
    } rows[] = {
        {"mwatts", "mW", true},  {"volts", "V", true},     {"meters", "m", true},
        {"deg C", "degC", true}, {"", "1", true},          {"dbar", "dbar", true},
        {"uL L-1", "uL L-1", true}, {"m s-1", "m s-1", true},
        {"PSU (approx)", "PSU (approx)", false}, {"%%", "%%", false}, {"m^^2", "m^^2", false},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(udunitsSpelling(r.profile), r.spelled) << r.profile;
        EXPECT_EQ(isUdunitsUnit(udunitsSpelling(r.profile)), r.unit) << r.profile;
    }
    EXPECT_FALSE(isUdunitsUnit(std::string("m\0s", 3)));
    EXPECT_TRUE(unitsConvertible("dbar", "Pa"));
    EXPECT_FALSE(unitsConvertible("m", "Pa"));
    EXPECT_FALSE(unitsConvertible("nonsense!", "Pa"));
}

TEST(CfConventions, DiscoveryAttributesTheProgramWrites)
{
    struct Duration {
        double seconds;
        const char* iso;
    } durations[] = {{0, "PT0S"},          {1.5, "PT1.5S"},         {60, "PT1M"},       {7211, "PT2H11S"},
                     {86400, "P1D"},       {90061.25, "P1DT1H1M1.25S"}, {0.0004, "PT0S"}, {-1, ""}};
    for (const Duration& d : durations)
        EXPECT_EQ(isoDuration(d.seconds), d.iso) << d.seconds;
    EXPECT_DOUBLE_EQ(medianStep({0, 1, 2, 3, 13}), 1.0);
    EXPECT_TRUE(std::isnan(medianStep({5})));

    // Lat first, as EPSG:4326 orders its axes.
    EXPECT_EQ(wktBounds({{54.5, 7.25}}), "POINT (54.5 7.25)");
    EXPECT_EQ(wktBounds({{54.5, 7.25}, {54.5, 8}}), "LINESTRING (54.5 7.25, 54.5 8)");
    EXPECT_EQ(wktBounds({{54.5, 7.25}, {NAN, 1}, {53, 8}}), "POLYGON ((53 7.25, 54.5 7.25, 54.5 8, 53 8, 53 7.25))");
    EXPECT_EQ(wktBounds({}), "");

    // A UUID of version 8 and variant 10, the same from the same seed.
    const std::string a = fileUuid("cast.nc 2026"), b = fileUuid("cast.nc 2027");
    ASSERT_EQ(a.size(), 36u);
    EXPECT_EQ(a[14], '8');
    EXPECT_NE(std::string("89ab").find(a[19]), std::string::npos) << a;
    EXPECT_EQ(a, fileUuid("cast.nc 2026"));
    EXPECT_NE(a, b);

    for (const char* computed : {"Conventions", "history", "time_coverage_end", "geospatial_bounds", "setting_VolConv",
                                 "instrument", "cast"})
        EXPECT_TRUE(isComputedAttribute(computed)) << computed;
    for (const char* given : {"title", "summary", "keywords", "id", "naming_authority", "creator_name", "platform"})
        EXPECT_FALSE(isComputedAttribute(given)) << given;
    EXPECT_EQ(missingDiscoveryAttributes({{"title", "T"}, {"keywords", " "}}),
              (std::vector<std::string>{"summary", "keywords"}));
    // The keywords' vocabulary is asked for once there are keywords.
    EXPECT_EQ(missingArchiveAttributes({{"creator_name", "A"}, {"license", "CC-BY-4.0"}, {"keywords", " "}}),
              (std::vector<std::string>{"creator_email", "institution", "naming_authority", "platform"}));
    EXPECT_EQ(missingArchiveAttributes({{"creator_name", "A"}, {"creator_email", "a@b"}, {"institution", "I"},
                                        {"license", "L"}, {"naming_authority", "org.example"}, {"platform", "P"},
                                        {"keywords", "k"}}),
              (std::vector<std::string>{"keywords_vocabulary"}));
}
