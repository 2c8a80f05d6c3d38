// A Sleeper that moves the virtual clock instead of waiting, and keeps the pauses it was asked for.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "tests/support/VirtualClock.h"
#include "ups/Sleeper.h"

namespace kelvane {

class VirtualSleeper final : public Sleeper {
  public:
    explicit VirtualSleeper(VirtualClock& clock) : clock_(clock) {}

    void SleepMs(uint32_t ms) override {
        {
            std::lock_guard lock(mutex_);
            pauses_.push_back(ms);
        }
        clock_.Advance(std::chrono::milliseconds(ms));
    }

    // Every pause so far, in order.
    std::vector<uint32_t> Pauses() const {
        std::lock_guard lock(mutex_);
        return pauses_;
    }

  private:
    VirtualClock& clock_;
    mutable std::mutex mutex_;
    std::vector<uint32_t> pauses_;
};

}  // namespace kelvane
