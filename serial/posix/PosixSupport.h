// Small helpers the POSIX backends share; internal to serial/posix.
#pragma once

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstring>
#include <string>

namespace kelvane::serial::posix {

inline std::string SystemReason(int err) {
    return std::strerror(err);
}

// Milliseconds for poll() until the deadline: rounded up, so a wake-up never comes before it, and 0 once
// it has passed.
inline int WaitMsUntil(std::chrono::steady_clock::time_point deadline,
                       std::chrono::steady_clock::time_point now) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
    return static_cast<int>(std::clamp<decltype(left)>(left, 0, INT_MAX));
}

}  // namespace kelvane::serial::posix
