// A serial line that drives a simulated unit in process, on virtual time.
//
// It keeps the read rules of SerialLine exactly, measured on the VirtualClock: a read of k bytes ends
// when k bytes are in, when more than the interval passes between two bytes (counted once the first is
// in), when TotalConstantMs + TotalMultiplierMs * k have passed since it began, or early at a carriage
// return and line feed when asked. Zero bytes from the unit are dropped. Writes are instantaneous; the
// unit's answer travels like on a wire: it starts one character time after the command byte (plus the
// timing's latency and lateness) and, paced, takes one character time per byte. Bytes still travelling
// survive a purge and arrive later, as they would on a real line.
//
// A read that ends early moves the clock only to the moment it ended. A read that could never end
// (no time-out set, nothing more on its way) ends at once with ReadEnd::Total instead of hanging.
//
// Thread-safety: one thread drives the line at a time; Fail() may be called from any thread.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>

#include "sim/SimUnit.h"
#include "tests/support/VirtualClock.h"
#include "ups/SerialLine.h"

namespace kelvane {

class VirtualPort;

// How the simulated unit's answers are timed; the same options as the pseudo-terminal server's.
struct LineTiming {
    double LatencyMs = 0;  // beyond the one character time that every answer waits
    double LateMs = 0;     // a further delay of every answer
    bool Pace = true;      // one byte per character time; false: the whole answer arrives at once
};

// One character on the wire at 2400 baud 8N1: ten bits, 4.17 ms.
VirtualClock::Duration CharacterTimes(int64_t characters);

class VirtualLine final : public SerialLine {
  public:
    VirtualLine(sim::SimUnit& unit, VirtualClock& clock, LineTiming timing = {});
    ~VirtualLine() override;

    bool WriteByte(uint8_t byte) override;
    void PurgeInput() override;
    ReadResult Read(uint8_t* buf, std::size_t k, bool stopAtLineEnd, bool afterCarriageReturn) override;
    void SetTimeouts(const Timeouts& timeouts) override;
    bool Close() override;
    std::string LastError() const override;

    // The device goes away (an unplugged adapter): from now on every read ends with ReadEnd::Failed,
    // writes are refused and LastError gives the reason.
    void Fail(const std::string& reason = "device removed");

    Timeouts CurrentTimeouts() const { return timeouts_; }
    bool IsClosed() const { return closed_; }
    // Bytes of answers not yet read, arrived or still travelling.
    std::size_t PendingBytes() const { return incoming_.size(); }

  private:
    friend class VirtualPort;
    bool Usable() const { return !closed_ && !failed_.load(); }

    struct Arrival {
        VirtualClock::Duration At;
        uint8_t Byte;
    };

    sim::SimUnit& unit_;
    VirtualClock& clock_;
    LineTiming timing_;
    Timeouts timeouts_;
    std::deque<Arrival> incoming_;  // in order of arrival
    // The unit's transmitter is free again this many character times after the origin.
    VirtualClock::Duration transmitterOrigin_{0};
    int64_t transmitterCharacters_ = 0;
    bool closed_ = false;
    std::atomic<bool> failed_{false};
    mutable std::mutex errorMutex_;
    std::string error_;
    VirtualPort* port_ = nullptr;  // told when this line goes away
};

}  // namespace kelvane
