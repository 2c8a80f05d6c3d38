// The built kelvane-cli against the built kelvane-sim over a real pseudo-terminal. Every identification
// costs the unit's 1.5 s programming-mode pause in real time, so the runs are few and each test starts
// its runs side by side. kelvane-sim answers 20 ms late on top of its character time, so that a client
// delayed by a busy machine between its write and its purge still gets the answer.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "sim/SimUnit.h"
#include "tests/cli/FlatJson.h"
#include "tests/cli/Processes.h"
#include "tests/support/VirtualClock.h"
#include "tests/support/VirtualPort.h"
#include "tests/support/VirtualSleeper.h"
#include "ups/UpsLink.h"

namespace kelvane::cli {
namespace {

using testing::CliProcess;
using testing::CliRun;
using testing::FlatObject;
using ::testing::HasSubstr;
using testing::ReadJsonLines;
using testing::SimProcess;
using ::testing::StartsWith;

std::unique_ptr<SimProcess> StartSim(std::vector<std::string> options) {
    auto sim = std::make_unique<SimProcess>(std::move(options));
    EXPECT_THAT(sim->Device(), StartsWith("/dev/")) << sim->Errors();
    return sim;
}

FlatObject OnlyObject(const CliRun& run) {
    const auto lines = ReadJsonLines(run.Out);
    EXPECT_EQ(lines.size(), 1u) << run.Out;
    EXPECT_TRUE(!lines.empty() && lines[0].has_value()) << run.Out;
    return !lines.empty() && lines[0] ? *lines[0] : FlatObject{};
}

TEST(CliEndToEnd, IdentifiesUnitsOverAPseudoTerminal) {
    struct Case {
        const char* Preset;
        bool TimeoutsOnly;
        const char* Family;
        const char* Model;
        const char* Serial;
    };
    const Case cases[] = {
        {"smart", false, "FamilySmart", "Smart 1400", "KV0527310642XB"},
        {"smart", true, "FamilySmart", "Smart 1400", "KV0527310642XB"},
        {"back-pro", false, "FamilyBackPro", "Back-PRO 650", "BP0812004511"},
        {"second-gen", false, "FamilySmart2ndGen", "Smart 1250I", "GS043122"},
    };
    std::vector<std::unique_ptr<SimProcess>> sims;
    std::vector<std::unique_ptr<CliProcess>> clis;
    for (const Case& c : cases) {
        sims.push_back(StartSim({"--unit", c.Preset}));
        std::vector<std::string> args{"--port", sims.back()->Device(), "identify"};
        if (c.TimeoutsOnly) args.insert(args.begin(), "--timeouts-only");
        clis.push_back(std::make_unique<CliProcess>(args));
    }
    std::vector<CliRun> runs;
    for (auto& cli : clis) runs.push_back(cli->Finish());

    for (std::size_t i = 0; i < runs.size(); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(std::string(c.Preset) + (c.TimeoutsOnly ? " --timeouts-only" : ""));
        EXPECT_EQ(runs[i].Status, 0) << runs[i].Err;
        EXPECT_EQ(runs[i].Err, "");
        const FlatObject unit = OnlyObject(runs[i]);
        EXPECT_EQ(unit.Text("Family"), c.Family);
        EXPECT_EQ(unit.Text("ModelNameText"), c.Model);
        EXPECT_EQ(unit.Text("SerialNumberText"), c.Serial);
        EXPECT_FALSE(unit.Text("BatteryVoltageText").empty());
    }
    // Ending reads by their time-outs alone finds exactly the same.
    EXPECT_EQ(runs[1].Out, runs[0].Out);
}

// The bytes kelvane-cli sends before its first poll cycle (smart-mode check, identification, the check
// that the unit still answers), counted in process on virtual time.
std::size_t BytesBeforePolling(const std::string& preset) {
    auto unit = sim::SimUnit::FromPreset(preset);
    VirtualClock clock;
    VirtualSleeper sleeper(clock);
    VirtualPort port(*unit, clock);
    UpsLink link(port.Opener(), &sleeper);
    EXPECT_TRUE(link.OpenPort("COM1"));
    EXPECT_TRUE(link.CheckSmartMode());
    EXPECT_TRUE(link.Identify());
    EXPECT_TRUE(link.CheckSmartMode());
    return unit->Received().size();
}

TEST(CliEndToEnd, PollsAndLosesAUnitThatStopsAnswering) {
    // A smart unit's cycle sends eight queries and "Y"; muted three answers into the second cycle.
    const std::size_t muteAfter = BytesBeforePolling("smart") + 9 + 3;
    auto surt = StartSim({"--unit", "surt"});
    auto muted = StartSim({"--unit", "smart", "--mute-after", std::to_string(muteAfter)});
    CliProcess polling({"--port", surt->Device(), "poll", "--cycles", "3"});
    CliProcess losing({"--port", muted->Device(), "poll", "--cycles", "5"});
    const CliRun polled = polling.Finish();
    const CliRun lost = losing.Finish();

    EXPECT_EQ(polled.Status, 0) << polled.Err;
    const auto cycles = ReadJsonLines(polled.Out);
    ASSERT_EQ(cycles.size(), 3u) << polled.Out;
    for (std::size_t i = 0; i < cycles.size(); ++i) {
        ASSERT_TRUE(cycles[i].has_value()) << polled.Out;
        EXPECT_EQ(cycles[i]->Number("cycle"), static_cast<double>(i + 1));
        EXPECT_TRUE(cycles[i]->Flag("Online"));
        EXPECT_EQ(cycles[i]->Text("RtPlusBatteryVoltageText"), "109.45");
        EXPECT_EQ(cycles[i]->Number("bytes_tx"), 13);  // eight queries, four SURT readings and "Y"
        EXPECT_GT(cycles[i]->Number("cycle_ms"), 0);
    }

    EXPECT_EQ(lost.Status, 4) << lost.Err;
    EXPECT_EQ(lost.Err,
              "Could not establish connection to UPS.\nThe UPS stopped answering in poll cycle 2.\n");
    const auto lostCycles = ReadJsonLines(lost.Out);
    ASSERT_EQ(lostCycles.size(), 2u) << lost.Out;
    ASSERT_TRUE(lostCycles[0] && lostCycles[1]);
    EXPECT_TRUE(lostCycles[0]->Flag("Online"));
    EXPECT_FALSE(lostCycles[1]->Flag("Online"));
    EXPECT_EQ(lostCycles[1]->Text("LoadPercentText"), "032.7");
    EXPECT_EQ(lostCycles[1]->Text("TemperatureText"), "");
}

TEST(CliEndToEnd, NoUnitNoConnection) {
    auto silent = StartSim({"--unit", "silent"});
    auto notUps = StartSim({"--unit", "not-ups"});
    // Every answer arrives after the reader gave up: the late "SM" of the first "Y" must not pass for the
    // answer to the second.
    auto late = StartSim({"--unit", "smart", "--late-ms", "600"});
    CliProcess silentRun({"--port", silent->Device(), "identify"});
    CliProcess notUpsRun({"--port", notUps->Device(), "poll", "--cycles", "2"});
    CliProcess lateRun({"--port", late->Device(), "identify"});
    CliProcess missingRun({"--port", "/dev/kelvane-no-such-port", "identify"});

    for (auto [name, run] : {std::pair{"silent", silentRun.Finish()},
                             std::pair{"not-ups", notUpsRun.Finish()}, std::pair{"late", lateRun.Finish()}}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(run.Status, 3);
        EXPECT_EQ(run.Err, "Could not establish connection to UPS.\n");
        EXPECT_EQ(run.Out, "");
    }
    const CliRun missing = missingRun.Finish();
    EXPECT_EQ(missing.Status, 2);
    EXPECT_EQ(missing.Err,
              "Unable to open COM Port to communicate with UPS\n"
              "/dev/kelvane-no-such-port: No such file or directory\n");
    EXPECT_EQ(missing.Out, "");
}

}  // namespace
}  // namespace kelvane::cli
