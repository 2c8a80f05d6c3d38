// Every pause the protocol prescribes (500, 1000, 1500 ms) goes through one Sleeper, so tests can run
// on virtual time while the real program sleeps for real.
#pragma once

#include <cstdint>

namespace kelvane {

class Sleeper {
public:
    virtual ~Sleeper() = default;
    virtual void SleepMs(uint32_t ms) = 0;
};

// Sleeps on the system's steady clock.
class RealSleeper final : public Sleeper {
public:
    void SleepMs(uint32_t ms) override;
    static RealSleeper& Instance();
};

}  // namespace kelvane
