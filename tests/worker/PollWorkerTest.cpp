// The worker's cycle against a simulated unit on virtual time: what it reads, when it drops or carries out
// queued commands, when it stops, and how it ends when the unit goes away.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "tests/worker/PollWorkerFakes.h"

namespace kelvane::testing {
namespace {

class PollWorkerTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(bench.identified); }

    PollWorker MakeWorker(CommandDispatch dispatch = {}) {
        return PollWorker(bench.ups, bench.commands, bench.controls, bench.handOver, bench.window,
                          std::move(dispatch));
    }
    // The worker stops itself at the read-out of the given cycle: that cycle still reads, refreshes and
    // checks the link, but carries out no queued command.
    void StopAtCycle(PollWorker& worker, int cycle) {
        const int before = bench.window.ReadOuts;
        bench.window.BeforeReadOut = [&worker, cycle, before](int readOut) {
            if (readOut - before == cycle) worker.Terminate();
        };
    }

    WorkerBench bench{"smart"};
};

TEST_F(PollWorkerTest, CommandsGivenBeforeIdentificationAreNeverCarriedOut) {
    bench.window.Identified = false;
    std::vector<char> carriedOut;
    PollWorker worker = MakeWorker([&](char code, char) { carriedOut.push_back(code); });
    bench.commands.push('l', '-');
    bench.window.BeforeReadOut = [&](int readOut) {
        bench.commands.push('u', '+');  // given while the cycle already runs: dropped all the same
        if (readOut == 2) worker.Terminate();
    };

    worker.Execute();

    EXPECT_TRUE(carriedOut.empty());
    EXPECT_TRUE(bench.commands.isEmpty());
    EXPECT_EQ(worker.HowEnded(), PollWorker::Ending::ByRequest);
}

TEST_F(PollWorkerTest, DrainsInOrderAndFreesTheBufferSelectorAfterEveryEntry) {
    PollWorker worker = MakeWorker([&](char code, char argument) {
        // The entry stays at the front while its command runs.
        EXPECT_EQ(bench.commands.front(), (Command{code, argument}));
        bench.controls.log(std::string("dispatch ") + code + argument);
    });
    bench.commands.push('e', '-');
    bench.commands.push('?', '-');  // a code the dispatcher does not know is popped all the same
    StopAtCycle(worker, 2);

    worker.Execute();

    const std::vector<std::string> expected = {"dispatch e-", "handover", "enabled PageControl2=1",
                                               "dispatch ?-", "handover", "enabled PageControl2=1",
                                               "handover"};
    ASSERT_GE(bench.controls.Log.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(bench.controls.Log.begin(), bench.controls.Log.begin() + 7), expected);
    EXPECT_TRUE(bench.commands.isEmpty());
}

TEST_F(PollWorkerTest, WithoutADispatcherQueuedCodesArePoppedWithoutEffect) {
    PollWorker worker = MakeWorker();
    for (char code : std::string("lctz")) bench.commands.push(code, '-');
    StopAtCycle(worker, 2);
    const std::size_t mark = bench.unit->Received().size();

    worker.Execute();

    EXPECT_TRUE(bench.commands.isEmpty());
    for (char code : std::string("ctz"))
        EXPECT_EQ(bench.ReceivedSince(mark).find(code), std::string::npos) << code;
}

TEST_F(PollWorkerTest, AStopRequestDuringACommandLetsItFinishAndStartsNoOther) {
    std::vector<char> carriedOut;
    PollWorker* self = nullptr;
    PollWorker worker = MakeWorker([&](char code, char) {
        carriedOut.push_back(code);
        self->Terminate();  // the window closes while a long command runs
    });
    self = &worker;
    bench.commands.push('r', '-');
    bench.commands.push('s', '-');

    worker.Execute();

    EXPECT_EQ(carriedOut, std::vector<char>{'r'});
    ASSERT_FALSE(bench.commands.isEmpty());
    EXPECT_EQ(bench.commands.front()->Code, 's');  // left for the termination handler to clear
    EXPECT_EQ(worker.HowEnded(), PollWorker::Ending::ByRequest);
    EXPECT_EQ(bench.window.ReadOuts, 1);
}

