#pragma once
// What every kavro-cli command shares: the settings profile, the program's
// settings, and the rule for failures (one line naming the file and the problem).
#include "core/Settings.h"
#include "platform/Profile.h"

#include <memory>
#include <stdexcept>
#include <string>

namespace CLI {
class App;
}

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

// Throws Failure ("<path>: <reason>") unless path is a regular file that can be read.
void requireReadableFile(const std::string& path);
// Flushes standard output; a write to it that failed (a full disk, a closed pipe)
// throws Failure ("stdout: write failed: <reason>").
void requireStdoutWritten();

// Each command adds itself to the application; its callback runs the command and
// throws Failure on error.
void addSettingsCommand(CLI::App& app);
void addProcessCommand(CLI::App& app);
void addInfoCommand(CLI::App& app);
void addExportCommand(CLI::App& app);
void addMakecalCommand(CLI::App& app);
void addSimrawCommand(CLI::App& app);
void addBackgroundCommand(CLI::App& app);
void addSimulateCommand(CLI::App& app);
void addCompareCommand(CLI::App& app);
void addAcquireCommand(CLI::App& app);

}  // namespace kavro::cli
