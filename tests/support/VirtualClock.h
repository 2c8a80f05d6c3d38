// Virtual time for tests: the simulated line and the sleeper move it forward, nothing else does, so a
// test that waits 1500 ms of unit time finishes at once and can still assert how long it took.
//
// Thread-safety: reading and advancing are atomic, so a test thread may read the clock while a worker
// drives the line.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>

namespace kelvane {

class VirtualClock {
  public:
    using Duration = std::chrono::nanoseconds;

    Duration Now() const { return Duration(now_.load()); }
    double NowMs() const { return static_cast<double>(now_.load()) / 1e6; }

    void Advance(Duration by) {
        if (by.count() > 0) now_.fetch_add(by.count());
    }
    // Moves the clock to `at`; a moment already past leaves it where it is.
    void AdvanceTo(Duration at) {
        int64_t current = now_.load();
        while (at.count() > current && !now_.compare_exchange_weak(current, at.count())) {
        }
    }

  private:
    std::atomic<int64_t> now_{0};
};

}  // namespace kelvane
