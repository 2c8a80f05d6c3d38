// The simulated units the port chooser offers, one per preset, labelled "Simulated: " + preset name.
// Each is served on a pseudo-terminal from its first choice on and kept for the window's life, so what a
// technician changed in it is still there after a reconnect. The window opens it through the ordinary
// serial path, like any adapter.
#pragma once

#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <string>

#include "serial/AnswerScheduler.h"

namespace kelvane {

namespace sim {
class SimUnit;
}
namespace serial {
class PtyServer;
}

class SimulatedPorts {
  public:
    SimulatedPorts();
    ~SimulatedPorts();
    SimulatedPorts(const SimulatedPorts&) = delete;
    SimulatedPorts& operator=(const SimulatedPorts&) = delete;

    // Paced like a real unit, with a latency that leaves room for the link's write, purge, read order on
    // a busy machine.
    serial::ServeTiming Timing{true, 15, 0};

    static QStringList Labels();
    static bool IsSimulated(const QString& label);

    // The device to open for the unit behind the label, serving it from now on; empty, with the reason,
    // when the label names no preset or the terminal cannot be had.
    std::string DevicePath(const QString& label, std::string* why);

    // The unit behind the label once it is served; null before. For tests.
    sim::SimUnit* Unit(const QString& label) const;
    // Stops serving the unit behind the label, as if its adapter were pulled. For tests.
    void Stop(const QString& label);

  private:
    struct Served;
    std::map<std::string, std::unique_ptr<Served>> served_;
};

}  // namespace kelvane
