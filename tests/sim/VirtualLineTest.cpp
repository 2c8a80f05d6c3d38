// The virtual-time line: the read rules of SerialLine and the wire timing of the unit's answers,
// measured on the virtual clock.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "sim/SimUnit.h"
#include "tests/support/VirtualClock.h"
#include "tests/support/VirtualLine.h"
#include "tests/support/VirtualPort.h"
#include "tests/support/VirtualSleeper.h"

namespace kelvane {
namespace {

using Duration = VirtualClock::Duration;

constexpr Duration Ms(int64_t ms) {
    return std::chrono::milliseconds(ms);
}
Duration Chars(int64_t count) {
    return CharacterTimes(count);
}

// The record the link applies when it opens a port.
Timeouts LinkTimeouts() {
    Timeouts timeouts;
    timeouts.ReadIntervalMs = 600;
    timeouts.ReadTotalMultiplierMs = 22;
    timeouts.ReadTotalConstantMs = 60;
    return timeouts;
}

Timeouts Only(uint32_t intervalMs, uint32_t totalConstantMs) {
    Timeouts timeouts;
    timeouts.ReadIntervalMs = intervalMs;
    timeouts.ReadTotalConstantMs = totalConstantMs;
    return timeouts;
}

struct Read {
    std::string Bytes;
    ReadEnd End;
};

Read ReadUpTo(VirtualLine& line, std::size_t k, bool stopAtLineEnd, bool afterCarriageReturn = false) {
    std::string buf(k, '\xEE');
    const ReadResult result =
        line.Read(reinterpret_cast<uint8_t*>(buf.data()), k, stopAtLineEnd, afterCarriageReturn);
    buf.resize(result.Count);
    return {buf, result.End};
}

struct ReadCase {
    const char* Name;
    char Command;
    const char* Answer;  // override of the unit's answer; null keeps it
    LineTiming Timing;
    Timeouts Record;
    std::size_t K;
    bool StopAtLineEnd;
    bool AfterCarriageReturn;
    std::string Bytes;
    ReadEnd End;
    Duration EndsAt;  // virtual time since the command byte was written
};

TEST(VirtualLineRead, EndsByTheRulesOfTheLine) {
    const LineTiming paced;
    LineTiming unpaced;
    unpaced.Pace = false;
    LineTiming slow;
    slow.LatencyMs = 50;

    // "L" is answered "228.9" CR LF: seven bytes after one character time of turnaround.
    const ReadCase cases[] = {
        {"all k bytes", 'L', nullptr, paced, LinkTimeouts(), 7, false, false, "228.9\r\n", ReadEnd::Count,
         Chars(8)},
        {"early completion at CR LF", 'L', nullptr, paced, LinkTimeouts(), 12, true, false, "228.9\r\n",
         ReadEnd::LineEnd, Chars(8)},
        {"without early completion the interval ends it", 'L', nullptr, paced, Only(600, 0), 12, false, false,
         "228.9\r\n", ReadEnd::Interval, Chars(8) + Ms(600)},
        {"no answer: constant plus multiplier times k", 'F', "", paced, LinkTimeouts(), 4, true, false, "",
         ReadEnd::Total, Ms(60 + 22 * 4)},
        {"the total cuts a slow answer", 'L', nullptr, paced, Only(600, 10), 7, true, false, "2",
         ReadEnd::Total, Ms(10)},
        {"the interval counts only once the first byte is in", 'L', nullptr, paced, Only(3, 0), 7, true,
         false, "2", ReadEnd::Interval, Chars(2) + Ms(3)},
        {"zero bytes are dropped", 'n', "AB\\0\\0CD", paced, LinkTimeouts(), 16, true, false, "ABCD\r\n",
         ReadEnd::LineEnd, Chars(9)},
        {"a dropped zero does not part CR from LF", 'n', "AB\\r\\0\\n", paced, LinkTimeouts(), 16, true,
         false, "AB\r\n", ReadEnd::LineEnd, Chars(6)},
        {"a line feed first completes after a read that ended on CR", 'n', "\\n", paced, LinkTimeouts(), 3,
         true, true, "\n", ReadEnd::LineEnd, Chars(2)},
        {"a line feed first is only a byte otherwise", 'n', "\\n", paced, LinkTimeouts(), 3, true, false,
         "\n", ReadEnd::Total, Ms(60 + 22 * 3)},
        {"unpaced, the answer arrives whole", 'L', nullptr, unpaced, LinkTimeouts(), 7, false, false,
         "228.9\r\n", ReadEnd::Count, Chars(1)},
        {"latency delays the answer", 'L', nullptr, slow, LinkTimeouts(), 7, false, false, "228.9\r\n",
         ReadEnd::Count, Chars(8) + Ms(50)},
        {"no time-out at all and nothing coming", 'F', "", paced, Timeouts{}, 4, true, false, "",
         ReadEnd::Total, Ms(0)},
        {"no time-out at all: ends once the answer is in", 'L', nullptr, paced, Timeouts{}, 12, false, false,
         "228.9\r\n", ReadEnd::Total, Chars(8)},
        {"k of zero", 'L', nullptr, paced, LinkTimeouts(), 0, true, false, "", ReadEnd::Count, Ms(0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        auto unit = sim::SimUnit::FromPreset("smart");
        if (c.Answer) {
            ASSERT_TRUE(unit->OverrideAnswer(std::string(1, c.Command), c.Answer));
        }
        VirtualClock clock;
        clock.Advance(Ms(1000));  // a start away from zero, so that "since the write" is what counts
        VirtualLine line(*unit, clock, c.Timing);
        line.SetTimeouts(c.Record);

        ASSERT_TRUE(line.WriteByte(static_cast<uint8_t>(c.Command)));
        EXPECT_EQ(clock.Now(), Ms(1000));  // writing takes no time
        const Read read = ReadUpTo(line, c.K, c.StopAtLineEnd, c.AfterCarriageReturn);
        EXPECT_EQ(read.Bytes, c.Bytes);
        EXPECT_EQ(read.End, c.End);
        EXPECT_EQ(clock.Now() - Ms(1000), c.EndsAt);
    }
}

TEST(VirtualLineRead, LineFeedLeftForTheExtraReadCompletesIt) {
    // "j" is answered "0123:" CR LF: asked for four characters, the first read ends on the carriage
    // return and the line feed arrives first in the extra read.
    auto unit = sim::SimUnit::FromPreset("smart");
    VirtualClock clock;
    VirtualLine line(*unit, clock);
    line.SetTimeouts(LinkTimeouts());
    line.WriteByte('j');
    const Read first = ReadUpTo(line, 6, true);
    EXPECT_EQ(first.Bytes, "0123:\r");
    EXPECT_EQ(first.End, ReadEnd::Count);
    const Read extra = ReadUpTo(line, 3, true, true);
    EXPECT_EQ(extra.Bytes, "\n");
    EXPECT_EQ(extra.End, ReadEnd::LineEnd);
    EXPECT_EQ(clock.Now(), Chars(8));
}

TEST(VirtualLineWire, PurgeKeepsWhatIsStillTravelling) {
    auto unit = sim::SimUnit::FromPreset("smart");
    VirtualClock clock;
    VirtualSleeper sleeper(clock);
    VirtualLine line(*unit, clock);
    line.SetTimeouts(LinkTimeouts());

    line.WriteByte('L');
    sleeper.SleepMs(20);  // "228" has arrived, ".9" CR LF is on its way
    line.PurgeInput();
    const Read rest = ReadUpTo(line, 7, true);
    EXPECT_EQ(rest.Bytes, ".9\r\n");
    EXPECT_EQ(rest.End, ReadEnd::LineEnd);
    EXPECT_EQ(clock.Now(), Chars(8));
}

TEST(VirtualLineWire, LateAnswerLandsInTheNextPurgeOnceArrived) {
    LineTiming late;
    late.LateMs = 160;  // past the 148 ms a "Y" read waits, within the 214 ms of an "L" read
    auto unit = sim::SimUnit::FromPreset("smart");
    VirtualClock clock;
    VirtualSleeper sleeper(clock);
    VirtualLine line(*unit, clock, late);
    line.SetTimeouts(LinkTimeouts());

    line.WriteByte('Y');
    EXPECT_EQ(ReadUpTo(line, 4, true).Bytes, "");
    EXPECT_EQ(clock.Now(), Ms(148));
    sleeper.SleepMs(500);
    line.WriteByte('L');
    line.PurgeInput();
    const Read read = ReadUpTo(line, 7, true);
    EXPECT_EQ(read.Bytes, "228.9\r\n");
    EXPECT_EQ(read.End, ReadEnd::Count);
    EXPECT_EQ(clock.Now(), Ms(648 + 160) + Chars(8));

    // Asked again at once, the late "SM" is still on the wire when the purge runs, and is what arrives.
    line.WriteByte('Y');
    EXPECT_EQ(ReadUpTo(line, 4, true).Bytes, "");
    line.WriteByte('L');
    line.PurgeInput();
    EXPECT_EQ(ReadUpTo(line, 7, true).Bytes, "SM\r\n");
}

TEST(VirtualLineWire, OneAnswerAtATime) {
    auto unit = sim::SimUnit::FromPreset("smart");
    VirtualClock clock;
    VirtualLine line(*unit, clock);
    line.SetTimeouts(Only(600, 0));
    line.WriteByte('Y');
    line.WriteByte('L');
    const Read read = ReadUpTo(line, 20, false);
    EXPECT_EQ(read.Bytes, "SM\r\n228.9\r\n");
    EXPECT_EQ(read.End, ReadEnd::Interval);
    EXPECT_EQ(clock.Now(), Chars(1 + 4 + 7) + Ms(600));
}

TEST(VirtualLineFailure, RemovedDeviceFailsReadsAndWrites) {
    auto unit = sim::SimUnit::FromPreset("smart");
    VirtualClock clock;
    VirtualLine line(*unit, clock);
    line.SetTimeouts(LinkTimeouts());
    EXPECT_TRUE(line.WriteByte('Y'));
    EXPECT_EQ(line.LastError(), "");

    line.Fail();
    EXPECT_EQ(ReadUpTo(line, 4, true).End, ReadEnd::Failed);
    EXPECT_FALSE(line.WriteByte('L'));
    EXPECT_EQ(line.LastError(), "device removed");
    EXPECT_EQ(unit->Received(), (std::vector<uint8_t>{'Y'}));  // the refused byte never reached the unit
}

TEST(VirtualPortOpener, OpensByNameTracksTheLineAndCanBeUnplugged) {
    auto unit = sim::SimUnit::FromPreset("smart");
    VirtualClock clock;
    VirtualPort port(*unit, clock, {}, "COM2");
    LineOpener open = port.Opener();

    std::string why;
    EXPECT_EQ(open("COM1", &why), nullptr);
    EXPECT_FALSE(why.empty());

    auto line = open("COM2", &why);
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(port.Line(), line.get());
    EXPECT_EQ(port.Opens(), 1);

    port.Unplug();
    uint8_t byte = 0;
    EXPECT_EQ(line->Read(&byte, 1, true, false).End, ReadEnd::Failed);
    EXPECT_EQ(line->LastError(), "device removed");
    EXPECT_EQ(open("COM2", &why), nullptr);

    line.reset();
    EXPECT_EQ(port.Line(), nullptr);
    port.Plug();
    EXPECT_NE(open("COM2", &why), nullptr);

    VirtualPort anyName(*unit, clock);
    EXPECT_NE(anyName.Opener()("/dev/ttyUSB0", &why), nullptr);
}

TEST(VirtualSleeperClock, SleepingMovesTheClockAndIsRecorded) {
    VirtualClock clock;
    VirtualSleeper sleeper(clock);
    sleeper.SleepMs(1500);
    sleeper.SleepMs(500);
    EXPECT_EQ(clock.Now(), Ms(2000));
    EXPECT_DOUBLE_EQ(clock.NowMs(), 2000.0);
    EXPECT_EQ(sleeper.Pauses(), (std::vector<uint32_t>{1500, 500}));
    clock.AdvanceTo(Ms(100));  // never backwards
    EXPECT_EQ(clock.Now(), Ms(2000));
}

}  // namespace
}  // namespace kelvane
