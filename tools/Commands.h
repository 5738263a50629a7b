#pragma once
// The commands of kavro-cli as plain C++: each takes the options of its command
// line, already read and checked (tools/CliOptions.cpp), runs, and throws Failure
// on error.  Nothing here knows how the options were written.
#include "sim/InstrumentSimulator.h"
#include "tools/Acquire.h"
#include "tools/CliCommon.h"
#include "tools/ProcessJob.h"

#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace kavro::cli {

// settings: every setting in force and where it came from.
struct SettingsCommand {
    std::string profile;
};
void runSettings(const SettingsCommand& c);

// process: raw recordings into .psd files (and .asc, .log).
struct ProcessCommand {
    std::vector<std::string> rawFiles;
    std::string profile, output, outputDir;
    std::optional<int> model;
    std::optional<std::string> calDir;
    ProcessOptions options;
    bool update = false;
};
void runProcess(ProcessCommand& c);

// info: a raw recording or a .psd file described.
struct InfoCommand {
    std::string file, profile, output;
};
void runInfo(const InfoCommand& c);

// export: the frames of .psd files as NetCDF or CSV.
struct ExportCommand {
    std::vector<std::string> files;
    std::string output, profile, calDir;
    bool csv = false, netcdf = false, decimalComma = false, update = false, quiet = false;
    std::string ctd;  // a .cnv file merged by time into the one cast's NetCDF file
    double latitude = std::numeric_limits<double>::quiet_NaN();  // the cast's, for the CTD's depth
};
void runExport(const ExportCommand& c);

// makecal: the demo calibration sets of the three models.
struct MakecalCommand {
    std::string dir;
};
void runMakecal(const MakecalCommand& c);

// simraw: the demo recording and its true distributions.
struct SimrawCommand {
    std::string calDir;
    int model = 0;
    int frames = 1200;
    std::string output;
};
void runSimraw(const SimrawCommand& c);

// background: a background scatter file from a recording of clean water.
struct BackgroundCommand {
    std::string raw;
    std::string output;
    std::string factory;
    std::string profile;
    std::string calDir;
    std::string multiScan;  // "" = as the profile's AutoMultiScan says
};
void runBackground(const BackgroundCommand& c);

// simulate: the instrument on a pseudo-terminal.
struct SimulateCommand {
    std::string profile;
    std::string raw;
    bool synthetic = false;
    bool once = false;
    SimulatorOptions options;
};
void runSimulate(SimulateCommand& c);

// compare: the mean diameters of a processed demo recording against its truth.
struct CompareCommand {
    std::string truth, psd;
};
void runCompare(const CompareCommand& c);

// summary: one CSV row per cast.
struct SummaryCommand {
    std::vector<std::string> inputs;
    std::string output;
};
void runSummary(const SummaryCommand& c);

// acquire: frames live from the instrument.
struct AcquireCommand {
    std::string profile;
    AcquireOptions options;
    bool listDevices = false;
};
void runAcquire(const AcquireCommand& c);

// cruise: a cruise's casts into one archive.
struct CruiseCommand {
    std::string log, outDir, profile, attrsFile, rows;
    std::string part = "descent";  // descent, ascent or both
    std::vector<std::string> attrs;
    double bin = 1.0;
    int jobs = 1;
    bool update = false, collect = false, quiet = false, assumeUtc = false;
};
void runCruise(const CruiseCommand& c);

// plot: pictures of .psd files (only in a build with Qt's GUI part).
struct PlotCommand {
    std::vector<std::string> files;
    std::string output, profile, size = "1600x1000", format = "png";
    bool profilePlot = false;
    int width = 1600, height = 1000;
};
void runPlot(PlotCommand& c);

}  // namespace kavro::cli
