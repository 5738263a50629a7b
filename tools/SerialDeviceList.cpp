// kavro-cli acquire --list-devices: what the Instrument Port dialog offers.
#include "platform/SerialDevices.h"
#include "resources/CliTexts.h"
#include "tools/Acquire.h"

#include <cstdio>

namespace kavro::cli {

void printSerialDevices(const Environment& env)
{
    const std::vector<SerialDevice> devices = listSerialDevices();
    if (devices.empty())
        std::printf("%s", text::kDevicesNone);
    else
        std::printf("%s", text::kDevicesHead);
    for (const SerialDevice& d : devices)
        std::printf(text::kDevicesLine, describeSerialDevice(d).c_str());
    std::printf(text::kDevicesPortsHead, env.profile->path().c_str());
    for (int port = 0; port < 4; ++port) {
        const std::string device = env.settings.instrumentDevice(port);
        std::printf(text::kDevicesPortLine, Settings::portName(port).c_str(), device.c_str(),
                    serialDevicePresent(device) ? "" : text::kDevicesMissing);
    }
    std::fflush(stdout);
}

}  // namespace kavro::cli
