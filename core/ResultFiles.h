#pragma once
// The result files of one recording, kept in step: the .psd, the .asc and .log
// beside it and the time stamps of a live cast.  Every frame goes to every open file
// or to none of them, the first failure is told once, and a cast that was cut off
// (a crash, a power cut) is continued where every file of the set ends.
#include "core/OpenRequest.h"
#include "core/TimeStamps.h"
#include "platform/OutputFile.h"

#include <span>
#include <string>
#include <vector>

namespace kavro {

class Prompter;

// What one frame or a block of frames adds to each result file, so that a block
// goes to every file in one write.
struct FrameOutputs {
    std::string psd, asc, log;
};

// What continuing a cast found in its files.
struct CastContinuation {
    long long frames = 0;          // frames every file of the set holds
    long long droppedBytes = 0;    // a trailing partial record or half line, cut off
    std::string problem;           // why the cast cannot be continued ("" when it can)
    long long keep[4] = {};        // the bytes of each file (by slot) that stay
};

class ResultFiles {
public:
    enum Slot { Psd, Asc, Log, Time, kSlots };

    explicit ResultFiles(Prompter& prompter) : prompter_(prompter) {}

    OutputFile& file(Slot slot) { return files_[slot]; }
    const OutputFile& file(Slot slot) const { return files_[slot]; }
    // The files that are open, in slot order.
    std::vector<std::string> paths() const;
    bool writesTo(const std::string& path) const;

    // Opens the file of slot at path: created or replaced, refused when it exists,
    // or appended to.  The input (when not empty) is never an output.  A failure is
    // told naming the file; false then.
    bool open(Slot slot, const std::string& path, ExistingOutputs existing, const std::string& inputPath);
    void setSyncInterval(double seconds);

    // Looks at the files a cast continued at paths (by slot; "" for a file the
    // recording does not write) would append to: the .psd must begin with header
    // (record 0, the model, ratio and background) and diameters (record 1, the
    // calibration), and every file must hold the same number of frames once a
    // trailing partial record, zero-filled records or a half line are cut off.
    // Changes nothing: the caller cuts each file to its kept length once it holds it.
    static CastContinuation inspectContinuation(const std::string (&paths)[kSlots], std::string_view header,
                                                std::string_view diameters);

    // Writes bytes to the file of slot (when it is open); the first failure is told.
    void write(Slot slot, std::string_view bytes);
    // The outputs of consecutive frames (a block's pieces, in frame order), each
    // file's parts in one gathered write; tells nobody (safe on a thread of its own).
    void append(std::span<const FrameOutputs* const> parts);
    void append(const FrameOutputs& out);
    // Tells the first failure of any file, once.
    void tellFailures();
    // One live frame to every open file at once: its .psd record, .asc and .log
    // lines and the time stamp of record at time.  When one file fails, the frame is
    // cut back from the others, the failure is told with the number of frames every
    // file holds, and no file is written to again.  True when the frame is in every
    // open file.
    bool writeTogether(const FrameOutputs& out, long long record, UtcTime time);
    bool stopped() const { return stopped_; }
    // Closes every file; a failure the system reports only now is told as well.
    void close();

    // The first failure in this run ("" when none); it has been told once.
    const std::string& error() const { return error_; }

private:
    void tellFailure(const OutputFile& file);

    Prompter& prompter_;
    OutputFile files_[kSlots];
    std::string error_;
    bool stopped_ = false;
};

}  // namespace kavro
