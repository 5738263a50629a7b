// kavro-cli cruise: a station log of casts to an archive, end to end.
#include "core/OutputRecord.h"
#include "products/CtdMerge.h"
#include "products/StationLog.h"
#include "tests/support/SyntheticCast.h"
#include "tools/CruiseJob.h"
#include "tests/tools/CliRun.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <netcdf.h>
#include <sys/stat.h>

using namespace kavro;
using namespace kavro::test;

namespace {

// Frames of a raw recording going down: pressure words 20 per frame (about 1.07 m).
std::string descendingRecording(int count)
{
    std::vector<std::vector<std::uint16_t>> f;
    for (int n = 0; n < count; ++n) {
        std::vector<std::uint16_t> words(40, 2000);
        words[32] = 3000;
        words[35] = 2000;
        words[36] = static_cast<std::uint16_t>(20 * n);
        f.push_back(words);
    }
    return rawRecords(f);
}

// The bins of cast "a" are those of a descent known by construction (bin size 2).
const std::vector<SyntheticFrame> kCastA = {{0.5, 3, 2.0}, {1.5, 3, 4.0}, {2.5, 5, 6.0, true}, {3.0, 5, 2.0},
                                            {6.5, 7, 8.0}, {2.0, 9, 1.0}};
const std::vector<SyntheticFrame> kCastB = {{1.0, 10, 3.0}, {9.0, 12, 5.0}};

struct CruiseTest : CliFixture {
    std::string log = work.file("casts/CASTS.csv");
    std::string out = work.file("archive");

    void SetUp() override
    {
        CliFixture::SetUp();
        std::filesystem::create_directories(work.file("casts"));
        writeFile(work.file("casts/a.psd"), syntheticPsd(kCastA));
        writeFile(work.file("casts/b.psd"), syntheticPsd(kCastB, 1));
        // b.psd brings its own times (a live recording's).
        writeFile(work.file("casts/b.time.csv"), "record,utc\n0,2026-12-09T03:00:00.000Z\n1,2026-12-09T03:00:01.000Z\n");
        writeFile(work.file("casts/r.dat"), descendingRecording(12));
        writeLog("Bravo, shelf");
    }
    void writeLog(const std::string& bravo)
    {
        // Positions and times as scientists write them; b.psd is of model 1, not 0.
        writeFile(log, "Recording,cast,station,latitude,longitude,start_utc,interval_s,cal_dir,leg,model\n"
                       "a.psd,,Alpha,54 06.0 N,7\xC2\xB0" "12'E,2026-12-09T03:00+01:00,0.5,,1,\n"
                       "b.psd,B,\"" + bravo + "\",54.3,7.9,,,,2,0\n"
                       "r.dat,R,Charlie,55.0,8.125,2026-12-09T04:00:00Z,1," + cal.dir.path() + ",2.5,\n"
                       ",,,,,,,,,\n"
                       "missing.psd,M,Delta,54,7,,,,,\n"
                       "b.psd,X,Echo,95,7,,,,,\n");
    }
    CliResult cruise(const std::string& outDir, const std::vector<std::string>& extra = {}, const char* jobs = "2")
    {
        std::vector<std::string> args = {"cruise", log, "-o", outDir, "--profile", profile, "--bin", "2", "-j", jobs,
                                         "--attr", "title=Test cruise", "--attr", "creator_name=A. Scientist"};
        args.insert(args.end(), extra.begin(), extra.end());
        return runCli(args, "export SOURCE_DATE_EPOCH=1796774400;");
    }
    std::string python(const std::string& script, const std::vector<std::string>& args)
    {
        // xarray warns when it casts the NaN of a cast without times.
        writeFile(work.file("check.py"), "import warnings\nwarnings.simplefilter('ignore', RuntimeWarning)\n" + script);
        std::string cmd = "/usr/bin/python3 " + work.file("check.py");
        for (const std::string& a : args)
            cmd += " '" + a + "'";
        std::FILE* p = popen((cmd + " 2>&1").c_str(), "r");
        std::string text;
        char buf[512];
        while (p && std::fgets(buf, sizeof buf, p))
            text += buf;
        if (!p || pclose(p) != 0)
            text += "(failed)";
        return text;
    }
};

long long mtimeNs(const std::string& path)
{
    struct stat s {};
    if (::stat(path.c_str(), &s) != 0)
        return -1;
    return s.st_mtim.tv_sec * 1000000000LL + s.st_mtim.tv_nsec;
}

}  // namespace

