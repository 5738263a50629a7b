// The settings profile: arbitrary bytes as the profile file, every key of the
// program read from it, then one key written and everything read back.  Writing
// a key must change that key and no other.
#include "auxiliary/CHKInfo.h"
#include "core/Settings.h"
#include "fuzz/FuzzSupport.h"
#include "platform/Profile.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

using namespace kavro;

namespace {

std::string_view trimmed(std::string_view s)
{
    const char* blanks = " \t\r\v\f";
    std::size_t b = s.find_first_not_of(blanks);
    if (b == std::string_view::npos)
        return {};
    return s.substr(b, s.find_last_not_of(blanks) - b + 1);
}

std::string lower(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

using Names = std::pair<std::string, std::string>;  // section, key

// The section and key names that appear in the text, as a person reading the file
// would see them; the profile is then asked for each of them.
std::vector<Names> namesIn(std::string_view text)
{
    std::vector<Names> names;
    std::string section;
    std::size_t start = 0;
    while (start < text.size() && names.size() < 24) {
        std::size_t nl = text.find('\n', start);
        std::string_view line = text.substr(start, nl == std::string_view::npos ? std::string_view::npos : nl - start);
        start = nl == std::string_view::npos ? text.size() : nl + 1;
        std::string_view t = trimmed(line);
        if (t.size() >= 2 && t.front() == '[' && t.find(']') != std::string_view::npos) {
            section = std::string(trimmed(t.substr(1, t.find(']') - 1)));
            continue;
        }
        if (t.empty() || t.front() == ';' || t.front() == '#')
            continue;
        std::size_t eq = line.find('=');
        if (eq == std::string_view::npos)
            continue;
        std::string_view key = trimmed(line.substr(0, eq));
        if (!key.empty())
            names.emplace_back(section, std::string(key));
    }
    return names;
}

bool sameName(const Names& a, const Names& b)
{
    return lower(a.first) == lower(b.first) && lower(a.second) == lower(b.second);
}

// A value that the file holds exactly as given: no blanks or quotes at its ends,
// no line breaks and no NUL bytes.
bool storedAsGiven(std::string_view v)
{
    if (v.empty())
        return true;
    for (char c : v)
        if (c == '\n' || c == '\r' || c == '\0')
            return false;
    if (trimmed(v).size() != v.size())
        return false;
    return !(v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string path = fuzz::scratchFile("kavro.INI");
    fuzz::writeBytes(path, text);

    Profile profile(path);
    Settings settings;
    settings.load(profile, "/opt/kavro");
    CHKInfo aux(&profile);
    (void)GetVolConv(profile, kInstrumentNumber);

    std::vector<Names> names = namesIn(text);
    const char* sentinel = "\x01(missing)";
    std::vector<std::string> before;
    for (const Names& n : names) {
        before.push_back(profile.readString(n.first, n.second, sentinel));
        (void)profile.readInt(n.first, n.second, -7);
    }

    // The key to write: one of the file's own (or its section with another file
    // key's name, or a section of the program), chosen by the input.
    Names target{"Miscellaneous", "Header"};
    if (!names.empty()) {
        const Names& a = names[size % names.size()];
        const Names& b = names[(size / 7) % names.size()];
        target = (size & 1) ? Names{a.first, b.second} : a;
    }
    const std::string value = "written by the fuzzer 42";
    fuzz::require(profile.writeString(target.first, target.second, value), "a profile in a writable folder is written");
    fuzz::require(profile.readString(target.first, target.second, sentinel) == value, "the written key reads back");
    for (std::size_t i = 0; i < names.size(); ++i)
        if (!sameName(names[i], target))
            fuzz::require(profile.readString(names[i].first, names[i].second, sentinel) == before[i],
                          "writing one key leaves every other key as it was");

    // A value taken from the input itself, into a key of the program.
    const std::string_view raw = text.substr(0, std::min<std::size_t>(text.size(), 40));
    fuzz::require(profile.writeString("Miscellaneous", "Footer", raw), "a second write succeeds");
    if (storedAsGiven(raw))
        fuzz::require(profile.readString("Miscellaneous", "Footer", sentinel) == raw, "an arbitrary value reads back");
    fuzz::require(profile.readString(target.first, target.second, sentinel) == value ||
                      sameName(target, Names{"Miscellaneous", "Footer"}),
                  "the first written key survives the second write");
    settings.load(profile, "/opt/kavro");
    return 0;
}
