// The serial ports of a Windows machine: the registry's list of the COM ports
// that drivers have made (HKLM\HARDWARE\DEVICEMAP\SERIALCOMM), named as the Device
// Manager names them ("USB Serial Port (COM5)") where the set-up API knows them.
#include "platform/ComPorts.h"
#include "platform/SerialDevices.h"

#include "platform/win32/Wide.h"

#include <initguid.h>
#include <devguid.h>
#include <setupapi.h>

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

// The ports present now with the Device Manager's names: (friendly name, "COM5").
std::vector<SerialCommEntry> readFriendlyNames()
{
    std::vector<SerialCommEntry> names;
    HDEVINFO set = ::SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
    if (set == INVALID_HANDLE_VALUE)
        return names;
    SP_DEVINFO_DATA info{};
    info.cbSize = sizeof info;
    for (DWORD index = 0; ::SetupDiEnumDeviceInfo(set, index, &info); ++index) {
        wchar_t port[64] = {};
        HKEY key = ::SetupDiOpenDevRegKey(set, &info, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
        if (key == INVALID_HANDLE_VALUE)
            continue;
        DWORD bytes = sizeof port - sizeof(wchar_t);
        DWORD type = 0;
        const LONG r = ::RegQueryValueExW(key, L"PortName", nullptr, &type, reinterpret_cast<BYTE*>(port), &bytes);
        ::RegCloseKey(key);
        if (r != ERROR_SUCCESS || type != REG_SZ)
            continue;  // a parallel port or a modem without a COM name
        wchar_t friendly[256] = {};
        DWORD friendlyType = 0;
        if (!::SetupDiGetDeviceRegistryPropertyW(set, &info, SPDRP_FRIENDLYNAME, &friendlyType,
                                                 reinterpret_cast<BYTE*>(friendly), sizeof friendly - sizeof(wchar_t),
                                                 nullptr))
            friendly[0] = L'\0';
        names.emplace_back(win32::utf8(friendly), win32::utf8(port));
    }
    ::SetupDiDestroyDeviceInfoList(set);
    return names;
}

}  // namespace

std::vector<SerialDevice> listSerialDevices(const SerialDeviceRoots&)
{
    return serialDevicesFromComm(readSerialComm(), readFriendlyNames());
}

std::string describeSerialDevice(const SerialDevice& device)
{
    return describeComPort(device);
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
