#pragma once
// Fixed texts of kavro-cli cruise: the station log, the cruise files and the report.

namespace kavro::text {

// Station log problems.  Whole log: "<file>: <text>"; a row: "<file> line <n>: <text>".
inline constexpr const char* kStationNoHeader = "the station log is empty (no header line)";
inline constexpr const char* kStationNoRecordingColumn = "the header has no \"recording\" column";
inline constexpr const char* kStationLine = "line %d: ";
inline constexpr const char* kStationNoRecording = "no recording named";
inline constexpr const char* kStationRecordingMissing = "recording %s not found";
inline constexpr const char* kStationBadNumber = "%s \"%s\" is not a number";
inline constexpr const char* kStationOutside = "%s %s is outside %g to %g";
inline constexpr const char* kStationBadModel = "model \"%s\" is not 0, 1 or 2";
inline constexpr const char* kStationBadTime =
    "start_utc \"%s\" is not an ISO 8601 time (2026-12-09T02:20:45Z, 2026-12-09T04:20+02:00)";
inline constexpr const char* kStationNoZone =
    "start_utc \"%s\" has no time zone: add Z for UTC or an offset such as +02:00, or give --assume-utc";
inline constexpr const char* kStationEmpty = "%s is empty";  // the column
inline constexpr const char* kStationPsdWithoutTimes = "start_utc is empty and %s has no time file beside it";
inline constexpr const char* kStationBadPosition =
    "%s \"%s\" is not a position in degrees (54.1833, 54 10.5 N, 54\xC2\xB0" "10.5'N)";
inline constexpr const char* kStationBadInterval = "interval_s %s must be above 0";
inline constexpr const char* kStationBadCastName = "cast name \"%s\" cannot be a file name";
inline constexpr const char* kStationSameCast = "cast \"%s\" is already on line %d";
// cast, its file name, the other cast, its line
inline constexpr const char* kStationSameFileName = "cast \"%s\" would be stored as %s, as cast \"%s\" on line %d is";
// A cast made all the same: log, line, the model it is made with, the one found, where.
inline constexpr const char* kStationModelDiffers = "%s line %d: warning: model %d differs from model %d of %s";
inline constexpr const char* kStationExtraFields = "more fields than the header names";
inline constexpr const char* kStationCtdMissing = "CTD file %s not found";
inline constexpr const char* kCruiseNotBinned =
    "%s line %d: warning: cast %s has no CTD and its pressure channel is neither a depth in m nor a pressure in "
    "dbar: it has no bins in the cruise's depth profiles";

// kavro-cli cruise.
inline constexpr const char* kCruiseDescription =
    "One command from the recordings of a cruise to an archive: .psd and NetCDF per cast, the profiles as one "
    "CF file, a summary table and a report";
inline constexpr const char* kCruiseBadAttribute = ": not key = value with a NetCDF attribute name: \"";  // + line + "
inline constexpr const char* kCruiseComputedAttribute = " is written by the program itself and cannot be given";
inline constexpr const char* kCruiseMissingDiscovery =
    "kavro-cli: warning: no %s given (--attr, --attrs): ACDD-1.3 recommends them for finding the data\n";
inline constexpr const char* kCruiseMissingArchive =
    "kavro-cli: warning: no %s given (--attr, --attrs): a data centre asks for them before it archives the data\n";
inline constexpr const char* kCruiseBadRows = "--rows: \"%s\" is not a row or range of rows from 1 to %d";
inline constexpr const char* kCruiseCollectAlone = "--collect goes with neither --rows nor --update";
inline constexpr const char* kCruiseCannotMakeFolder = "cannot make the folder";
inline constexpr const char* kCruiseCastDone = "%s -> cast %s\n";                      // recording, cast
inline constexpr const char* kCruiseCastUpToDate = "%s: cast %s is up to date, skipped\n";  // recording, cast
inline constexpr const char* kCruiseFilesUpToDate = "%s: the cruise files are up to date\n";
inline constexpr const char* kCruiseFilesWritten = "%s: cruise files written (%zu casts)\n";
inline constexpr const char* kCruiseProfilesName = "cruise_profiles.nc";
inline constexpr const char* kCruiseSummaryName = "cruise_summary.csv";
inline constexpr const char* kCruiseReportName = "cruise_report.pdf";

// cruise_summary.csv: the head, the flag columns ("frames_<meaning>"), "max_depth_<units>", the tail.
inline constexpr const char* kCruiseSummaryHead = "cast,station,latitude,longitude,start_utc,end_utc,frames";
inline constexpr const char* kCruiseSummaryTail = ",descent_frames_used,median_d50_um,mean_total_volume_conc_ul_per_l\n";

// The folder of OUTDIR where --update keeps what each cast was made from.
inline constexpr const char* kCruiseStateFolder = ".kavro-cruise";

// cruise_profiles.nc.
inline constexpr const char* kProfileTitle = "KAVRO particle size profiles of a cruise";
inline constexpr const char* kProfileBinMeanOf = "bin mean of the ";  // + the quantity's long name
inline constexpr const char* kProfileBinStdOf =
    "sample standard deviation over the bin's frames of the ";  // + the quantity's long name
inline constexpr const char* kProfileDirection = "part of the cast: descent or ascent";
inline constexpr const char* kProfileDescent = "descent";
inline constexpr const char* kProfileAscent = "ascent";
inline constexpr const char* kProfileTimeAscent = "time of the first frame of the ascent (UTC)";
inline constexpr const char* kProfileLogColumn = "station log column ";  // + the column's name
inline constexpr const char* kProfileTime = "time of the first frame of the cast's descent (UTC)";
inline constexpr const char* kProfileTimeUnits = "milliseconds since 1970-01-01 00:00:00";
inline constexpr const char* kProfileDepth = "pressure channel at the centre of the bin";
// A cruise with CTD casts: one axis, depth in metres, and what each cast was binned on.
inline constexpr const char* kProfileDepthOfSource = "depth at the centre of the bin (what: vertical_source)";
inline constexpr const char* kProfileDepthComment =
    "casts with a CTD are binned on the depth of the CTD's pressure at each frame's time (UNESCO 1983 formula at "
    "the cast's latitude); the others on their pressure channel where it is a depth in m, or on the depth of its "
    "pressure where it is calibrated in dbar; a cast with neither has no bins";
inline constexpr const char* kProfileVerticalSource = "what the cast's frames were binned on";
// In the order of VerticalSource.
inline constexpr const char* kProfileVerticalSourceMeanings =
    "pressure_channel_depth pressure_channel_dbar_to_depth ctd_depth not_binned";
inline constexpr const char* kProfileClassNumber = "size class number (1 = smallest)";
// The diameters of the classes beside their number (per profile where the casts' differ).
inline constexpr const char* kProfileClassDiameter = "size_class_diameter";
inline constexpr const char* kProfileFrames = "frames averaged in the bin";
inline constexpr const char* kProfileProcessingLevel =
    "particle size distributions inverted from the ring detectors per frame, quality-flagged frames left out, "
    "averaged in depth bins";
inline constexpr const char* kProfileBinning =
    "descent = frames from the first to the first at the largest pressure; frames with any quality flag left out; "
    "bin k holds pressures from k*b to (k+1)*b (b = depth_bin_size) and is labelled by its centre; each value is "
    "the arithmetic mean over the bin's frames; an empty bin is NaN with n_frames 0";

// cruise_report.pdf.
// The profiles' vertical axis: a depth or a pressure (the words fill the %s before the units).
inline constexpr const char* kReportDepthWord = "depth";
inline constexpr const char* kReportPressureWord = "pressure";
inline constexpr const char* kReportCruiseLine = "%d casts \xC2\xB7 %s bins of %g %s \xC2\xB7 %s to %s";
inline constexpr const char* kReportCruiseLineUntimed = "%d casts \xC2\xB7 %s bins of %g %s";
inline constexpr const char* kReportColourScale =
    "Size images: one colour scale for every cast, %s to %s \xC2\xB5l/l (logarithmic)";
inline constexpr const char* kReportD50 = "D50 (\xC2\xB5m)";
inline constexpr const char* kReportTotal = "Total volume (\xC2\xB5l/l)";
inline constexpr const char* kReportJunge = "Junge slope";
inline constexpr const char* kReportDepth = "Depth (%s)";
inline constexpr const char* kReportPressure = "Pressure (%s)";
inline constexpr const char* kReportSpectrum = "Mean volume distribution of each cast (unflagged frames)";
inline constexpr const char* kReportSpectrumX = "Diameter (\xC2\xB5m)";
inline constexpr const char* kReportSpectrumY = "dV/dlnD (\xC2\xB5l/l)";
// The table of casts; the maximum's column names the axis (a word above) and its units.
inline constexpr const char* kReportTableHead[] = {"Cast", "Station", "Latitude", "Longitude", "Start (UTC)",
                                                   "Frames", "Max %s (%s)", "D50 (\xC2\xB5m)"};
// The station map.
inline constexpr const char* kReportMap = "Stations";
inline constexpr const char* kReportLongitude = "Longitude";
inline constexpr const char* kReportLatitude = "Latitude";
inline constexpr const char* kReportMapDegrees = "%s\xC2\xB0%c";  // degrees, hemisphere
inline constexpr const char* kReportNoPositions = "No cast has a position.";
// The cruise's attributes named under its title: attribute, the label it is shown with.
inline constexpr const char* kReportAttributes[][2] = {{"creator_name", "Creator"},
                                                       {"principal_investigator", "PI"},
                                                       {"institution", "Institution"},
                                                       {"project", "Project"},
                                                       {"license", "Licence"}};
inline constexpr const char* kReportAttribute = "%s: %s";  // label, value
inline constexpr const char* kReportAttributeSeparator = "  \xC2\xB7  ";
inline constexpr const char* kReportCastTitle = "Cast %s \xC2\xB7 station %s \xC2\xB7 %s";
inline constexpr const char* kReportNoPosition = "no position";
inline constexpr const char* kReportPosition = "%.4f\xC2\xB0 %c, %.4f\xC2\xB0 %c";
inline constexpr const char* kReportNoTime = "no time";
inline constexpr const char* kReportNoCasts = "No cast could be read.";
inline constexpr const char* kReportPageNumber = "page %d of %d";
inline constexpr const char* kReportCreator = "kavro-cli";

}  // namespace kavro::text
