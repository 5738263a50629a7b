#include "core/StationLog.h"

#include "core/FrameTimes.h"
#include "platform/FileUtil.h"
#include "platform/NumText.h"
#include "resources/CruiseTexts.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <map>
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

bool usableFileName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\\') == std::string::npos && name.find('\0') == std::string::npos;
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

std::optional<double> parseStationTime(const std::string& cell)
{
    std::string t = trimmed(cell);
    if (t.size() > 10 && t[10] == ' ')
        t[10] = 'T';
    if (t.ends_with("+00:00") || t.ends_with("+0000"))
        t.erase(t.size() - (t.ends_with("+00:00") ? 6 : 5));
    else if (t.ends_with("z"))
        t.back() = 'Z';
    if (!t.ends_with("Z"))
        t += 'Z';
    double seconds = 0.0;
    if (!parseUtcTimestamp(t, seconds))
        return std::nullopt;
    return seconds;
}

StationLog parseStationLog(const std::string& input, const std::string& folder, bool checkFiles)
{
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
                                         "start_utc", "interval_s", "model", "cal_dir"};
    auto known = [](const std::string& lower) {
        for (const char* k : kKnown)
            if (lower == k)
                return true;
        return false;
    };

    StationLog log;
    std::map<std::string, int> castLines;
    for (std::size_t r = 1; r < records.size(); ++r) {
        const Record& rec = records[r];
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
        if (!recording.empty() && !usableFileName(row.cast))
            fail(formatted(text::kStationBadCastName, row.cast));
        row.station = cell("station");
        constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
        row.latitude = number("latitude", -90.0, 90.0, kNaN);
        row.longitude = number("longitude", -180.0, 360.0, kNaN);
        row.interval = number("interval_s", 0.0, 86400.0, 1.0);
        if (row.interval <= 0.0)
            fail(formatted(text::kStationBadInterval, cell("interval_s")));
        if (const std::string t = cell("start_utc"); !t.empty()) {
            row.startUtc = parseStationTime(t);
            if (!row.startUtc)
                fail(formatted(text::kStationBadTime, t));
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
        for (std::size_t i = 0; i < header.size(); ++i) {
            const std::string name = attributeNameOf(header[i]);
            if (!known(lowerCase(header[i])) && !name.empty() && i < rec.fields.size() && !rec.fields[i].empty())
                row.attributes.emplace_back(name, rec.fields[i]);
        }
        if (problem.empty() && castLines.count(row.cast)) {
            char b[400];
            std::snprintf(b, sizeof b, text::kStationSameCast, row.cast.c_str(), castLines[row.cast]);
            fail(b);
        }
        if (!problem.empty()) {
            char where[40];
            std::snprintf(where, sizeof where, text::kStationLine, row.line);
            log.problems.push_back({row.line, row.index, where + problem});
            continue;
        }
        castLines[row.cast] = row.line;
        log.rows.push_back(std::move(row));
    }
    return log;
}

}  // namespace kavro
