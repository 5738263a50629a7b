#pragma once
// The instrument's end of the serial line: where the simulator reads the
// program's requests and writes its replies.  A pseudo-terminal (POSIX only)
// puts the program at the far end of a real device; an in-process line
// (LoopbackLine) hands the program a SerialLink without any device.
#include <memory>
#include <string>

namespace kavro {

class InstrumentPort {
public:
    virtual ~InstrumentPort() = default;
    // Waits at most waitMs for bytes from the program and moves up to maxCount
    // of them into dest; the number moved, 0 when none came in time.
    virtual int read(char* dest, int maxCount, int waitMs) = 0;
    // Writes up to count bytes without waiting; the number written, 0 when the
    // line takes no more just now.
    virtual int write(const char* bytes, int count) = 0;
    // Ends the line: the program's side sees the instrument hang up.
    virtual void hangUp() = 0;
    // What the program opens to reach this end ("/dev/pts/5"), when it is a device.
    virtual std::string devicePath() const { return std::string(); }
};

// The instrument's end of a new pseudo-terminal in raw mode; null, and the
// reason, when it cannot be made or the system has no pseudo-terminals.
std::unique_ptr<InstrumentPort> openPseudoTerminalPort(std::string* error);

}  // namespace kavro
