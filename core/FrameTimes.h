#pragma once
// The time stamps of a live recording: <name>.time.csv beside its .psd, a header
// line "record,utc" and then one line per frame, "17,2026-12-09T02:20:45.123Z"
// (ISO 8601, UTC, milliseconds optional), the frame named by its .psd data record
// counting from 0, the number the windows, Go To Frame and the exports show.
// Files of earlier versions start "frame,utc" and count from 1 (the frame's line in
// the .log); they are read with 1 taken off, so both give the same records.
#include <string>
#include <string_view>
#include <vector>

namespace kavro {

class FrameTimes {
public:
    // Seconds since 1970-01-01T00:00:00Z of the .psd's data record `record` (0 = the
    // first); NaN when the file has no line for it.
    double utcOfRecord(long long record) const;
    bool empty() const { return stamps_.empty(); }
    // Frames that have a time stamp.
    long long count() const { return static_cast<long long>(stamps_.size()); }
    // The earliest time of any stamp; NaN when there are none.
    double earliest() const;
    // Adds a stamp for a .psd record; a record stamped twice keeps the later one.
    void add(long long record, double seconds);
    // True when the file ended in a half line (no line end: the recording was cut off
    // while it was written), which was left out.
    bool halfLineLeftOut() const { return halfLine_; }
    void setHalfLineLeftOut(bool on) { halfLine_ = on; }

private:
    struct Stamp {
        long long record;
        double seconds;
    };
    std::vector<Stamp> stamps_;  // ascending frame numbers
    bool halfLine_ = false;
};

// <name>.time.csv for a .psd (or any output) path: the extension (up to three
// characters after the last '.') replaced.
std::string frameTimesPathFor(std::string_view outputPath);

// Seconds since the epoch of "YYYY-MM-DDTHH:MM:SS[.fff]Z"; false for any other text.
bool parseUtcTimestamp(std::string_view text, double& seconds);
// The same seconds written back as "YYYY-MM-DDTHH:MM:SS.mmmZ" (rounded to the millisecond).
std::string formatUtcTimestamp(double seconds);

// Reads a time file.  False with a reason ("line 7: ...") when the file cannot be
// read, its header is neither "record,utc" nor "frame,utc", or a complete line is
// malformed.  A last line without its line end (a recording cut short while writing
// it) is left out and told by halfLineLeftOut().  When a frame appears twice the
// later line wins.  An old file's line for frame 0 names no record and is passed over.
bool readFrameTimes(const std::string& path, FrameTimes& times, std::string& error);

}  // namespace kavro
