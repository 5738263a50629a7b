#include "products/CnvFile.h"

#include "core/FrameTimes.h"
#include "platform/FileUtil.h"
#include "platform/NumText.h"
#include "resources/CtdTexts.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cctype>
#include <limits>
#include <map>
#include <numeric>
#include <optional>

namespace kavro {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::string_view trimmed(std::string_view s)
{
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

std::vector<std::string_view> tokens(std::string_view s)
{
    std::vector<std::string_view> out;
    for (std::size_t at = 0;;) {
        at = s.find_first_not_of(" \t\r", at);
        if (at == std::string_view::npos)
            return out;
        const std::size_t end = std::min(s.find_first_of(" \t\r", at), s.size());
        out.push_back(s.substr(at, end - at));
        at = end;
    }
}

// The short names of each quantity, the first found taken.
constexpr const char* kPressureNames[] = {"prDM", "prdM", "prSM"};
constexpr const char* kTemperatureNames[] = {"t090C", "t068C", "tv290C"};
constexpr const char* kSalinityNames[] = {"sal00", "sal11"};
constexpr const char* kDepthNames[] = {"depSM"};

template <std::size_t N>
int columnOf(const std::map<std::string, int>& byName, const char* const (&names)[N])
{
    for (const char* n : names)
        if (const auto it = byName.find(n); it != byName.end())
            return it->second;
    return -1;
}

// "Jun 02 2026 11:40:05": seconds since 1970, as the instrument's clock gives them (taken as UTC).
std::optional<double> startTimeOf(std::string_view value)
{
    static const char* const kMonths[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                          "jul", "aug", "sep", "oct", "nov", "dec"};
    const auto t = tokens(value);
    if (t.size() < 4 || t[0].size() != 3)
        return std::nullopt;
    int month = 0;
    for (int m = 0; m < 12; ++m) {
        bool same = true;
        for (std::size_t i = 0; i < 3; ++i)
            same = same && std::tolower(static_cast<unsigned char>(t[0][i])) == kMonths[m][i];
        if (same)
            month = m + 1;
    }
    const auto day = scanWholeInt(t[1]);
    const auto year = scanWholeInt(t[2]);
    if (month == 0 || !day || !year || *year < 1900 || *year > 9999 || *day < 1 || *day > 31 || t[3].size() != 8)
        return std::nullopt;
    char iso[40];
    std::snprintf(iso, sizeof iso, "%04d-%02d-%02dT%.8sZ", *year, month, *day, std::string(t[3]).c_str());
    double seconds = 0.0;
    if (!parseUtcTimestamp(iso, seconds))
        return std::nullopt;
    return seconds;
}

// 1 January 00:00 UTC of a year.
double newYear(int year)
{
    char iso[32];
    std::snprintf(iso, sizeof iso, "%04d-01-01T00:00:00Z", year);
    double seconds = 0.0;
    parseUtcTimestamp(iso, seconds);
    return seconds;
}

int yearOf(double seconds)
{
    return std::stoi(formatUtcTimestamp(seconds).substr(0, 4));
}

class CnvParser {
public:
    explicit CnvParser(const std::string& name) : name_(name) {}
    CnvCast parse(std::string_view text);

private:
    // line 0: a problem of the whole file.
    [[noreturn]] void fail(int line, const std::string& problem) const
    {
        if (line > 0)
            throw CnvError(format(text::kCnvLine, name_.c_str(), line, problem.c_str()));
        throw CnvError(name_ + ": " + problem);
    }
    template <typename... A>
    std::string format(const char* f, A... a) const
    {
        char b[4096];
        std::snprintf(b, sizeof b, f, a...);
        return b;
    }
    void headerLine(std::string_view line, int number);
    void scanLine(std::string_view line, int number);

