#pragma once
// A CTD cast from a Sea-Bird .cnv file (the ASCII form SBE Data Processing writes):
// a header of "* ..." and "# ..." lines up to "*END*", then one whitespace-separated
// row of values per scan.  Columns are found by their short names: pressure (prDM,
// prdM, prSM; dbar), temperature (t090C, t068C, tv290C; deg C), practical salinity
// (sal00, sal11), depth (depSM; m) and the time (timeS: seconds since start_time;
// timeJ: day of the year with its fraction, 1 Jan 00:00 = 1.0).  Without a time
// column a scan's time is start_time + its index * interval.  Values equal to
// bad_flag are NaN.
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kavro {

// "<file>: line <n>: <problem>" (the line left out when the problem is the file's).
struct CnvError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct CnvCast {
    std::string path;
    // One entry per scan, ascending in time (a file's scans out of order are sorted;
    // a scan whose time is bad_flag has no place in time and is left out).
    std::vector<double> utc;          // seconds since 1970 UTC
    std::vector<double> pressure;     // dbar
    std::vector<double> temperature;  // ITS-90 (or IPTS-68 for t068C) deg C; NaN without a column
    std::vector<double> salinity;     // practical salinity; NaN without a column
    std::vector<double> depth;        // m, as the file gives it; NaN without a column
    std::size_t size() const { return utc.size(); }
};

// Reads the text of a .cnv file; name names it in errors.  Throws CnvError.
CnvCast parseCnv(std::string_view text, const std::string& name);
// Reads a .cnv file.  Throws CnvError naming the file.
CnvCast readCnv(const std::string& path);

}  // namespace kavro
