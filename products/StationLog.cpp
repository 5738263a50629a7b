#include "products/StationLog.h"

#include "core/FrameTimes.h"
#include "platform/FileUtil.h"
#include "platform/NumText.h"
#include "resources/CruiseTexts.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <cctype>
#include <cstring>
#include <map>
#include <set>
#include <stdexcept>

namespace kavro {
namespace {

struct Record {
    int line = 0;
    std::vector<std::string> fields;
};

std::string trimmed(const std::string& s)
{
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

std::string lowerCase(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// The separator of the header line: ';' when it has more of them than commas.
char separatorOf(const std::string& text)
{
    std::size_t commas = 0, semicolons = 0;
    bool quoted = false;
    for (char c : text) {
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && c == '\n')
            break;
        else if (!quoted && c == ',')
            ++commas;
        else if (!quoted && c == ';')
            ++semicolons;
    }
    return semicolons > commas ? ';' : ',';
}

// The records of the text with their first lines; quoted fields may hold the
// separator, doubled quotes and line ends.
std::vector<Record> recordsOf(const std::string& text, char sep)
{
    std::vector<Record> records;
    Record current;
    std::string field;
    bool quoted = false, any = false;
    int line = 1;
    current.line = 1;
    auto endField = [&] {
        current.fields.push_back(trimmed(field));
        field.clear();
    };
    auto endRecord = [&] {
        endField();
        if (any)
            records.push_back(std::move(current));
        current = Record{};
        any = false;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                if (c == '\n')
                    ++line;
                field += c;
            }
            continue;
        }
        if (c == '"') {
            quoted = true;
            any = true;
        } else if (c == sep) {
            endField();
            any = true;
        } else if (c == '\n') {
            endRecord();
            current.line = ++line;
        } else if (c != '\r') {
            field += c;
            if (c != ' ' && c != '\t')
                any = true;
        }
    }
    endRecord();
    return records;
}

std::string formatted(const char* format, const std::string& a, const std::string& b = {})
{
    char buffer[600];
    std::snprintf(buffer, sizeof buffer, format, a.c_str(), b.c_str());
    return buffer;
}

// A number cell; with ';' between fields a decimal comma is read as well.
std::optional<double> numberOf(std::string cell, char sep)
{
    if (sep == ';')
        for (char& c : cell)
            if (c == ',')
                c = '.';
    return scanWholeDouble(cell);
}

// The number of an attribute cell: a plain number; a text with a leading zero
// ("007", a name more than a number) stays text.
std::optional<double> attributeNumber(const std::string& cell, char sep)
{
    const std::size_t digit = cell.find_first_not_of("+-");
    if (digit != std::string::npos && cell[digit] == '0' && digit + 1 < cell.size() &&
        std::isdigit(static_cast<unsigned char>(cell[digit + 1])))
        return std::nullopt;
    const auto v = numberOf(cell, sep);
    return v && std::isfinite(*v) ? v : std::nullopt;
}

bool usableFileName(const std::string& name)
{
    return !name.empty() && name.find_first_not_of('.') != std::string::npos;
}

// Two file names that one file system may take for the same file (Windows and
// macOS do not tell case apart).
std::string fileNameKey(const std::string& name)
{
    return lowerCase(name);
}

bool allEmpty(const std::vector<std::string>& fields)
{
    for (const std::string& f : fields)
        if (!f.empty())
            return false;
    return true;
}

}  // namespace

std::string attributeNameOf(const std::string& header)
{
    std::string name;
    for (char c : trimmed(header)) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
        name += ok ? c : '_';
    }
    if (!name.empty() && name[0] >= '0' && name[0] <= '9')
        name = "_" + name;
    return name.find_first_not_of('_') == std::string::npos ? std::string() : name;
}

