// POSIX details of finding ports, open to the tests.
#pragma once

#include <string>
#include <vector>

#include "serial/SerialPorts.h"

namespace kelvane::serial {

// The serial adapters under a device directory: its ttyUSB* and ttyACM* nodes and whatever its
// serial/by-id links resolve to, each device once, described by its by-id name when it has one.
std::vector<SerialPortInfo> ListSerialDevicesUnder(const std::string& deviceRoot);

}  // namespace kelvane::serial
