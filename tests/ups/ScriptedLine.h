// A scripted stand-in for the serial line and a recording sleeper, for driving UpsLink byte by byte.
//
// The unit's answer to a command is "in flight" once the command is written and arrives at the next read,
// so the purge that follows a write never eats it, while a leftover from an earlier exchange is purged.
// Writes and pauses go into one transcript written the way the protocol is described: "Y(2)" is "Y" sent
// with an answer of two characters expected, "1" a byte sent without reading, "F(2)+3" an exchange that
// needed the extra read, "^A" the control byte 0x01, "sleep 1500" a pause.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ups/SerialLine.h"
#include "ups/Sleeper.h"
#include "ups/UpsLink.h"

namespace kelvane::fake {

struct ReadCall {
    std::size_t Count = 0;
    bool StopAtLineEnd = false;
    bool AfterCarriageReturn = false;
};

// What happened on the line; outlives the line, which the link owns and drops when the port closes.
struct LineLog {
    std::vector<std::string> Transcript;
    std::vector<ReadCall> Reads;
    int Purges = 0;
    int Closes = 0;
    std::vector<Timeouts> TimeoutsApplied;
};

// "Y" for printable bytes, "^A" for control bytes.
std::string CommandName(uint8_t command);

class ScriptedLine final : public SerialLine {
  public:
    explicit ScriptedLine(LineLog* log) : log_(log) {}

    // The answers to a command in order, each followed by CR LF; the last one repeats. A command without
    // answers gets none.
    void Answer(uint8_t command, std::vector<std::string> texts);
    // The same with the exact bytes sent back, line endings included.
    void AnswerRaw(uint8_t command, std::vector<std::string> bytes);
    // From now on every read fails as a removed device does.
    void FailReads(std::string reason);
    bool CloseSucceeds = true;

    bool WriteByte(uint8_t byte) override;
    void PurgeInput() override;
    ReadResult Read(uint8_t* buf, std::size_t k, bool stopAtLineEnd, bool afterCarriageReturn) override;
    void SetTimeouts(const Timeouts& timeouts) override;
    bool Close() override;
    std::string LastError() const override { return error_; }

  private:
    LineLog* log_;
    std::map<uint8_t, std::deque<std::string>> answers_;
    std::string arrived_;
    std::string inFlight_;
    int readsSinceWrite_ = 0;
    bool failing_ = false;
    std::string error_;
};

class RecordingSleeper final : public Sleeper {
  public:
    explicit RecordingSleeper(LineLog* log) : log_(log) {}
    void SleepMs(uint32_t ms) override;

  private:
    LineLog* log_;
};

// A link with a scripted line on an open port and a recording sleeper; the log starts empty.
struct LinkHarness {
    LinkHarness();
    LinkHarness(const LinkHarness&) = delete;
    LinkHarness& operator=(const LinkHarness&) = delete;

    // The transcript so far, and a fresh one from here on.
    std::vector<std::string> TakeTranscript();

    LineLog log;
    RecordingSleeper sleeper{&log};
    // The line of the port opened last; gone once the link closes the port.
    ScriptedLine* line = nullptr;
    // When set, the next open fails with this reason.
    std::string openFailure;
    UpsLink link;
};

}  // namespace kelvane::fake