StationTime parseStationTime(const std::string& cell)
{
    std::string t = trimmed(cell);
    if (t.size() > 10 && t[10] == ' ')
        t[10] = 'T';
    // The zone: Z, or an offset after the time of day ("+02:00", "+0200", "-05").
    StationTime result;
    double offset = 0.0;
    bool zoned = false;
    if (!t.empty() && (t.back() == 'Z' || t.back() == 'z')) {
        t.pop_back();
        zoned = true;
    } else if (const auto sign = t.find_last_of("+-"); sign != std::string::npos && sign > 10) {
        std::string zone = t.substr(sign + 1);
        if (zone.size() == 5 && zone[2] == ':')
            zone.erase(2, 1);
        int hours = 0, minutes = 0;
        const bool digits = zone.find_first_not_of("0123456789") == std::string::npos;
        if (!digits || (zone.size() != 2 && zone.size() != 4))
            return result;
        hours = std::stoi(zone.substr(0, 2));
        minutes = zone.size() == 4 ? std::stoi(zone.substr(2)) : 0;
        if (hours > 18 || minutes > 59)
            return result;
        offset = (t[sign] == '-' ? -1.0 : 1.0) * (hours * 3600.0 + minutes * 60.0);
        t.erase(sign);
        zoned = true;
    }
    if (t.size() == 16)  // no seconds
        t += ":00";
    double seconds = 0.0;
    if (!parseUtcTimestamp(t + "Z", seconds))
        return result;
    result.kind = zoned ? StationTime::Valid : StationTime::NoZone;
    result.seconds = seconds - offset;  // local time = UTC + offset
    return result;
}

std::optional<double> parseCoordinate(const std::string& cell, bool latitude, bool decimalComma)
{
    std::string t = trimmed(cell);
    // The hemisphere, at either end.
    double sign = 1.0;
    bool hemisphere = false;
    auto takeHemisphere = [&](char c) {
        const char u = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
        const char* positive = latitude ? "N" : "E";
        const char* negative = latitude ? "S" : "W";
        if (u == *positive || u == *negative) {
            sign = u == *negative ? -1.0 : 1.0;
            hemisphere = true;
            return true;
        }
        return false;
    };
    if (!t.empty() && std::isalpha(static_cast<unsigned char>(t.back()))) {
        if (!takeHemisphere(t.back()))
            return std::nullopt;
        t.pop_back();
    } else if (!t.empty() && std::isalpha(static_cast<unsigned char>(t.front()))) {
        if (!takeHemisphere(t.front()))
            return std::nullopt;
        t.erase(0, 1);
    }
    // Degree, minute and second marks as blanks: ° (also the ordinal º spreadsheets
    // put in its place), ' and ′, " and ″.
    static const char* const kMarks[] = {"\xC2\xB0", "\xC2\xBA", "\xE2\x80\xB2", "\xE2\x80\xB3", "'", "\"", ":"};
    std::string blanked;
    for (std::size_t at = 0; at < t.size();) {
        std::size_t length = 0;
        for (const char* mark : kMarks)
            if (t.compare(at, std::strlen(mark), mark) == 0)
                length = std::strlen(mark);
        blanked += length ? ' ' : t[at];
        at += length ? length : 1;
    }
    t = blanked;
    if (decimalComma)
        for (char& c : t)
            if (c == ',')
                c = '.';
    std::vector<std::string> parts;
    for (std::size_t at = 0; at < t.size();) {
        const std::size_t start = t.find_first_not_of(" \t", at);
        if (start == std::string::npos)
            break;
        const std::size_t end = std::min(t.find_first_of(" \t", start), t.size());
        parts.push_back(t.substr(start, end - start));
        at = end;
    }
    if (parts.empty() || parts.size() > 3)
        return std::nullopt;
    std::vector<double> values;
    for (const std::string& part : parts) {
        const auto v = scanWholeDouble(part);
        if (!v || !std::isfinite(*v))
            return std::nullopt;
        values.push_back(*v);
    }
    double degrees = values[0];
    if (degrees < 0.0 || parts[0].starts_with("-")) {
        if (hemisphere)  // "-54 10.5 S" says south twice: which was meant is unknown
            return std::nullopt;
        sign = -1.0;
        degrees = -degrees;
    }
    if (values.size() > 1) {
        // Degrees and minutes: whole degrees, minutes (and seconds) below 60.
        if (degrees != std::floor(degrees))
            return std::nullopt;
        for (std::size_t i = 1; i < values.size(); ++i)
            if (values[i] < 0.0 || values[i] >= 60.0 || parts[i].starts_with("-") || parts[i].starts_with("+"))
                return std::nullopt;
        if (values.size() == 3 && values[1] != std::floor(values[1]))
            return std::nullopt;
        degrees += values[1] / 60.0 + (values.size() == 3 ? values[2] / 3600.0 : 0.0);
    }
    return sign * degrees;
}

