#include "core/FrameTimes.h"

#include "core/TimeStamps.h"
#include "platform/FileUtil.h"
#include "resources/CoreTexts.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace kavro {
namespace {

// Days from 1970-01-01 to the given civil date (proleptic Gregorian calendar).
long long daysFromCivil(long long y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

bool digits(std::string_view s, std::size_t at, std::size_t n, int& value)
{
    if (at + n > s.size())
        return false;
    value = 0;
    for (std::size_t i = at; i < at + n; ++i) {
        if (s[i] < '0' || s[i] > '9')
            return false;
        value = value * 10 + (s[i] - '0');
    }
    return true;
}

bool leapYear(int y)
{
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

}  // namespace

double FrameTimes::earliest() const
{
    double first = std::numeric_limits<double>::quiet_NaN();
    for (const Stamp& s : stamps_)
        if (std::isfinite(s.seconds) && !(first <= s.seconds))
            first = s.seconds;
    return first;
}

double FrameTimes::utcOfRecord(long long record) const
{
    auto it = std::lower_bound(stamps_.begin(), stamps_.end(), record,
                               [](const Stamp& s, long long r) { return s.record < r; });
    return it != stamps_.end() && it->record == record ? it->seconds : std::numeric_limits<double>::quiet_NaN();
}

void FrameTimes::add(long long record, double seconds)
{
    // Lines come in record order; anything else is put in its place.
    if (stamps_.empty() || stamps_.back().record < record) {
        stamps_.push_back({record, seconds});
        return;
    }
    auto it = std::lower_bound(stamps_.begin(), stamps_.end(), record,
                               [](const Stamp& s, long long r) { return s.record < r; });
    if (it != stamps_.end() && it->record == record)
        it->seconds = seconds;
    else
        stamps_.insert(it, {record, seconds});
}

std::string frameTimesPathFor(std::string_view outputPath)
{
    return timeStampPathFor(outputPath);
}

bool parseUtcTimestamp(std::string_view s, double& seconds)
{
    int y, mo, d, h, mi, se;
    if (s.size() < 20 || !digits(s, 0, 4, y) || s[4] != '-' || !digits(s, 5, 2, mo) || s[7] != '-' ||
        !digits(s, 8, 2, d) || s[10] != 'T' || !digits(s, 11, 2, h) || s[13] != ':' || !digits(s, 14, 2, mi) ||
        s[16] != ':' || !digits(s, 17, 2, se))
        return false;
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (mo < 1 || mo > 12 || d < 1 || d > kDays[mo - 1] + (mo == 2 && leapYear(y)) || h > 23 || mi > 59 || se > 60)
        return false;
    std::size_t at = 19;
    double fraction = 0.0;
    if (s[at] == '.') {
        double scale = 0.1;
        ++at;
        const std::size_t start = at;
        for (; at < s.size() && s[at] >= '0' && s[at] <= '9'; ++at, scale /= 10.0)
            fraction += (s[at] - '0') * scale;
        if (at == start)
            return false;
    }
    if (at + 1 != s.size() || s[at] != 'Z')
        return false;
    const long long days = daysFromCivil(y, static_cast<unsigned>(mo), static_cast<unsigned>(d));
    seconds = static_cast<double>(days * 86400 + h * 3600 + mi * 60 + se) + fraction;
    return true;
}

std::string formatUtcTimestamp(double seconds)
{
    if (!std::isfinite(seconds))
        return "";
    const long long ms = std::llround(seconds * 1000.0);
    long long days = ms >= 0 ? ms / 86400000 : -((-ms + 86399999) / 86400000);
    const long long inDay = ms - days * 86400000;
    // Civil date from days since the epoch.
    days += 719468;
    const long long era = (days >= 0 ? days : days - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(days - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    const long long y = static_cast<long long>(yoe) + era * 400 + (m <= 2);
    char buf[96];
    std::snprintf(buf, sizeof buf, "%04lld-%02u-%02uT%02lld:%02lld:%02lld.%03lldZ", y, m, d, inDay / 3600000,
                  inDay / 60000 % 60, inDay / 1000 % 60, inDay % 1000);
    return buf;
}

bool readFrameTimes(const std::string& path, FrameTimes& times, std::string& error)
{
    std::string content;
    if (!readWholeFile(path, content)) {
        error = text::kTimesCannotRead;
        return false;
    }
    times = FrameTimes{};
    std::size_t at = 0;
    long long lineNumber = 0;
    long long firstNumber = 0;  // the number the file gives the .psd's record 0
    while (at < content.size()) {
        const std::size_t end = content.find('\n', at);
        if (end == std::string::npos && lineNumber > 0) {
            times.setHalfLineLeftOut(true);  // the line being written when the recording stopped
            break;
        }
        std::string_view line(content.data() + at, (end == std::string::npos ? content.size() : end) - at);
        at = end == std::string::npos ? content.size() : end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (lineNumber == 1) {
            if (line.substr(0, 3) == "\xEF\xBB\xBF")
                line.remove_prefix(3);
            if (line == text::kTimeStampOldHeader) {
                firstNumber = 1;
            } else if (line != text::kTimeStampHeader) {
                error = text::kTimesBadHeader;
                return false;
            }
            continue;
        }
        if (line.empty())
            continue;
        const std::size_t comma = line.find(',');
        long long frame = -1;
        double seconds = 0.0;
        const char* first = line.data();
        const char* last = line.data() + (comma == std::string_view::npos ? 0 : comma);
        const auto parsed = std::from_chars(first, last, frame);
        if (comma == std::string_view::npos || parsed.ec != std::errc{} || parsed.ptr != last || frame < 0 || !parseUtcTimestamp(line.substr(comma + 1), seconds)) {
            char buf[128];
            std::snprintf(buf, sizeof buf, text::kTimesBadLine, lineNumber);
            error = buf;
            return false;
        }
        if (frame >= firstNumber)
            times.add(frame - firstNumber, seconds);
    }
    if (lineNumber == 0) {
        error = text::kTimesBadHeader;
        return false;
    }
    return true;
}

}  // namespace kavro
