// The socket a simulated unit is plugged into: hands UpsLink a LineOpener whose lines drive that unit
// on the virtual clock, and lets a test reach the open line or pull the plug.
//
// The port must outlive its opener and every line it opened. Opening, closing and Unplug may happen on
// different threads.
#pragma once

#include <mutex>
#include <string>

#include "sim/SimUnit.h"
#include "tests/support/VirtualClock.h"
#include "tests/support/VirtualLine.h"
#include "ups/SerialLine.h"

namespace kelvane {

class VirtualPort {
  public:
    // With a port name only that name opens; with an empty one every name does.
    VirtualPort(sim::SimUnit& unit, VirtualClock& clock, LineTiming timing = {}, std::string portName = {});

    LineOpener Opener();

    // The line opened last, while it exists; null otherwise. Use it from the thread that drives it.
    VirtualLine* Line() const;
    int Opens() const;

    // The adapter is pulled: the open line fails (ReadEnd::Failed) and further opens are refused.
    void Unplug();
    // The adapter is back; the next open succeeds again.
    void Plug();

  private:
    friend class VirtualLine;
    std::unique_ptr<SerialLine> Open(const std::string& portName, std::string* why);
    void Forget(VirtualLine* line);

    sim::SimUnit& unit_;
    VirtualClock& clock_;
    LineTiming timing_;
    std::string portName_;
    mutable std::mutex mutex_;
    VirtualLine* line_ = nullptr;
    int opens_ = 0;
    bool unplugged_ = false;
};

}  // namespace kelvane
