#include "core/FrameTimes.h"
#include "core/OutputRecord.h"
#include "platform/NumText.h"
#include "platform/Sha256.h"
#include "products/CtdMerge.h"
#include "tests/core/CoreFixture.h"
#include "tests/tools/CliRun.h"
#include "tools/ProcessJob.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <netcdf.h>
#include <gtest/gtest.h>

using namespace kavro;
using namespace kavro::test;

namespace {

// Frames whose laser power word is laser (laser reference reference); ring 1 of frame n is n.
std::string frames(int count, std::uint16_t laser, std::uint16_t reference = 2000)
{
    std::vector<std::vector<std::uint16_t>> f;
    for (int n = 0; n < count; ++n) {
        std::vector<std::uint16_t> words(40, 2000);
        words[0] = static_cast<std::uint16_t>(n);
        words[1] = n == 2 ? 4094 : 500;
        words[32] = laser;
        words[35] = reference;
        words[37] = static_cast<std::uint16_t>(100 + n);
        f.push_back(words);
    }
    return rawRecords(f);
}

struct CliFilesTest : CliFixture {
    CliResult processTo(const std::string& raw, const std::string& psd, const std::string& multiScan)
    {
        return runCli({"process", "-q", "--profile", profile, "--cal-dir", cal.dir.path(), "--multiscan", multiScan,
                       "-o", psd, raw});
    }
};

}  // namespace

TEST(ProcessJob, NameRules)
{
    EXPECT_EQ(cli::defaultOutput("/data/cast.3.raw", ""), "/data/cast.psd");
    EXPECT_EQ(cli::defaultOutput("/data/cast.3.raw", "/out"), "/out/cast.psd");
    EXPECT_EQ(cli::defaultOutput("run.raw", ""), "run.psd");
    EXPECT_EQ(cli::defaultBackground("/data/cast.raw", "/cal", 1), "/data/zsc.asc");
    EXPECT_EQ(cli::defaultBackground("/data/cast.raw", "/cal", 0), "/cal/zsc.asc");
}

