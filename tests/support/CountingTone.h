// A tone that counts instead of sounding, safe to call from the worker and the window thread alike.
#pragma once

#include <atomic>

#include "worker/Tone.h"

namespace kelvane {

class CountingTone final : public Tone {
  public:
    void Beep() override { Count.fetch_add(1, std::memory_order_relaxed); }
    int Beeps() const { return Count.load(std::memory_order_relaxed); }

  private:
    std::atomic<int> Count{0};
};

}  // namespace kelvane
