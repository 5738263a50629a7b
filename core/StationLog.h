#pragma once
// The station log a scientist keeps beside the recordings of a cruise: a table
// saved as CSV (comma or semicolon between fields, header names in any case), one
// row per cast.  Reading it checks every row on its own: a row that cannot be used
// is told with its line number and the others go on.
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
    std::string station;
    double latitude = 0.0, longitude = 0.0;  // decimal degrees north and east; NaN when not given
    std::optional<double> startUtc;          // seconds since 1970 of the first record
    double interval = 1.0;                   // seconds between records
    std::optional<int> model;                // 0 to 2; the profile's when not given
    std::string calDir;                      // "" = the profile's; relative ones from the log's folder
    // The other columns: header name (as written, made a valid attribute name) and the row's text.
    std::vector<std::pair<std::string, std::string>> attributes;
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

// Reads the text of a station log.  folder resolves relative paths; with
// checkFiles a recording that does not exist makes its row unusable.  Throws
// std::runtime_error when the log as a whole is unusable (no header, no
// recording column).
StationLog parseStationLog(const std::string& text, const std::string& folder, bool checkFiles);

// A netCDF attribute name from a column header: letters, digits and '_' kept,
// everything else '_'; "" when nothing is left.
std::string attributeNameOf(const std::string& header);

// "2026-12-09T02:20:45Z" and the forms spreadsheets save: a blank instead of the
// T, no Z, "+00:00", fractions of a second.  Nothing for other texts.
std::optional<double> parseStationTime(const std::string& text);

}  // namespace kavro