TEST_F(CliFilesTest, InfoOfARecordingAndOfItsPsd)
{
    const std::string raw = work.file("r.dat");
    writeFile(raw, frames(6, 3000) + "xyz");
    CliResult r = runCli({"info", "--profile", profile, raw});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Frames: 6\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Trailing bytes (not a whole record, never read): 3\n"), std::string::npos);
    EXPECT_NE(r.out.find("Multi-scan: no\n"), std::string::npos);
    EXPECT_NE(r.out.find("Temperature"), std::string::npos);
    EXPECT_NE(r.out.find("   100    105"), std::string::npos) << r.out;  // channel 6 words 100..105
    EXPECT_NE(r.out.find("Ring words equal to 0: 1 in 1 frames\n"), std::string::npos);
    EXPECT_NE(r.out.find("Ring words above 4093 (saturated): 1 in 1 frames\n"), std::string::npos);

    ASSERT_EQ(processTo(raw, work.file("r.psd"), "auto").status, 0);
    r = runCli({"info", "--profile", profile, work.file("r.psd")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Header records: 2\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Instrument model: 0 (calibration set a)\n"), std::string::npos);
    EXPECT_NE(r.out.find("Background file: " + cal.path("zsc.asc") + "\n"), std::string::npos);
    EXPECT_NE(r.out.find("Frame records: 6\n"), std::string::npos);
    EXPECT_NE(r.out.find("Class diameters (um): 1 2 3"), std::string::npos);

    writeFile(work.file("bad.psd"), std::string(2048, 'x'));
    r = runCli({"info", "--profile", profile, work.file("bad.psd")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "kavro-cli: " + work.file("bad.psd") + ": not a KAVRO400 particle size distribution file\n");
}

TEST_F(CliFilesTest, MultiScanChoices)
{
    const std::string raw = work.file("m.raw");
    writeFile(raw, frames(5, 64000));
    CliResult r = runCli({"info", "--profile", profile, raw});
    EXPECT_NE(r.out.find("Multi-scan: yes, summed 16-scan data (AutoMultiScan = 1)\n"), std::string::npos) << r.out;

    ASSERT_EQ(processTo(raw, work.file("yes.psd"), "yes").status, 0);
    ASSERT_EQ(processTo(raw, work.file("no.psd"), "no").status, 0);
    ASSERT_EQ(processTo(raw, work.file("auto.psd"), "auto").status, 0);
    const std::string yes = readFile(work.file("yes.psd")), no = readFile(work.file("no.psd"));
    EXPECT_FALSE(yes == no);
    EXPECT_TRUE(readFile(work.file("auto.psd")) == yes);
    // Laser power aux value of the first frame: 4000 × 0.0012 divided, 64000 × 0.0012 not.
    EXPECT_FLOAT_EQ(getFloat32(reinterpret_cast<const unsigned char*>(yes.data()) + 1024 + 4 * 64), 4.8f);
    EXPECT_FLOAT_EQ(getFloat32(reinterpret_cast<const unsigned char*>(no.data()) + 1024 + 4 * 64), 76.8f);

    // Where the program would ask, the CLI takes No.
    writeFile(profile, "[Miscellaneous]\nNumIterations=5\nAutoMultiScan=0\n");
    r = runCli({"info", "--profile", profile, raw});
    EXPECT_NE(r.out.find("detected; the program asks"), std::string::npos) << r.out;
    ASSERT_EQ(processTo(raw, work.file("asked.psd"), "auto").status, 0);
    EXPECT_TRUE(readFile(work.file("asked.psd")) == no);
}

namespace {

// The float32 entry of data record n of a .psd held in bytes.
float entry(const std::string& psd, int n, int e)
{
    return getFloat32(reinterpret_cast<const unsigned char*>(psd.data()) + (2 + n) * 512 + 4 * e);
}

std::vector<float> ncFloats(int nc, const char* name, std::size_t count)
{
    int var = -1;
    std::vector<float> v(count);
    EXPECT_EQ(nc_inq_varid(nc, name, &var), NC_NOERR) << name;
    EXPECT_EQ(nc_get_var_float(nc, var, v.data()), NC_NOERR) << name;
    return v;
}

// A text attribute of a variable (global: none); "<none>" when it is not there.
std::string ncText(int nc, const char* name, const char* variable = nullptr)
{
    int var = NC_GLOBAL;
    if (variable && nc_inq_varid(nc, variable, &var) != NC_NOERR)
        return "<no variable>";
    std::size_t len = 0;
    if (nc_inq_attlen(nc, var, name, &len) != NC_NOERR)
        return "<none>";
    std::string s(len, '\0');
    nc_get_att_text(nc, var, name, s.data());
    return s;
}

// What a shell command prints (stdout and stderr) and its exit status.
std::pair<int, std::string> shell(const std::string& command)
{
    std::FILE* p = popen((command + " 2>&1").c_str(), "r");
    if (!p)
        return {-1, ""};
    std::string out;
    char buf[512];
    while (std::fgets(buf, sizeof buf, p))
        out += buf;
    return {pclose(p), out};
}

// Four frames with laser light, then two without; frames 0..2 time-stamped by a time
// file of an earlier version (numbered from 1), which every reader still takes as is.
struct ExportTest : CliFilesTest {
    std::string psd = work.file("e.psd");
    std::string bytes;
    void SetUp() override
    {
        CliFilesTest::SetUp();
        writeFile(work.file("e.raw"), frames(4, 3000) + frames(2, 50));
        ASSERT_EQ(processTo(work.file("e.raw"), psd, "auto").status, 0);
        bytes = readFile(psd);
        writeFile(work.file("e.time.csv"), "frame,utc\n1,2026-12-09T02:20:45.123Z\n2,2026-12-09T02:20:45.623Z\n"
                                           "3,2026-12-09T02:20:46.123Z\n");
        writeFile(profile, "[Miscellaneous]\nNumIterations=5\n[Instrument1]\nHK1Label=Batt, main\nHK6Label=\n");
    }
};

}  // namespace

TEST_F(ExportTest, NetcdfReadsBackThroughTheCApi)
{
    CliResult r = runCli({"export", "--netcdf", "--profile", profile, "--cal-dir", cal.dir.path(), psd});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, psd + " -> " + work.file("e.nc") + "\n");
    int nc = -1;
    ASSERT_EQ(nc_open(work.file("e.nc").c_str(), NC_NOWRITE, &nc), NC_NOERR);
    int dim = -1;
    std::size_t frameCount = 0;
    ASSERT_EQ(nc_inq_dimid(nc, "frame", &dim), NC_NOERR);
    nc_inq_dimlen(nc, dim, &frameCount);
    ASSERT_EQ(frameCount, 6u);
    const auto volume = ncFloats(nc, "volume_concentration", 6 * 32);
    const auto mean = ncFloats(nc, "mean_diameter", 6);
    const auto transmission = ncFloats(nc, "transmission", 6);
    const auto laser = ncFloats(nc, "laser_power", 6);
    const auto battery = ncFloats(nc, "batt_main", 6);
    const auto unlabelled = ncFloats(nc, "aux7", 6);
    const auto vsf = ncFloats(nc, "volume_scattering_function", 6 * 32);
    for (int n = 0; n < 6; ++n) {
        for (int k = 0; k < 32; ++k) {
            if (n < 4) {
                EXPECT_EQ(volume[static_cast<std::size_t>(32 * n + k)], entry(bytes, n, k)) << n << " " << k;
                // The .psd's log10 of the function made the function in m-1 sr-1 again.
                EXPECT_FLOAT_EQ(vsf[static_cast<std::size_t>(32 * n + k)],
                                static_cast<float>(std::pow(10.0, entry(bytes, n, 72 + k))));
            } else {
                EXPECT_TRUE(std::isnan(volume[static_cast<std::size_t>(32 * n + k)]));  // laser off: no data
                EXPECT_TRUE(std::isnan(vsf[static_cast<std::size_t>(32 * n + k)]));
            }
        }
        EXPECT_EQ(laser[static_cast<std::size_t>(n)], entry(bytes, n, 64));
        EXPECT_EQ(battery[static_cast<std::size_t>(n)], entry(bytes, n, 65));
        EXPECT_EQ(unlabelled[static_cast<std::size_t>(n)], entry(bytes, n, 70));
        if (n < 4) {
            EXPECT_EQ(mean[static_cast<std::size_t>(n)], entry(bytes, n, 104));
            EXPECT_EQ(transmission[static_cast<std::size_t>(n)], entry(bytes, n, 106));
        } else {
            EXPECT_EQ(entry(bytes, n, 104), -1.0f);  // the placeholder in the .psd ...
            EXPECT_TRUE(std::isnan(mean[static_cast<std::size_t>(n)]));  // ... is the fill value here
            EXPECT_TRUE(std::isnan(transmission[static_cast<std::size_t>(n)]));
        }
    }
    int var = -1;
    unsigned char flags[6] = {};
    ASSERT_EQ(nc_inq_varid(nc, "quality_flag", &var), NC_NOERR);
    nc_get_var_uchar(nc, var, flags);
    EXPECT_EQ(flags[4] & 1, 1);
    EXPECT_EQ(flags[0] & 1, 0);
    long long time[6] = {};
    nc_type timeType = NC_NAT;
    ASSERT_EQ(nc_inq_varid(nc, "time", &var), NC_NOERR);
    nc_inq_vartype(nc, var, &timeType);
    EXPECT_EQ(timeType, NC_INT64);  // whole milliseconds, decoded exactly
    nc_get_var_longlong(nc, var, time);
    EXPECT_EQ(time[1] - time[0], 500);
    int timeVar = var;
    EXPECT_EQ(ncText(nc, "units", "time"), "milliseconds since 2026-12-09 00:00:00");
    EXPECT_EQ(time[2], ((2 * 60 + 20) * 60 + 46) * 1000LL + 123);
    long long fill = 0;
    nc_get_att_longlong(nc, timeVar, "_FillValue", &fill);
    EXPECT_EQ(time[3], fill);
    EXPECT_EQ(ncText(nc, "axis", "time"), "<none>");  // an auxiliary coordinate, not the frame axis
    // Every variable along the frames names its time and the vertical coordinate (the
    // pressure channel in metres), the data their quality flags; standard names where CF has one.
    for (const char* v : {"volume_concentration", "d50", "transmission", "volume_scattering_function", "laser_power", "aux7",
                          "quality_flag"})
        EXPECT_EQ(ncText(nc, "coordinates", v), "time pressure") << v;
    EXPECT_EQ(ncText(nc, "coordinates", "pressure"), "time");
    EXPECT_EQ(ncText(nc, "axis", "pressure") + ncText(nc, "positive", "pressure"), "Zdown");
    for (const char* v : {"volume_concentration", "d50", "volume_scattering_function"})
        EXPECT_EQ(ncText(nc, "ancillary_variables", v), "quality_flag") << v;
    EXPECT_EQ(ncText(nc, "ancillary_variables", "laser_power"), "<none>");
    EXPECT_EQ(ncText(nc, "units", "volume_scattering_function"), "m-1 sr-1");
    EXPECT_EQ(ncText(nc, "featureType"), "<none>");  // no place: not a profile of the sea
    struct Named {
        const char* variable;
        const char* standardName;
    } named[] = {
        {"beam_attenuation", "volume_beam_attenuation_coefficient_of_radiative_flux_in_sea_water"},
        {"quality_flag", "status_flag"},
        {"time", "time"},
        {"pressure", "depth"},      // calibrated in meters: a depth, not a pressure
        {"vsf_angle", "scattering_angle"},
        {"volume_scattering_function", "volume_scattering_function_of_radiative_flux_in_sea_water"},
        {"temperature", "<none>"},  // the profile does not say it is the water's
        {"laser_power", "<none>"},
    };
    for (const Named& n : named)
        EXPECT_EQ(ncText(nc, "standard_name", n.variable), n.standardName) << n.variable;
    EXPECT_EQ(ncText(nc, "units", "pressure"), "m");
    EXPECT_EQ(ncText(nc, "source_file_sha256"), sha256Hex(bytes));
    EXPECT_EQ(ncText(nc, "calibration_check"), "the calibration folder holds the class diameters of the .psd header");
    EXPECT_EQ(ncText(nc, "Conventions"), "CF-1.10, ACDD-1.3");
    EXPECT_EQ(ncText(nc, "background_file"), cal.path("zsc.asc"));
    EXPECT_EQ(ncText(nc, "background_file_sha256"), sha256Hex(readFile(cal.path("zsc.asc"))));
    EXPECT_NE(ncText(nc, "calibration_files_sha256").find(sha256Hex(readFile(cal.path("H32_a.asc"))) + "  "),
              std::string::npos);
    EXPECT_NE(ncText(nc, "history").find("kavro-cli export --netcdf"), std::string::npos);
    nc_close(nc);
    // The digests check with sha256sum -c run in the NetCDF file's folder.
    int again = -1;
    ASSERT_EQ(nc_open(work.file("e.nc").c_str(), NC_NOWRITE, &again), NC_NOERR);
    writeFile(work.file("sums"), ncText(again, "calibration_files_sha256"));
    nc_close(again);
    const auto [status, out] = shell("cd / && cd " + work.path() + " && sha256sum -c sums");
    EXPECT_EQ(status, 0) << out;
    EXPECT_NE(out.find("M32x32_a.asc: OK"), std::string::npos) << out;
}

// xarray and pandas of Debian read the NetCDF file and the CSV table as a scientist would.
TEST_F(ExportTest, XarrayAndTheCsvModuleReadTheExports)
{
    const std::string python = "/usr/bin/python3";
    if (!std::filesystem::exists(python))
        GTEST_SKIP() << "no " << python;
    ASSERT_EQ(runCli({"export", "--netcdf", "-q", "--profile", profile, "-o", work.file("x.nc"), psd}).status, 0);
    ASSERT_EQ(runCli({"export", "--csv", "-q", "--profile", profile, "-o", work.file("x.csv"), psd}).status, 0);
    ASSERT_EQ(runCli({"export", "--csv", "-q", "--decimal-comma", "--profile", profile, "-o", work.file("y.csv"), psd})
                  .status,
              0);
    writeFile(work.file("check.py"), R"(import csv, sys, warnings
warnings.simplefilter('ignore', RuntimeWarning)  # xarray casting the missing times
import numpy as np, xarray as xr
psd, nc, table, comma = sys.argv[1:5]
rec = np.fromfile(psd, dtype='<f4', offset=1024).reshape(-1, 128)
ds = xr.open_dataset(nc)
assert ds.attrs['Conventions'] == 'CF-1.10, ACDD-1.3'
assert ds.time.dtype.kind == 'M', ds.time.dtype
assert ds.time.values[0] == np.datetime64('2026-12-09T02:20:45.123'), ds.time.values[0]
assert ds.time.values[2] == np.datetime64('2026-12-09T02:20:46.123'), ds.time.values[2]
assert np.isnat(ds.time.values[3])
assert np.array_equal(ds.volume_concentration.values[:4], rec[:4, :32])
assert np.isnan(ds.volume_concentration.values[4:]).all()
assert np.isnan(ds.mean_diameter.values[4:]).all()
assert np.array_equal(ds.mean_diameter.values[:4], rec[:4, 104])
assert ds.size_class.units == 'um' and len(ds.size_class_bounds) == 32
b = ds.size_class_bounds.values
assert ((b[:, 0] < ds.size_class.values) & (ds.size_class.values < b[:, 1])).all(), b
assert (b[1:, 0] == b[:-1, 1]).all()
assert np.isin(ds.mode_diameter.values[:4], ds.size_class.values).all(), ds.mode_diameter.values
assert (ds.quality_flag.values[4:] & 1).all()
assert ds.d10.values[0] <= ds.d50.values[0] <= ds.d90.values[0]
rows = list(csv.DictReader(open(table, newline='')))
assert len(rows) == 6
assert rows[0]['utc'] == '2026-12-09T02:20:45.123Z' and rows[3]['utc'] == ''
for i in range(6):
    assert int(rows[i]['frame']) == i
    got = rows[i]['mean_diameter_um']
    if i < 4:
        assert np.float32(got) == rec[i, 104], (got, rec[i, 104])
        assert abs(float(rows[i]['d50_um']) - float(ds.d50.values[i])) < 1e-3 * float(ds.d50.values[i])
    else:
        assert got == '' and rows[i]['transmission'] == '' and rows[i]['quality_flag'] != '0'
assert 'batt_main_volts' in rows[0] and 'aux7' in rows[0]
european = list(csv.reader(open(comma, newline=''), delimiter=';'))
assert european[0] == list(rows[0].keys())
assert european[1][list(rows[0].keys()).index('mean_diameter_um')] == rows[0]['mean_diameter_um'].replace('.', ',')
print('ok')
)");
    const std::string cmd = python + " " + work.file("check.py") + " " + psd + " " +
                            work.file("x.nc") + " " + work.file("x.csv") + " " + work.file("y.csv") + " 2>&1";
    std::FILE* p = popen(cmd.c_str(), "r");
    ASSERT_NE(p, nullptr);
    std::string out;
    char buf[512];
    while (std::fgets(buf, sizeof buf, p))
        out += buf;
    EXPECT_EQ(pclose(p), 0) << out;
    EXPECT_EQ(out, "ok\n");
}

// A recording from the instrument's own logger: its start time and interval give
// every frame its time, numbered as a live recording numbers them, and the exports
// put each time on its own frame.
// The CTD's pressure rises 10 dbar, its temperature 1 deg C a second from 02:20:45,
// its salinity falls 0.1: frames 0 to 2 (at 45.123, 45.623, 46.123 s) lie inside,
// frames 3 to 5 have no time stamp.
TEST_F(ExportTest, TheCtdMergedByTime)
{
    const std::string cnv = work.file("st.cnv");
    writeFile(cnv, "* Sea-Bird SBE 9 Data File:\n# nquan = 4\n# name 0 = timeS: Time, Elapsed [seconds]\n"
                   "# name 1 = prDM: Pressure, Digiquartz [db]\n# name 2 = t090C: Temperature [ITS-90, deg C]\n"
                   "# name 3 = sal00: Salinity, Practical [PSU]\n# start_time = Dec 09 2026 02:20:45 [NMEA]\n"
                   "# bad_flag = -9.990e-29\n*END*\n 1.0 10.0 11.0 34.9\n 0.0 0.0 10.0 35.0\n 2.0 20.0 12.0 34.8\n");
    const std::string nc = work.file("ctd.nc");
    CliResult r = runCli({"export", "--netcdf", "-q", "--profile", profile, "--cal-dir", cal.dir.path(), "--ctd", cnv,
                          "--latitude", "30", "-o", nc, psd});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "kavro-cli: " + nc + ": warning: 3 of 6 frames lie outside the time span of the CTD cast " +
                         cnv + " (or have no time stamp): their CTD values are NaN\n");
    int id = -1;
    ASSERT_EQ(nc_open(nc.c_str(), NC_NOWRITE, &id), NC_NOERR);
    const auto pressure = ncFloats(id, "ctd_pressure", 6);
    const auto temperature = ncFloats(id, "ctd_temperature", 6);
    const auto salinity = ncFloats(id, "ctd_salinity", 6);
    const auto depth = ncFloats(id, "depth", 6);
    const double seconds[] = {0.123, 0.623, 1.123};
    for (int n = 0; n < 6; ++n) {
        SCOPED_TRACE(n);
        const auto i = static_cast<std::size_t>(n);
        if (n >= 3) {
            EXPECT_TRUE(std::isnan(pressure[i]) && std::isnan(temperature[i]) && std::isnan(salinity[i]) &&
                        std::isnan(depth[i]));
            continue;
        }
        const double t = seconds[n];
        EXPECT_NEAR(pressure[i], 10.0 * t, 1e-5);
        EXPECT_NEAR(temperature[i], 10.0 + t, 1e-5);
        EXPECT_NEAR(salinity[i], 35.0 - 0.1 * t, 1e-5);
        EXPECT_NEAR(depth[i], unescoDepth(10.0 * t, 30.0), 1e-5);
    }
    struct Attributes {
        const char* variable;
        const char* standardName;
        const char* units;
    } attributes[] = {{"ctd_pressure", "sea_water_pressure", "dbar"},
                      {"ctd_temperature", "sea_water_temperature", "degree_Celsius"},
                      {"ctd_salinity", "sea_water_practical_salinity", "1"},
                      {"depth", "depth", "m"}};
    for (const Attributes& a : attributes) {
        EXPECT_EQ(ncText(id, "standard_name", a.variable), a.standardName);
        EXPECT_EQ(ncText(id, "units", a.variable), a.units);
        // The CTD's depth is the vertical coordinate of every other variable.
        EXPECT_EQ(ncText(id, "coordinates", a.variable), a.variable == std::string("depth") ? "time" : "time depth");
    }
    EXPECT_EQ(ncText(id, "positive", "depth") + ncText(id, "axis", "depth"), "downZ");
    EXPECT_EQ(ncText(id, "axis", "pressure"), "<none>");
    EXPECT_NE(ncText(id, "comment", "depth").find("latitude 30 degrees north"), std::string::npos);
    EXPECT_NE(ncText(id, "comment", "ctd_salinity").find(cnv), std::string::npos);
    EXPECT_NE(ncText(id, "history").find("--ctd " + cnv + " --latitude 30"), std::string::npos);
    nc_close(id);

    // What cannot be merged is told, naming the file, and nothing is written.
    writeFile(work.file("bad.cnv"), "# name 0 = timeS: Time\n# name 1 = prDM: Pressure\n# start_time = Dec 09 "
                                    "2026 02:20:45\n*END*\n0 1\n1 2 3\n");
    writeFile(work.file("u.psd"), bytes);  // no time file beside it
    struct Refused {
        std::vector<std::string> args;
        int status;
        std::string err;
    };
    const std::string bad = work.file("bad.cnv");
    const std::vector<Refused> refused = {
        {{"--ctd", bad, "--latitude", "30", psd}, 1, bad + ": line 6: 3 values where the header names 2 columns"},
        {{"--ctd", cnv, "--latitude", "30", work.file("u.psd")}, 1,
         work.file("u.psd") + ": the CTD is merged by time, and the frames have no time stamps (<name>.time.csv "
                              "beside the .psd)"},
        {{"--ctd", cnv, psd}, 2, "--ctd needs the cast's --latitude (for the depth)"},
        {{"--latitude", "30", psd}, 2, "--latitude goes with --ctd"},
        {{"--ctd", cnv, "--latitude", "30", psd, work.file("u.psd")}, 2,
         "--ctd is the CTD of one cast: give one .psd file"},
    };
    for (const Refused& c : refused) {
        std::vector<std::string> args = {"export", "--netcdf", "-q", "--profile", profile, "-o", work.file("no.nc")};
        args.insert(args.end(), c.args.begin(), c.args.end());
        r = runCli(args);
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
        EXPECT_FALSE(fileExists(work.file("no.nc")));
    }
    r = runCli({"export", "--csv", "-q", "--profile", profile, "--ctd", cnv, "--latitude", "30", psd});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("--ctd goes with --netcdf"), std::string::npos) << r.err;
}