TEST_F(CruiseTest, BadRowsAreToldAndTheOtherCastsGoOn)
{
    const CliResult r = cruise(out);
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find(log + " line 6: recording " + work.file("casts/missing.psd") + " not found"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find(log + " line 7: latitude 95 is outside -90 to 90"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(log + " line 3: warning: model 0 differs from model 1 of " + work.file("casts/b.psd")),
              std::string::npos)
        << r.err;
    for (const char* file : {"psd/a.psd", "psd/a.time.csv", "psd/B.psd", "psd/R.psd", "psd/R.time.csv", "nc/a.nc",
                             "nc/B.nc", "nc/R.nc", "cruise_profiles.nc", "cruise_summary.csv"})
        EXPECT_TRUE(std::filesystem::exists(out + "/" + file)) << file;
    EXPECT_FALSE(std::filesystem::exists(out + "/psd/M.psd"));
    const std::string summary = readFile(out + "/cruise_summary.csv");
    EXPECT_NE(summary.find("\na,Alpha,54.1,7.2,2026-12-09T02:00:00.000Z,2026-12-09T02:00:02.500Z,6,1,"),
              std::string::npos)
        << summary;
    EXPECT_NE(summary.find("\nB,\"Bravo, shelf\",54.3,7.9,2026-12-09T03:00:00.000Z,2026-12-09T03:00:01.000Z,2,"),
              std::string::npos)
        << summary;
    EXPECT_NE(summary.find("\nR,Charlie,55,8.125,2026-12-09T04:00:00.000Z,2026-12-09T04:00:11.000Z,12,"),
              std::string::npos)
        << summary;
    EXPECT_EQ(std::count(summary.begin(), summary.end(), '\n'), 4);

    CliResult bad;
    // A .psd that is none is told by its own name, and nothing of it lands in the archive.
    writeFile(work.file("casts/junk.psd"), "garbage");
    writeFile(work.file("junk.csv"), "recording,latitude,longitude,start_utc\ncasts/junk.psd,1,2,2026-12-09T02:00Z\n");
    bad = runCli({"cruise", work.file("junk.csv"), "-o", out, "--profile", profile});
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("kavro-cli: " + work.file("casts/junk.psd") + ": "), std::string::npos) << bad.err;
    EXPECT_FALSE(std::filesystem::exists(out + "/psd/junk.psd"));

    // A calibration folder of model 0 alone, asked for model 2: the warning says why it fails.
    const std::string only = work.file("cal-a");
    std::filesystem::create_directories(only);
    for (const auto& entry : std::filesystem::directory_iterator(cal.dir.path()))
        if (entry.path().filename().string().find("_a.") != std::string::npos)
            std::filesystem::copy_file(entry.path(), only + "/" + entry.path().filename().string());
    writeFile(work.file("model.csv"),
              "recording,latitude,longitude,start_utc,model,cal_dir\ncasts/r.dat,1,2,2026-12-09T02:00Z,2," + only + "\n");
    bad = runCli({"cruise", work.file("model.csv"), "-o", work.file("model-out"), "--profile", profile});
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("kavro-cli: " + work.file("model.csv") + " line 2: warning: model 2 differs from model 0 of " +
                           only + "\n"),
              std::string::npos)
        << bad.err;

    // A log that cannot be read at all, and options that make no sense.
    EXPECT_EQ(runCli({"cruise", work.file("none.csv"), "-o", out, "--profile", profile}).status, 1);
    writeFile(work.file("nohead.csv"), "cast,station\nx,y\n");
    bad = runCli({"cruise", work.file("nohead.csv"), "-o", out, "--profile", profile});
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.err, "kavro-cli: " + work.file("nohead.csv") + ": the header has no \"recording\" column\n");
    bad = cruise(out, {"--attr", "no value"});
    EXPECT_EQ(bad.status, 2);
    bad = cruise(out, {"--rows", "7"});
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find("--rows: \"7\" is not a row or range of rows from 1 to 5"), std::string::npos) << bad.err;
}

// xarray and netCDF4 of Debian read the profile file as a scientist would, and
// the bins of cast a are those its frames give by construction.
TEST_F(CruiseTest, ProfilesReadInXarrayAndNetcdf4)
{
    if (!std::filesystem::exists("/usr/bin/python3"))
        GTEST_SKIP() << "no python3";
    ASSERT_EQ(cruise(out).status, 1);
    const std::string both = work.file("both");
    ASSERT_EQ(cruise(both, {"--part", "both"}).status, 1);
    const std::string result = python(R"(import sys, warnings
import numpy as np, xarray as xr, netCDF4
path, both = sys.argv[1:]
ds = xr.open_dataset(path)
assert ds.attrs['featureType'] == 'profile'
assert ds.attrs['Conventions'] == 'CF-1.10, ACDD-1.3'
assert ds.attrs['title'] == 'Test cruise' and ds.attrs['creator_name'] == 'A. Scientist'
assert ds.attrs['date_created'] == '2026-12-09T00:00:00.000Z', ds.attrs['date_created']
assert ds.attrs['geospatial_lat_min'] == 54.1 and ds.attrs['geospatial_lat_max'] == 55.0
assert ds.attrs['time_coverage_start'] == '2026-12-09T02:00:00.000Z'
assert list(ds.cast.values.astype(str)) == ['a', 'B', 'R'], ds.cast.values
assert list(ds.station.values.astype(str)) == ['Alpha', 'Bravo, shelf', 'Charlie']
assert ds.cast.attrs['cf_role'] == 'profile_id'
assert list(ds.leg.values) == [1.0, 2.0, 2.5], ds.leg.values
assert ds.depth.attrs['positive'] == 'down' and ds.depth.attrs['units'] == 'm'
# b is of another model: each cast has its class diameters.
assert ds.size_class_diameter.dims == ('profile', 'size_class')
assert list(ds.size_class_diameter.values[:, 2]) == [3.0, 6.0, 3.0], ds.size_class_diameter.values[:, 2]
assert ds.d50.dims == ('profile', 'depth') and ds.volume_concentration.dims == ('profile', 'depth', 'size_class')
assert ds.time.values[0] == np.datetime64('2026-12-09T02:00:00'), ds.time.values
assert ds.time.values[1] == np.datetime64('2026-12-09T03:00:00'), ds.time.values
a = ds.sel(profile=0)
# a: bin 0 frames 0, 1 (class 3: 2, 4), bin 1 frame 3 (class 5: 2; frame 2 is laser off), bins 2 empty, bin 3 frame 4.
assert list(a.depth.values[:4]) == [1.0, 3.0, 5.0, 7.0]
assert list(a.n_frames.values[:4]) == [2, 1, 0, 1], a.n_frames.values
vc = a.volume_concentration.values
assert vc[0, 3] == 3.0 and vc[1, 5] == 2.0 and vc[3, 7] == 8.0 and vc[0, 5] == 0.0
assert np.isnan(vc[2]).all() and np.isnan(a.d50.values[2])
assert a.total_volume_concentration.values[0] == 3.0 and a.mean_diameter.values[0] == 13.0
assert abs(a.pressure.values[0] - 1.0) < 1e-6, a.pressure.values
assert (a.n_frames.values[4:] == 0).all()
# The spread of each bin beside its mean: bin 0 holds 2 and 4 uL/L of class 3.
assert abs(a.total_volume_concentration_std.values[0] - 2 ** 0.5) < 1e-6 and a.d50_std.values[0] == 0.0
assert np.isnan(a.total_volume_concentration_std.values[1]) and np.isnan(a.d50_std.values[3])  # one frame: no spread
assert a.transmission_std.attrs['cell_methods'] == 'depth: standard_deviation'
# The distributions of a bin from its mean volume and the cast's classes (the
# bounds are stored as float32: 1e-5 is their precision in ln(upper/lower)).
def distributions(v, d, lo, hi):
    return v * 1e9 / (np.pi / 6 * d ** 3) / (hi - lo), v / np.log(hi / lo)
cast = xr.open_dataset(path.replace('cruise_profiles.nc', 'nc/a.nc'))
lo, hi = cast.size_class_bounds.values[:, 0], cast.size_class_bounds.values[:, 1]
n, v = distributions(vc[0], a.size_class_diameter.values, lo, hi)
assert np.allclose(a.number_size_distribution.values[0], n, rtol=1e-5) and n[3] > 0
assert np.allclose(a.volume_size_distribution.values[0], v, rtol=1e-5)
assert ds.number_size_distribution.attrs['units'] == 'L-1 um-1'
assert ds.volume_size_distribution.attrs['units'] == 'uL L-1'
# ... and per frame in the cast's own file, NaN where the frame has no light.
n, v = distributions(cast.volume_concentration.values, cast.size_class.values, lo, hi)
assert np.allclose(cast.number_size_distribution.values, n, rtol=1e-5, equal_nan=True)
assert np.allclose(cast.volume_size_distribution.values, v, rtol=1e-5, equal_nan=True)
assert np.isnan(cast.number_size_distribution.values[2]).all() and n[0, 3] > 0
# Descent and ascent: the ascent of a is its last frame (2.0 m, class 9).
b = xr.open_dataset(both)
assert list(b.direction.values) == ['descent', 'ascent'], b.direction.values
assert b.d50.dims == ('profile', 'direction', 'depth')
assert b.volume_concentration.dims == ('profile', 'direction', 'depth', 'size_class')
assert (b.n_frames.sel(direction='descent').values == ds.n_frames.values).all()
up = b.sel(profile=0, direction='ascent')
assert list(up.n_frames.values[:4]) == [0, 1, 0, 0], up.n_frames.values
assert up.volume_concentration.values[1, 9] == 1.0
nc = netCDF4.Dataset(path)
assert nc.variables['n_frames'].shape == (3, ds.sizes['depth'])
assert nc.variables['latitude'].units == 'degrees_north'
r = ds.sel(profile=2)
assert r.n_frames.values.sum() > 0
cast = xr.open_dataset(sys.argv[1].replace('cruise_profiles.nc', 'nc/B.nc'))
assert str(cast.station.values.astype(str)) == 'Bravo, shelf' and float(cast.latitude) == 54.3
assert 'latitude' in cast.volume_concentration.coords and 'station' in cast.d50.coords
assert cast.attrs['leg'] == 2.0 and cast.attrs['creator_name'] == 'A. Scientist'
print('ok')
)",
                                      {out + "/cruise_profiles.nc", both + "/cruise_profiles.nc"});
    EXPECT_EQ(result, "ok\n");
}

