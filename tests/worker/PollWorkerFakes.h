// A window for the worker tests: a recording window for the controls, an inline hand-over, and the
// window state the worker reads, with a cue to stop the worker after a number of cycles.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "sim/SimUnit.h"
#include "tests/support/RecordingWindow.h"
#include "tests/support/VirtualClock.h"
#include "tests/support/VirtualPort.h"
#include "tests/support/VirtualSleeper.h"
#include "ups/UpsLink.h"
#include "worker/DisplayRefresh.h"
#include "worker/PollWorker.h"

namespace kelvane::testing {

class FakePollWindow : public PollWindow {
  public:
    explicit FakePollWindow(RecordingWindow& controls) : controls_(controls) {}

    bool StatusPageShowing() const override {
        ++ReadOuts;
        if (BeforeReadOut) BeforeReadOut(ReadOuts);
        return controls_.ShowingPages.count(std::string(StatusPageName)) > 0;
    }
    bool UnitIdentified() const override { return Identified.load(); }
    void StartClick() override {
        ++StartClicks;
        if (OnStartClick) OnStartClick();
    }
    void PollerEnded(PollWorker&) override {
        EndedOnThread = std::this_thread::get_id();
        ++Ended;
    }

    std::atomic<bool> Identified{true};
    // Runs at every read-out with the number of read-outs so far (1 for the first cycle).
    std::function<void(int)> BeforeReadOut;
    std::function<void()> OnStartClick;
    mutable int ReadOuts = 0;
    int StartClicks = 0;
    std::atomic<int> Ended{0};
    std::thread::id EndedOnThread;

  private:
    RecordingWindow& controls_;
};

// A unit of a preset on virtual time, identified, with a recording window around it.
struct WorkerBench {
    explicit WorkerBench(const std::string& preset)
        : unit(sim::SimUnit::FromPreset(preset)),
          sleeper(clock),
          port(*unit, clock),
          ups(port.Opener(), &sleeper),
          handOver(controls),
          window(controls) {
        opened = ups.OpenPort("COM1");
        identified = opened && ups.CheckSmartMode() && ups.Identify();
    }

    // The bytes the unit received since the mark.
    std::string ReceivedSince(std::size_t mark) const {
        const auto& all = unit->Received();
        return std::string(all.begin() + static_cast<std::ptrdiff_t>(mark), all.end());
    }

    std::unique_ptr<sim::SimUnit> unit;
    VirtualClock clock;
    VirtualSleeper sleeper;
    VirtualPort port;
    UpsLink ups;
    Queue commands;
    RecordingWindow controls;
    InlineHandOver handOver;
    FakePollWindow window;
    bool opened = false;
    bool identified = false;
};

}  // namespace kelvane::testing