TEST_F(ExportTest, StartTimeGivesAProcessedRecordingItsTimes)
{
    const std::string psd2 = work.file("n.psd");
    CliResult r = runCli({"process", "-q", "--profile", profile, "--cal-dir", cal.dir.path(), "--first", "2",
                          "--start-time", "2026-12-09T23:59:59Z", "--interval", "0.5", "-o", psd2,
                          work.file("e.raw")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readFile(work.file("n.time.csv")), "record,utc\n0,2026-12-10T00:00:00.000Z\n1,2026-12-10T00:00:00.500Z\n"
                                                 "2,2026-12-10T00:00:01.000Z\n3,2026-12-10T00:00:01.500Z\n");
    r = runCli({"export", "--csv", "-q", "--profile", profile, psd2});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\n0,2026-12-10T00:00:00.000Z,"), std::string::npos) << r.out.substr(0, 400);
    EXPECT_NE(r.out.find("\n3,2026-12-10T00:00:01.500Z,"), std::string::npos);
    // --update redoes a .psd whose time file is missing.
    std::filesystem::remove(work.file("n.time.csv"));
    r = runCli({"process", "-q", "--update", "--profile", profile, "--cal-dir", cal.dir.path(), "--start-time",
                "2026-12-09T23:59:59Z", "-o", psd2, work.file("e.raw")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readFile(work.file("n.time.csv")).substr(0, 38), "record,utc\n0,2026-12-09T23:59:59.000Z\n");
}

TEST_F(ExportTest, UpdateSkipsWhatIsNewerAndRedoesWhatIsNot)
{
    namespace fs = std::filesystem;
    const std::string nc = work.file("e.nc");
    ASSERT_EQ(runCli({"export", "--netcdf", "--update", "--profile", profile, psd}).status, 0);
    CliResult r = runCli({"export", "--netcdf", "--update", "--profile", profile, psd});
    EXPECT_EQ(r.out, psd + ": " + nc + " is up to date, skipped\n");
    // A newer time file (or .psd) makes the output stale.
    fs::last_write_time(work.file("e.time.csv"), fs::last_write_time(nc) + std::chrono::seconds(5));
    r = runCli({"export", "--netcdf", "--update", "--profile", profile, psd});
    EXPECT_EQ(r.out, psd + " -> " + nc + "\n");

    const std::string raw = work.file("e.raw");
    r = runCli({"process", "--update", "--profile", profile, "--cal-dir", cal.dir.path(), "-o", psd, raw});
    EXPECT_EQ(r.out, raw + ": " + psd + " is up to date, skipped\n") << r.err;
    fs::last_write_time(psd, fs::last_write_time(raw) - std::chrono::seconds(5));
    r = runCli({"process", "--update", "-q", "--profile", profile, "--cal-dir", cal.dir.path(), "-o", psd, raw});
    EXPECT_EQ(r.status, 0);
    EXPECT_GT(fs::last_write_time(psd), fs::last_write_time(raw));
    EXPECT_EQ(runCli({"export", "--csv", "--update", psd}).status, 2);  // stdout cannot be up to date

    // Options that change what the output holds make it again, however new it is;
    // each step changes one thing of the step before.
    CalibrationFolder other;
    other.write("Dias32_b.asc", "2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24 25 26 27 28 29 30 31 32 33");
    const std::vector<std::string> base = {"process", "--update", "--profile", profile, "--background",
                                           cal.path("zsc.asc"), "-o", psd};
    struct Step {
        std::vector<std::string> options;
        bool redone;
    } steps[] = {
        {{"--cal-dir", cal.dir.path()}, false},
        {{"--cal-dir", cal.dir.path(), "--model", "1"}, true},
        {{"--cal-dir", cal.dir.path(), "--model", "1"}, false},
        {{"--cal-dir", cal.dir.path(), "--model", "1", "--last", "2"}, true},
        {{"--cal-dir", cal.dir.path(), "--model", "1", "--first", "1", "--last", "3"}, true},
        {{"--cal-dir", other.dir.path(), "--model", "1", "--first", "1", "--last", "3"}, true},
        {{"--cal-dir", other.dir.path(), "--model", "1", "--first", "1", "--last", "3", "--start-time",
          "2026-12-09T02:00:00Z"},
         true},
        {{"--cal-dir", other.dir.path(), "--model", "1", "--first", "1", "--last", "3", "--start-time",
          "2026-12-09T02:00:00Z", "--interval", "2"},
         true},
        {{"--cal-dir", other.dir.path(), "--model", "1", "--first", "1", "--last", "3", "--start-time",
          "2026-12-09T02:00:00Z", "--interval", "2"},
         false},
    };
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        std::vector<std::string> args = base;
        args.insert(args.end(), steps[i].options.begin(), steps[i].options.end());
        args.push_back(raw);
        r = runCli(args);
        ASSERT_EQ(r.status, 0) << "step " << i << ": " << r.err;
        EXPECT_EQ(r.out == raw + ": " + psd + " is up to date, skipped\n", !steps[i].redone) << "step " << i << ": " << r.out;
    }
    // An export names its calibration folder: another one makes it again.
    ASSERT_EQ(runCli({"export", "--netcdf", "--update", "--profile", profile, "--cal-dir", other.dir.path(), psd}).status, 0);
    r = runCli({"export", "--netcdf", "--update", "--profile", profile, "--cal-dir", other.dir.path(), psd});
    EXPECT_EQ(r.out, psd + ": " + nc + " is up to date, skipped\n");
    r = runCli({"export", "--netcdf", "--update", "--profile", profile, "--cal-dir", cal.dir.path(), psd});
    EXPECT_EQ(r.out, psd + " -> " + nc + "\n");
}

// A frame whose transmission the correction raised to its floor (laser power just
// above 100 with a high laser reference) has no usable light: flagged, and without
// concentrations or statistics in the NetCDF, the CSV, info and summary.
TEST_F(CliFilesTest, FramesAtTheTransmissionFloorHoldNoData)
{
    writeFile(work.file("f.raw"), frames(2, 3000) + frames(1, 101, 60000));
    ASSERT_EQ(processTo(work.file("f.raw"), work.file("f.psd"), "no").status, 0);
    const std::string bytes = readFile(work.file("f.psd"));
    ASSERT_EQ(entry(bytes, 2, 106), 0.001f);  // the floor, as the .psd stores it
    ASSERT_GT(entry(bytes, 2, 0) + entry(bytes, 2, 104), 0.0f);  // ... with a distribution made of noise
    ASSERT_EQ(runCli({"export", "--netcdf", "-q", "--profile", profile, work.file("f.psd")}).status, 0);
    int nc = -1;
    ASSERT_EQ(nc_open(work.file("f.nc").c_str(), NC_NOWRITE, &nc), NC_NOERR);
    int var = -1;
    unsigned char flags[3] = {};
    nc_inq_varid(nc, "quality_flag", &var);
    nc_get_var_uchar(nc, var, flags);
    EXPECT_EQ(flags[2] & 1, 1);
    EXPECT_EQ(flags[0] & 1, 0);
    for (const char* v : {"volume_concentration", "total_volume_concentration", "mean_diameter", "d50", "mode_diameter",
                          "junge_slope", "transmission", "beam_attenuation"}) {
        const std::size_t width = std::string(v) == "volume_concentration" ? 32 : 1;
        const auto values = ncFloats(nc, v, 3 * width);
        EXPECT_TRUE(std::isnan(values[2 * width])) << v;
        EXPECT_FALSE(std::isnan(values[0])) << v;
    }
    nc_close(nc);
    CliResult r = runCli({"export", "--csv", "--profile", profile, work.file("f.psd")});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::size_t third = r.out.find("\n2,");
    ASSERT_NE(third, std::string::npos) << r.out;
    // No volume in any of the 32 classes, no total volume.
    EXPECT_EQ(r.out.substr(third, 2 + 33), "\n2" + std::string(33, ',')) << r.out.substr(third, 80);
    r = runCli({"info", "--profile", profile, work.file("f.psd")});
    EXPECT_NE(r.out.find("Frames with a size distribution: 2\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("  laser_off_or_too_weak    1\n"), std::string::npos) << r.out;
    r = runCli({"summary", work.file("f.psd")});
    EXPECT_EQ(r.out.substr(r.out.find('\n') + 1).rfind(work.file("f.psd") + ",3,2,", 0), 0u) << r.out;
}

// Provenance that names what the export used: the .psd's own digest, a warning and
// a calibration_check when the calibration folder is not the one the .psd was
// processed with, units UDUNITS cannot read moved into the comment, standard names
// only where the profile's units and words allow them, and with SOURCE_DATE_EPOCH
// the same bytes from two exports.
TEST_F(ExportTest, ProvenanceUnitsAndReproducibleBytes)
{
    CalibrationFolder other;
    other.write("Dias32_a.asc", "2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24 25 26 27 28 29 30 31 32 33");
    writeFile(profile, "[Miscellaneous]\nNumIterations=5\n[Instrument1]\nHK4Units=dbar\nHK5Units=deg C\n"
                       "WaterTemperature=1\nHK6Units=PSU (approx)\n");
    const std::string nc = work.file("p.nc");
    CliResult r = runCli({"export", "--netcdf", "-q", "--profile", profile, "--cal-dir", other.dir.path(), "-o", nc, psd},
                         "SOURCE_DATE_EPOCH=1765246845;export SOURCE_DATE_EPOCH;");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("kavro-cli: " + nc + ": warning: calibration folder " + other.dir.path() +
                         " is not the one the .psd was processed with ("),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("kavro-cli: " + nc + ": warning: units \"PSU (approx)\" of channel Aux 1 are not a UDUNITS"),
              std::string::npos)
        << r.err;
    const std::string first = readFile(nc);
    r = runCli({"export", "--netcdf", "-q", "--profile", profile, "--cal-dir", other.dir.path(), "-o", nc, psd},
               "SOURCE_DATE_EPOCH=1765246845;export SOURCE_DATE_EPOCH;");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(readFile(nc) == first) << "two exports of one cast differ";
    int id = -1;
    ASSERT_EQ(nc_open(nc.c_str(), NC_NOWRITE, &id), NC_NOERR);
    EXPECT_EQ(ncText(id, "date_created"), "2025-12-09T02:20:45.000Z");
    EXPECT_EQ(ncText(id, "history").rfind("2025-12-09T02:20:45.000Z kavro-cli export", 0), 0u);
    EXPECT_EQ(ncText(id, "calibration_check").rfind("does not match the .psd header: ", 0), 0u);
    EXPECT_NE(ncText(id, "calibration_check").find("class 1 a diameter of 2 um, the .psd header 1 um"),
              std::string::npos);
    EXPECT_EQ(ncText(id, "standard_name", "pressure"), "sea_water_pressure");
    EXPECT_EQ(ncText(id, "standard_name", "temperature"), "sea_water_temperature");
    EXPECT_EQ(ncText(id, "units", "temperature"), "degC");
    EXPECT_EQ(ncText(id, "units", "aux_1"), "<none>");
    EXPECT_NE(ncText(id, "comment", "aux_1").find("(not a UDUNITS unit): PSU (approx)"), std::string::npos);
    nc_close(id);
}

TEST_F(ExportTest, AFailedWriteLeavesNoPartialFile)
{
    namespace fs = std::filesystem;
    const std::string out = work.file("out");
    fs::create_directory(out);
    // The first megabyte of HDF5 gets through, not the frames.
    writeFile(work.file("big.raw"), frames(1200, 3000));
    ASSERT_EQ(processTo(work.file("big.raw"), work.file("big.psd"), "auto").status, 0);
    CliResult r = runCli({"export", "--netcdf", "--profile", profile, "-o", out + "/big.nc", work.file("big.psd")},
                         "ulimit -f 40;");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.rfind("kavro-cli: " + out + "/big.nc: ", 0), 0u) << r.err;
    r = runCli({"export", "--csv", "--profile", profile, "-o", out + "/big.csv", work.file("big.psd")}, "ulimit -f 40;");
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_TRUE(fs::is_empty(out)) << fs::directory_iterator(out)->path();
    // A folder that cannot exist: a file stands where it should be.
    r = runCli({"export", "--netcdf", "--profile", profile, "-o", psd + "/x.nc", psd});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(psd + "/x.nc: "), std::string::npos) << r.err;
    EXPECT_EQ(readFile(psd), bytes);
    // A folder where the summary table should go: one line naming it once, with the reason.
    r = runCli({"summary", "-o", out, psd});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.rfind("kavro-cli: " + out + ": ", 0), 0u) << r.err;
    EXPECT_EQ(r.err.find(out, r.err.find(out) + out.size()), std::string::npos) << r.err;
}

