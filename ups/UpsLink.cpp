#include "ups/UpsLink.h"

#include <algorithm>
#include <utility>

namespace kelvane {
namespace {

constexpr uint8_t kCarriageReturn = 13;
constexpr uint8_t kLineFeed = 10;

// Characters the unit sends on its own, possibly in the middle of an answer.
bool IsAlert(uint8_t byte) {
    switch (byte) {
        case '!':
        case '$':
        case '%':
        case '+':
        case '?':
        case '=':
        case '*':
        case '#':
        case '&':
        case '|':
            return true;
        default:
            return false;
    }
}

}  // namespace

UpsLink::UpsLink(LineOpener opener, Sleeper* sleeper)
    : opener_(std::move(opener)), sleeper_(sleeper != nullptr ? sleeper : &RealSleeper::Instance()) {}

UpsLink::~UpsLink() = default;

void UpsLink::SetLineOpener(LineOpener opener) {
    opener_ = std::move(opener);
}

void UpsLink::SetSleeper(Sleeper* sleeper) {
    sleeper_ = sleeper != nullptr ? sleeper : &RealSleeper::Instance();
}

void UpsLink::Pause(uint32_t ms) {
    sleeper_->SleepMs(ms);
}

bool UpsLink::OpenPort(const std::string& portName) {
    // A port still open here would otherwise be leaked by the new handle.
    if (Port.IsOpen()) ClosePort();

    lastOpenError_.clear();
    linkFailed_ = false;
    linkFailure_.clear();

    std::unique_ptr<SerialLine> line;
    if (opener_) {
        line = opener_(portName, &lastOpenError_);
    } else {
        lastOpenError_ = "no serial backend";
    }
    if (!line) {
        if (lastOpenError_.empty()) lastOpenError_ = "could not open " + portName;
        Port.MarkInvalid();
        return false;
    }
    Port.Attach(std::move(line));

    Timeouts = kelvane::Timeouts{};
    Timeouts.ReadIntervalMs = 600;
    Timeouts.ReadTotalMultiplierMs = 22;
    Timeouts.ReadTotalConstantMs = 60;
    ApplyTimeouts();
    return true;
}

bool UpsLink::ClosePort() {
    std::unique_ptr<SerialLine> line = Port.Release();
    if (!line) return true;
    return line->Close();
}

void UpsLink::ApplyTimeouts() {
    if (SerialLine* line = Port.Line()) line->SetTimeouts(Timeouts);
}

std::string_view UpsLink::Exchange(uint8_t command, std::size_t answerLength) {
    return Transact(command, answerLength, true);
}

std::string_view UpsLink::ExchangeRaw(uint8_t command, std::size_t answerLength) {
    return Transact(command, answerLength, false);
}

void UpsLink::SetReply(std::string_view text) {
    replyLength_ = std::min(text.size(), Reply.size() - 1);
    std::copy_n(text.data(), replyLength_, Reply.data());
    Reply[replyLength_] = '\0';
}

ReadResult UpsLink::ReadInto(std::size_t at, std::size_t k, bool afterCarriageReturn) {
    ReadResult result =
        Port.Line()->Read(ReadBuffer.data() + at, k, EarlyCompletion, EarlyCompletion && afterCarriageReturn);
    if (result.End == ReadEnd::Failed && !linkFailed_) {
        linkFailed_ = true;
        linkFailure_ = Port.Line()->LastError();
        if (linkFailure_.empty()) linkFailure_ = "device failed";
    }
    // A line that claims more than it was asked for must not walk us past the buffer.
    result.Count = std::min(result.Count, k);
    BytesReceived += result.Count;
    return result;
}

std::string_view UpsLink::Transact(uint8_t command, std::size_t answerLength, bool removeAlerts) {
    ReadBuffer[0] = 0;
    SerialLine* line = Port.Line();
    if (line == nullptr) {
        // Nothing can go out or come back on a closed port: a missing answer, like a silent unit.
        if (answerLength != 0) SetReply({});
        return ReplyText();
    }

    if (line->WriteByte(command)) ++BytesSent;
    if (answerLength == 0) return ReplyText();

    line->PurgeInput();
    const std::size_t expected = std::min(answerLength, kMaxAnswerLength) + 2;
    const ReadResult first = ReadInto(0, expected, false);
    std::size_t total = first.Count;

    // An answer that did not end in a line feed may be longer than asked for: one more short read.
    if (total > 0 && ReadBuffer[total - 1] != kLineFeed && first.End != ReadEnd::Failed) {
        total += ReadInto(total, kExtraReadLength, ReadBuffer[total - 1] == kCarriageReturn).Count;
    }

    replyLength_ = 0;
    for (std::size_t i = 0; i < total && ReadBuffer[i] != kCarriageReturn; ++i) {
        const uint8_t byte = ReadBuffer[i];
        // The line drops received zero bytes; one that slipped through would end the text early.
        if (byte == 0) continue;
        if (removeAlerts && IsAlert(byte)) {
            if (byte == '!') LineFailAlert = true;
            if (byte == '$') LineRestoredAlert = true;
            continue;
        }
        Reply[replyLength_++] = static_cast<char>(byte);
    }
    Reply[replyLength_] = '\0';
    return ReplyText();
}

bool UpsLink::CheckSmartMode() {
    for (int attempt = 0; attempt < 2; ++attempt) {
        const std::string_view answer = Exchange('Y', 2);
        if (!answer.empty() && answer[0] == 'S') {
            Online = true;
            return true;
        }
    }
    Online = false;
    return false;
}

void UpsLink::SendCloseCommand() {
    Exchange('R', 3);
}

}  // namespace kelvane