// The rules of CF-1.10 and ACDD-1.3 that the files can be checked by, as a table,
// over every NetCDF file a cruise writes: descents, both parts, a pressure channel
// in dbar, the casts' own files.
TEST_F(CruiseTest, EveryFilePassesTheConventionsChecks)
{
    if (!std::filesystem::exists("/usr/bin/python3"))
        GTEST_SKIP() << "no python3";
    const CliResult first = cruise(out);
    ASSERT_EQ(first.status, 1);
    EXPECT_NE(first.err.find("kavro-cli: warning: no summary, keywords given (--attr, --attrs): ACDD-1.3 recommends "
                             "them for finding the data\n"),
              std::string::npos)
        << first.err;
    EXPECT_NE(first.err.find("kavro-cli: warning: no creator_email, institution, license, naming_authority, platform given "
                             "(--attr, --attrs): a data centre asks for them before it archives the data\n"),
              std::string::npos)
        << first.err;
    const std::string both = work.file("both"), dbar = work.file("dbar");
    ASSERT_EQ(cruise(both, {"--part", "both", "--attr", "summary=s", "--attr", "keywords=k", "--attr", "id=HE626"})
                  .status,
              1);
    writeFile(profile, "[Miscellaneous]\nNumIterations=5\n[Instrument1]\nHK4Units=dbar\n");
    ASSERT_EQ(cruise(dbar).status, 1);
    // A cruise with a CTD cast: binned on depth, the CTD's values in its cast's file.
    const std::string ctd = work.file("ctd");
    writeFile(work.file("casts/a.cnv"), "# name 0 = timeS: Time [s]\n# name 1 = prDM: Pressure [db]\n"
                                        "# name 2 = t090C: Temperature [ITS-90, deg C]\n# name 3 = sal00: Salinity\n"
                                        "# start_time = Dec 09 2026 02:00:00\n*END*\n0 0 12 35\n3 12 11 35.5\n");
    log = work.file("casts/CTD.csv");
    writeFile(log, "recording,cast,latitude,longitude,start_utc,interval_s,ctd\n"
                   "a.psd,a,54.1,7.2,2026-12-09T02:00:00Z,0.5,a.cnv\nb.psd,B,54.3,7.9,,,\n");
    ASSERT_EQ(cruise(ctd).status, 0);
    log = work.file("casts/CASTS.csv");
    // What the program computes cannot be given.
    for (const char* attr : {"history=mine", "Conventions=CF-1.6", "time_coverage_start=2020", "geospatial_bounds=x"}) {
        const CliResult r = cruise(out, {"--attr", attr});
        EXPECT_EQ(r.status, 2) << attr;
        const std::string name = std::string(attr).substr(0, std::string(attr).find('='));
        EXPECT_NE(r.err.find("--attr: " + name + " is written by the program itself and cannot be given"),
                  std::string::npos)
            << r.err;
    }
    const std::string result = python(R"(import sys, glob, re, warnings
import numpy as np, netCDF4, xarray as xr
one, both, dbar, ctd = sys.argv[1:]
files = sorted(f for d in (one, both, dbar, ctd) for f in glob.glob(d + '/*.nc') + glob.glob(d + '/nc/*.nc'))
def is_text(v): return v.dtype == str or v.dtype.kind == 'S'
def referenced(nc):
    names = set()
    for v in nc.variables.values():
        for a in ('coordinates', 'bounds'):
            names.update(getattr(v, a, '').split())
    return names
def data_variables(nc):
    ref = referenced(nc)
    return [v for n, v in nc.variables.items() if not (v.dimensions == (n,) or n in ref)]
rules = []
def rule(f):
    rules.append(f)
    return f
@rule
def conventions_and_discovery(nc, path):
    assert nc.Conventions == 'CF-1.10, ACDD-1.3', nc.Conventions
    for a in ('title', 'id', 'processing_level', 'standard_name_vocabulary', 'date_created', 'history', 'source'):
        assert a in nc.ncattrs(), a
    assert nc.standard_name_vocabulary.startswith('CF Standard Name Table v')
    if 'time_coverage_start' in nc.ncattrs():
        assert re.fullmatch(r'P(\d+D)?(T(\d+H)?(\d+M)?([\d.]+S)?)?', nc.time_coverage_duration), nc.time_coverage_duration
@rule
def every_data_variable_has_units(nc, path):
    for v in data_variables(nc):
        if is_text(v) or 'flag_masks' in v.ncattrs() or 'flag_values' in v.ncattrs():
            continue
        if getattr(v, 'long_name', '').startswith('station log column'):
            continue  # a number the scientist's log gives, of units it does not say
        assert 'units' in v.ncattrs(), v.name
@rule
def coordinates_resolve(nc, path):
    for v in nc.variables.values():
        for c in getattr(v, 'coordinates', '').split():
            assert c in nc.variables, (v.name, c)
            cv = nc.variables[c]
            dims = cv.dimensions[:-1] if cv.dtype.kind == 'S' else cv.dimensions  # less a text's length
            assert set(dims) <= set(v.dimensions), (v.name, c)
        if 'bounds' in v.ncattrs():
            b = nc.variables[v.bounds]
            assert b.dimensions[:-1] == v.dimensions and len(nc.dimensions[b.dimensions[-1]]) == 2, v.name
@rule
def flag_attributes_agree(nc, path):
    for v in nc.variables.values():
        for a in ('flag_masks', 'flag_values'):
            if a in v.ncattrs():
                values = np.atleast_1d(v.getncattr(a))
                assert len(values) == len(v.flag_meanings.split()), v.name
                assert values.dtype == v.dtype, (v.name, values.dtype)
                assert len(set(values)) == len(values), v.name
@rule
def fill_values_of_their_variables_type(nc, path):
    for v in nc.variables.values():
        if '_FillValue' in v.ncattrs():
            assert np.asarray(v._FillValue).dtype == v.dtype, v.name
@rule
def texts_decode_as_text(nc, path):
    ds = xr.open_dataset(path)
    for name, v in ds.variables.items():
        assert v.dtype.kind not in 'SO' or all(isinstance(x, str) for x in np.ravel(v.values)), name
@rule
def ancillary_variables_resolve(nc, path):
    for v in nc.variables.values():
        for a in getattr(v, 'ancillary_variables', '').split():
            assert a in nc.variables and set(nc.variables[a].dimensions) <= set(v.dimensions), (v.name, a)
@rule
def profile_files_follow_the_dsg_rules(nc, path):
    if getattr(nc, 'featureType', '') != 'profile':
        assert 'cruise_profiles' not in path
        return
    # A cruise: profiles along a dimension; a cast: one profile, its frames along the vertical.
    single = 'profile' not in nc.dimensions
    instance = () if single else ('profile',)
    ids = [v for v in nc.variables.values() if getattr(v, 'cf_role', '') == 'profile_id']
    assert len(ids) == 1 and ids[0].dimensions[:-1] == instance
    for name, standard in (('latitude', 'latitude'), ('longitude', 'longitude')):
        v = nc.variables[name]
        assert v.dimensions == instance and v.standard_name == standard, name
    assert not np.isnan(nc.variables['latitude'][:]).any() and not np.isnan(nc.variables['longitude'][:]).any()
    assert nc.variables['time'].dimensions == (('frame',) if single else instance)
    z = [v for v in nc.variables.values() if getattr(v, 'axis', '') == 'Z']
    assert len(z) == 1 and z[0].positive == 'down', [v.name for v in z]
    assert z[0].dimensions == (('frame',) if single else (z[0].name,))
    assert z[0].standard_name in ('depth', 'sea_water_pressure')
    if single:  # the coverage is the range of the vertical coordinate
        zs = z[0][:].astype('f8').filled(np.nan)
        assert (nc.geospatial_vertical_min, nc.geospatial_vertical_max) == (np.nanmin(zs), np.nanmax(zs))
        assert nc.geospatial_vertical_units == z[0].units and nc.geospatial_vertical_positive == 'down'
    for v in data_variables(nc):
        if single:
            assert v.dimensions[0] == 'frame', v.name
            assert {'time', 'latitude', 'longitude', z[0].name} <= set(v.coordinates.split()), v.name
            continue
        assert v.dimensions[0] == 'profile', v.name
        if z[0].name in v.dimensions:
            extra = ['size_class_diameter'] if 'size_class' in v.dimensions else []
            assert v.coordinates.split() == ['time', 'latitude', 'longitude', z[0].name] + extra, v.name
@rule
def one_size_class_layout(nc, path):
    if 'cruise_profiles' not in path:
        return
    assert list(nc.variables['size_class'][:]) == list(range(1, 33))
    d, b = nc.variables['size_class_diameter'], nc.variables['size_class_bounds']
    assert d.units == b.units == 'um' and d.bounds == 'size_class_bounds'
    assert (b[..., 0] < d[:]).all() and (d[:] < b[..., 1]).all()
assert len(files) == 15, files
ids = set()
for path in files:
    nc = netCDF4.Dataset(path)
    for r in rules:
        try:
            r(nc, path)
        except AssertionError as e:
            raise AssertionError('%s: %s: %s' % (path, r.__name__, e))
    assert re.fullmatch(r'HE626(_\w+)?|[0-9a-f]{8}-[0-9a-f]{4}-8[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}', nc.id), nc.id
    ids.add(nc.id)
    nc.close()
assert len(ids) == len(files), ids  # one identifier per file
# A binned quantity keeps the standard name it has in the casts' files.
for d in (one, both, dbar, ctd):
    p = netCDF4.Dataset(d + '/cruise_profiles.nc')
    for cast in glob.glob(d + '/nc/*.nc'):
        c = netCDF4.Dataset(cast)
        assert c.source_file == '../psd/' + cast.split('/')[-1][:-3] + '.psd', c.source_file
        for name, v in c.variables.items():
            if 'standard_name' in v.ncattrs() and name in p.variables and name not in ('time', 'depth'):
                assert getattr(p.variables[name], 'standard_name', '') == v.standard_name, (cast, name)
        c.close()
    p.close()
p = netCDF4.Dataset(one + '/cruise_profiles.nc')
assert p.geospatial_bounds == 'POLYGON ((54.1 7.2, 55 7.2, 55 8.125, 54.1 8.125, 54.1 7.2))', p.geospatial_bounds
assert p.geospatial_bounds_crs == 'EPSG:4326'
assert p.time_coverage_duration == 'PT2H11S', p.time_coverage_duration
assert p.time_coverage_resolution == 'PT1H', p.time_coverage_resolution
c = netCDF4.Dataset(one + '/nc/a.nc')
assert c.geospatial_bounds == 'POINT (54.1 7.2)' and c.time_coverage_resolution == 'PT0.5S', c.time_coverage_resolution
assert netCDF4.Dataset(both + '/nc/B.nc').id == 'HE626_B'
# A pressure channel in dbar is a pressure axis, not a depth in dbar.
d = netCDF4.Dataset(dbar + '/cruise_profiles.nc')
assert 'depth' not in d.variables and 'depth' not in d.dimensions
assert d.variables['pressure'].standard_name == 'sea_water_pressure' and d.variables['pressure'].units == 'dbar'
assert d.variables['d50'].dimensions == ('profile', 'pressure') and 'aux5' in d.variables
# With a CTD cast: one depth axis in m, the CTD's values with their CF names in the cast's file.
c = netCDF4.Dataset(ctd + '/cruise_profiles.nc')
# (B without CTD, its channel in dbar as the profile says by now: the depth of its pressure.)
assert c.variables['depth'].units == 'm' and list(c.variables['vertical_source'][:]) == [2, 1]
# The CTD's temperature binned beside the particles: between its two scans' 12 and 11 degC for
# the CTD cast, none for B; no spread of it.
t = c.variables['ctd_temperature'][:].filled(np.nan)
assert np.nanmin(t[0]) >= 11 and np.nanmax(t[0]) <= 12 and np.isfinite(t[0]).any() and np.isnan(t[1]).all(), t
assert 'ctd_temperature_std' not in c.variables and c.variables['ctd_salinity'].units == '1'
assert 'ctd_temperature' not in netCDF4.Dataset(one + '/cruise_profiles.nc').variables
c = netCDF4.Dataset(ctd + '/nc/a.nc')
for name, standard in (('ctd_pressure', 'sea_water_pressure'), ('ctd_temperature', 'sea_water_temperature'),
                       ('ctd_salinity', 'sea_water_practical_salinity'), ('depth', 'depth')):
    assert c.variables[name].standard_name == standard and c.variables[name].dimensions == ('frame',), name
print('ok')
)",
                                      {out, both, dbar, ctd});
    EXPECT_EQ(result, "ok\n");
}

