#pragma once
// A stand-in for the instrument at one end of a serial line: every frame request
// (carriage return, line feed) is answered with the next frame of a recording as
// "{v1 v2 ... v40}".  Replies can be delayed, split across several writes,
// preceded by line noise or left out, to exercise the receiving side.
//
// The line is an InstrumentPort: a pseudo-terminal whose device the program (or
// a test) opens as its serial port (start()), or any other port, such as the
// in-process LoopbackLine (attach()).
//
// Poll driven: step() waits for requests and writes what is due, so a test can
// drive it on its own thread (run()) or between its own reads.
#include "core/RawRecord.h"
#include "sim/InstrumentPort.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace kavro {

struct SimulatorOptions {
    int replyDelayMs = 0;   // from the request to the first byte of the reply
    int pieces = 1;         // writes a reply is split into
    int pieceGapMs = 20;    // pause between two pieces of a reply
    bool lineNoise = false; // stray characters before each reply
    int dropEvery = 0;      // every Nth frame request gets no reply (0: none)
    bool loop = true;       // start the recording again at its end, else stop there
    long maxReplies = 0;    // stop after this many frame replies (0: never)
    std::string ctrlCReply = "STOPPED";  // answer to Ctrl-C, before CR LF
    std::string commandReply = "OK";     // answer to a command, after its echo
    char startChar = '{';
    char endChar = '}';
    unsigned seed = 1;      // of the line noise
};

// The frames of a raw recording (80-byte records of 40 big-endian words); a
// partial record at the end is left out.  False, and the reason, when the file
// cannot be read or holds no complete record.
bool loadRecording(const std::string& path, std::vector<RawWords>& frames, std::string* error);
// A made-up recording for when there is none: smooth ring profiles that change
// from frame to frame, laser power and reference in their working range.
std::vector<RawWords> syntheticRecording(int count);
// One frame as the instrument sends it: "{v1 v2 ... v40}" and CR LF.
std::string frameReply(const RawWords& words, char startChar, char endChar);

class InstrumentSimulator {
public:
    struct Counters {
        long requests = 0;  // frame requests seen
        long replies = 0;   // frame replies sent (or being sent)
        long dropped = 0;   // frame requests left unanswered on purpose
        long commands = 0;  // other lines (commands, Ctrl-C)
    };

    // An empty recording is replaced by a synthetic one.
    InstrumentSimulator(std::vector<RawWords> recording, SimulatorOptions options);
    ~InstrumentSimulator();
    InstrumentSimulator(const InstrumentSimulator&) = delete;
    InstrumentSimulator& operator=(const InstrumentSimulator&) = delete;

    // Opens a pseudo-terminal in raw mode and plays the instrument on it.  False,
    // and the reason, on failure.
    bool start(std::string* error);
    // Plays the instrument on port instead (a line it already had hangs up).
    void attach(std::unique_ptr<InstrumentPort> port);
    // The device the program opens as its serial port, e.g. "/dev/pts/5" ("" when
    // the port is no device).
    const std::string& devicePath() const { return devicePath_; }

    // Reads requests and writes what is due, waiting at most waitMs for either.
    // False once finished: the last reply (maxReplies, or the end of a recording
    // that does not loop) has been written.
    bool step(int waitMs);
    // Steps until finished or until stop becomes true.
    void run(const std::atomic<bool>& stop);
    // Ends the line: the program's side sees the instrument hang up.
    void hangUp();

    bool finished() const;
    Counters counters() const;
    const std::vector<RawWords>& recording() const { return recording_; }

private:
    using Clock = std::chrono::steady_clock;
    struct Chunk {
        Clock::time_point due;
        std::string bytes;
    };

    void readRequests(int waitMs);
    void handleLine(const std::string& line);
    void answerFrameRequest();
    void schedule(std::string bytes, int delayMs);
    void writeDue();
    std::string noise();

    std::vector<RawWords> recording_;
    SimulatorOptions options_;
    std::unique_ptr<InstrumentPort> port_;
    std::string devicePath_;
    std::string line_;
    std::size_t next_ = 0;  // next frame of the recording
    bool endOfRecording_ = false;
    std::deque<Chunk> queue_;
    Clock::time_point lastDue_{};
    std::mt19937 random_;
    std::atomic<long> requests_{0};
    std::atomic<long> replies_{0};
    std::atomic<long> dropped_{0};
    std::atomic<long> commands_{0};
};

}  // namespace kavro
