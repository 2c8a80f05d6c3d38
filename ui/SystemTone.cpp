#include "ui/SystemTone.h"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <numbers>

#include "ups/Sleeper.h"

#ifdef KELVANE_HAVE_ALSA
#include <alsa/asoundlib.h>
#endif

namespace kelvane {

#ifdef KELVANE_HAVE_ALSA
namespace {

// ALSA reports a missing device on stderr before it returns the error we handle anyway.
void QuietAlsaErrors(const char*, int, const char*, int, const char*, ...) {}

}  // namespace
#endif

SystemTone::SystemTone(Sleeper& waits, std::string device) : Waits(waits), Device(std::move(device)) {}

std::vector<std::int16_t> SystemTone::Samples(std::uint32_t sampleRate, std::uint32_t frequencyHz,
                                              std::uint32_t durationMs) {
    const std::size_t count = static_cast<std::size_t>(sampleRate) * durationMs / 1000;
    const std::size_t fade = std::min<std::size_t>(sampleRate / 200, count / 2);  // 5 ms
    constexpr double amplitude = 0.5 * 32767.0;
    std::vector<std::int16_t> samples(count);
    for (std::size_t i = 0; i < count; ++i) {
        double envelope = 1.0;
        if (fade > 0) {
            if (i < fade) envelope = static_cast<double>(i) / static_cast<double>(fade);
            if (count - 1 - i < fade)
                envelope = static_cast<double>(count - 1 - i) / static_cast<double>(fade);
        }
        const double phase =
            2.0 * std::numbers::pi * frequencyHz * static_cast<double>(i) / static_cast<double>(sampleRate);
        samples[i] = static_cast<std::int16_t>(std::lround(amplitude * envelope * std::sin(phase)));
    }
    return samples;
}

void SystemTone::Beep() {
    static const std::vector<std::int16_t> tone = Samples(SampleRate, ToneFrequencyHz, ToneDurationMs);
    bool complete = false;
    const std::uint32_t played = Play(tone, &complete);
    Audible.store(complete);
    if (!complete && played < ToneDurationMs) Waits.SleepMs(ToneDurationMs - played);
}

#ifdef KELVANE_HAVE_ALSA

std::uint32_t SystemTone::Play(const std::vector<std::int16_t>& samples, bool* complete) {
    *complete = false;
    static std::once_flag quiet;
    std::call_once(quiet, [] { snd_lib_error_set_handler(QuietAlsaErrors); });
    snd_pcm_t* pcm = nullptr;
    // Opened without blocking so a device held by another program fails at once instead of hanging the
    // caller; writing then blocks as usual.
    if (snd_pcm_open(&pcm, Device.c_str(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0) return 0;
    std::size_t written = 0;
    if (snd_pcm_nonblock(pcm, 0) == 0 &&
        snd_pcm_set_params(pcm, SND_PCM_FORMAT_S16, SND_PCM_ACCESS_RW_INTERLEAVED, 1, SampleRate, 1,
                           100'000) == 0) {
        int recoveries = 0;
        while (written < samples.size()) {
            const snd_pcm_sframes_t result =
                snd_pcm_writei(pcm, samples.data() + written, samples.size() - written);
            if (result >= 0) {
                written += static_cast<std::size_t>(result);
                continue;
            }
            if (++recoveries > 3 || snd_pcm_recover(pcm, static_cast<int>(result), 1) < 0) break;
        }
        if (written == samples.size()) *complete = snd_pcm_drain(pcm) == 0;
    }
    snd_pcm_close(pcm);
    return static_cast<std::uint32_t>(written * 1000 / SampleRate);
}

#else

std::uint32_t SystemTone::Play(const std::vector<std::int16_t>&, bool* complete) {
    *complete = false;
    return 0;
}

#endif

}  // namespace kelvane
