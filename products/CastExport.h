#pragma once
// The outputs for analysis written from a .psd file: CF-1.10 NetCDF-4 and a CSV
// table with units in the column names.  kavro-cli export and the desktop
// program's File > Export both call these, so both write the same bytes.
#include "core/Constants.h"

#include <array>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace kavro {

class CtdTrack;
class CtdFrames;
class Profile;
class Prompter;
class Settings;

// A global attribute a user gives a file: a text, or a number when it is one
// (a station log's numeric column).
struct ExtraAttribute {
    std::string name, text;
    std::optional<double> number;
    bool operator==(const ExtraAttribute&) const = default;
};

// What the export records about how the data came to be.
struct ExportContext {
    struct Channel {
        std::string label, units;
        double multiplier = 1.0, offset = 0.0;
    };
    std::array<Channel, kAux> channels;  // the profile's channel calibration
    int numIterations = 50, procOpt1 = 0, autoMultiScan = 1;
    double lRefRatio = 2.0, volConv = 58000.0;
    std::string calibrationDir;
    std::string program;      // "kavro-cli 1.0.0"
    std::string commandLine;  // for the history attribute
    // A cast of a cruise: its station and position as scalar coordinates of every
    // frame variable, and attributes added after the file's own (one of the same
    // name replaces the file's).
    struct Place {
        std::string cast;  // its name in the station log (the profile's identifier)
        std::string station;
        double latitude = std::numeric_limits<double>::quiet_NaN();   // degrees north
        double longitude = std::numeric_limits<double>::quiet_NaN();  // degrees east
    };
    std::optional<Place> place;
    std::vector<ExtraAttribute> extraAttributes;
    // The CTD cast the instrument rode with (read once, shared by the cast's export
    // and its binning): its values at every frame's time go into the NetCDF file.
    std::shared_ptr<const CtdTrack> ctd;
    // The same at the cast's frames already, used instead of ctd when given: what a
    // cruise keeps of a cast's CTD until its file is written.
    std::shared_ptr<const CtdFrames> ctdFrames;
    // The profile says the temperature channel measures the water (key
    // "WaterTemperature" of the instrument's section), not the instrument itself.
    bool temperatureMeasuresWater = false;
    // Told "<output>: warning: ..." for what the export writes all the same but the
    // user should know: units UDUNITS cannot read, a calibration folder that is not
    // the one the .psd was processed with.
    std::function<void(const std::string&)> warn;
};
ExportContext exportContext(const Settings& settings, const Profile& profile, const std::string& program,
                            const std::string& commandLine);

// The NetCDF variable names of the auxiliary channels (avoiding the names in
// taken) and the UDUNITS spelling of a channel's units, as the export writes them.
std::array<std::string, kAux> auxVariableNames(const ExportContext& context, const std::set<std::string>& taken);
std::string udunitsText(const std::string& units);
// A CSV cell: quoted (inner quotes doubled) when it holds the separator, a quote or a line end.
std::string csvCell(const std::string& s, char separator = ',');

// False in a build without the netCDF library (KAVRO_NETCDF=OFF): the NetCDF
// outputs then throw CastError "<file>: NetCDF export is not available in this build".
bool netcdfExportBuilt();

// Writes the NetCDF file of a .psd (and of <name>.time.csv beside it when there is
// one) into a temporary file beside out, renamed into place when complete.  Throws
// CastError ("<file>: <problem>") and leaves nothing behind when anything fails.
void writeNetcdf(const std::string& psd, const std::string& out, const ExportContext& context);
// Runs write(temp) on a file beside out and puts it in out's place only when it is whole;
// a failure removes it and is told as a CastError naming out.
void writeNetcdfInPlace(const std::string& out, const std::function<void(const std::string&)>& write);

// --update: true when the NetCDF file at path names the calibration folder the
// context names (an export with another calibration is made again).
bool netcdfMadeWithCalibration(const std::string& path, const ExportContext& context);

// The CSV table of a .psd, handed to sink in pieces.  decimalComma: ';' between
// fields and ',' as the decimal mark.  Throws CastError when the input fails.
void writeCsv(const std::string& psd, const ExportContext& context, bool decimalComma,
              const std::function<void(const std::string&)>& sink);
// The same into a file, written beside it and renamed into place when complete.
void writeCsvFile(const std::string& psd, const std::string& out, const ExportContext& context, bool decimalComma);

// The desktop program's File > Export: a save dialog proposing <name>.nc beside
// the .psd; a chosen name ending in .csv writes the CSV table, any other NetCDF.
// Failures are told through the prompter.  True when a file was written.  busy is
// told true when the writing begins and false when it has ended (a wait cursor).
bool exportWithDialog(const std::string& psd, Prompter& prompter, const Settings& settings, const Profile& profile,
                      const std::function<void(bool)>& busy = {}, std::string* writtenPath = nullptr);

}  // namespace kavro
