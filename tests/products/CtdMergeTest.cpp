// The CTD cast from a Sea-Bird .cnv file and its values at the frames' times.
#include "core/FrameTimes.h"
#include "products/CnvFile.h"
#include "products/CtdMerge.h"
#include "tests/support/TestFiles.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace kavro;
using namespace kavro::test;

namespace {

double utc(const char* iso)
{
    double s = 0.0;
    EXPECT_TRUE(parseUtcTimestamp(iso, s)) << iso;
    return s;
}

// A header as SBE Data Processing writes it, with the columns given.
std::string cnv(const std::string& names, const std::string& scans, const std::string& extra = "")
{
    return "* Sea-Bird SBE 9 Data File:\n* FileName = C:\\data\\st01.hex\n"
           "* System UTC = Jun 02 2026 11:40:05\n** Ship: Heincke\n# nquan = " +
           std::to_string(std::count(names.begin(), names.end(), '\n')) + "\n" + names +
           "# start_time = Jun 02 2026 11:40:05 [System UTC, first data scan]\n"
           "# bad_flag = -9.990e-29\n" + extra + "# file_type = ascii\n*END*\n" + scans;
}

}  // namespace

TEST(UnescoDepth, CheckValueAndTeos10WhereTheyAgree)
{
    // The formula's own check value, and near the surface gsw.z_from_p (TEOS-10,
    // python3-gsw 3.6.16), which differs from it by under a millimetre to 1000 dbar.
    struct Case {
        double p, latitude, depth, tolerance;
    };
    const Case cases[] = {
        {10000.0, 30.0, 9712.653, 0.0005},
        {10.0, 54.2, 9.910323, 0.005},
        {100.0, 0.0, 99.426676, 0.005},
        {250.0, -33.0, 248.087445, 0.005},
        {500.0, 90.0, 494.033867, 0.005},
        {1000.0, 70.0, 987.496679, 0.005},
        {0.0, 45.0, 0.0, 0.0},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(unescoDepth(c.p, c.latitude), c.depth, c.tolerance) << c.p << " dbar at " << c.latitude;
    // North and south alike.
    EXPECT_DOUBLE_EQ(unescoDepth(300.0, -54.0), unescoDepth(300.0, 54.0));
}

TEST(CnvFile, ScansInTimeWhicheverWayTheFileGivesIt)
{
    const double start = utc("2026-06-02T11:40:05Z");
    struct Case {
        const char* name;
        std::string text;
        std::vector<double> utc, pressure, temperature, salinity;
    };
    const std::vector<Case> cases = {
        {"timeS: seconds since start_time",
         cnv("# name 0 = timeS: Time, Elapsed [seconds]\n# name 1 = prDM: Pressure, Digiquartz [db]\n"
             "# name 2 = t090C: Temperature [ITS-90, deg C]\n# name 3 = sal00: Salinity, Practical [PSU]\n",
             "      0.000      1.250    12.3456    31.9876\n      0.042      1.300    12.3400    31.9900\n"),
         {start, start + 0.042}, {1.25, 1.3}, {12.3456, 12.34}, {31.9876, 31.99}},
        {"timeJ: day of the year, 1 Jan 00:00 = 1.0",
         cnv("# name 0 = timeJ: Julian Days\n# name 1 = prdM: Pressure, Strain Gauge [db]\n",
             "153.50000 2.0\n153.75000 4.0\n"),
         {utc("2026-06-02T12:00:00Z"), utc("2026-06-02T18:00:00Z")}, {2.0, 4.0}, {NAN, NAN}, {NAN, NAN}},
        {"no time column: start_time + index * interval",
         cnv("# name 0 = prSM: Pressure, Strain Gauge [db]\n# name 1 = t068C: Temperature [IPTS-68, deg C]\n"
             "# name 2 = sal11: Salinity, Practical, 2 [PSU]\n",
             "1 10 30\n2 11 31\n3 12 32\n", "# interval = seconds: 0.5\n"),
         {start, start + 0.5, start + 1.0}, {1, 2, 3}, {10, 11, 12}, {30, 31, 32}},
        {"bad_flag is NaN; a scan without a time has no place; blank and CRLF lines",
         cnv("# name 0 = timeS: Time, Elapsed [seconds]\n# name 1 = prDM: Pressure [db]\n"
             "# name 2 = sal00: Salinity [PSU]\n",
             "0 1 -9.990e-29\r\n\r\n-9.990e-29 5 35\r\n1 2 35.5\r\n"),
         {start, start + 1}, {1, 2}, {NAN, NAN}, {NAN, 35.5}},
        {"scans out of order are sorted by time",
         cnv("# name 0 = prDM: Pressure [db]\n# name 1 = timeS: Time, Elapsed [seconds]\n",
             "3 2.0\n1 0.0\n2 1.0\n"),
         {start, start + 1, start + 2}, {1, 2, 3}, {NAN, NAN, NAN}, {NAN, NAN, NAN}},
        {"timeJ across the new year",
         "# name 0 = timeJ: Julian Days\n# name 1 = prDM: Pressure [db]\n"
         "# start_time = Dec 31 2025 23:00:00\n*END*\n365.9375 1\n1.0 2\n",
         {utc("2025-12-31T22:30:00Z"), utc("2026-01-01T00:00:00Z")}, {1, 2}, {NAN, NAN}, {NAN, NAN}},
    };
    auto same = [](const std::vector<double>& got, const std::vector<double>& want, double tolerance) {
        if (got.size() != want.size())
            return false;
        for (std::size_t i = 0; i < got.size(); ++i)
            if (std::isnan(want[i]) ? !std::isnan(got[i]) : !(std::abs(got[i] - want[i]) <= tolerance))
                return false;
        return true;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CnvCast cast = parseCnv(c.text, "st01.cnv");
        EXPECT_EQ(cast.path, "st01.cnv");
        EXPECT_PRED3(same, cast.utc, c.utc, 1e-4);  // timeJ is written to 1e-5 days
        EXPECT_PRED3(same, cast.pressure, c.pressure, 1e-12);
        EXPECT_PRED3(same, cast.temperature, c.temperature, 1e-12);
        EXPECT_PRED3(same, cast.salinity, c.salinity, 1e-12);
    }
}

TEST(CnvFile, ProblemsNameTheFileAndTheLine)
{
    const std::string names = "# name 0 = timeS: Time [s]\n# name 1 = prDM: Pressure [db]\n";
    struct Case {
        std::string text, problem;
    };
    // The header of cnv() with two columns takes lines 1 to 11, *END* the last; the scans begin on line 12.
    const std::vector<Case> cases = {
        {cnv(names, "0 1\n1 x\n"), "st01.cnv: line 13: value 2 \"x\" is not a number"},
        {cnv(names, "0 1\n1 2 3\n"), "st01.cnv: line 13: 3 values where the header names 2 columns"},
        {cnv(names, "0 1\n1 nan\n"), "st01.cnv: line 13: value 2 \"nan\" is not a number"},
        {cnv(names, ""), "st01.cnv: no scans with a time after the header"},
        // *END* the file's last byte: nothing after it to size the scans by.
        {"# name 0 = prDM: Pressure [db]\n# interval = seconds: 1\n# start_time = Jun 02 2026 11:40:05\n*END*",
         "st01.cnv: no scans with a time after the header"},
        {"# name 0 = prDM: Pressure [db]\n0 1\n", "st01.cnv: the header has no *END* line: not a Sea-Bird .cnv file"},
        {"", "st01.cnv: the header has no *END* line: not a Sea-Bird .cnv file"},
        {"* free text\n*END*\n1 2\n", "st01.cnv: line 2: the header names no columns (# name 0 = ...)"},
        {cnv("# name 0 = timeS: Time [s]\n# name 1 = t090C: Temperature\n", "0 1\n"),
         "st01.cnv: line 11: no pressure column (prDM, prdM or prSM)"},
        {cnv("# name 0 = prDM: Pressure [db]\n", "1\n"),
         "st01.cnv: line 10: no time: neither a timeS or timeJ column nor a start_time with an interval in seconds"},
        {cnv("# name 0 = prDM: Pressure [db]\n", "1\n", "# interval = decibars: 1\n"),
         "st01.cnv: line 11: no time: neither a timeS or timeJ column nor a start_time with an interval in seconds"},
        {"# name 0 = timeS: Time [s]\n# name 1 = prDM: Pressure [db]\n*END*\n0 1\n",
         "st01.cnv: line 3: a timeS column needs a start_time in the header"},
        {"# name 0 = prDM: Pressure [db]\n# name 2 = timeS: Time [s]\n*END*\n",
         "st01.cnv: line 3: column 1 is not named (the names go 0, 1, 2, ...)"},
        {"# name 0 = prDM: Pressure [db]\n# name 0 = timeS: Time [s]\n*END*\n", "st01.cnv: line 2: column 0 is named twice"},
        {"# name x = prDM: Pressure [db]\n*END*\n",
         "st01.cnv: line 1: a column line is not \"# name <number> = <short name>: <description>\""},
        {"# start_time = 2026-06-02 11:40:05\n*END*\n",
         "st01.cnv: line 1: start_time \"2026-06-02 11:40:05\" is not \"Mon DD YYYY HH:MM:SS\""},
        {"# interval = seconds: 0\n*END*\n", "st01.cnv: line 1: interval \"seconds: 0\" is not \"seconds: <number above 0>\""},
        {"# nquan = 3\n# name 0 = prDM: Pressure [db]\n*END*\n", "st01.cnv: line 1: nquan 3 differs from the 1 columns named"},
        {"# nquan = three\n*END*\n", "st01.cnv: line 1: nquan \"three\" is not a whole number"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        try {
            parseCnv(c.text, "st01.cnv");
            ADD_FAILURE() << "read without a problem";
        } catch (const CnvError& e) {
            EXPECT_EQ(e.what(), c.problem);
        }
    }
    TempDir dir;
    try {
        readCnv(dir.file("gone.cnv"));
        ADD_FAILURE() << "a missing file was read";
    } catch (const CnvError& e) {
        EXPECT_EQ(std::string(e.what()).rfind(dir.file("gone.cnv") + ": cannot be read: ", 0), 0u) << e.what();
    }
    writeFile(dir.file("st.cnv"), cnv(names, "0 5\n"));
    EXPECT_EQ(readCnv(dir.file("st.cnv")).pressure, std::vector<double>{5.0});
}

TEST(CtdMerge, LinearInTimeAndNothingOutsideTheCast)
{
    CnvCast scans;
    scans.path = "st.cnv";
    scans.utc = {100.0, 110.0, 120.0, 130.0};
    scans.pressure = {0.0, 10.0, 30.0, 40.0};
    scans.temperature = {20.0, 18.0, 14.0, NAN};  // the last scan's temperature was bad_flag
    scans.salinity = {30.0, 31.0, 33.0, 34.0};
    scans.depth = {NAN, NAN, NAN, NAN};
    const double lat = 30.0;
    const CtdTrack ctd(scans, lat);
    struct Case {
        double t;
        CtdValues want;  // depth from the pressure
    };
    const Case cases[] = {
        {100.0, {0.0, 20.0, 30.0, 0}}, {105.0, {5.0, 19.0, 30.5, 0}}, {110.0, {10.0, 18.0, 31.0, 0}},
        {117.5, {25.0, 15.0, 32.5, 0}}, {120.0, {30.0, 14.0, 33.0, 0}},
        {125.0, {35.0, NAN, 33.5, 0}},  // between a value and a missing one: missing
        {130.0, {40.0, NAN, 34.0, 0}},
        {99.999, {NAN, NAN, NAN, NAN}}, {130.001, {NAN, NAN, NAN, NAN}}, {NAN, {NAN, NAN, NAN, NAN}},
    };
    auto near = [](double got, double want) { return std::isnan(want) ? std::isnan(got) : std::abs(got - want) < 1e-9; };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.t);
        const CtdValues v = ctd.at(c.t);
        EXPECT_PRED2(near, v.pressure, c.want.pressure);
        EXPECT_PRED2(near, v.temperature, c.want.temperature);
        EXPECT_PRED2(near, v.salinity, c.want.salinity);
        const double depth = std::isnan(c.want.pressure) ? NAN : unescoDepth(c.want.pressure, lat);
        EXPECT_PRED2(near, v.depth, depth);
        EXPECT_PRED2(near, ctd.depthAt(c.t), depth);
        EXPECT_EQ(ctd.covers(c.t), !std::isnan(c.want.pressure));
    }
    // At the frames of a cast, as the NetCDF file stores them: each frame's values
    // are those at its time made float, NaN outside the span, without a time and
    // past the frames given.
    FrameTimes times;
    const double frameTimes[] = {105.0, 99.0, 117.5, 125.0, 130.0, 131.0};
    for (int n = 0; n < 6; ++n)
        times.add(n, frameTimes[n]);  // frame 6 has no time stamp
    const CtdFrames frames(ctd, times, 7);
    EXPECT_EQ(frames.path(), "st.cnv");
    EXPECT_EQ(frames.latitude(), lat);
    auto asStored = [](float got, double want) {
        return std::isnan(want) ? std::isnan(got) : got == static_cast<float>(want);
    };
    for (long long n = -1; n <= 7; ++n) {
        SCOPED_TRACE(n);
        const double t = n >= 0 && n < 6 ? frameTimes[n] : NAN;
        const CtdValues want = ctd.at(t);
        const CtdFrames::Values got = frames.at(n);
        EXPECT_PRED2(asStored, got.pressure, want.pressure);
        EXPECT_PRED2(asStored, got.temperature, want.temperature);
        EXPECT_PRED2(asStored, got.salinity, want.salinity);
        EXPECT_PRED2(asStored, got.depth, want.depth);
        EXPECT_EQ(frames.covers(n), ctd.covers(t));
    }
    // Two scans at one time (a file sorted by a coarse clock): no division by zero.
    scans.utc = {100.0, 100.0, 110.0, 120.0};
    const CtdTrack same(scans, lat);
    EXPECT_TRUE(std::isfinite(same.at(100.0).pressure));
    EXPECT_NEAR(same.at(105.0).pressure, 20.0, 1e-9);
}
