// The station log of a cruise: arbitrary bytes as the CSV a spreadsheet saved.
// Every row is either usable or told as a problem, and a usable row holds what a
// CF profile needs: a recording, a position within range, a file name that stays
// inside the archive's folders and is no other row's.
#include "fuzz/FuzzSupport.h"
#include "products/StationLog.h"

#include <cmath>
#include <cstdint>
#include <set>
#include <stdexcept>
#include <string>

using namespace kavro;

namespace {

std::string lower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (bool assumeUtc : {false, true}) {
        StationLog log;
        try {
            log = parseStationLog(text, "/data", {.checkFiles = false, .assumeUtc = assumeUtc});
        } catch (const std::runtime_error&) {
            continue;  // no header or no recording column: the log as a whole is refused
        }
        fuzz::require(static_cast<int>(log.rows.size() + log.problems.size()) == log.dataRows,
                      "every data row is usable or told");
        std::set<std::string> names;
        int line = 0;
        for (const StationRow& r : log.rows) {
            fuzz::require(r.line > line, "rows in the file's order");
            line = r.line;
            fuzz::require(!r.recording.empty(), "a usable row names its recording");
            fuzz::require(std::isfinite(r.latitude) && r.latitude >= -90.0 && r.latitude <= 90.0, "latitude in range");
            fuzz::require(std::isfinite(r.longitude) && r.longitude >= -180.0 && r.longitude <= 360.0,
                          "longitude in range");
            fuzz::require(r.fileName.find_first_of("/\\:*?\"<>|") == std::string::npos &&
                              r.fileName.find_first_not_of('.') != std::string::npos,
                          "a file name that stays in its folder");
            fuzz::require(names.insert(lower(r.fileName)).second, "no two casts share a file name");
            fuzz::require(!r.startUtc || std::isfinite(*r.startUtc), "a start time is a time");
            fuzz::require(r.interval > 0.0, "records follow each other");
        }
        for (const StationProblem& p : log.problems)
            fuzz::require(p.text.rfind("line ", 0) == 0, "a problem names its line");
    }
    // The cell parsers on the whole input.
    const StationTime t = parseStationTime(text);
    fuzz::require(t.kind == StationTime::Invalid || std::isfinite(t.seconds), "a time is finite");
    for (bool latitude : {true, false})
        if (const auto v = parseCoordinate(text, latitude, size % 2 == 0))
            fuzz::require(std::isfinite(*v), "a position is finite");
    return 0;
}
