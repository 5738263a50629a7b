// The serial ports of a Windows machine: the registry's list of the COM ports
// that drivers have made (HKLM\HARDWARE\DEVICEMAP\SERIALCOMM), which is also what
// the Device Manager shows.
#include "platform/ComPorts.h"
#include "platform/SerialDevices.h"

#include "platform/win32/Wide.h"

namespace kavro {

namespace {

std::vector<SerialCommEntry> readSerialComm()
{
    std::vector<SerialCommEntry> entries;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return entries;  // no key: no port has ever been made on this machine
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        wchar_t data[256];
        DWORD nameLength = 256;
        DWORD dataBytes = sizeof data;
        DWORD type = 0;
        const LONG r = ::RegEnumValueW(key, index, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data),
                                       &dataBytes);
        if (r == ERROR_NO_MORE_ITEMS)
            break;
        if (r != ERROR_SUCCESS || type != REG_SZ)
            continue;  // a value too long for a port name, or not text: not a port
        std::size_t dataLength = dataBytes / sizeof(wchar_t);
        while (dataLength > 0 && data[dataLength - 1] == L'\0')
            --dataLength;
        entries.emplace_back(win32::utf8(std::wstring(name, nameLength)), win32::utf8(std::wstring(data, dataLength)));
    }
    ::RegCloseKey(key);
    return entries;
}

}  // namespace

std::vector<SerialDevice> listSerialDevices(const SerialDeviceRoots&)
{
    return serialDevicesFromComm(readSerialComm());
}

std::string describeSerialDevice(const SerialDevice& device)
{
    return device.name.empty() ? device.path : device.target + "  " + device.name;
}

std::string defaultSerialDevice(int portIndex)
{
    return "COM" + std::to_string(portIndex + 1);
}

bool serialDevicePresent(const std::string& device)
{
    // Any COM port Windows can open has a DOS device name, whether a driver made it
    // (and listed it in SERIALCOMM) or it was mapped some other way.
    if (comPortNumber(device) == 0)
        return false;
    wchar_t target[512];
    return ::QueryDosDeviceW(win32::wide("COM" + std::to_string(comPortNumber(device))).c_str(), target, 512) != 0;
}

std::string presentDeviceOr(const std::string& fallback, const SerialDeviceRoots& roots)
{
    if (fallback.empty() || serialDevicePresent(fallback))
        return fallback;
    const std::vector<SerialDevice> devices = listSerialDevices(roots);
    int adapters = 0;
    const SerialDevice* adapter = nullptr;
    for (const SerialDevice& d : devices) {
        if (d.adapter) {
            ++adapters;
            adapter = &d;
        }
    }
    return adapters == 1 ? adapter->path : fallback;
}

}  // namespace kavro
