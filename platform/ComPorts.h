#pragma once
// Windows' names of serial ports, as plain text work that needs no Windows: the
// name a port is opened by and the device list made of the registry's SERIALCOMM
// entries.  The Windows device list and serial link use it; the tests check it on
// every system.
#include "platform/SerialDevices.h"

#include <array>
#include <string>
#include <utility>
#include <vector>

namespace kavro {

// The number of a COM port named "COM5", "com5:" or "\\.\COM5" (1..256); 0 for a
// text that names no COM port.
int comPortNumber(const std::string& device);

// The file name CreateFile opens for a COM port: "\\.\COM5" (ports from COM10 up
// open only in this form); "" for a text that names no COM port.
std::string comPortFileName(const std::string& device);

// The device set for the port COM1:..COM4: (portIndex 0..3) among devices; "" with
// error ("COM3: no device is set ...") when the index names no port or none is set.
// Both serial links choose their device by it.
std::string configuredPortDevice(const std::array<std::string, 4>& devices, int portIndex, std::string& error);

// One value of HKLM\HARDWARE\DEVICEMAP\SERIALCOMM: the driver's device name
// ("\Device\Serial0", "\Device\VCP0") and the port it gives ("COM3").
using SerialCommEntry = std::pair<std::string, std::string>;

// The ports of those entries in port-number order, each once: path and target
// "COM3", name the driver's device; a port of any driver but the built-in serial
// driver counts as an adapter (USB-serial drivers name their devices their own way).
// Entries that name no COM port are left out.
// friendlyNames: the Device Manager's names of the ports present, as (name, port)
// pairs ("USB Serial Port (COM5)", "COM5"); a port with one is named by it, and a
// present port the registry's list lacks is added.
std::vector<SerialDevice> serialDevicesFromComm(const std::vector<SerialCommEntry>& entries,
                                                const std::vector<SerialCommEntry>& friendlyNames = {});

// One line for a person: the Device Manager's name when it names the port already
// ("USB Serial Port (COM5)"), else the port and its name ("COM1  \Device\Serial0").
std::string describeComPort(const SerialDevice& device);

}  // namespace kavro
