// What the auxiliary parameters window shows: values cut to three or one decimals
// (never rounded, never undefined beyond the 32-bit range), the transmission of a
// summary record and the warnings at their thresholds.
#include "auxiliary/AuxDisplay.h"

#include <climits>
#include <cmath>
#include <gtest/gtest.h>
#include <string>

using namespace kavro;

TEST(AuxDisplay, CutsTowardZeroWithoutRounding)
{
    EXPECT_DOUBLE_EQ(Trunc3(12.3459), 12.345);
    EXPECT_DOUBLE_EQ(Trunc3(-0.0019), -0.001);
    EXPECT_DOUBLE_EQ(Trunc3(1.23456), 1.234);
    EXPECT_DOUBLE_EQ(Trunc1(10.034), 10.0);
    EXPECT_DOUBLE_EQ(Trunc1(-7.99), -7.9);
    EXPECT_DOUBLE_EQ(Trunc3(0.3), 0.3);
}

TEST(AuxDisplay, AValueBeyondTheIntegerRangeSaturates)
{
    EXPECT_EQ(truncateToInt32(1e300), INT_MAX);
    EXPECT_EQ(truncateToInt32(-1e300), INT_MIN);
    EXPECT_EQ(truncateToInt32(std::nan("")), 0);
    EXPECT_EQ(truncateToInt32(INFINITY), INT_MAX);
    EXPECT_EQ(truncateToInt32(2147483646.9), 2147483646);
    EXPECT_DOUBLE_EQ(Trunc3(1e12), INT_MAX / 1000.0);
    EXPECT_DOUBLE_EQ(Trunc1(-1e12), INT_MIN / 10.0);
}

TEST(AuxDisplay, ChannelValuesByTheirRule)
{
    HKChannel battery{0.005017, 0.0, "volts", "Battery"};
    HKChannel laser{0.0012, 0.0, "mwatts", "Laser Power"};
    HKChannel pressure{0.0536, 1.0, "meters", "Pressure"};
    // Battery 2000 counts: 10.034 volts cut to one decimal.
    EXPECT_DOUBLE_EQ(shownAuxValue(1, 2000.0, battery, false, false), 10.0);
    EXPECT_DOUBLE_EQ(shownAuxValue(0, 1000.0, laser, false, false), 1.2);
    HKChannel fine{0.00123456, 0.0, "", ""};
    EXPECT_DOUBLE_EQ(shownAuxValue(3, 1000.0, fine, false, false), 1.234);  // 1.23456
    // 100 counts x 0.0536 + 1: 6.36 metres, cut to one decimal.
    EXPECT_DOUBLE_EQ(shownAuxValue(4, 100.0, pressure, false, false), 6.3);
    // Counts asked for: shown as they are.
    EXPECT_DOUBLE_EQ(shownAuxValue(1, 2000.0, battery, false, true), 2000.0);
    // A .psd file's stored values: no calibration, only the cut (the raw box has no say).
    EXPECT_DOUBLE_EQ(shownAuxValue(1, 12.37, battery, true, true), 12.3);
    EXPECT_DOUBLE_EQ(shownAuxValue(5, 21.12345, battery, true, false), 21.123);
}

TEST(AuxDisplay, SummaryTransmissionNeedsBothCountsAboveOneHundred)
{
    EXPECT_DOUBLE_EQ(summaryTransmission(2000.0, 1000.0, 2.0), 1.0);
    EXPECT_DOUBLE_EQ(summaryTransmission(1234.0, 1000.0, 2.0), 0.617);
    EXPECT_DOUBLE_EQ(summaryTransmission(1999.0, 1000.0, 3.0), 0.666);  // 0.6663 cut
    EXPECT_EQ(summaryTransmission(100.0, 1000.0, 2.0), 0.0);
    EXPECT_EQ(summaryTransmission(2000.0, 100.0, 2.0), 0.0);
}

TEST(AuxDisplay, WarningsAtTheirThresholds)
{
    auto clarity = [](double t) { return std::string(auxWarnings(t, 0, 0).clarity); };
    EXPECT_EQ(clarity(1.0), " ");
    EXPECT_EQ(clarity(0.3), " ");
    EXPECT_EQ(clarity(1.0001), "Warning: Water too clear.");
    EXPECT_EQ(clarity(0.2999), "Warning: Water too turbid.");
    EXPECT_EQ(clarity(0.0), "Warning: Water too turbid.");
    EXPECT_EQ(clarity(std::nan("")), "Warning: Water too turbid.");

    AuxWarnings none = auxWarnings(0.5, 0, 0);
    EXPECT_EQ(std::string(none.saturated), " ");
    EXPECT_EQ(std::string(none.zero), " ");
    AuxWarnings both = auxWarnings(0.5, 1, 2);
    EXPECT_EQ(std::string(both.saturated), "Warning: Saturated ring values.");
    EXPECT_EQ(std::string(both.zero), "Warning: Zero ring values.");
}
