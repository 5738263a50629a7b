#include "platform/SystemSerialLink.h"

namespace kavro {
namespace {

// Compiles only: the link over CreateFile, DCB and COMMTIMEOUTS arrives with the
// Windows command line.  Until then every open fails with a clear reason.
class UnavailableSerialLink : public SerialLink {
public:
    int open(int) override { return 1; }
    int setLineParameters() override { return 1; }
    void write(const char*, int) override {}
    int readPending(char*, int) override { return 0; }
    void beforeCommand() override {}
    int closeBegin() override { return 1; }
    void closeEnd() override {}
    bool failed() const override { return true; }
    std::string lastError() const override { return "serial ports are not available in this build"; }
};

}  // namespace

std::unique_ptr<SerialLink> makeSystemSerialLink(std::array<std::string, 4>, int)
{
    return std::make_unique<UnavailableSerialLink>();
}

}  // namespace kavro