std::string castFileName(const std::string& cast)
{
    std::string name = cast;
    for (char& c : name)
        if (static_cast<unsigned char>(c) < 0x20 || std::strchr("/\\:*?\"<>|", c))
            c = '_';
    return name;
}

StationLog parseStationLog(const std::string& input, const std::string& folder, const StationLogOptions& options)
{
    const bool checkFiles = options.checkFiles;
    std::string text = input;
    if (text.starts_with("\xEF\xBB\xBF"))  // a spreadsheet's byte-order mark
        text.erase(0, 3);
    const char sep = separatorOf(text);
    std::vector<Record> records = recordsOf(text, sep);
    if (records.empty())
        throw std::runtime_error(text::kStationNoHeader);
    const std::vector<std::string> header = records.front().fields;
    std::map<std::string, std::size_t> column;
    for (std::size_t i = 0; i < header.size(); ++i)
        column.emplace(lowerCase(header[i]), i);
    if (!column.count("recording"))
        throw std::runtime_error(text::kStationNoRecordingColumn);
    static const char* const kKnown[] = {"recording", "cast",  "station", "latitude", "longitude",
                                         "start_utc", "interval_s", "model", "cal_dir", "ctd"};
    auto known = [](const std::string& lower) {
        for (const char* k : kKnown)
            if (lower == k)
                return true;
        return false;
    };

    StationLog log;
    std::map<std::string, int> castLines;
    std::map<std::string, std::pair<int, std::string>> fileNames;  // key -> line and cast
    for (std::size_t r = 1; r < records.size(); ++r) {
        const Record& rec = records[r];
        if (allEmpty(rec.fields))  // a spreadsheet's blank row: ",,,,,"
            continue;
        StationRow row;
        row.line = rec.line;
        row.index = ++log.dataRows;
        auto cell = [&](const char* name) -> std::string {
            const auto it = column.find(name);
            return it != column.end() && it->second < rec.fields.size() ? rec.fields[it->second] : std::string();
        };
        std::string problem;
        auto fail = [&](const std::string& why) {
            if (problem.empty())
                problem = why;
        };
        auto number = [&](const char* name, double lo, double hi, double fallback) {
            const std::string c = cell(name);
            if (c.empty())
                return fallback;
            const auto v = numberOf(c, sep);
            if (!v)
                fail(formatted(text::kStationBadNumber, name, c));
            else if (*v < lo || *v > hi) {
                char b[300];
                std::snprintf(b, sizeof b, text::kStationOutside, name, c.c_str(), lo, hi);
                fail(b);
            } else
                return *v;
            return fallback;
        };
        if (rec.fields.size() > header.size()) {
            bool extra = false;
            for (std::size_t i = header.size(); i < rec.fields.size(); ++i)
                extra = extra || !rec.fields[i].empty();
            if (extra)
                fail(text::kStationExtraFields);
        }
        const std::string recording = cell("recording");
        if (recording.empty())
            fail(text::kStationNoRecording);
        else {
            row.recording = pathFromUtf8(recording).is_absolute() ? recording : joinPath(folder, recording);
            std::error_code ec;
            if (checkFiles && !std::filesystem::is_regular_file(row.recording, ec))
                fail(formatted(text::kStationRecordingMissing, row.recording));
        }
        row.cast = cell("cast");
        if (row.cast.empty() && !recording.empty())
            row.cast = stemBeforeFirstDot(fileNamePart(recording));
        row.fileName = castFileName(row.cast);
        if (!recording.empty() && !usableFileName(row.fileName))
            fail(formatted(text::kStationBadCastName, row.cast));
        row.station = cell("station");
        constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
        // A profile needs its position: CF requires the coordinates of every profile.
        auto coordinate = [&](const char* name, bool latitude, double lo, double hi) {
            const std::string c = cell(name);
            if (c.empty()) {
                fail(formatted(text::kStationEmpty, name));
                return kNaN;
            }
            const auto v = parseCoordinate(c, latitude, sep == ';');
            if (!v) {
                fail(formatted(text::kStationBadPosition, name, c));
                return kNaN;
            }
            if (*v < lo || *v > hi) {
                char b[300];
                std::snprintf(b, sizeof b, text::kStationOutside, name, c.c_str(), lo, hi);
                fail(b);
                return kNaN;
            }
            return *v;
        };
        row.latitude = coordinate("latitude", true, -90.0, 90.0);
        row.longitude = coordinate("longitude", false, -180.0, 360.0);
        row.interval = number("interval_s", 0.0, 86400.0, 1.0);
        if (row.interval <= 0.0)
            fail(formatted(text::kStationBadInterval, cell("interval_s")));
        const bool isPsd = hasExtension(recording, ".psd");
        if (const std::string t = cell("start_utc"); !t.empty()) {
            const StationTime time = parseStationTime(t);
            if (time.kind == StationTime::Valid || (time.kind == StationTime::NoZone && options.assumeUtc))
                row.startUtc = time.seconds;
            else if (time.kind == StationTime::NoZone)
                fail(formatted(text::kStationNoZone, t));
            else
                fail(formatted(text::kStationBadTime, t));
        } else if (!isPsd) {
            fail(formatted(text::kStationEmpty, "start_utc"));
        } else if (checkFiles && !row.recording.empty()) {
            // A .psd brings its times in its own time file; without one its frames have no time.
            std::error_code ec;
            if (!std::filesystem::exists(pathFromUtf8(frameTimesPathFor(row.recording)), ec))
                fail(formatted(text::kStationPsdWithoutTimes, row.recording));
        }
        if (const std::string m = cell("model"); !m.empty()) {
            const auto v = scanWholeInt(m);
            if (!v || *v < 0 || *v > 2)
                fail(formatted(text::kStationBadModel, m));
            else
                row.model = *v;
        }
        if (const std::string d = cell("cal_dir"); !d.empty())
            row.calDir = pathFromUtf8(d).is_absolute() ? d : joinPath(folder, d);
        if (const std::string ctd = cell("ctd"); !ctd.empty()) {
            row.ctd = pathFromUtf8(ctd).is_absolute() ? ctd : joinPath(folder, ctd);
            std::error_code ec;
            if (checkFiles && !std::filesystem::is_regular_file(pathFromUtf8(row.ctd), ec))
                fail(formatted(text::kStationCtdMissing, row.ctd));
        }
        for (std::size_t i = 0; i < header.size(); ++i) {
            const std::string name = attributeNameOf(header[i]);
            if (!known(lowerCase(header[i])) && !name.empty() && i < rec.fields.size() && !rec.fields[i].empty())
                row.attributes.push_back({name, rec.fields[i], attributeNumber(rec.fields[i], sep)});
        }
        if (problem.empty() && castLines.count(row.cast)) {
            char b[400];
            std::snprintf(b, sizeof b, text::kStationSameCast, row.cast.c_str(), castLines[row.cast]);
            fail(b);
        }
        const std::string key = fileNameKey(row.fileName);
        if (const auto same = fileNames.find(key); problem.empty() && same != fileNames.end()) {
            char b[600];
            std::snprintf(b, sizeof b, text::kStationSameFileName, row.cast.c_str(), row.fileName.c_str(),
                          same->second.second.c_str(), same->second.first);
            fail(b);
        }
        if (!problem.empty()) {
            char where[40];
            std::snprintf(where, sizeof where, text::kStationLine, row.line);
            log.problems.push_back({row.line, row.index, where + problem});
            continue;
        }
        castLines[row.cast] = row.line;
        fileNames[key] = {row.line, row.cast};
        log.rows.push_back(std::move(row));
    }
    // A column is numeric when every value the usable rows give in it is a number:
    // one text among them keeps the whole column text, in every cast's file alike.
    std::set<std::string> textColumns;
    for (const StationRow& row : log.rows)
        for (const ExtraAttribute& a : row.attributes)
            if (!a.number)
                textColumns.insert(a.name);
    for (StationRow& row : log.rows)
        for (ExtraAttribute& a : row.attributes)
            if (textColumns.count(a.name))
                a.number.reset();
    return log;
}

}  // namespace kavro
