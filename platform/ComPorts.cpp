#include "platform/ComPorts.h"

#include "resources/AcquisitionTexts.h"

#include <algorithm>
#include <cctype>

namespace kavro {

namespace {

bool startsWithNoCase(const std::string& text, const std::string& prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(text[i])) != std::toupper(static_cast<unsigned char>(prefix[i])))
            return false;
    return true;
}

}  // namespace

int comPortNumber(const std::string& device)
{
    std::string name = device;
    if (startsWithNoCase(name, "\\\\.\\"))
        name.erase(0, 4);
    if (!name.empty() && name.back() == ':')
        name.pop_back();
    if (!startsWithNoCase(name, "COM") || name.size() < 4 || name.size() > 6 || name[3] == '0')
        return 0;
    int number = 0;
    for (std::size_t i = 3; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9')
            return 0;
        number = number * 10 + (name[i] - '0');
    }
    return number <= 256 ? number : 0;
}

std::string comPortFileName(const std::string& device)
{
    const int number = comPortNumber(device);
    return number > 0 ? "\\\\.\\COM" + std::to_string(number) : std::string();
}

std::vector<SerialDevice> serialDevicesFromComm(const std::vector<SerialCommEntry>& entries,
                                                const std::vector<SerialCommEntry>& friendlyNames)
{
    std::vector<std::pair<int, SerialDevice>> ports;
    // The Device Manager lists what is present now, whatever driver made it.
    std::vector<SerialCommEntry> all = entries;
    for (const SerialCommEntry& f : friendlyNames)
        all.emplace_back(f.first, f.second);
    for (const SerialCommEntry& e : all) {
        const int number = comPortNumber(e.second);
        if (number == 0)
            continue;
        if (std::any_of(ports.begin(), ports.end(), [number](const auto& p) { return p.first == number; }))
            continue;
        const std::string port = "COM" + std::to_string(number);
        // The built-in UARTs are "\Device\Serial<n>"; USB adapters bring drivers of
        // their own ("\Device\VCP0", "\Device\USBSER000", "\Device\Silabser0").
        const bool adapter = !startsWithNoCase(e.first, "\\Device\\Serial");
        ports.emplace_back(number, SerialDevice{port, port, e.first, adapter});
    }
    for (const SerialCommEntry& f : friendlyNames) {
        const int number = comPortNumber(f.second);
        for (auto& p : ports)
            if (p.first == number && !f.first.empty())
                p.second.name = f.first;
    }
    std::sort(ports.begin(), ports.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<SerialDevice> devices;
    for (auto& p : ports)
        devices.push_back(std::move(p.second));
    return devices;
}

std::string describeComPort(const SerialDevice& device)
{
    if (device.name.empty())
        return device.path;
    if (device.name.find("(" + device.path + ")") != std::string::npos)
        return device.name;
    return device.path + "  " + device.name;
}

std::string configuredPortDevice(const std::array<std::string, 4>& devices, int portIndex, std::string& error)
{
    std::string device;
    if (portIndex >= 0 && portIndex <= 3)
        device = devices[static_cast<std::size_t>(portIndex)];
    if (device.empty())
        error = "COM" + std::to_string(portIndex + 1) + ": " + text::kSerialNoDeviceConfigured;
    return device;
}

}  // namespace kavro
