#include "tests/support/VirtualLine.h"

#include <algorithm>
#include <optional>

#include "tests/support/VirtualPort.h"

namespace kelvane {

namespace {

using Duration = VirtualClock::Duration;

Duration Milliseconds(double ms) {
    return Duration(static_cast<int64_t>(ms * 1e6));
}

}  // namespace

Duration CharacterTimes(int64_t characters) {
    // 10 bits at 2400 baud, computed from the count so that long answers do not drift.
    return Duration(characters * 25'000'000 / 6);
}

VirtualLine::VirtualLine(sim::SimUnit& unit, VirtualClock& clock, LineTiming timing)
    : unit_(unit), clock_(clock), timing_(timing) {}

VirtualLine::~VirtualLine() {
    if (port_) port_->Forget(this);
}

bool VirtualLine::WriteByte(uint8_t byte) {
    if (!Usable()) return false;
    const std::string answer = unit_.OnByte(byte);
    if (answer.empty()) return true;

    // The command byte needs one character time to reach the unit in full; an answer still going out
    // holds the new one back, since the unit has one transmitter. Arrival times are counted from one
    // origin in whole characters so that they do not drift by rounding.
    Duration origin = clock_.Now() + Milliseconds(timing_.LatencyMs) + Milliseconds(timing_.LateMs);
    int64_t characters = 1;
    if (transmitterOrigin_ + CharacterTimes(transmitterCharacters_) > origin + CharacterTimes(1)) {
        origin = transmitterOrigin_;
        characters = transmitterCharacters_;
    }
    for (std::size_t i = 0; i < answer.size(); ++i) {
        if (timing_.Pace) ++characters;
        incoming_.push_back({origin + CharacterTimes(characters), static_cast<uint8_t>(answer[i])});
    }
    transmitterOrigin_ = origin;
    transmitterCharacters_ = characters;
    return true;
}

void VirtualLine::PurgeInput() {
    const Duration now = clock_.Now();
    while (!incoming_.empty() && incoming_.front().At <= now) incoming_.pop_front();
}

ReadResult VirtualLine::Read(uint8_t* buf, std::size_t k, bool stopAtLineEnd, bool afterCarriageReturn) {
    if (!Usable()) return {0, ReadEnd::Failed};
    if (k == 0) return {0, ReadEnd::Count};

    const Duration begin = clock_.Now();
    std::optional<Duration> totalDeadline;
    if (timeouts_.ReadTotalConstantMs != 0 || timeouts_.ReadTotalMultiplierMs != 0) {
        const auto totalMs = static_cast<int64_t>(timeouts_.ReadTotalConstantMs) +
                             static_cast<int64_t>(timeouts_.ReadTotalMultiplierMs) * static_cast<int64_t>(k);
        totalDeadline = begin + std::chrono::milliseconds(totalMs);
    }
    // Zero means no interval time-out. A plain duration rather than an optional keeps GCC's
    // maybe-uninitialized analysis quiet in optimised builds.
    const Duration interval = std::chrono::milliseconds(timeouts_.ReadIntervalMs);

    ReadResult result;
    Duration lastByteAt = begin;
    Duration end = begin;
    bool previousWasCarriageReturn = afterCarriageReturn;
    for (;;) {
        // The line drops zero bytes before they count as received, so they neither fill the buffer nor
        // restart the interval time-out.
        std::size_t nextIndex = 0;
        while (nextIndex < incoming_.size() && incoming_[nextIndex].Byte == 0) ++nextIndex;

        std::optional<Duration> intervalEnd;
        if (interval.count() != 0 && result.Count > 0) intervalEnd = lastByteAt + interval;
        const std::optional<Duration> next =
            nextIndex == incoming_.size() ? std::nullopt
                                          : std::optional<Duration>(std::max(incoming_[nextIndex].At, begin));

        const bool intervalPasses = intervalEnd && (!next || *next > *intervalEnd);
        const bool totalPasses = totalDeadline && (!next || *next > *totalDeadline);
        if (intervalPasses || totalPasses) {
            if (intervalPasses && (!totalPasses || *intervalEnd < *totalDeadline)) {
                result.End = ReadEnd::Interval;
                end = *intervalEnd;
            } else {
                result.End = ReadEnd::Total;
                end = *totalDeadline;
            }
            break;
        }
        if (!next) {
            // Nothing more will come and no time-out would end the wait.
            result.End = ReadEnd::Total;
            end = lastByteAt;
            break;
        }

        const uint8_t byte = incoming_[nextIndex].Byte;
        incoming_.erase(incoming_.begin(), incoming_.begin() + static_cast<std::ptrdiff_t>(nextIndex) + 1);
        buf[result.Count++] = byte;
        lastByteAt = *next;
        end = lastByteAt;
        if (result.Count == k) {
            result.End = ReadEnd::Count;
            break;
        }
        if (stopAtLineEnd && byte == '\n' && previousWasCarriageReturn) {
            result.End = ReadEnd::LineEnd;
            break;
        }
        previousWasCarriageReturn = byte == '\r';
    }
    clock_.AdvanceTo(end);
    return result;
}

void VirtualLine::SetTimeouts(const Timeouts& timeouts) {
    timeouts_ = timeouts;
}

bool VirtualLine::Close() {
    closed_ = true;
    incoming_.clear();
    return true;
}

std::string VirtualLine::LastError() const {
    std::lock_guard lock(errorMutex_);
    return error_;
}

void VirtualLine::Fail(const std::string& reason) {
    {
        std::lock_guard lock(errorMutex_);
        error_ = reason;
    }
    failed_.store(true);
}

}  // namespace kelvane
