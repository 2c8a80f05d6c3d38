// The timing of a simulated unit's answers, apart from any device, so it runs on virtual time in the
// tests and on the steady clock in a server. Command bytes are taken in the order they arrive; the next
// one is handed to the handler only when the previous answer has gone out, so a late answer never
// overtakes or interleaves with another.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>

namespace kelvane::serial {

// One character on the wire: 10 bits at 2400 baud.
inline constexpr std::chrono::microseconds kCharacterTime{4167};

struct ServeTiming {
    bool Pace = false;       // send answers at 2400 baud, one byte per character time, not all at once
    uint32_t LatencyMs = 0;  // response latency beyond the one character time every answer waits
    uint32_t LateMs = 0;     // a further delay of every answer, to make it arrive after a reader gave up
};

class AnswerScheduler {
  public:
    using Clock = std::chrono::steady_clock;
    // The bytes the unit sends back for one received byte; empty when it does not answer.
    using Handler = std::function<std::string(uint8_t)>;

    AnswerScheduler(Handler handler, ServeTiming timing);

    void Receive(uint8_t byte, Clock::time_point at);

    // Removes and returns every answer byte due by now, handing queued command bytes to the handler as
    // their turn comes.
    std::string TakeDue(Clock::time_point now);

    // When the next byte falls due; none when nothing is pending. A time in the past means "now".
    std::optional<Clock::time_point> NextDue() const;

  private:
    Handler handler_;
    ServeTiming timing_;
    struct Command {
        uint8_t Byte;
        Clock::time_point ReceivedAt;
    };
    std::deque<Command> commands_;
    std::string answer_;  // the answer going out; empty when none
    std::size_t sent_ = 0;
    Clock::time_point nextByteAt_{};
    std::optional<Clock::time_point> lineFreeAt_;  // the previous answer's last byte has left by then
};

}  // namespace kelvane::serial
