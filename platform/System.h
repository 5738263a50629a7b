#pragma once
// The few operating-system services the program needs beyond files.
#include <optional>
#include <string>
#include <vector>

namespace kavro {

// Full path of the running executable ("" when it cannot be found).
std::string executablePath();
// The folder that holds the running executable, without a trailing separator.
std::string executableDirectory();

void sleepMilliseconds(int ms);

// Whether the error stream goes to a terminal a person watches (for progress lines).
bool stderrIsTerminal();
// This process's number, for names that must differ between running programs.
long long processId();
// The value of an environment variable, as UTF-8 text on every system (on Windows
// read from the wide environment, so a value with any characters comes through
// whatever the code page); nothing when it is not set.  Every read of the
// environment goes through here.
std::optional<std::string> environmentVariable(const char* name);
// The folder where this user's programs keep their settings: $XDG_CONFIG_HOME
// (by default ~/.config) on POSIX, %APPDATA% on Windows.  UTF-8.
std::string userConfigFolder();

// For the programs' main(): the arguments as UTF-8 text.  On Windows they are read
// from the wide command line, as argv holds them in the ANSI code page, where a
// name like "D:\Fahrt 1\Müller.raw" may not exist at all; argv itself elsewhere.
std::vector<std::string> commandLineArguments(int argc, char** argv);
// For the programs' main(): the console shows the UTF-8 text the program writes
// (Windows consoles otherwise take it in their own code page, which is given back
// when the program ends).
void consoleShowsUtf8();
// For the programs' main(): past a file size limit (ulimit -f) a write then fails
// with "File too large" and is reported like a full disk, instead of the signal
// ending the program without a word.
void writeFailsPastFileSizeLimit();
// Wall-clock time in whole seconds.
long long wallSeconds();
// Whole seconds of a clock that only moves forward (not the time of day): for
// waits, which a change of the system clock must not stretch or cut short.
long long steadySeconds();

// Hands memory the program has freed back to the system where the C library keeps
// it (glibc keeps a pool per thread): a long command calls it between stages.
void releaseFreedMemory();
// Blocks of a quarter megabyte and more (a block of frames' columns) go back to the
// system as soon as they are freed, instead of staying in the pool of the thread
// that freed them: a command that moves many such blocks between threads stays
// smaller for some more system time.
void returnLargeBlocksWhenFreed();

}  // namespace kavro