TEST_F(CruiseTest, ReportNamesEveryStation)
{
    if (!std::filesystem::exists("/usr/bin/pdftotext"))
        GTEST_SKIP() << "no pdftotext";
    ASSERT_EQ(cruise(out, {"--attr", "license=CC-BY-4.0"}).status, 1);
    const std::string pdf = out + "/cruise_report.pdf";
    if (!std::filesystem::exists(pdf))
        GTEST_SKIP() << "a build without pictures";
    ASSERT_EQ(std::system(("pdftotext -layout " + pdf + " " + work.file("report.txt")).c_str()), 0);
    const std::string text = readFile(work.file("report.txt"));
    // Every station in the table and on the map: each name twice.
    for (const char* station : {"Alpha", "Bravo, shelf", "Charlie"}) {
        const std::size_t at = text.find(station);
        EXPECT_NE(at, std::string::npos) << station;
        EXPECT_NE(text.find(station, at + 1), std::string::npos) << station << " is not on the map";
    }
    EXPECT_NE(text.find("one colour scale for every cast"), std::string::npos);
    // The mean spectra as dV/dlnD, which casts of other class widths share.
    EXPECT_NE(text.find("Mean volume distribution of each cast"), std::string::npos) << text;
    EXPECT_NE(text.find("page 4 of 4"), std::string::npos);
    // The cruise's attributes, the labels whole and in the units' own signs.
    EXPECT_NE(text.find("Test cruise"), std::string::npos) << text;
    EXPECT_NE(text.find("Creator: A. Scientist"), std::string::npos) << text;
    EXPECT_NE(text.find("Licence: CC-BY-4.0"), std::string::npos) << text;
    for (const char* label : {"Max depth (", "D50 (\xC2\xB5m)", "Total volume (\xC2\xB5l/l)", "Stations", "Latitude",
                              "Longitude", "Volume concentration (\xC2\xB5l/l)", "mean diameter"})
        EXPECT_NE(text.find(label), std::string::npos) << label;
    EXPECT_EQ(text.find("\xE2\x80\xA6"), std::string::npos) << "a label cut short:\n" << text;  // an ellipsis
    EXPECT_EQ(text.find("uL/L"), std::string::npos);
    const std::string info = work.file("info.txt");
    ASSERT_EQ(std::system(("pdfinfo " + pdf + " > " + info).c_str()), 0);
    std::string described = readFile(info);
    std::erase(described, ' ');
    EXPECT_NE(described.find("\nPages:4\n"), std::string::npos) << described;
}

