// The simulator on a pseudo-terminal, where the system has them.
#include "sim/InstrumentPort.h"

#include "resources/CliTexts.h"

#ifndef _WIN32
#include "platform/posix/PseudoTerminal.h"
#endif

namespace kavro {

#ifdef _WIN32

std::unique_ptr<InstrumentPort> openPseudoTerminalPort(std::string* error)
{
    *error = text::kNoPseudoTerminal;
    return nullptr;
}

#else

namespace {

class PseudoTerminalPort : public InstrumentPort {
public:
    bool open(std::string* error) { return terminal_.open(error); }
    int read(char* dest, int maxCount, int waitMs) override { return terminal_.read(dest, maxCount, waitMs); }
    int write(const char* bytes, int count) override { return terminal_.write(bytes, count); }
    void hangUp() override { terminal_.close(); }
    std::string devicePath() const override { return terminal_.devicePath(); }

private:
    PseudoTerminal terminal_;
};

}  // namespace

std::unique_ptr<InstrumentPort> openPseudoTerminalPort(std::string* error)
{
    auto port = std::make_unique<PseudoTerminalPort>();
    if (!port->open(error))
        return nullptr;
    return port;
}

#endif

}  // namespace kavro
