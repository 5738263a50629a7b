#include "platform/SerialDevices.h"

namespace kavro {

// Compiles only: the COMn list from the registry (HARDWARE\DEVICEMAP\SERIALCOMM)
// arrives with the Windows command line.
std::vector<SerialDevice> listSerialDevices(const SerialDeviceRoots&)
{
    return {};
}

std::string describeSerialDevice(const SerialDevice& device)
{
    return device.name.empty() ? device.path : device.target + "  " + device.name;
}

std::string presentDeviceOr(const std::string& fallback, const SerialDeviceRoots&)
{
    return fallback;
}

}  // namespace kavro
