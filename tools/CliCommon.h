#pragma once
// What every kavro-cli command shares: the settings profile, the program's
// settings, and the rule for failures (one line naming the file and the problem).
#include "platform/OutputFile.h"
#include "core/Settings.h"
#include "platform/Profile.h"

#include <climits>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace kavro::cli {

// Exit statuses of kavro-cli.
inline constexpr int kExitOk = 0;
inline constexpr int kExitBadInput = 1;  // bad input or a failed write
inline constexpr int kExitUsage = 2;     // bad usage

// A failure a command reports: "kavro-cli: <what>" on stderr and the status
// (nothing more when what is empty: the command has told its problems already).
struct Failure : std::runtime_error {
    Failure(int status, const std::string& what) : std::runtime_error(what), status(status) {}
    int status;
};

// The profile and settings of a run: --profile FILE, else the program's own.
struct Environment {
    std::unique_ptr<Profile> profile;
    Settings settings;
};
Environment loadEnvironment(const std::string& profileOption);

// "<path>: No such file or directory" when path names nothing, "" when it exists: a
// file an open request names must be there, as a file dialog would have it.
std::string missingFileProblem(const std::string& path);
// Throws Failure ("<path>: <reason>") unless path is a regular file that can be read.
void requireReadableFile(const std::string& path);
// Flushes standard output; a write to it that failed (a full disk, a closed pipe)
// throws Failure ("stdout: write failed: <reason>").
void requireStdoutWritten();

// Runs job(i) for every input i; each failure is told on its own line and the
// others still run.  Afterwards stdout is flushed, and the worst status is thrown
// (as a Failure without text) when any failed.
void forEachInput(std::size_t count, const std::function<void(std::size_t)>& job);

// --update: true when output exists and was modified after every input that exists.
bool upToDate(const std::string& output, const std::vector<std::string>& inputs);
// Creates the folder a named output goes into when it is missing.  When it cannot
// be made, writing the output then fails and names the output and the reason.
void createFolderFor(const std::string& output);

// "-" as an output file: standard output.
inline constexpr const char* kStandardOutput = "-";
// Throws a usage Failure when option (-o) asks for standard output for a format
// that only goes to a file.
void requireFileOutput(const std::string& output, const char* what);

// Text written to a file or, when path is empty or "-", to standard output, in
// pieces of about a megabyte; a failed write ends the command with a Failure
// naming the file.
class TextSink {
public:
    explicit TextSink(const std::string& path);
    void add(const std::string& text);
    // printf-style, in the C locale of kavro-cli.
    void format(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
    void close();

private:
    void flush();
    std::string path_;  // "" for standard output
    OutputFile file_;
    std::string buffer_;
};

}  // namespace kavro::cli
