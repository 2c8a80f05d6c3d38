// A dispatcher on a simulated unit over the virtual line, with a recording window. The tone and the
// dispatcher's pauses write "beep" and "wait <ms>" into the window's log, so a flash reads in order
// between the control changes around it.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/Presets.h"
#include "sim/SimUnit.h"
#include "tests/support/AnsweringDialogs.h"
#include "tests/support/CountingTone.h"
#include "tests/support/RecordingWindow.h"
#include "tests/support/VirtualClock.h"
#include "tests/support/VirtualPort.h"
#include "tests/support/VirtualSleeper.h"
#include "ups/UpsLink.h"
#include "worker/Dispatcher.h"

namespace kelvane::testing {

class LoggedTone final : public Tone {
  public:
    LoggedTone(RecordingWindow& window, CountingTone& counter) : window_(window), counter_(counter) {}
    void Beep() override {
        window_.log("beep");
        counter_.Beep();
    }

  private:
    RecordingWindow& window_;
    CountingTone& counter_;
};

class LoggedSleeper final : public Sleeper {
  public:
    LoggedSleeper(RecordingWindow& window, Sleeper& inner) : window_(window), inner_(inner) {}
    void SleepMs(uint32_t ms) override {
        window_.log("wait " + std::to_string(ms));
        inner_.SleepMs(ms);
    }

  private:
    RecordingWindow& window_;
    Sleeper& inner_;
};

// A preset unit, connected and identified, with one poll read-out behind it as the worker would have.
struct DispatchBench {
    explicit DispatchBench(const std::string& preset) : DispatchBench(sim::SimUnit::FromPreset(preset)) {}
    explicit DispatchBench(std::unique_ptr<sim::SimUnit> simulated)
        : unit(std::move(simulated)),
          sleeper(clock),
          port(*unit, clock),
          ups(port.Opener(), &sleeper),
          handOver(window),
          tone(window, tones),
          pauses(window, sleeper),
          dispatcher(ups, window, handOver, tone, pauses, dialogs, constBuffer,
                     [this] { return StopWhen && StopWhen(); }) {
        EXPECT_TRUE(ups.OpenPort("COM1"));
        EXPECT_TRUE(ups.CheckSmartMode());
        EXPECT_TRUE(ups.Identify());
        ups.RefreshPoll();
        mark = unit->Received().size();
    }

    // A preset with some items changed before the unit is built.
    static std::unique_ptr<sim::SimUnit> Modified(
        const std::string& preset, const std::function<void(sim::SimUnit::Definition&)>& change) {
        std::optional<sim::SimUnit::Definition> definition = sim::PresetDefinition(preset);
        EXPECT_TRUE(definition.has_value());
        change(*definition);
        return std::make_unique<sim::SimUnit>(*definition);
    }

    // What the technician left in a field; not logged, as it is no change made by the dispatcher.
    void Type(const std::string& field, const std::string& text) { window.at(field).Text = text; }

    void Run(char code, char argument = '-') { dispatcher.Dispatch(code, argument); }

    // The bytes the unit received since the last call (or since the bench was set up).
    std::string Sent() {
        const auto& received = unit->Received();
        std::string bytes(received.begin() + static_cast<std::ptrdiff_t>(mark), received.end());
        mark = received.size();
        return bytes;
    }

    // Asks the unit directly, past the link, what it now answers to a command.
    std::string Ask(uint8_t command) {
        std::string answer = unit->OnByte(command);
        mark = unit->Received().size();
        return answer.substr(0, answer.find('\r'));
    }

    // The log entries that touch one control, with the beeps and waits among them.
    std::vector<std::string> Around(const std::string& control) const {
        std::vector<std::string> entries;
        for (const std::string& entry : window.Log) {
            const bool mine = entry == "repaint " + control || entry.rfind("text " + control + "=", 0) == 0 ||
                              entry.rfind("colour " + control + "=", 0) == 0 ||
                              entry.rfind("bar " + control + "=", 0) == 0;
            if (mine || entry == "beep" || entry.rfind("wait ", 0) == 0) entries.push_back(entry);
        }
        return entries;
    }

    // The texts a control was given, in order.
    std::vector<std::string> TextsOf(const std::string& control) const {
        std::vector<std::string> texts;
        const std::string prefix = "text " + control + "=";
        for (const std::string& entry : window.Log) {
            if (entry.rfind(prefix, 0) == 0) texts.push_back(entry.substr(prefix.size()));
        }
        return texts;
    }

    bool Logged(const std::string& entry) const {
        return std::find(window.Log.begin(), window.Log.end(), entry) != window.Log.end();
    }

    std::unique_ptr<sim::SimUnit> unit;
    VirtualClock clock;
    VirtualSleeper sleeper;
    VirtualPort port;
    UpsLink ups;
    RecordingWindow window;
    InlineHandOver handOver;
    CountingTone tones;
    LoggedTone tone;
    LoggedSleeper pauses;
    AnsweringDialogs dialogs;
    std::array<char, 6> constBuffer{};
    std::function<bool()> StopWhen;
    Dispatcher dispatcher;
    std::size_t mark = 0;
};

// The confirmed flash of a control, as the log shows it after the control's last text.
inline std::vector<std::string> GreenFlash(const std::string& control) {
    return {"colour " + control + "=green", "repaint " + control, "beep", "wait 500",
            "colour " + control + "=black", "repaint " + control};
}

inline std::vector<std::string> RedFlash(const std::string& control) {
    return {"colour " + control + "=red",   "repaint " + control, "beep", "wait 500",
            "colour " + control + "=black", "repaint " + control};
}

// The last n entries of a list.
inline std::vector<std::string> Tail(const std::vector<std::string>& entries, std::size_t n) {
    return {entries.end() - static_cast<std::ptrdiff_t>(std::min(n, entries.size())), entries.end()};
}

}  // namespace kelvane::testing
