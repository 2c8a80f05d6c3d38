// The feedback tone on this machine's sound output. Where no output device can be opened (no sound card,
// a headless test machine) the caller is held for the tone's length all the same, so the pacing of a
// flash and its pause does not depend on the machine having speakers.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "worker/Tone.h"

namespace kelvane {

class Sleeper;

class SystemTone final : public Tone {
  public:
    // device is the sound output's name; "default" is the user's chosen output. waits serves the silent
    // fallback.
    explicit SystemTone(Sleeper& waits, std::string device = "default");

    void Beep() override;

    // True when the last Beep() was heard rather than waited out.
    bool LastBeepAudible() const { return Audible.load(); }

    // One channel of signed 16-bit samples: a sine of frequencyHz lasting durationMs, with short fades at
    // both ends so the speaker does not click.
    static std::vector<std::int16_t> Samples(std::uint32_t sampleRate, std::uint32_t frequencyHz,
                                             std::uint32_t durationMs);

    static constexpr std::uint32_t SampleRate = 48000;

  private:
    // Plays the samples; returns the milliseconds of sound it delivered before any failure.
    std::uint32_t Play(const std::vector<std::int16_t>& samples, bool* complete);

    Sleeper& Waits;
    std::string Device;
    std::atomic<bool> Audible{false};
};

}  // namespace kelvane