TEST_F(ExportTest, InfoAndSummaryTellTheCastInNumbers)
{
    CliResult r = runCli({"info", "--profile", profile, psd});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Frames with a size distribution: 4\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("  laser_off_or_too_weak    2\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("  saturated_rings          1\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Times (UTC): 2026-12-09T02:20:45.123Z to 2026-12-09T02:20:46.123Z (3 of 6 frames stamped)\n"),
              std::string::npos)
        << r.out;
    std::filesystem::create_directory(work.file("sub"));
    std::filesystem::copy_file(psd, work.file("sub/f.psd"));
    r = runCli({"summary", work.path()});
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<std::string> lines;
    for (std::size_t at = 0, end; (end = r.out.find('\n', at)) != std::string::npos; at = end + 1)
        lines.push_back(r.out.substr(at, end - at));
    ASSERT_EQ(lines.size(), 3u) << r.out;
    EXPECT_EQ(lines[0].rfind("file,frames,frames_with_distribution,frames_unflagged,laser_off_or_too_weak,", 0), 0u);
    EXPECT_EQ(lines[1].rfind(psd + ",6,4,", 0), 0u) << lines[1];
    EXPECT_EQ(lines[2].rfind(work.file("sub/f.psd") + ",6,4,", 0), 0u) << lines[2];
    EXPECT_NE(lines[1].find(",0,a," + cal.path("zsc.asc") + ",2026-12-09T02:20:45.123Z,2026-12-09T02:20:46.123Z"),
              std::string::npos)
        << lines[1];
    EXPECT_EQ(lines[2].substr(lines[2].size() - 3), ",,,");  // no time file beside it
    EXPECT_EQ(r.err, "");
    // A time file that cannot be read: warned on stderr and named in the row, as info does.
    writeFile(work.file("sub/f.time.csv"), "frame;utc\n");
    r = runCli({"summary", work.file("sub/f.psd")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "kavro-cli: warning: times not read, " + work.file("sub/f.time.csv") +
                         ": the first line is not \"record,utc\" (nor \"frame,utc\")\n");
    EXPECT_NE(r.out.find(",,,\"" + work.file("sub/f.time.csv") + ": the first line is not \"\"record,utc\"\" (nor \"\"frame,utc\"\")\"\n"),
              std::string::npos)
        << r.out;
}

// A recording cut off at sea: a .psd the file system made longer whose end never
// reached the disk, a time file that ends in a half line.  Every command leaves them
// out and says so on stderr; what it writes is what the whole recording gives.
TEST_F(ExportTest, ACutOffRecordingIsToldAndLeftOut)
{
    const std::string cut = work.file("cut.psd"), cutTimes = work.file("cut.time.csv");
    const std::string zero(512, '\0');
    auto warning = [](const std::string& file, const std::string& what) {
        return "kavro-cli: warning: " + file + ": " + what + ", left out: the recording was cut off\n";
    };
    const std::string whole = runCli({"export", "--csv", "--profile", profile, "-o", "-", psd}).out;
    struct Row {
        const char* name;
        std::string tail;      // after the whole recording's records
        bool halfLine;         // the time file ends in a half line
        std::string warnings;  // {psd} and {times} for the files
    } rows[] = {
        {"three zero-filled records", zero + zero + zero, false, "{psd}3 zero-filled records at the end"},
        {"one zero-filled record and a half time line", zero, true,
         "{psd}1 zero-filled record at the end|{times}a half line at the end"},
        {"a zero-filled record, then part of one", zero + std::string(300, '\0'), false,
         "{psd}1 zero-filled record at the end|{psd}part of a record at the end (300 bytes)"},
        {"a half time line alone", "", true, "{times}a half line at the end"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        writeFile(cut, bytes + row.tail);
        writeFile(cutTimes, readFile(work.file("e.time.csv")) + (row.halfLine ? "4,2026-12-09T02:20:4" : ""));
        std::string expected;
        for (std::size_t at = 0; at <= row.warnings.size();) {
            std::size_t end = row.warnings.find('|', at);
            if (end == std::string::npos)
                end = row.warnings.size();
            const std::string w = row.warnings.substr(at, end - at);
            expected += w.rfind("{psd}", 0) == 0 ? warning(cut, w.substr(5)) : warning(cutTimes, w.substr(7));
            at = end + 1;
        }
        CliResult r = runCli({"info", "--profile", profile, cut});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, expected);
        EXPECT_NE(r.out.find("Frame records: 6\n"), std::string::npos) << r.out;
        const long long zeros = static_cast<long long>(row.tail.size() / 512);
        EXPECT_EQ(r.out.find("Zero-filled records at the end (the recording was cut off, left out): " +
                             std::to_string(zeros) + "\n") != std::string::npos,
                  zeros > 0)
            << r.out;
        EXPECT_NE(r.out.find("(3 of 6 frames stamped)"), std::string::npos) << r.out;
        // The table is the whole recording's, byte for byte.
        r = runCli({"export", "--csv", "--profile", profile, "-o", "-", cut});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, expected);
        EXPECT_EQ(r.out, whole);
        r = runCli({"export", "--netcdf", "-q", "--profile", profile, "--cal-dir", cal.dir.path(), cut});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, expected);
        int nc = -1, dim = -1;
        std::size_t frameCount = 0;
        ASSERT_EQ(nc_open(work.file("cut.nc").c_str(), NC_NOWRITE, &nc), NC_NOERR);
        EXPECT_EQ(nc_inq_dimid(nc, "frame", &dim), NC_NOERR);
        nc_inq_dimlen(nc, dim, &frameCount);
        nc_close(nc);
        EXPECT_EQ(frameCount, 6u);
        // The summary of a folder of casts counts the frames the same way.
        r = runCli({"summary", cut});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, expected);
        EXPECT_NE(r.out.find("\n" + cut + ",6,4,"), std::string::npos) << r.out;
    }
}
