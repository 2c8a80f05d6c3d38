#include "tests/support/VirtualPort.h"

#include <utility>

namespace kelvane {

VirtualPort::VirtualPort(sim::SimUnit& unit, VirtualClock& clock, LineTiming timing, std::string portName)
    : unit_(unit), clock_(clock), timing_(timing), portName_(std::move(portName)) {}

LineOpener VirtualPort::Opener() {
    return [this](const std::string& portName, std::string* why) { return Open(portName, why); };
}

std::unique_ptr<SerialLine> VirtualPort::Open(const std::string& portName, std::string* why) {
    std::lock_guard lock(mutex_);
    if (!portName_.empty() && portName != portName_) {
        if (why) *why = "No such file or directory";
        return nullptr;
    }
    if (unplugged_) {
        if (why) *why = "No such device";
        return nullptr;
    }
    auto line = std::make_unique<VirtualLine>(unit_, clock_, timing_);
    line->port_ = this;
    line_ = line.get();
    ++opens_;
    return line;
}

void VirtualPort::Forget(VirtualLine* line) {
    std::lock_guard lock(mutex_);
    if (line_ == line) line_ = nullptr;
}

VirtualLine* VirtualPort::Line() const {
    std::lock_guard lock(mutex_);
    return line_;
}

int VirtualPort::Opens() const {
    std::lock_guard lock(mutex_);
    return opens_;
}

void VirtualPort::Unplug() {
    std::lock_guard lock(mutex_);
    unplugged_ = true;
    if (line_) line_->Fail("device removed");
}

void VirtualPort::Plug() {
    std::lock_guard lock(mutex_);
    unplugged_ = false;
}

}  // namespace kelvane
