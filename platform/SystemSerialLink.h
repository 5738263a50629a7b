#pragma once
// The serial link of this system: termios on POSIX, the Win32 communications
// functions on Windows.
#include "platform/SerialLink.h"

#include <array>
#include <memory>
#include <string>

namespace kavro {

// devices: what ports 0..3 ("COM1:".."COM4:") open (a device path on POSIX,
// "COM3" on Windows); baudRate: the line speed.
std::unique_ptr<SerialLink> makeSystemSerialLink(std::array<std::string, 4> devices, int baudRate = 9600);

}  // namespace kavro
