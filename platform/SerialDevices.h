#pragma once
// The serial devices present on this machine, for choosing the instrument's port
// without editing the profile: the USB adapters under their stable readable names
// first, then the device nodes that exist.
#include <string>
#include <vector>

namespace kavro {

struct SerialDevice {
    std::string path;    // what to open and to store: the stable by-id link when there is one
    std::string target;  // the device node it leads to (the path itself for a plain node)
    std::string name;    // the readable by-id name; "" for a plain node
    bool adapter = false;  // a USB adapter (by-id entry, ttyUSB, ttyACM), not a built-in port
};

// Where to look; a test points them at folders of its own.
struct SerialDeviceRoots {
    std::string byId = "/dev/serial/by-id";
    std::string dev = "/dev";
    std::string sysTty = "/sys/class/tty";  // tells a real built-in port (ttyS) from an empty slot
};

// The by-id entries in name order (their targets not listed again), then the
// ttyUSB, ttyACM and ttyS nodes that exist in number order; a ttyS without a
// UART behind it is left out, one whose UART cannot be told comes last.
std::vector<SerialDevice> listSerialDevices(const SerialDeviceRoots& roots = {});

// One line for a person: "/dev/ttyUSB0  usb-FTDI_FT232R_A1-if00-port0".
std::string describeSerialDevice(const SerialDevice& device);

// The device port 0..3 ("COM1:".."COM4:") opens when the profile names none:
// /dev/ttyUSB0.. on POSIX, COM1.. on Windows.
std::string defaultSerialDevice(int portIndex);

// Whether a device of that name is there now (a device node; a COM port Windows knows).
bool serialDevicePresent(const std::string& device);

// The device for a port whose profile names none: fallback when it exists, else
// the only USB adapter plugged in, else fallback still.
std::string presentDeviceOr(const std::string& fallback, const SerialDeviceRoots& roots = {});

}  // namespace kavro