// A cast whose NetCDF file cannot be written is left out of every cruise file,
// though its .psd was read back before: one thread or two, the same files.
TEST_F(CruiseTest, ACastWithoutItsNetcdfFileIsLeftOut)
{
    std::map<std::string, std::string> first;
    for (const char* jobs : {"1", "2"}) {
        std::filesystem::remove_all(out);
        // A folder where B's NetCDF file belongs cannot be replaced by it.
        std::filesystem::create_directories(out + "/nc/B.nc/in the way");
        const CliResult r = cruise(out, {}, jobs);
        EXPECT_EQ(r.status, 1) << jobs;
        EXPECT_NE(r.err.find(out + "/nc/B.nc: "), std::string::npos) << r.err;
        EXPECT_NE(r.out.find("cruise files written (2 casts)"), std::string::npos) << r.out;
        const std::string summary = readFile(out + "/cruise_summary.csv");
        EXPECT_EQ(summary.find("Bravo"), std::string::npos) << summary;
        EXPECT_NE(summary.find("\nR,Charlie,"), std::string::npos) << summary;
        std::vector<std::string> files = {"cruise_summary.csv", "cruise_profiles.nc", "nc/a.nc", "nc/R.nc",
                                          "cruise_report.pdf"};
        if (std::filesystem::exists("/usr/bin/pdftotext") && std::filesystem::exists(out + "/cruise_report.pdf")) {
            const std::string text = work.file("report.txt");
            ASSERT_EQ(std::system(("pdftotext -layout " + out + "/cruise_report.pdf " + text).c_str()), 0);
            const std::string report = readFile(text);
            EXPECT_EQ(report.find("Bravo"), std::string::npos) << jobs;
            EXPECT_NE(report.find("page 3 of 3"), std::string::npos) << jobs;
            files.push_back("report.txt");
            writeFile(out + "/report.txt", report);
        }
        for (const std::string& file : files) {
            const std::string content = readFile(out + "/" + file);
            if (first.count(file))
                EXPECT_EQ(content, first[file]) << file << " differs with -j " << jobs;
            else
                first[file] = content;
        }
    }
}

