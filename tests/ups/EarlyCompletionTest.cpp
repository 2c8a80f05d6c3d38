// Early completion against the plain time-out rule on the virtual line, where answers take their wire time
// and reads end by the line's own time-out rules: the same answer and alert latches either way, for the
// exchange and for the one after it, and never later in virtual time.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "sim/SimUnit.h"
#include "tests/support/VirtualClock.h"
#include "tests/support/VirtualPort.h"
#include "tests/support/VirtualSleeper.h"
#include "ups/UpsLink.h"

namespace kelvane {
namespace {

struct Outcome {
    std::string Reply;
    bool LineFail = false;
    bool LineRestored = false;
    std::string NextReply;  // of a "B" right after
    VirtualClock::Duration Took{};
};

struct AnswerCase {
    const char* Name;
    const char* Command;  // in kelvane-sim's notation
    std::size_t Length;
    std::string Answer;  // kelvane-sim's TEXT: the unit appends CR LF unless it ends in a line feed
    bool Raw;
    std::string Reply;
    bool LineFail;
    bool LineRestored;
    bool Faster;  // early completion saves time here
    // What the next exchange gets: its own answer unless bytes of this one are still on the wire.
    std::string NextPlain = "27.37";
    std::string NextEarly = "27.37";
};

double Ms(VirtualClock::Duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

Outcome Exchange(const AnswerCase& c, bool early) {
    auto unit = sim::SimUnit::FromPreset("smart");
    std::string why;
    EXPECT_TRUE(unit->OverrideAnswer(c.Command, c.Answer, &why)) << why;
    uint8_t command = 0;
    EXPECT_TRUE(sim::SimUnit::ParseCommand(c.Command, &command, &why)) << why;
    VirtualClock clock;
    VirtualSleeper sleeper(clock);
    VirtualPort port(*unit, clock);
    UpsLink link(port.Opener(), &sleeper);
    EXPECT_TRUE(link.OpenPort("COM1"));
    link.EarlyCompletion = early;

    Outcome outcome;
    const auto start = clock.Now();
    outcome.Reply = c.Raw ? link.ExchangeRaw(command, c.Length) : link.Exchange(command, c.Length);
    outcome.Took = clock.Now() - start;
    outcome.LineFail = link.LineFailAlert;
    outcome.LineRestored = link.LineRestoredAlert;
    outcome.NextReply = link.Exchange('B', 5);
    return outcome;
}

TEST(EarlyCompletion, SameAnswersAndLatchesAndNeverSlower) {
    const std::string list1100(1100, 'x');
    const AnswerCase cases[] = {
        {"normal", "L", 5, "228.9", false, "228.9", false, false, false},
        {"short", "L", 5, "12", false, "12", false, false, true},
        {"refused", "L", 5, "NA", false, "NA", false, false, true},
        {"long: the extra read", "F", 2, "50.00", false, "50.00", false, false, false},
        {"run time: CR ends the first read, LF starts the extra one", "j", 4, "0123:", false, "0123:", false,
         false, true},
        {"alerts before the CR", "L", 5, "!22$8", false, "228", true, true, false},
        {"alert after the CR", "L", 5, R"(22!8\r$\n)", false, "228", true, false, false},
        // The one difference: early completion stops at the first line end, so a second line the unit
        // sends behind it is still on the wire and becomes the next answer, where the plain rule's extra
        // read would have taken it. The protocol has no such answers; a unit that sends them anyway
        // corrupts the next answer under the plain rule too once the trailing bytes outnumber three.
        {"bytes after CR LF", "L", 5, R"(12\r\nXYZ)", false, "12", false, false, true, "27.37", "XYZ"},
        {"zero bytes inside", "L", 5, R"(2\02\08.9)", false, "228.9", false, false, false},
        {"no answer", "L", 5, "", false, "", false, false, false},
        {"no CR, a lone LF", "L", 5, R"(228\n)", false, "228\n", false, false, false},
        {"no line end within the read", "Y", 2, "SMARTNESS", false, "SMARTNE", false, false, false, "SS",
         "SS"},
        {"over 1000 bytes, raw", "^Z", 1000, list1100, true, std::string(1005, 'x'), false, false, false,
         std::string(10, 'x'), std::string(10, 'x')},
    };
    for (const AnswerCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const Outcome plain = Exchange(c, false);
        const Outcome early = Exchange(c, true);
        EXPECT_EQ(plain.Reply, c.Reply);
        EXPECT_EQ(early.Reply, c.Reply);
        EXPECT_EQ(plain.LineFail, c.LineFail);
        EXPECT_EQ(early.LineFail, c.LineFail);
        EXPECT_EQ(plain.LineRestored, c.LineRestored);
        EXPECT_EQ(early.LineRestored, c.LineRestored);
        EXPECT_EQ(plain.NextReply, c.NextPlain);
        EXPECT_EQ(early.NextReply, c.NextEarly);
        EXPECT_LE(early.Took, plain.Took);
        EXPECT_EQ(early.Took < plain.Took, c.Faster)
            << "early " << Ms(early.Took) << " ms, plain " << Ms(plain.Took) << " ms";
    }
}

}  // namespace
}  // namespace kelvane
