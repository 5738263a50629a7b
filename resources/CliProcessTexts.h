#pragma once
// Fixed texts of kavro-cli's process, info and export commands (printf formats
// where they carry values).

namespace kavro::text {

// Problems, each shown after "kavro-cli: <file>: ".
inline constexpr const char* kCliUnansweredDialog = "no answer for the dialog \"";  // + title + "\""
inline constexpr const char* kCliNoRingArea = "no RingArea*.asc file here; name one with --ring-area";
inline constexpr const char* kCliSeveralRingAreas = "several ring-area files here (";  // + names + ")"
inline constexpr const char* kCliSeveralRingAreasEnd = "); name one with --ring-area";
inline constexpr const char* kCliShortCalibration =
    "the kernel, H or class-diameter file of this model holds too few numbers in ";  // + folder
inline constexpr const char* kCliNoLaserInBackground = "the background file has no laser power (value 33 is 0): ";
inline constexpr const char* kCliFirstBeyondEnd = "the first frame %d is beyond the last frame %d of the file";
inline constexpr const char* kCliNotPsd = "not a KAVRO400 particle size distribution file";
inline constexpr const char* kCliWriteFailed = "write failed: ";  // + reason

// Usage problems.
inline constexpr const char* kCliOutputWithSeveral =
    "--output names one file; with several raw files use --output-dir";
inline constexpr const char* kCliOutputAndDir = "--output and --output-dir exclude each other";
inline constexpr const char* kCliLastBeforeFirst = "--last is before --first";
inline constexpr const char* kCliSameOutput = "two raw files would write the same output ";  // + path
inline constexpr const char* kCliOutputIsInput = "the output would overwrite its input";
inline constexpr const char* kCliStartTimeWithSeveral =
    "--start-time is the time of one recording's first frame; give one raw file";
inline constexpr const char* kCliPsdWhat = "a .psd file";
inline constexpr const char* kCliBackgroundWhat = "a background scatter file";

// Reports.
inline constexpr const char* kCliProcessed = "%s: %d frames -> %s%s\n";  // raw, frames, psd, multi-scan note
inline constexpr const char* kCliMultiScanNote = " (summed 16-scan data, divided by 16)";
inline constexpr const char* kCliProgress = "\r%s [%s] %3d%% %d/%d frames, %.0f frames/s ";

// kavro-cli info, raw recordings.
inline constexpr const char* kInfoRawKind = "Raw recording (80-byte records of 40 big-endian words)\n";
inline constexpr const char* kInfoFile = "File: %s\n";
inline constexpr const char* kInfoFrames = "Frames: %d\n";
inline constexpr const char* kInfoTrailing = "Trailing bytes (not a whole record, never read): %lld\n";
inline constexpr const char* kInfoZeroFilled = "Zero-filled records at the end (the recording was cut off, left out): %lld\n";
inline constexpr const char* kInfoMarked = "Records with laser power above 4095: %d\n";
inline constexpr const char* kInfoMultiScan = "Multi-scan: yes, summed 16-scan data (AutoMultiScan = %d)\n";
inline constexpr const char* kInfoMultiScanAsked =
    "Multi-scan: detected; the program asks (AutoMultiScan = 0), kavro-cli process takes it as no\n";
inline constexpr const char* kInfoSingleScan = "Multi-scan: no\n";
inline constexpr const char* kInfoChannelsHead = "Housekeeping channels (words as stored: min max; calibrated%s: min max)\n";
inline constexpr const char* kInfoDivided = ", after division by 16";
inline constexpr const char* kInfoChannel = "  %d %-22s %6u %6u   %g %g %s\n";
inline constexpr const char* kInfoZeroRings = "Ring words equal to 0: %lld in %d frames\n";
inline constexpr const char* kInfoSaturatedRings = "Ring words above 4093 (saturated): %lld in %d frames\n";

// kavro-cli info, .psd files.
inline constexpr const char* kInfoPsdKind = "Particle size distribution file (512-byte records)\n";
inline constexpr const char* kInfoHeaderRecords = "Header records: %d\n";
inline constexpr const char* kInfoModel = "Instrument model: %d (calibration set %c)\n";
inline constexpr const char* kInfoRatio = "Laser reference ratio: %s\n";
inline constexpr const char* kInfoBackground = "Background file: %s\n";
inline constexpr const char* kInfoRecords = "Frame records: %d\n";
inline constexpr const char* kInfoDiameters = "Class diameters (um):";

// kavro-cli export --csv: the columns after the classes and the channels.
inline constexpr const char* kCsvClassColumn = "%s um";  // the class diameter
inline constexpr const char* kCsvClassNumberColumn = "class %d";  // a class without a diameter
inline constexpr const char* kCsvTailColumns = "mean diameter um,standard deviation um,transmission,c 1/m";

}  // namespace kavro::text
