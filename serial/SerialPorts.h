// Finding and opening the serial ports of this machine. One implementation per platform, chosen by the
// build; the callers (the window's port chooser, kelvane-cli) see only these functions.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ups/SerialLine.h"

namespace kelvane::serial {

struct SerialPortInfo {
    std::string Name;         // what to hand to OpenSerialLine, e.g. "/dev/ttyUSB0"
    std::string Description;  // a stable name for people when the system has one, else empty
};

// Maps a port name to the device it stands for: "COM1" to "COM4" are the machine's first four UARTs, a
// name that starts with "/" is a device path taken as it is. Anything else gives an empty result and
// the reason in *why.
std::string DevicePathForPort(const std::string& portName, std::string* why);

// The serial adapters present now (USB and CDC-ACM devices), in a stable natural order.
std::vector<SerialPortInfo> ListSerialPorts();

// Opens the port at 2400 baud 8N1 with the link's time-out rules; null with the system's reason in *why
// when it cannot be opened.
std::unique_ptr<SerialLine> OpenSerialLine(const std::string& portName, std::string* why);

// The opener for real ports, for whoever takes a LineOpener.
LineOpener SystemLineOpener();

}  // namespace kelvane::serial
