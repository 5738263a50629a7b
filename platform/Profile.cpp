#include "platform/Profile.h"

#include "platform/File.h"
#include "platform/FileUtil.h"
#include "platform/NumText.h"
#include "platform/System.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace kavro {
namespace {

std::string_view trim(std::string_view s)
{
    const char* blanks = " \t\r\v\f";
    std::size_t b = s.find_first_not_of(blanks);
    if (b == std::string_view::npos)
        return {};
    std::size_t e = s.find_last_not_of(blanks);
    return s.substr(b, e - b + 1);
}

bool equalsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z')
            x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

// "[name]" → name; not a section header → false.
bool sectionName(std::string_view line, std::string_view* name)
{
    line = trim(line);
    if (line.size() < 2 || line.front() != '[')
        return false;
    std::size_t close = line.find(']');
    if (close == std::string_view::npos)
        return false;
    *name = trim(line.substr(1, close - 1));
    return true;
}

// "key = value" → key and value; comments and lines without '=' → false.
bool keyValue(std::string_view line, std::string_view* key, std::string_view* value)
{
    std::string_view t = trim(line);
    if (t.empty() || t.front() == ';' || t.front() == '#')
        return false;
    std::size_t eq = line.find('=');
    if (eq == std::string_view::npos)
        return false;
    *key = trim(line.substr(0, eq));
    *value = trim(line.substr(eq + 1));
    return !key->empty();
}

std::string cleanValue(std::string_view v)
{
    // The text ends at a NUL byte, as a C string would.
    std::size_t nul = v.find('\0');
    if (nul != std::string_view::npos)
        v = trim(v.substr(0, nul));
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return std::string(v);
}

}  // namespace

Profile::Profile(std::string path) : path_(std::move(path)) {}

void Profile::refresh() const
{
    std::int64_t stamp[4] = {-1, -1, -1, -1};
    if (const std::optional<FileStamp> now = fileStamp(path_); now && now->regular) {
        stamp[0] = static_cast<std::int64_t>(now->identity.volume);
        stamp[1] = static_cast<std::int64_t>(now->identity.index);
        stamp[2] = static_cast<std::int64_t>(now->size);
        stamp[3] = static_cast<std::int64_t>(now->modifiedNs);
    }
    if (loaded_ && std::memcmp(stamp, stamp_, sizeof stamp) == 0)
        return;
    std::memcpy(stamp_, stamp, sizeof stamp);
    loaded_ = true;
    lines_.clear();
    if (stamp[0] == -1)
        return;  // missing, a directory or otherwise not a readable file: every key is missing
    std::string content;
    if (!readWholeFile(path_, content))
        return;
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t nl = content.find('\n', start);
        std::size_t end = nl == std::string::npos ? content.size() : nl;
        std::size_t textEnd = end;
        // Only a carriage return before a line feed belongs to the line end: a lone
        // one at the end of the file is text, so that a line written after it
        // still gets a line end of its own.
        if (nl != std::string::npos && textEnd > start && content[textEnd - 1] == '\r')
            --textEnd;
        Line line;
        line.text.assign(content, start, textEnd - start);
        line.ending.assign(content, textEnd, (nl == std::string::npos ? end : nl + 1) - textEnd);
        start = nl == std::string::npos ? content.size() : nl + 1;
        lines_.push_back(std::move(line));
    }
}

long Profile::findKey(std::string_view section, std::string_view key, long* sectionLine, long* sectionEnd) const
{
    refresh();
    long found = -1;
    *sectionLine = -1;
    *sectionEnd = -1;
    bool inSection = false;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        std::string_view name;
        if (sectionName(lines_[i].text, &name)) {
            if (inSection)
                break;  // the first section of that name is the one that counts
            inSection = equalsNoCase(name, section);
            if (inSection) {
                *sectionLine = static_cast<long>(i);
                *sectionEnd = static_cast<long>(i);
            }
            continue;
        }
        if (!inSection)
            continue;
        std::string_view k, v;
        if (keyValue(lines_[i].text, &k, &v)) {
            *sectionEnd = static_cast<long>(i);
            if (found < 0 && equalsNoCase(k, key))
                found = static_cast<long>(i);
        }
    }
    return found;
}

std::string Profile::readString(std::string_view section, std::string_view key, std::string_view defaultValue) const
{
    long sl, se;
    long i = findKey(section, key, &sl, &se);
    if (i < 0)
        return std::string(defaultValue);
    std::string_view k, v;
    keyValue(lines_[static_cast<std::size_t>(i)].text, &k, &v);
    return cleanValue(v);
}

bool Profile::hasKey(std::string_view section, std::string_view key) const
{
    long sl, se;
    return findKey(section, key, &sl, &se) >= 0;
}

int Profile::readInt(std::string_view section, std::string_view key, int defaultValue) const
{
    long sl, se;
    if (findKey(section, key, &sl, &se) < 0)
        return defaultValue;
    auto value = scanLeadingInt(readString(section, key, ""));
    return value ? *value : defaultValue;
}

bool Profile::writeString(std::string_view section, std::string_view key, std::string_view value)
{
    lastError_.clear();
    // Line breaks or NUL bytes in a value would corrupt the file's structure.
    std::string clean(value);
    for (char& c : clean)
        if (c == '\n' || c == '\r' || c == '\0')
            c = ' ';

    long sectionLine, sectionEnd;
    long i = findKey(section, key, &sectionLine, &sectionEnd);
    std::vector<Line> lines = lines_;
    std::string eol = "\n";
    if (!lines.empty() && lines.front().ending == "\r\n")
        eol = "\r\n";
    if (i >= 0) {
        Line& line = lines[static_cast<std::size_t>(i)];
        std::size_t eq = line.text.find('=');
        std::string keyText(trim(std::string_view(line.text).substr(0, eq)));
        line.text = keyText + "=" + clean;
    } else if (sectionLine >= 0) {
        lines.insert(lines.begin() + sectionEnd + 1, Line{std::string(key) + "=" + clean, eol});
    } else {
        if (!lines.empty()) {
            if (lines.back().ending.empty())
                lines.back().ending = eol;
            if (!trim(lines.back().text).empty())
                lines.push_back(Line{"", eol});
        }
        lines.push_back(Line{"[" + std::string(section) + "]", eol});
        lines.push_back(Line{std::string(key) + "=" + clean, eol});
    }
    // A line that now has a successor needs a line end.
    for (std::size_t n = 0; n + 1 < lines.size(); ++n)
        if (lines[n].ending.empty())
            lines[n].ending = eol;

    std::string content;
    for (const Line& line : lines)
        content += line.text + line.ending;

    std::string error;
    if (!replaceFileAtomically(path_, content, &error)) {
        lastError_ = error;
        return false;
    }
    loaded_ = false;  // read back on the next query
    return true;
}

std::string profileLocation(std::string_view executableName)
{
    if (const auto explicitPath = environmentVariable("KAVRO_PROFILE"); explicitPath && !explicitPath->empty())
        return *explicitPath;
    return userConfigFolder() + "/kavro/" + std::string(executableName) + ".INI";
}

}  // namespace kavro
