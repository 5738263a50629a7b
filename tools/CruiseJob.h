#pragma once
// One cast of kavro-cli cruise: its recording processed into psd/<cast>.psd (with
// its time file) and exported into nc/<cast>.nc by the same code as process and
// export, then read back into its binned profile, its figures and its pictures.
#include "products/CastExport.h"
#include "products/CastSummary.h"
#include "products/ProfileDataset.h"
#include "products/StationLog.h"
#include "tools/CliCommon.h"

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kavro::cli {

struct CruiseSetup {
    std::string outDir;
    std::string profileOption;  // --profile
    double binSize = 1.0;
    // The cruise's attributes (--attr, --attrs); each cast's file gets them all but the title.
    std::vector<std::pair<std::string, std::string>> attributes;
    std::string commandLine;
    bool update = false;
    std::string logPath;  // the station log, named in warnings about its rows
    // Some cast of the cruise has a CTD: the profiles are binned on depth in metres.
    bool ctdCruise = false;
    // Told "<where>: warning: ..." for what is made all the same but the user should know.
    std::function<void(const std::string&)> warn;
};

std::string castPsdPath(const std::string& outDir, const std::string& cast);
std::string castNcPath(const std::string& outDir, const std::string& cast);

// Makes the cast's .psd, time file and NetCDF file.  False when --update found
// them up to date (the same row and options, outputs newer than their inputs).
// Throws Failure ("<file>: <problem>") when any step fails.
// ctd: given, it receives the cast's CTD when it was read (so that it is read once).
bool produceCast(const StationRow& row, const CruiseSetup& setup, std::shared_ptr<const CtdTrack>* ctd = nullptr);

// produceCast in two steps, so that the cruise's files can be drawn from the
// .psd files while the NetCDF files are still being written.
struct CastPending {
    std::string psd, nc;
    std::string key;  // written last: it marks the cast's files as made
    ExportContext context;
};
// The cast's .psd and time file; nothing when --update found the cast up to date.
// Throws Failure as produceCast.
std::optional<CastPending> beginCast(const StationRow& row, const CruiseSetup& setup);
// The cast's NetCDF file from its .psd, then its key.  Throws Failure.
void finishCast(const StationRow& row, const CruiseSetup& setup, const CastPending& pending);

// Columns of the pictures of a cast in the report: about the pixels they take on
// its page (more only makes the PDF larger and slower to write).
inline constexpr int kOverviewColumns = 500;
inline constexpr int kProfileColumns = 400;

struct CastOutcome {
    ProfileCast cast;
    // The cast's pictures: along its frames (times when it has them) and down the cast,
    // against the CTD's depth when it has a CTD, else against its pressure channel.
    CastSummary overview, profile;
    // The cast's CTD at its frames only, for its NetCDF file still to be written.
    std::shared_ptr<const CtdFrames> ctdAtFrames;
};
// Reads psd/<cast>.psd back: its bins, figures and, with pictures, its summaries.
// ctd: the cast's CTD as already read; read here when the row names one and it is
// not given.  Throws Failure naming the file when it cannot be read.
CastOutcome analyseCast(const StationRow& row, const CruiseSetup& setup, const ExportContext& context,
                        bool pictures, std::shared_ptr<const CtdTrack> ctd = nullptr);

// The CTD a row names, read; nothing when it names none.  Throws Failure naming the file.
std::shared_ptr<const CtdTrack> readRowCtd(const StationRow& row);

// The export's context of a cruise: the profile's channel calibration, the program
// and the command line.
ExportContext cruiseContext(const CruiseSetup& setup);

}  // namespace kavro::cli
