#include "ui/SimulatedPorts.h"

#include "serial/posix/PtyServer.h"
#include "sim/SimUnit.h"

namespace kelvane {

namespace {
const QString LabelPrefix = QStringLiteral("Simulated: ");

std::string PresetOf(const QString& label) {
    return label.mid(LabelPrefix.size()).toStdString();
}
}  // namespace

struct SimulatedPorts::Served {
    std::unique_ptr<sim::SimUnit> Unit;
    std::unique_ptr<serial::PtyServer> Server;
};

SimulatedPorts::SimulatedPorts() = default;

SimulatedPorts::~SimulatedPorts() {
    // The servers call into their units; they stop before the units go.
    for (auto& [name, served] : served_) {
        if (served->Server) served->Server->Stop();
    }
}

QStringList SimulatedPorts::Labels() {
    QStringList labels;
    for (const std::string& preset : sim::SimUnit::PresetNames())
        labels << LabelPrefix + QString::fromStdString(preset);
    return labels;
}

bool SimulatedPorts::IsSimulated(const QString& label) {
    return label.startsWith(LabelPrefix);
}

std::string SimulatedPorts::DevicePath(const QString& label, std::string* why) {
    const std::string preset = PresetOf(label);
    auto found = served_.find(preset);
    if (found != served_.end() && found->second->Server) return found->second->Server->DevicePath();

    std::unique_ptr<Served> served;
    if (found != served_.end()) {
        served = std::move(found->second);
        served_.erase(found);
    } else {
        served = std::make_unique<Served>();
        served->Unit = sim::SimUnit::FromPreset(preset);
        if (!served->Unit) {
            if (why != nullptr) *why = "no simulated unit \"" + preset + "\"";
            return {};
        }
    }
    sim::SimUnit* unit = served->Unit.get();
    served->Server = serial::PtyServer::Start([unit](uint8_t byte) { return unit->OnByte(byte); },
                                              serial::PtyServerOptions{Timing, {}}, why);
    if (!served->Server) return {};
    std::string path = served->Server->DevicePath();
    served_.emplace(preset, std::move(served));
    return path;
}

sim::SimUnit* SimulatedPorts::Unit(const QString& label) const {
    const auto found = served_.find(PresetOf(label));
    return found != served_.end() ? found->second->Unit.get() : nullptr;
}

void SimulatedPorts::Stop(const QString& label) {
    const auto found = served_.find(PresetOf(label));
    if (found != served_.end() && found->second->Server) {
        found->second->Server->Stop();
        found->second->Server.reset();
    }
}

}  // namespace kelvane