TEST_F(CruiseTest, UpdateRedoesOnlyWhatChanged)
{
    ASSERT_EQ(cruise(out).status, 1);
    const long long a = mtimeNs(out + "/psd/a.psd"), b = mtimeNs(out + "/nc/B.nc"), r = mtimeNs(out + "/psd/R.psd");
    const long long profiles = mtimeNs(out + "/cruise_profiles.nc");
    CliResult again = cruise(out, {"--update"});
    EXPECT_EQ(again.status, 1);
    EXPECT_NE(again.out.find("cast a is up to date"), std::string::npos) << again.out;
    EXPECT_NE(again.out.find("the cruise files are up to date"), std::string::npos) << again.out;
    EXPECT_EQ(mtimeNs(out + "/cruise_profiles.nc"), profiles);

    // A changed row redoes its cast and the cruise files, nothing else.
    writeLog("Bravo, outer shelf");
    again = cruise(out, {"--update"});
    EXPECT_NE(again.out.find("b.psd -> cast B"), std::string::npos) << again.out;
    EXPECT_EQ(mtimeNs(out + "/psd/a.psd"), a);
    EXPECT_EQ(mtimeNs(out + "/psd/R.psd"), r);
    EXPECT_NE(mtimeNs(out + "/nc/B.nc"), b);
    EXPECT_NE(mtimeNs(out + "/cruise_profiles.nc"), profiles);
    EXPECT_NE(readFile(out + "/cruise_summary.csv").find("Bravo, outer shelf"), std::string::npos);

    // A newer input, and another option, redo as well.
    std::filesystem::last_write_time(work.file("casts/r.dat"), std::filesystem::file_time_type::clock::now());
    again = cruise(out, {"--update"});
    EXPECT_NE(again.out.find("r.dat -> cast R"), std::string::npos) << again.out;
    EXPECT_NE(again.out.find("cast B is up to date"), std::string::npos) << again.out;
    again = cruise(out, {"--update", "--attr", "project=KAVRO"});
    EXPECT_NE(again.out.find("a.psd -> cast a"), std::string::npos) << again.out;
    // The settings profile is an input of every cast.
    std::filesystem::last_write_time(profile, std::filesystem::file_time_type::clock::now());
    again = cruise(out, {"--update", "--attr", "project=KAVRO"});
    EXPECT_NE(again.out.find("b.psd -> cast B"), std::string::npos) << again.out;
    EXPECT_NE(again.out.find("r.dat -> cast R"), std::string::npos) << again.out;
}

