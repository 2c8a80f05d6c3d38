// The feedback tone: a confirmed change flashes green and a refused entry red, each with the same tone.
//
// Beep() blocks its caller for the whole tone. The worker beeps on its own thread and the window's entry
// fields on the window thread; an implementation must allow both at once.
#pragma once

#include <cstdint>

namespace kelvane {

inline constexpr std::uint32_t ToneFrequencyHz = 2000;
inline constexpr std::uint32_t ToneDurationMs = 500;

class Tone {
  public:
    virtual ~Tone() = default;

    // Sounds ToneFrequencyHz for ToneDurationMs and returns when it is over.
    virtual void Beep() = 0;
};

}  // namespace kelvane
