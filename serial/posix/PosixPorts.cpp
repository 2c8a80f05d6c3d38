#include "serial/posix/PosixPorts.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <filesystem>
#include <map>
#include <system_error>
#include <tuple>

#include "serial/posix/PosixSerialLine.h"

namespace kelvane::serial {

namespace {

namespace fs = std::filesystem;

bool IsAdapterName(const std::string& name) {
    for (const char* prefix : {"ttyUSB", "ttyACM"}) {
        std::string start(prefix);
        if (name.size() > start.size() && name.compare(0, start.size(), start) == 0 &&
            std::all_of(name.begin() + static_cast<std::ptrdiff_t>(start.size()), name.end(),
                        [](unsigned char c) { return std::isdigit(c) != 0; })) {
            return true;
        }
    }
    return false;
}

// ttyUSB2 before ttyUSB10: the text before the trailing number, then the number.
bool NaturalLess(const std::string& a, const std::string& b) {
    auto split = [](const std::string& s) {
        std::size_t digits = s.size();
        while (digits > 0 && std::isdigit(static_cast<unsigned char>(s[digits - 1]))) --digits;
        // Numbers longer than any device index are compared as text after the stem.
        std::string number = s.substr(digits);
        return std::make_tuple(s.substr(0, digits), number.size(), number);
    };
    return split(a) < split(b);
}

}  // namespace

std::vector<SerialPortInfo> ListSerialDevicesUnder(const std::string& deviceRoot) {
    std::error_code error;
    fs::path root = fs::weakly_canonical(fs::path(deviceRoot), error);
    if (error) return {};

    std::map<std::string, std::string> descriptionByDevice;
    for (const auto& entry : fs::directory_iterator(root, error)) {
        std::string name = entry.path().filename().string();
        if (IsAdapterName(name)) descriptionByDevice.emplace(entry.path().string(), std::string());
    }
    error.clear();
    for (const auto& entry : fs::directory_iterator(root / "serial" / "by-id", error)) {
        std::error_code resolveError;
        fs::path device = fs::canonical(entry.path(), resolveError);
        if (resolveError) continue;  // a link left over from a device that is gone
        descriptionByDevice[device.string()] = entry.path().filename().string();
    }

    std::vector<SerialPortInfo> ports;
    for (auto& [device, description] : descriptionByDevice) ports.push_back({device, description});
    std::sort(ports.begin(), ports.end(),
              [](const SerialPortInfo& a, const SerialPortInfo& b) { return NaturalLess(a.Name, b.Name); });
    return ports;
}

std::vector<SerialPortInfo> ListSerialPorts() {
    return ListSerialDevicesUnder("/dev");
}

std::string DevicePathForPort(const std::string& portName, std::string* why) {
    auto refuse = [&](std::string reason) {
        if (why) *why = std::move(reason);
        return std::string();
    };
    if (portName.empty()) return refuse("no port given");
    if (portName.front() == '/') return portName;
    if (portName.size() == 4 && std::toupper(static_cast<unsigned char>(portName[0])) == 'C' &&
        std::toupper(static_cast<unsigned char>(portName[1])) == 'O' &&
        std::toupper(static_cast<unsigned char>(portName[2])) == 'M' && portName[3] >= '1' &&
        portName[3] <= '4') {
        return "/dev/ttyS" + std::string(1, static_cast<char>(portName[3] - 1));
    }
    return refuse(portName + ": not a port name; use COM1 to COM4 or a device path such as /dev/ttyUSB0");
}

std::unique_ptr<SerialLine> OpenSerialLine(const std::string& portName, std::string* why) {
    std::string devicePath = DevicePathForPort(portName, why);
    if (devicePath.empty()) return nullptr;
    std::string reason;
    auto line = PosixSerialLine::Open(devicePath, &reason);
    if (!line && why) *why = devicePath == portName ? reason : portName + ": " + reason;
    return line;
}

LineOpener SystemLineOpener() {
    return [](const std::string& portName, std::string* why) { return OpenSerialLine(portName, why); };
}

}  // namespace kelvane::serial