TEST_F(PollWorkerTest, TheStatusPageSwitchesTheReadOutToTheRegisters) {
    PollWorker worker = MakeWorker();
    StopAtCycle(worker, 1);
    bench.controls.ShowingPages.insert("TabSheet6");
    std::size_t mark = bench.unit->Received().size();
    worker.Execute();
    EXPECT_EQ(bench.ReceivedSince(mark), "~'8QY");

    bench.controls.ShowingPages.clear();
    PollWorker second = MakeWorker();
    StopAtCycle(second, 1);
    mark = bench.unit->Received().size();
    second.Execute();
    const std::string pollCycle = bench.ReceivedSince(mark);
    EXPECT_EQ(pollCycle.find('~'), std::string::npos);
    EXPECT_EQ(pollCycle.back(), 'Y');
    EXPECT_FALSE(bench.controls.at("InputVoltage").Text.empty());
}

// The technician changes tabs while a queued command runs: the refresh shows what this cycle read, and
// the page now showing waits for the next cycle.
TEST_F(PollWorkerTest, ATabChangeDuringTheCycleDoesNotChangeWhatItShows) {
    for (const bool statusAtReadOut : {true, false}) {
        SCOPED_TRACE(statusAtReadOut ? "away from Status" : "onto Status");
        WorkerBench b("smart");
        ASSERT_TRUE(b.identified);
        if (statusAtReadOut) b.controls.ShowingPages.insert(std::string(StatusPageName));
        PollWorker* self = nullptr;
        PollWorker worker(b.ups, b.commands, b.controls, b.handOver, b.window, [&](char, char) {
            if (statusAtReadOut) {
                b.controls.ShowingPages.clear();
            } else {
                b.controls.ShowingPages.insert(std::string(StatusPageName));
            }
            self->Terminate();
        });
        self = &worker;
        b.commands.push('e', '-');

        worker.Execute();

        ASSERT_EQ(b.window.ReadOuts, 1);
        // Registers that were not read tick nothing; readings that were not read feed no chart point.
        EXPECT_EQ(b.controls.Controls.count("CheckBox9"), statusAtReadOut ? 1u : 0u);
        EXPECT_EQ(b.controls.Controls.count("InputVoltage"), statusAtReadOut ? 0u : 1u);
        EXPECT_EQ(b.controls.at("KPerformanceGraph1").Samples.size(), statusAtReadOut ? 0u : 1u);
    }
}

TEST_F(PollWorkerTest, AUnitThatStopsAnsweringEndsTheCycleAfterOneFailedLinkCheck) {
    PollWorker worker = MakeWorker();
    std::size_t muteMark = 0;
    bench.window.BeforeReadOut = [&](int readOut) {
        if (readOut == 2) {
            muteMark = bench.unit->Received().size();
            bench.unit->SetMuteAfter(0);
        }
    };

    worker.Execute();

    EXPECT_EQ(worker.HowEnded(), PollWorker::Ending::ByLinkLoss);
    EXPECT_EQ(bench.window.ReadOuts, 2);
    const std::string afterMute = bench.ReceivedSince(muteMark);
    ASSERT_GE(afterMute.size(), 2u);
    EXPECT_EQ(afterMute.substr(afterMute.size() - 2), "YY");
    EXPECT_EQ(bench.controls.StatusPanels[0], "Could not establish connection to UPS.");
    EXPECT_FALSE(bench.controls.LinkLampOnline);
}

TEST_F(PollWorkerTest, AnUnpluggedAdapterIsALinkLossNotAHang) {
    PollWorker worker = MakeWorker();
    bench.window.BeforeReadOut = [&](int readOut) {
        if (readOut == 3) bench.port.Unplug();
    };

    worker.Execute();

    EXPECT_EQ(worker.HowEnded(), PollWorker::Ending::ByLinkLoss);
    EXPECT_EQ(bench.window.ReadOuts, 3);
}

TEST_F(PollWorkerTest, RunsOnItsOwnThreadAndReportsItsEndFromThere) {
    PollWorker worker = MakeWorker();
    StopAtCycle(worker, 3);
    worker.Start();
    worker.Join();
    EXPECT_EQ(bench.window.Ended.load(), 1);
    EXPECT_NE(bench.window.EndedOnThread, std::this_thread::get_id());
    EXPECT_EQ(worker.Cycles(), 3u);
}

TEST_F(PollWorkerTest, AStopRequestBeforeTheFirstCycleTouchesNothing) {
    PollWorker worker = MakeWorker();
    worker.Terminate();
    const std::size_t mark = bench.unit->Received().size();
    worker.Start();
    worker.Join();
    EXPECT_EQ(bench.ReceivedSince(mark), "");
    EXPECT_EQ(bench.handOver.Count, 0);
    EXPECT_EQ(bench.window.Ended.load(), 1);
    EXPECT_EQ(worker.HowEnded(), PollWorker::Ending::ByRequest);
}

}  // namespace
}  // namespace kelvane::testing
