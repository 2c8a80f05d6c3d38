#include "ups/Sleeper.h"

#include <chrono>
#include <thread>

namespace kelvane {

void RealSleeper::SleepMs(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

RealSleeper& RealSleeper::Instance() {
    static RealSleeper sleeper;
    return sleeper;
}

}  // namespace kelvane