// Cast a rides with a CTD whose pressure rises 4 dbar a second: its frames, half a
// second apart, lie at the depth of 2n dbar (0, 1.98, 3.96 (flagged), 5.95, 7.93,
// 9.91 m), whatever its own pressure channel reads.  Cast B has no CTD: binned on
// its channel, as a depth in m, or as the depth of its pressure when it is in dbar.
TEST_F(CruiseTest, AMixedCruiseIsBinnedOnDepthAndSaysWhatEachCastWasBinnedOn)
{
    if (!std::filesystem::exists("/usr/bin/python3"))
        GTEST_SKIP() << "no python3";
    writeFile(work.file("casts/a.cnv"), "* Sea-Bird SBE 9 Data File:\n# name 0 = timeS: Time, Elapsed [seconds]\n"
                                        "# name 1 = prDM: Pressure, Digiquartz [db]\n"
                                        "# start_time = Dec 09 2026 02:00:00 [NMEA]\n*END*\n0 0\n3 12\n");
    writeFile(log, "recording,cast,latitude,longitude,start_utc,interval_s,ctd\n"
                   "a.psd,a,54.1,7.2,2026-12-09T02:00:00Z,0.5,a.cnv\nb.psd,B,54.3,7.9,,,\n");
    const std::string dbar = work.file("dbar");
    ASSERT_EQ(cruise(out).status, 0) << cruise(out).err;
    writeFile(profile, "[Miscellaneous]\nNumIterations=5\n[Instrument1]\nHK4Units=dbar\n");
    const CliResult r = cruise(dbar);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string result = python(R"(import sys
import numpy as np, xarray as xr
for path, source in ((sys.argv[1], 0), (sys.argv[2], 1)):
    ds = xr.open_dataset(path + '/cruise_profiles.nc')
    assert ds.depth.attrs['units'] == 'm' and ds.depth.attrs['standard_name'] == 'depth', ds.depth.attrs
    assert ds.depth.attrs['positive'] == 'down'
    assert list(ds.vertical_source.values) == [2, source], ds.vertical_source.values
    meanings = ds.vertical_source.attrs['flag_meanings'].split()
    assert meanings[2] == 'ctd_depth' and meanings[source] in ('pressure_channel_depth', 'pressure_channel_dbar_to_depth')
    a, b = ds.n_frames.values
    assert list(a) == [2, 0, 1, 1, 1], a
    assert list(b) == [1, 0, 0, 0, 1], b
    assert ds.total_volume_concentration.values[0][2] == 2.0 and ds.total_volume_concentration.values[0][0] == 3.0
    assert ds.geospatial_vertical_units == 'm'
    cast = xr.open_dataset(path + '/nc/a.nc')
    assert np.allclose(cast.ctd_pressure.values, [0, 2, 4, 6, 8, 10], atol=1e-5), cast.ctd_pressure.values
    assert 'ctd_pressure' not in xr.open_dataset(path + '/nc/B.nc')
    summary = open(path + '/cruise_summary.csv').read().splitlines()
    assert 'max_depth_m' in summary[0], summary[0]
print('ok')
)",
                                      {out, dbar});
    EXPECT_EQ(result, "ok\n");
    // A .cnv that cannot be read fails its cast only, naming the file and the line.
    writeFile(work.file("casts/a.cnv"), "# name 0 = prDM: Pressure\n# interval = seconds: 1\n"
                                        "# start_time = Dec 09 2026 02:00:00\n*END*\n0\nten\n");
    const CliResult bad = cruise(work.file("bad"));
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find(work.file("casts/a.cnv") + ": line 6: value 1 \"ten\" is not a number"), std::string::npos)
        << bad.err;
    EXPECT_TRUE(fileExists(work.file("bad/nc/B.nc")));
}

// A Slurm array over the rows, then one collect, gives what one run of casts side
// by side gives.
TEST_F(CruiseTest, RowsThenCollectEqualOneRun)
{
    ASSERT_EQ(cruise(out).status, 1);
    const std::string split = work.file("split");
    CliResult r = cruise(split, {"--rows", "1-2"}, "1");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(std::filesystem::exists(split + "/cruise_profiles.nc"));
    r = cruise(split, {"--rows", "3,5"}, "1");
    EXPECT_EQ(r.status, 1);  // row 5 is the bad one
    EXPECT_NE(r.err.find("line 7: latitude 95"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("line 6:"), std::string::npos) << r.err;  // not chosen, not told
    r = cruise(split, {"--collect"});
    EXPECT_EQ(r.status, 1) << r.err;  // the bad rows of the log are still told
    EXPECT_EQ(readFile(split + "/cruise_summary.csv"), readFile(out + "/cruise_summary.csv"));
    if (!std::filesystem::exists("/usr/bin/python3"))
        GTEST_SKIP() << "no python3";
    const std::string result = python(R"(import sys
import xarray as xr
one, two = (xr.open_dataset(p) for p in sys.argv[1:3])
assert one.equals(two)
assert one.attrs['date_created'] == two.attrs['date_created']
for cast in 'a', 'B', 'R':
    assert xr.open_dataset(sys.argv[1].replace('cruise_profiles.nc', 'nc/%s.nc' % cast)).equals(
        xr.open_dataset(sys.argv[2].replace('cruise_profiles.nc', 'nc/%s.nc' % cast))), cast
print('ok')
)",
                                      {out + "/cruise_profiles.nc", split + "/cruise_profiles.nc"});
    EXPECT_EQ(result, "ok\n");
}

