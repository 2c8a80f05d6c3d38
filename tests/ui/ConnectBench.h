// A window wired to simulated units on virtual time: the link opens virtual ports, every pause moves the
// virtual clock, message boxes are recorded instead of shown and the tone only counts. A connect takes
// milliseconds; the worker runs on its own thread as in the program.
#pragma once

#include <QComboBox>
#include <QTemporaryDir>
#include <QtTest>
#include <map>
#include <memory>
#include <string>

#include "sim/SimUnit.h"
#include "tests/support/CountingTone.h"
#include "tests/support/VirtualClock.h"
#include "tests/support/VirtualPort.h"
#include "tests/support/VirtualSleeper.h"
#include "ui/MessageDialogs.h"
#include "ui/TForm1.h"
#include "ups/UpsLink.h"

namespace kelvane::testing {

class RecordingDialogs final : public MessageDialogs {
  public:
    void ShowError(const QString& text) override { Errors << text; }
    QStringList Errors;
};

// One simulated unit on a named port.
struct SimulatedPort {
    SimulatedPort(const std::string& preset, VirtualClock& clock, const std::string& name)
        : Unit(sim::SimUnit::FromPreset(preset)), Port(*Unit, clock, LineTiming{}, name) {}
    std::unique_ptr<sim::SimUnit> Unit;
    VirtualPort Port;
};

class ConnectBench {
  public:
    // The options file goes to a scratch directory; call once per test binary.
    static void UseScratchOptions(const QTemporaryDir& scratch) {
        qputenv("KELVANE_CONFIG", scratch.filePath("Kelvane.conf").toLocal8Bit());
    }

    ConnectBench() : sleeper_(clock_) {}
    ~ConnectBench() { Window.reset(); }  // joins any worker before the units go

    // A unit of the preset behind the port name; "COM1" unless told otherwise.
    sim::SimUnit& Plug(const std::string& preset, const std::string& portName = "COM1") {
        auto port = std::make_unique<SimulatedPort>(preset, clock_, portName);
        sim::SimUnit& unit = *port->Unit;
        ports_[portName] = std::move(port);
        return unit;
    }
    VirtualPort& Port(const std::string& portName = "COM1") { return ports_.at(portName)->Port; }

    TForm1& OpenWindow() {
        Window = std::make_unique<TForm1>();
        Window->Ups->SetLineOpener(
            [this](const std::string& name, std::string* why) -> std::unique_ptr<SerialLine> {
                const auto found = ports_.find(name);
                if (found == ports_.end()) {
                    if (why != nullptr) *why = "No such file or directory";
                    return nullptr;
                }
                return found->second->Port.Opener()(name, why);
            });
        Window->Ups->SetSleeper(&sleeper_);
        Window->Pauses = &sleeper_;
        auto dialogs = std::make_unique<RecordingDialogs>();
        Dialogs = dialogs.get();
        Window->Dialogs = std::move(dialogs);
        Window->Beeper = std::make_unique<CountingTone>();
        return *Window;
    }

    // Chooses the port in the chooser as a technician would pick it from the list.
    void Choose(const QString& portName) {
        QComboBox* chooser = Window->ComboBox1;
        const int index = chooser->findText(portName);
        if (index >= 0) {
            chooser->setCurrentIndex(index);
        } else {
            chooser->setEditText(portName);
        }
        Window->ComboBox1Change();
    }

    // Lets the worker run until it has completed this many more cycles; false if it ended first.
    bool RunCycles(unsigned long cycles) {
        PollWorker* worker = Window->Poller;
        if (worker == nullptr) return false;
        const unsigned long target = worker->Cycles() + cycles;
        return QTest::qWaitFor([&] { return Window->Poller != worker || worker->Cycles() >= target; },
                               60000) &&
               Window->Poller == worker;
    }

    // Waits until no worker is left; false if one still runs after a generous while.
    bool WaitForWorkersToEnd() {
        return QTest::qWaitFor([&] { return Window->LiveWorkers() == 0; }, 60000);
    }

    bool PausedFor(uint32_t ms) const {
        for (uint32_t pause : sleeper_.Pauses())
            if (pause == ms) return true;
        return false;
    }
    std::size_t PauseCount() const { return sleeper_.Pauses().size(); }

    std::unique_ptr<TForm1> Window;
    RecordingDialogs* Dialogs = nullptr;

  private:
    VirtualClock clock_;
    VirtualSleeper sleeper_;
    std::map<std::string, std::unique_ptr<SimulatedPort>> ports_;
};

}  // namespace kelvane::testing
