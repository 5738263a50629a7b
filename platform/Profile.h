#pragma once
// The settings store: a sectioned INI file read and written key by key.
//
// Section and key names compare without regard to case.  A missing file, section
// or key gives the caller's default.  Writing one key rewrites only that key's
// line: comments, blank lines, line ends and every other key stay as they were,
// and the file or section is created when it is missing.  A write replaces the
// file atomically (temporary file beside it, flushed, renamed), so a crash never
// leaves a half-written profile; a write that fails is reported, never silent.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kavro {

class Profile {
public:
    explicit Profile(std::string path);

    const std::string& path() const { return path_; }

    // The value text of a key (blanks around it and one pair of enclosing quotes
    // removed), or the default when the file, section or key is missing.
    std::string readString(std::string_view section, std::string_view key, std::string_view defaultValue) const;
    // The key's leading decimal integer; the default when the key is missing or its
    // value does not start with a number.
    int readInt(std::string_view section, std::string_view key, int defaultValue) const;
    bool hasKey(std::string_view section, std::string_view key) const;

    // Sets one key.  False when the file could not be written; lastError() says why.
    bool writeString(std::string_view section, std::string_view key, std::string_view value);
    const std::string& lastError() const { return lastError_; }

private:
    struct Line {
        std::string text;     // without its line end
        std::string ending;   // "\n", "\r\n" or "" for a last line without one
    };
    void refresh() const;
    // Index of the line holding section's key, or -1.
    long findKey(std::string_view section, std::string_view key, long* sectionLine, long* sectionEnd) const;

    std::string path_;
    mutable std::vector<Line> lines_;
    mutable bool loaded_ = false;
    mutable std::int64_t stamp_[4] = {0, 0, 0, 0};  // device, inode, size, mtime: reload when any changes
    std::string lastError_;
};

// Where the program's profile lives: $KAVRO_PROFILE when it is set, otherwise
// <executable name>.INI in $XDG_CONFIG_HOME/kavro (by default ~/.config/kavro),
// on Windows in %APPDATA%\kavro.
std::string profileLocation(std::string_view executableName);

// The executable name whose profile both the desktop program and kavro-cli use.
inline constexpr const char* kProgramName = "kavro";

}  // namespace kavro