// A cast whose .psd a power cut left with a zero-filled end: told once by its file,
// and the cruise's files are those of the cast without it.
TEST_F(CruiseTest, ACastCutOffAtSeaIsToldAndItsZeroFilledEndLeftOut)
{
    const CliResult clean = cruise(out, {}, "1");
    EXPECT_EQ(clean.err.find("zero-filled"), std::string::npos) << clean.err;
    const std::string summary = readFile(out + "/cruise_summary.csv");
    const std::string b = work.file("casts/b.psd");
    writeFile(b, readFile(b) + std::string(2 * 512, '\0'));
    const std::string cutOut = work.file("archive-cut");
    const CliResult r = cruise(cutOut, {}, "1");
    EXPECT_EQ(r.status, clean.status);
    EXPECT_NE(r.err.find("kavro-cli: warning: " + b +
                         ": 2 zero-filled records at the end, left out: the recording was cut off\n"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(readFile(cutOut + "/cruise_summary.csv"), summary);
    int nc = -1, dim = -1;
    std::size_t frames = 0, cutFrames = 0;
    for (auto [dir, count] : {std::pair{out, &frames}, std::pair{cutOut, &cutFrames}}) {
        ASSERT_EQ(nc_open((dir + "/nc/B.nc").c_str(), NC_NOWRITE, &nc), NC_NOERR) << dir;
        EXPECT_EQ(nc_inq_dimid(nc, "frame", &dim), NC_NOERR);
        nc_inq_dimlen(nc, dim, count);
        nc_close(nc);
    }
    EXPECT_GT(frames, 0u);
    EXPECT_EQ(cutFrames, frames);
}

// The report names the axis the profile file has, and a cast with a CTD is drawn
// down the CTD's depth.  Cast a's CTD rises 4 dbar a second: its frames, half a
// second apart, lie at the depth of 2n dbar (to 9.91 m at frame 5), while its own
// channel reads at most 6.5 (frame 4).  Cast B has none: drawn on its channel.
TEST_F(CruiseTest, TheReportFollowsTheCruisesAxisAndACastsCtd)
{
    writeFile(work.file("casts/a.cnv"), "# name 0 = timeS: Time, Elapsed [seconds]\n"
                                        "# name 1 = prDM: Pressure, Digiquartz [db]\n"
                                        "# start_time = Dec 09 2026 02:00:00\n*END*\n0 0\n3 12\n");
    const std::string withCtd = "a.psd,a,54.1,7.2,2026-12-09T02:00:00Z,0.5,a.cnv\nb.psd,B,54.3,7.9,,,\n";
    const std::string without = "a.psd,a,54.1,7.2,2026-12-09T02:00:00Z,0.5,\nb.psd,B,54.3,7.9,,,\n";
    // The summary's column for every mix of axes is in the binning's table; here the pages.
    struct Case {
        const char* name;
        const std::string& rows;
        std::vector<std::string> cruisePage, pageA, pageB;
    };
    const Case cases[] = {
        {"a CTD cruise", withCtd, {"depth bins of 2 m", "Depth (m)", "Max depth (m)"}, {"Depth from the CTD (m)"},
         {"Pressure (dbar)"}},
        {"no CTD", without, {"pressure bins of 2 dbar", "Pressure (dbar)", "Max pressure (dbar)"},
         {"Pressure (dbar)"}, {"Pressure (dbar)"}},
    };
    const bool pdfTools = std::filesystem::exists("/usr/bin/pdftotext");
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(profile, "[Miscellaneous]\nNumIterations=5\n[Instrument1]\nHK4Units=dbar\n");
        writeFile(log, "recording,cast,latitude,longitude,start_utc,interval_s,ctd\n" + c.rows);
        const std::string dir = work.file("axis" + std::to_string(++n));
        const CliResult r = cruise(dir);
        ASSERT_EQ(r.status, 0) << r.err;
        const std::string pdf = dir + "/cruise_report.pdf";
        if (!pdfTools || !fileExists(pdf))
            continue;  // a build without pictures, or no poppler
        const std::vector<std::string>* expected[] = {&c.cruisePage, &c.pageA, &c.pageB};
        for (int page = 1; page <= 3; ++page) {
            const std::string txt = work.file("page.txt");
            ASSERT_EQ(std::system(("pdftotext -f " + std::to_string(page) + " -l " + std::to_string(page) + " " + pdf +
                                   " " + txt)
                                      .c_str()),
                      0);
            const std::string text = readFile(txt);
            for (const std::string& label : *expected[page - 1])
                EXPECT_NE(text.find(label), std::string::npos) << "page " << page << " lacks " << label << ":\n" << text;
            // The cruise page names one axis only (a cast's page also shows its channel along the frames).
            for (const char* other : {"Depth from the CTD", "Pressure (", "Depth ("})
                if (page == 1 && std::none_of(expected[page - 1]->begin(), expected[page - 1]->end(),
                                              [&](const std::string& l) { return l.starts_with(other); })) {
                    EXPECT_EQ(text.find(other), std::string::npos) << "page " << page << " has " << other;
                }
        }
    }

    // What cast a's page is drawn from: its frames down to the CTD's deepest, at the CTD's depths.
    writeFile(profile, "[Miscellaneous]\nNumIterations=5\n");
    writeFile(log, "recording,cast,latitude,longitude,start_utc,interval_s,ctd\n" + withCtd);
    const StationLog stations = parseStationLog(readFile(log), work.file("casts"), {});
    ASSERT_EQ(stations.rows.size(), 2u);
    cli::CruiseSetup setup;
    setup.outDir = work.file("axis1");
    setup.profileOption = profile;
    setup.binSize = 2.0;
    setup.ctdCruise = true;
    const ExportContext context = cli::cruiseContext(setup);
    const cli::CastOutcome a = cli::analyseCast(stations.rows[0], setup, context, true);
    EXPECT_EQ(a.profile.axis, CastAxis::Depth);
    EXPECT_DOUBLE_EQ(a.profile.axisFirst, 0.0);
    EXPECT_NEAR(a.profile.axisLast, unescoDepth(10.0, 54.1), 1e-9);
    EXPECT_EQ(a.profile.lastProfileFrame, 5);
    EXPECT_EQ(a.profile.shownFrames, 6);
    const cli::CastOutcome b = cli::analyseCast(stations.rows[1], setup, context, true);
    EXPECT_EQ(b.profile.axis, CastAxis::Pressure);
    EXPECT_DOUBLE_EQ(b.profile.axisLast, 9.0);  // its channel
}
