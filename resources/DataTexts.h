#pragma once
// Fixed texts of the outputs for analysis (products/): the NetCDF and CSV exports,
// the whole-file summary and the archive summary.

namespace kavro::text {

// A quantity of the exports: its NetCDF variable, its CSV column, its CF attributes.
struct DataField {
    const char* variable;
    const char* column;
    const char* longName;
    const char* units;  // UDUNITS text; "" = none
};
inline constexpr DataField kFieldFrame = {"frame", "frame", "frame number in the .psd file (0 = first data record)", ""};
inline constexpr DataField kFieldTime = {"time", "utc", "time of the frame (UTC)", ""};
// The NetCDF time units: whole milliseconds since midnight UTC of the cast's first day
// (+ "YYYY-MM-DD"), so that readers decode them exactly.
inline constexpr const char* kNcTimeUnits = "milliseconds since ";
inline constexpr const char* kNcTimeUnitsMidnight = " 00:00:00";
inline constexpr DataField kFieldDiameter = {"size_class", "", "class diameter", "um"};
inline constexpr DataField kFieldDiameterBounds = {"size_class_bounds", "", "", "um"};
inline constexpr DataField kFieldAngle = {"vsf_angle", "", "scattering angle at the centre of the ring", "degree"};
inline constexpr DataField kFieldAngleBounds = {"vsf_angle_bounds", "", "", "degree"};
inline constexpr DataField kFieldVolume = {"volume_concentration", "volume_conc_ul_per_l_%sum",
                                           "volume concentration of particles in the size class", "uL L-1"};
inline constexpr DataField kFieldNumberDistribution = {
    "number_size_distribution", "", "number concentration of particles per unit diameter (dN/dD)", "L-1 um-1"};
inline constexpr DataField kFieldVolumeDistribution = {
    "volume_size_distribution", "",
    "volume concentration of particles per unit natural logarithm of the diameter (dV/dlnD)", "uL L-1"};
inline constexpr DataField kFieldTotal = {"total_volume_concentration", "total_volume_conc_ul_per_l",
                                          "total volume concentration of particles", "uL L-1"};
inline constexpr DataField kFieldMean = {"mean_diameter", "mean_diameter_um", "volume-weighted mean diameter", "um"};
inline constexpr DataField kFieldStdDev = {"diameter_std", "diameter_std_um",
                                           "volume-weighted standard deviation of the diameter", "um"};
inline constexpr DataField kFieldD10 = {"d10", "d10_um", "diameter below which 10 % of the particle volume lies", "um"};
inline constexpr DataField kFieldD50 = {"d50", "d50_um", "median diameter of the particle volume", "um"};
inline constexpr DataField kFieldD90 = {"d90", "d90_um", "diameter below which 90 % of the particle volume lies", "um"};
inline constexpr DataField kFieldModeDiameter = {"mode_diameter", "mode_diameter_um",
                                                 "diameter of the class holding the most volume", "um"};
inline constexpr DataField kFieldModeClass = {"mode_class", "mode_class",
                                              "size class holding the most volume (1 = smallest)", "1"};
inline constexpr DataField kFieldSlope = {"junge_slope", "junge_slope",
                                          "Junge slope xi of the number distribution n(D) ~ D^-xi", "1"};
inline constexpr DataField kFieldTransmission = {"transmission", "transmission", "optical transmission", "1"};
inline constexpr DataField kFieldBeamC = {"beam_attenuation", "beam_attenuation_per_m", "beam attenuation coefficient",
                                          "m-1"};
// The .psd stores log10 of the scattering function; the NetCDF file holds the function itself.
inline constexpr DataField kFieldVsf = {"volume_scattering_function", "", "volume scattering function at the ring's angle",
                                        "m-1 sr-1"};
inline constexpr DataField kFieldZeroRings = {"zero_rings", "zero_rings", "number of rings reading 0", "1"};
inline constexpr DataField kFieldSaturatedRings = {"saturated_rings", "saturated_rings",
                                                   "number of rings above 4093 counts (saturated)", "1"};
inline constexpr DataField kFieldFlag = {"quality_flag", "quality_flag", "quality flags of the frame", ""};
// The place of a cruise's cast: scalar coordinates of every frame variable.
inline constexpr DataField kFieldCast = {"cast", "", "cast name", ""};
inline constexpr DataField kFieldStation = {"station", "", "station name", ""};
inline constexpr DataField kFieldLatitude = {"latitude", "", "latitude of the cast", "degrees_north"};
inline constexpr DataField kFieldLongitude = {"longitude", "", "longitude of the cast", "degrees_east"};
// The CTD cast merged by time (kavro-cli export --ctd, the station log's ctd column).
inline constexpr DataField kFieldCtdPressure = {"ctd_pressure", "ctd_pressure_dbar", "sea water pressure from the CTD",
                                                "dbar"};
inline constexpr DataField kFieldCtdTemperature = {"ctd_temperature", "ctd_temperature_degC",
                                                   "sea water temperature from the CTD", "degree_Celsius"};
inline constexpr DataField kFieldCtdSalinity = {"ctd_salinity", "ctd_salinity",
                                                "sea water practical salinity from the CTD", "1"};
inline constexpr DataField kFieldCtdDepth = {"depth", "depth_m", "depth from the CTD's pressure", "m"};
// Meanings of the quality flag bits 1, 2, 4, ... 64.
inline constexpr const char* kFlagMeanings[7] = {
    "laser_off_or_too_weak", "water_too_clear", "water_too_turbid", "saturated_rings",
    "zero_rings",            "background_missing", "no_particles"};
inline constexpr const char* kAuxFallbackName = "aux%d";  // a channel without a label (1-based)
inline constexpr const char* kCsvClassColumnByNumber = "volume_conc_ul_per_l_class%d";

// Global attributes.
inline constexpr const char* kNcTitle = "KAVRO particle size distributions: ";  // + file name
inline constexpr const char* kNcProcessingLevel =
    "particle size distributions inverted from the ring detectors per frame, with quality flags";
inline constexpr const char* kNcSettingsNote =
    "processing settings of the profile in force at export; the .psd file does not record those used to process it";
inline constexpr const char* kNcNotFound = "(not found)";
inline constexpr const char* kNcNoBackground = "(none)";
inline constexpr const char* kNcAuxComment = "auxiliary channel %d, calibrated: value = counts * %g + %g";
// Follows kNcAuxComment when the profile's units text is not a UDUNITS unit (no units attribute then).
inline constexpr const char* kNcUnitsNotUdunits = "; units as the profile gives them (not a UDUNITS unit): ";
inline constexpr const char* kNcCalibrationMatches = "the calibration folder holds the class diameters of the .psd header";
inline constexpr const char* kNcCalibrationDiffers = "does not match the .psd header: ";  // + reasons, "; " between
// Why a calibration folder is not the one a .psd was processed with.
inline constexpr const char* kCalNoDiameterFile = "no readable class-diameter file ";  // + path
inline constexpr const char* kCalDiametersDiffer =
    "%s gives class %d a diameter of %s um, the .psd header %s um";  // file, class, file's, header's

// Export warnings (the export is written all the same), each after "<output>: ".
inline constexpr const char* kWarnUnitsNotUdunits =
    "warning: units \"%s\" of channel %s are not a UDUNITS unit; written in its comment, without a units attribute";
inline constexpr const char* kWarnCalibrationDiffers =
    "warning: calibration folder %s is not the one the .psd was processed with (%s); its files are recorded as found";

// Export problems, each after "<file>: ".
inline constexpr const char* kExportTimesProblem = "time stamps: ";  // + the reader's reason
inline constexpr const char* kExportNetcdfFailed = "NetCDF write failed: ";  // + reason
// A build without the netCDF library (the Windows command line).
inline constexpr const char* kNetcdfNotBuilt = "NetCDF export is not available in this build";
inline constexpr const char* kExportCannotCreate = "cannot create the output: ";  // + reason

// The source attribute: the writing program and its version.
inline constexpr const char* kSourceCli = "kavro-cli";
inline constexpr const char* kSourceDesktop = "kavro";
// Follows the program name in the "source" attribute, before the version and ")".
inline constexpr const char* kSourceSuite = " (KAVRO companion ";
inline constexpr const char* kCliCommandName = "kavro-cli";

// The desktop program's File > Export.
inline constexpr const char* kCmdExport = "&Export for Analysis...";
inline constexpr const char* kExportTitle = "Export Frames for Analysis";
inline constexpr const char* kExportFilter = "NetCDF (*.nc)|*.nc|CSV Table (*.csv)|*.csv||";
inline constexpr const char* kExportHistoryDesktop = "kavro File > Export of ";  // + the .psd path
inline constexpr const char* kExportOverInput = "the export would overwrite the .psd it reads";

// kavro-cli export, process --update and summary.
inline constexpr const char* kCliExportFormat = "--csv or --netcdf is required";
inline constexpr const char* kCliNetcdfWhat = "NetCDF";  // after "-o -: "
inline constexpr const char* kCliSeveralTablesWhat = "the tables of several files";
inline constexpr const char* kCliExported = "%s -> %s\n";              // input, output
inline constexpr const char* kCliUpToDate = "%s: %s is up to date, skipped\n";  // input, output
inline constexpr const char* kCliSeveralNeedFolder = "with several files, -o names a folder";
inline constexpr const char* kCliDecimalCommaIsCsv = "--decimal-comma goes with --csv";
inline constexpr const char* kCliCtdIsNetcdf = "--ctd goes with --netcdf";
inline constexpr const char* kCliCtdOneCast = "--ctd is the CTD of one cast: give one .psd file";
inline constexpr const char* kCliCtdNeedsLatitude = "--ctd needs the cast's --latitude (for the depth)";
inline constexpr const char* kCliLatitudeIsCtd = "--latitude goes with --ctd";
inline constexpr const char* kCliUpdateNeedsFile = "--update needs output files: name -o, or export several files";
inline constexpr const char* kSummaryHeader =
    "file,frames,frames_with_distribution,frames_unflagged,laser_off_or_too_weak,water_too_clear,water_too_turbid,"
    "saturated_rings,zero_rings,background_missing,no_particles,median_d50_um,mean_total_volume_conc_ul_per_l,"
    "min_mean_diameter_um,max_mean_diameter_um,instrument_model,calibration_set,background_file,start_utc,end_utc,times_problem\n";
// A time file beside a cast that cannot be read (summary), after "kavro-cli: ".
inline constexpr const char* kSummaryTimesWarning = "warning: times not read, %s\n";  // + "<file>: <problem>"
inline constexpr const char* kSummaryNoCasts = "no .psd files in ";  // + folder

// kavro-cli info of a .psd: the whole-file summary.
inline constexpr const char* kInfoCastHead = "Frames by quality flag:\n";
inline constexpr const char* kInfoCastFlag = "  %-24s %lld\n";
inline constexpr const char* kInfoCastUnflagged = "  %-24s %lld\n";
inline constexpr const char* kInfoUnflaggedName = "(no flag)";
inline constexpr const char* kInfoCastDistribution = "Frames with a size distribution: %lld\n";
inline constexpr const char* kInfoCastMedianD50 = "Median of D50 (um): %s\n";
inline constexpr const char* kInfoCastMeanRange = "Mean diameter (um): %s to %s\n";
inline constexpr const char* kInfoCastTotal = "Mean total volume concentration (uL/L): %s\n";
inline constexpr const char* kInfoNone = "none";
inline constexpr const char* kInfoCastTimes = "Times (UTC): %s to %s (%lld of %lld frames stamped)\n";
inline constexpr const char* kInfoCastNoTimes = "Times (UTC): none (no <name>.time.csv beside the file)\n";
inline constexpr const char* kInfoCastTimesProblem = "Times (UTC): not read, %s\n";  // + "<file>: <problem>"

}  // namespace kavro::text
