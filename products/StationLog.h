#pragma once
// The station log a scientist keeps beside the recordings of a cruise: a table
// saved as CSV (comma or semicolon between fields, header names in any case), one
// row per cast.  Reading it checks every row on its own: a row that cannot be used
// is told with its line number and the others go on.
#include "products/CastExport.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kavro {

struct StationRow {
    int line = 0;   // line of the file where the row starts (the header is line 1)
    int index = 0;  // the row's number among the data rows, from 1 (kavro-cli cruise --rows)
    std::string recording;  // path: relative ones are taken from the log's folder
    std::string cast;       // the recording's stem when the log gives no name
    // The cast's name as a file name (psd/<fileName>.psd, nc/<fileName>.nc): every
    // character a file name cannot hold replaced by '_' ("HE626/05" -> "HE626_05").
    std::string fileName;
    std::string station;
    double latitude = 0.0, longitude = 0.0;  // decimal degrees north and east
    // Seconds since 1970 of the first record; none only for a .psd, whose own time
    // file beside it gives its times.
    std::optional<double> startUtc;
    double interval = 1.0;                   // seconds between records
    std::optional<int> model;                // 0 to 2; the profile's when not given
    std::string calDir;                      // "" = the profile's; relative ones from the log's folder
    std::string ctd;                         // the CTD's .cnv file; "" = none; relative ones from the log's folder
    // The other columns: header name (as written, made a valid attribute name), the
    // row's text and, in a column whose every value is a number, the number.
    std::vector<ExtraAttribute> attributes;
};

struct StationProblem {
    int line = 0;
    int index = 0;  // the row's number among the data rows
    std::string text;  // "line 4: latitude 95 is outside -90 to 90"
};

struct StationLog {
    std::vector<StationRow> rows;          // the usable rows, in the file's order
    std::vector<StationProblem> problems;  // the rows that cannot be used
    int dataRows = 0;                      // rows of the file after the header, usable or not
};

struct StationLogOptions {
    // A recording that does not exist makes its row unusable, and a .psd without a
    // start time must have its time file beside it.
    bool checkFiles = true;
    // A start time without a time zone is taken as UTC (otherwise its row is refused).
    bool assumeUtc = false;
};

// Reads the text of a station log.  folder resolves relative paths.  Throws
// std::runtime_error when the log as a whole is unusable (no header, no
// recording column).
StationLog parseStationLog(const std::string& text, const std::string& folder, const StationLogOptions& options);

// A netCDF attribute name from a column header: letters, digits and '_' kept,
// everything else '_'; "" when nothing is left.
std::string attributeNameOf(const std::string& header);

// A start time: "2026-12-09T02:20:45Z" and the forms spreadsheets save: a blank
// instead of the T, fractions of a second, no seconds ("2026-12-09T02:20Z"), an
// offset from UTC ("+02:00", "+0200", "-05"; converted to UTC).
struct StationTime {
    enum Kind { Valid, NoZone, Invalid } kind = Invalid;
    double seconds = 0.0;  // UTC; for NoZone the time as if it were UTC
};
StationTime parseStationTime(const std::string& text);

// A latitude or longitude: decimal degrees ("54.1833", "-7.25") or degrees and
// minutes (and seconds) with an optional hemisphere ("54 10.5 N", "54°10.5'N",
// "7 54.0 E", "54 10 30 N"); S and W are negative.  decimalComma: a ',' is the
// decimal mark.  Nothing for other texts, a hemisphere of the other axis, minutes
// or seconds of 60 and more.
std::optional<double> parseCoordinate(const std::string& text, bool latitude, bool decimalComma);

// The name of a cast as a file name: '/', '\', ':', '*', '?', '"', '<', '>', '|'
// and control characters replaced by '_'.
std::string castFileName(const std::string& cast);

}  // namespace kavro
