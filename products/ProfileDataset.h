#pragma once
// The profiles of a cruise as one CF discrete-sampling-geometry file
// (featureType "profile", orthogonal multidimensional representation): a profile
// per cast, a depth per bin of the pressure channel, with the ACDD-1.3 discovery
// attributes.  Plain C++ over the netCDF-C library.
#include "products/CastExport.h"
#include "products/ProfileBinning.h"

#include <string>
#include <utility>
#include <vector>

namespace kavro {

struct ProfileCast {
    std::string name;     // the cast (profile_id)
    std::string station;
    double latitude = 0.0, longitude = 0.0;  // NaN when not known
    std::vector<ExtraAttribute> attributes;  // the station log's other columns
    int model = 0;
    ClassValues diameters{};  // um
    CastProfile profile;
};

// Which part of each cast the file holds: the descent (frames from the first to the
// first at the largest pressure), the ascent (the frames after it), or both along a
// dimension "direction".
enum class ProfilePart { Descent, Ascent, Both };

struct ProfileDatasetOptions {
    double binSize = 1.0;
    ProfilePart part = ProfilePart::Descent;
    ExportContext context;  // channel names and units, program, command line
    // ACDD attributes given by the user (title, summary, creator_name, ...).  The
    // attributes the program knows (coverage, Conventions, date_created, ...) are its own.
    std::vector<std::pair<std::string, std::string>> attributes;
    double created = 0.0;  // seconds since 1970 UTC for date_created and history
};

// The attribute values the program fills in from the casts.
struct CruiseCoverage {
    double timeMin, timeMax;         // seconds since 1970; NaN when no cast has a time
    double latMin, latMax, lonMin, lonMax;
    double depthMin, depthMax;       // bin centres holding frames; NaN when none
};
CruiseCoverage cruiseCoverage(const std::vector<ProfileCast>& casts);

// Writes the file into a temporary name beside out and renames it into place.
// Throws CastError ("<out>: <problem>") and leaves nothing behind on failure.
void writeProfileDataset(const std::vector<ProfileCast>& casts, const std::string& out,
                         const ProfileDatasetOptions& options);

// The vertical axis of a cruise's profiles: depth in m when any cast is binned on
// a depth in metres, else the pressure channel as calibrated (channelUnits): a
// pressure when its units are one, a depth in its units otherwise.
struct CruiseVertical {
    bool pressure = false;  // "pressure", else "depth"
    std::string units;      // as the profile file writes them
    const char* name() const { return pressure ? "pressure" : "depth"; }
};
CruiseVertical cruiseVertical(const std::vector<ProfileCast>& casts, const std::string& channelUnits);

// cruise_summary.csv: a header line and one row per cast.  The maximum's column is
// named by the cruise's vertical axis ("max_depth_m", "max_pressure_dbar").
std::string cruiseSummaryCsv(const std::vector<ProfileCast>& casts, const CruiseVertical& vertical);

}  // namespace kavro
