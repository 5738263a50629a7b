#pragma once
// A pseudo-terminal in raw mode, seen from its controlling side: whatever a
// program writes to devicePath() is read here, and what is written here reaches
// that program as if from a serial device.  The device side is held open as well,
// so the line does not hang up between the program's opens.
#include <string>

namespace kavro {

class PseudoTerminal {
public:
    PseudoTerminal() = default;
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // Creates the terminal.  False, and the reason, on failure.
    bool open(std::string* error);
    bool isOpen() const { return master_ >= 0; }
    // The device a program opens as its serial port, e.g. "/dev/pts/5".
    const std::string& devicePath() const { return devicePath_; }

    // Waits at most waitMs for bytes and moves up to maxCount of them into dest;
    // the number moved, 0 when none came (or the terminal is closed).
    int read(char* dest, int maxCount, int waitMs);
    // Writes up to count bytes without waiting; the number written, 0 when the
    // terminal is full (or closed).
    int write(const char* bytes, int count);
    // Closes both sides: the program's side of the line hangs up.
    void close();

private:
    int master_ = -1;
    int slave_ = -1;
    std::string devicePath_;
};

}  // namespace kavro
