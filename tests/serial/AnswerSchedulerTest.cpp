#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "serial/AnswerScheduler.h"

namespace kelvane::serial {
namespace {

using Clock = AnswerScheduler::Clock;
using std::chrono::milliseconds;

const Clock::duration kChar = std::chrono::duration_cast<Clock::duration>(kCharacterTime);
const Clock::duration kTick{1};

// A unit with fixed answers that notes the order it was asked in.
struct ScriptedUnit {
    std::map<uint8_t, std::string> Answers;
    std::string Asked = {};
    AnswerScheduler::Handler Handler() {
        return [this](uint8_t byte) {
            Asked.push_back(static_cast<char>(byte));
            auto found = Answers.find(byte);
            return found == Answers.end() ? std::string() : found->second;
        };
    }
};

TEST(AnswerScheduler, AnswerWaitsOneCharacterTimePlusLatencyAndLateness) {
    for (ServeTiming timing : {ServeTiming{}, ServeTiming{false, 100, 0}, ServeTiming{false, 100, 1000}}) {
        ScriptedUnit unit{{{'Y', "SM\r\n"}}};
        AnswerScheduler scheduler(unit.Handler(), timing);
        const Clock::time_point t0{milliseconds(5000)};
        const auto due = t0 + kChar + milliseconds(timing.LatencyMs + timing.LateMs);

        EXPECT_FALSE(scheduler.NextDue().has_value());
        scheduler.Receive('Y', t0);
        EXPECT_EQ(scheduler.TakeDue(t0), "");
        EXPECT_EQ(scheduler.NextDue(), due);
        EXPECT_EQ(scheduler.TakeDue(due - kTick), "");
        EXPECT_EQ(scheduler.TakeDue(due), "SM\r\n");
        EXPECT_FALSE(scheduler.NextDue().has_value());
    }
}

TEST(AnswerScheduler, PacedAnswerLeavesOneByteEveryCharacterTime) {
    ScriptedUnit unit{{{'n', "ABC"}}};
    AnswerScheduler scheduler(unit.Handler(), ServeTiming{true, 0, 0});
    const Clock::time_point t0{};
    scheduler.Receive('n', t0);
    // The command needs one character time to arrive, and each answer byte one more before it is whole.
    const auto start = t0 + 2 * kChar;
    std::string wire;
    for (int slot = 0; slot < 3; ++slot) {
        EXPECT_EQ(scheduler.TakeDue(start + slot * kChar - kTick), "") << slot;
        wire += scheduler.TakeDue(start + slot * kChar);
        EXPECT_EQ(wire, std::string("ABC", static_cast<std::size_t>(slot + 1)));
    }
    // A reader that comes late gets everything that fell due meanwhile at once.
    AnswerScheduler late(unit.Handler(), ServeTiming{true, 0, 0});
    late.Receive('n', t0);
    EXPECT_EQ(late.TakeDue(t0 + milliseconds(500)), "ABC");
}

TEST(AnswerScheduler, CommandsArrivingDuringAnAnswerAreTakenInOrderWithoutOverlap) {
    for (bool pace : {false, true}) {
        ScriptedUnit unit{{{'a', "11\r\n"}, {'b', "22\r\n"}, {'c', "33\r\n"}}};
        AnswerScheduler scheduler(unit.Handler(), ServeTiming{pace, 0, 200});
        const Clock::time_point t0{};
        scheduler.Receive('a', t0);
        scheduler.Receive('x', t0 + milliseconds(1));  // no answer: a muted command
        scheduler.Receive('b', t0 + milliseconds(2));
        scheduler.Receive('c', t0 + milliseconds(300));

        std::string wire;
        std::vector<Clock::time_point> sentAt;
        // Woken exactly when something falls due, as a server is.
        for (int wakeUps = 0; wakeUps < 100 && scheduler.NextDue(); ++wakeUps) {
            const auto now = *scheduler.NextDue();
            for (char byte : scheduler.TakeDue(now)) {
                wire.push_back(byte);
                sentAt.push_back(now);
            }
        }
        EXPECT_EQ(unit.Asked, "axbc");
        ASSERT_EQ(wire, "11\r\n22\r\n33\r\n");
        if (pace) {
            for (std::size_t i = 1; i < sentAt.size(); ++i) EXPECT_GE(sentAt[i] - sentAt[i - 1], kChar) << i;
        }
        // Each answer is late in its own right, not merely queued behind the one before.
        EXPECT_GE(sentAt[4], t0 + milliseconds(202) + kChar) << pace;
        EXPECT_GE(sentAt[8], t0 + milliseconds(500) + kChar) << pace;
    }
}

}  // namespace
}  // namespace kelvane::serial
