#include "serial/AnswerScheduler.h"

#include <algorithm>
#include <utility>

namespace kelvane::serial {

AnswerScheduler::AnswerScheduler(Handler handler, ServeTiming timing)
    : handler_(std::move(handler)), timing_(timing) {}

void AnswerScheduler::Receive(uint8_t byte, Clock::time_point at) {
    commands_.push_back({byte, at});
}

std::string AnswerScheduler::TakeDue(Clock::time_point now) {
    const auto spacing =
        timing_.Pace ? std::chrono::duration_cast<Clock::duration>(kCharacterTime) : Clock::duration::zero();
    std::string due;
    for (;;) {
        if (sent_ < answer_.size()) {
            while (sent_ < answer_.size() && nextByteAt_ <= now) {
                due.push_back(answer_[sent_++]);
                lineFreeAt_ = nextByteAt_;
                if (sent_ < answer_.size()) nextByteAt_ += spacing;
            }
            if (sent_ < answer_.size()) return due;
            answer_.clear();
            sent_ = 0;
        }
        if (commands_.empty()) return due;
        Command command = commands_.front();
        commands_.pop_front();
        answer_ = handler_(command.Byte);
        if (answer_.empty()) continue;
        // The command byte itself takes a character time to arrive in full before the unit can answer.
        auto start = command.ReceivedAt + std::chrono::duration_cast<Clock::duration>(kCharacterTime) +
                     std::chrono::milliseconds(timing_.LatencyMs) + std::chrono::milliseconds(timing_.LateMs);
        if (lineFreeAt_) start = std::max(start, *lineFreeAt_);
        // Paced, a byte is in the host's hands only once its last bit has arrived, one character time
        // after it began; unpaced, the whole answer lands at once.
        nextByteAt_ = start + spacing;
    }
}

std::optional<AnswerScheduler::Clock::time_point> AnswerScheduler::NextDue() const {
    if (sent_ < answer_.size()) return nextByteAt_;
    if (!commands_.empty()) return commands_.front().ReceivedAt;
    return std::nullopt;
}

}  // namespace kelvane::serial
