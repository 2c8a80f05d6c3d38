#include "tests/ups/ScriptedLine.h"

#include <algorithm>
#include <utility>

namespace kelvane::fake {

std::string CommandName(uint8_t command) {
    if (command < 0x20) return std::string{'^', static_cast<char>(command + '@')};
    return std::string(1, static_cast<char>(command));
}

void ScriptedLine::Answer(uint8_t command, std::vector<std::string> texts) {
    for (std::string& text : texts) text += "\r\n";
    AnswerRaw(command, std::move(texts));
}

void ScriptedLine::AnswerRaw(uint8_t command, std::vector<std::string> bytes) {
    answers_[command] = std::deque<std::string>(bytes.begin(), bytes.end());
}

void ScriptedLine::FailReads(std::string reason) {
    failing_ = true;
    error_ = std::move(reason);
}

bool ScriptedLine::WriteByte(uint8_t byte) {
    log_->Transcript.push_back(CommandName(byte));
    readsSinceWrite_ = 0;
    arrived_ += inFlight_;
    inFlight_.clear();
    auto script = answers_.find(byte);
    if (script != answers_.end() && !script->second.empty()) {
        inFlight_ = script->second.front();
        if (script->second.size() > 1) script->second.pop_front();
    }
    return true;
}

void ScriptedLine::PurgeInput() {
    ++log_->Purges;
    arrived_.clear();
}

ReadResult ScriptedLine::Read(uint8_t* buf, std::size_t k, bool stopAtLineEnd, bool afterCarriageReturn) {
    log_->Reads.push_back({k, stopAtLineEnd, afterCarriageReturn});
    if (!log_->Transcript.empty()) {
        std::string& entry = log_->Transcript.back();
        entry += readsSinceWrite_ == 0 ? "(" + std::to_string(k - 2) + ")" : "+" + std::to_string(k);
    }
    ++readsSinceWrite_;
    if (failing_) return {0, ReadEnd::Failed};

    arrived_ += inFlight_;
    inFlight_.clear();
    // The line drops received zero bytes.
    std::erase(arrived_, '\0');

    std::size_t count = 0;
    bool previousWasCarriageReturn = afterCarriageReturn;
    ReadEnd end = ReadEnd::Total;
    while (count < k && count < arrived_.size()) {
        const char byte = arrived_[count];
        buf[count++] = static_cast<uint8_t>(byte);
        if (stopAtLineEnd && byte == '\n' && previousWasCarriageReturn) {
            end = ReadEnd::LineEnd;
            break;
        }
        previousWasCarriageReturn = byte == '\r';
    }
    if (end != ReadEnd::LineEnd && count == k) end = ReadEnd::Count;
    arrived_.erase(0, count);
    return {count, end};
}

void ScriptedLine::SetTimeouts(const Timeouts& timeouts) {
    log_->TimeoutsApplied.push_back(timeouts);
}

bool ScriptedLine::Close() {
    ++log_->Closes;
    if (!CloseSucceeds) error_ = "close refused";
    return CloseSucceeds;
}

void RecordingSleeper::SleepMs(uint32_t ms) {
    log_->Transcript.push_back("sleep " + std::to_string(ms));
}

LinkHarness::LinkHarness() {
    link.SetSleeper(&sleeper);
    link.SetLineOpener([this](const std::string&, std::string* why) -> std::unique_ptr<SerialLine> {
        if (!openFailure.empty()) {
            *why = openFailure;
            return nullptr;
        }
        auto opened = std::make_unique<ScriptedLine>(&log);
        line = opened.get();
        return opened;
    });
    link.OpenPort("COM1");
    log = LineLog{};
}

std::vector<std::string> LinkHarness::TakeTranscript() {
    return std::exchange(log.Transcript, {});
}

}  // namespace kelvane::fake