    const std::string& name_;
    std::map<int, std::string> names_;  // column -> short name
    std::optional<int> nquan_;
    int nquanLine_ = 0;
    std::optional<double> start_, interval_;
    std::optional<double> badFlag_;
    double newYear_ = 0.0, nextYear_ = 0.0;  // 1 January of start_time's year and of the next
    std::size_t columns_ = 0;
    int pressure_ = -1, temperature_ = -1, salinity_ = -1, depth_ = -1, timeS_ = -1, timeJ_ = -1;
    CnvCast cast_;  // the scans in the file's order
    std::vector<double> row_;
    long long scans_ = 0;
};

void CnvParser::headerLine(std::string_view line, int number)
{
    if (line.empty() || line[0] != '#')
        return;  // "* ..." lines and anything else are free text
    std::string_view body = trimmed(line.substr(1));
    const auto eq = body.find('=');
    if (eq == std::string_view::npos)
        return;
    const std::string_view key = trimmed(body.substr(0, eq));
    const std::string_view value = trimmed(body.substr(eq + 1));
    if (key.starts_with("name") && (key.size() == 4 || key[4] == ' ' || key[4] == '\t')) {
        const auto index = scanWholeInt(key.substr(4));
        const auto colon = value.find(':');
        const std::string_view shortName = trimmed(value.substr(0, colon));
        if (!index || *index < 0 || *index > 10000 || colon == std::string_view::npos || shortName.empty())
            fail(number, text::kCnvBadName);
        if (!names_.emplace(*index, std::string(shortName)).second)
            fail(number, format(text::kCnvNameTwice, *index));
    } else if (key == "nquan") {
        const auto n = scanWholeInt(value);
        if (!n)
            fail(number, format(text::kCnvNquanNotNumber, std::string(value).c_str()));
        nquan_ = *n;
        nquanLine_ = number;
    } else if (key == "start_time") {
        start_ = startTimeOf(value);
        if (!start_)
            fail(number, format(text::kCnvBadStartTime, std::string(value).c_str()));
    } else if (key == "interval") {
        // "seconds: 0.0416667"; another unit (a file binned by pressure) gives no times.
        const auto colon = value.find(':');
        if (colon != std::string_view::npos && trimmed(value.substr(0, colon)) == "seconds") {
            const auto v = scanWholeDouble(value.substr(colon + 1));
            if (!v || !(*v > 0.0))
                fail(number, format(text::kCnvBadInterval, std::string(value).c_str()));
            interval_ = *v;
        }
    } else if (key == "bad_flag") {
        badFlag_ = scanWholeDouble(value);
        if (!badFlag_)
            fail(number, format(text::kCnvBadFlag, std::string(value).c_str()));
    }
}

void CnvParser::scanLine(std::string_view line, int number)
{
    const auto fields = tokens(line);
    if (fields.empty())
        return;
    if (fields.size() != columns_)
        fail(number, format(text::kCnvFieldCount, fields.size(), static_cast<int>(columns_)));
    row_.resize(columns_);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const auto v = scanWholeDouble(fields[i]);
        if (!v)
            fail(number, format(text::kCnvNotNumber, i + 1, std::string(fields[i]).c_str()));
        // The flag as written ("-9.990e-29") reads back as the header's value, or very near it.
        const bool bad = badFlag_ && std::abs(*v - *badFlag_) <= 1e-6 * std::abs(*badFlag_);
        row_[i] = bad ? kNaN : *v;
    }
    auto at = [&](int c) { return c >= 0 ? row_[static_cast<std::size_t>(c)] : kNaN; };
    double utc = kNaN;
    if (timeS_ >= 0) {
        utc = *start_ + at(timeS_);
    } else if (timeJ_ >= 0) {
        // Day of the year of start_time's year; a cast across the new year goes on in the next.
        utc = newYear_ + (at(timeJ_) - 1.0) * 86400.0;
        if (utc < *start_ - 180.0 * 86400.0)
            utc = nextYear_ + (at(timeJ_) - 1.0) * 86400.0;
    } else {
        utc = *start_ + static_cast<double>(scans_) * *interval_;
    }
    ++scans_;
    if (!std::isfinite(utc))
        return;
    cast_.utc.push_back(utc);
    cast_.pressure.push_back(at(pressure_));
    cast_.temperature.push_back(at(temperature_));
    cast_.salinity.push_back(at(salinity_));
    cast_.depth.push_back(at(depth_));
}

CnvCast CnvParser::parse(std::string_view text)
{
    bool inHeader = true;
    int number = 0;
    std::size_t at = 0;
    while (at <= text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = text.substr(at, end - at);
        ++number;
        at = end + 1;
        if (inHeader) {
            if (trimmed(line) == "*END*") {
                inHeader = false;
                // The columns: named 0 .. n-1 without gaps, as many as nquan says.
                if (names_.empty())
                    fail(number, text::kCnvNoColumns);
                int expected = 0;
                std::map<std::string, int> byName;
                for (const auto& [index, name] : names_) {
                    if (index != expected)
                        fail(number, format(text::kCnvNameGap, expected));
                    byName.emplace(name, index);
                    ++expected;
                }
                columns_ = names_.size();
                if (nquan_ && *nquan_ != static_cast<int>(columns_))
                    fail(nquanLine_, format(text::kCnvBadNquan, std::to_string(*nquan_).c_str(), expected));
                pressure_ = columnOf(byName, kPressureNames);
                temperature_ = columnOf(byName, kTemperatureNames);
                salinity_ = columnOf(byName, kSalinityNames);
                depth_ = columnOf(byName, kDepthNames);
                timeS_ = byName.count("timeS") ? byName.at("timeS") : -1;
                timeJ_ = byName.count("timeJ") ? byName.at("timeJ") : -1;
                if (pressure_ < 0)
                    fail(number, text::kCnvNoPressure);
                if (timeS_ >= 0 && !start_)
                    fail(number, text::kCnvNoStartForTimeS);
                if (timeS_ < 0 && timeJ_ >= 0 && !start_)
                    fail(number, text::kCnvNoStartForTimeJ);
                if (timeS_ < 0 && timeJ_ < 0 && !(start_ && interval_))
                    fail(number, text::kCnvNoTime);
                if (start_) {
                    newYear_ = newYear(yearOf(*start_));
                    nextYear_ = newYear(yearOf(*start_) + 1);
                }
                // A scan a line at most, and no more than the bytes left can hold (a value
                // and a separator each): the columns are allocated once, at their size.
                const std::string_view rest = text.substr(std::min(at, text.size()));
                const std::size_t scans = std::min(static_cast<std::size_t>(std::count(rest.begin(), rest.end(), '\n')) + 1,
                                                   rest.size() / (2 * columns_) + 1);
                for (auto* v : {&cast_.utc, &cast_.pressure, &cast_.temperature, &cast_.salinity, &cast_.depth})
                    v->reserve(scans);
            } else {
                headerLine(line, number);
            }
        } else {
            scanLine(line, number);
        }
        if (end == text.size())
            break;
    }
    if (inHeader)
        fail(0, text::kCnvNoEnd);
    const std::size_t n = cast_.size();
    if (n == 0)
        fail(0, text::kCnvNoScans);
    cast_.path = name_;
    if (std::is_sorted(cast_.utc.begin(), cast_.utc.end()))
        return std::move(cast_);
    // Scans in the order of their times (a stable sort keeps equal times in file order).
    std::vector<std::size_t> order(n);
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return cast_.utc[a] < cast_.utc[b]; });
    for (auto* v : {&cast_.utc, &cast_.pressure, &cast_.temperature, &cast_.salinity, &cast_.depth}) {
        std::vector<double> sorted(n);
        for (std::size_t k = 0; k < n; ++k)
            sorted[k] = (*v)[order[k]];
        *v = std::move(sorted);
    }
    return std::move(cast_);
}

}  // namespace

CnvCast parseCnv(std::string_view text, const std::string& name)
{
    return CnvParser(name).parse(text);
}

CnvCast readCnv(const std::string& path)
{
    std::string content;
    if (!readWholeFile(path, content))
        throw CnvError(path + ": " + text::kCnvCannotOpen + errnoText(errno));
    return parseCnv(content, path);
}

}  // namespace kavro
