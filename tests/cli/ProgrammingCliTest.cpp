// kelvane-cli's programming-mode commands: in process on virtual time for the command line, the ends of
// each loop and the files, and a few runs of the built tool against the built kelvane-sim.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "cli/Cli.h"
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

using kelvane::testing::ScratchFolder;

FlatObject OnlyObject(const CliRun& run) {
    const auto lines = ReadJsonLines(run.Out);
    EXPECT_EQ(lines.size(), 1u) << run.Out;
    return !lines.empty() && lines[0] ? *lines[0] : FlatObject{};
}

// --- In process -----------------------------------------------------------------------------------------

struct Bench {
    explicit Bench(const std::string& preset)
        : unit(sim::SimUnit::FromPreset(preset)), sleeper(clock), port(*unit, clock, {}, "COM1") {}

    // Changes the unit's answer to one command; the reference of SentAfterIdentification gets it too.
    void Override(const std::string& command, const std::string& text) {
        EXPECT_TRUE(unit->OverrideAnswer(command, text));
        overrides.emplace_back(command, text);
    }

    CliRun Run(std::vector<std::string> args) {
        args.insert(args.begin(), {"--port", "COM1"});
        std::ostringstream out;
        std::ostringstream err;
        CliEnvironment environment;
        environment.Opener = port.Opener();
        environment.Pauses = &sleeper;
        environment.NowMs = [this] { return clock.NowMs(); };
        CliRun run;
        run.Status = RunCli(args, out, err, environment);
        run.Out = out.str();
        run.Err = err.str();
        return run;
    }

    std::string Received() const { return std::string(unit->Received().begin(), unit->Received().end()); }

    // What the command sent after identification: the bytes of a second run less those of identifying.
    std::string SentAfterIdentification(const std::vector<std::string>& args) {
        const std::size_t before = unit->Received().size();
        Bench reference(unit->Name());
        for (const auto& [command, text] : overrides) reference.Override(command, text);
        reference.Run({"identify"});
        const std::size_t identifying = reference.unit->Received().size() - 1;  // less its "R"
        last = Run(args);
        const std::string all = Received().substr(before);
        return all.size() >= identifying ? all.substr(identifying) : all;
    }

    std::unique_ptr<sim::SimUnit> unit;
    VirtualClock clock;
    VirtualSleeper sleeper;
    VirtualPort port;
    CliRun last;
    std::vector<std::pair<std::string, std::string>> overrides;
};

TEST(ProgrammingCli, BadArgumentsAreRefusedBeforeTheUnitIsAsked) {
    struct Case {
        std::vector<std::string> Args;
        const char* Reason;
    };
    const Case cases[] = {
        {{"const", "7", "A0"}, "unknown constant \"7\""},
        {{"const", "0", "G0"}, "\"G0\" is not one or two hexadecimal digits"},
        {{"const", "0", "A00"}, "\"A00\" is not"},
        {{"const", "0", ""}, "\"\" is not"},
        {{"model", "0x8C"}, "\"0x8C\" is not"},
        {{"calibrate", "output", "230"}, "unknown calibration \"output\""},
        {{"calibrate", "input", "23O"}, "\"23O\" is not a reference value"},
        {{"calibrate", "input", ""}, "is not a reference value"},
        {{"cycle", "bypass"}, "unknown setting \"bypass\""},
        {{"write", "model", "X"}, "unknown text \"model\""},
        {{"write", "id", "NINECHARS"}, "longer than the 8 characters of id"},
        {{"write", "serial", "KV0527310642XB1"}, "longer than the 14 characters of serial"},
        {{"write", "sku", "6651"}, "longer than the 3 characters of sku"},
        {{"write", "id", "A\tB"}, "printable ASCII"},
        {{"eeprom"}, "eeprom needs --out FILE"},
        {{"const", "0"}, "const needs 2 argument(s)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.Args));
        Bench b("smart");
        const CliRun run = b.Run(c.Args);
        EXPECT_EQ(run.Status, 1);
        EXPECT_THAT(run.Err, HasSubstr(c.Reason));
        EXPECT_EQ(run.Out, "");
        EXPECT_EQ(b.Received(), "");
    }
}

TEST(ProgrammingCli, LoopsPrintTheirValueAndHowTheyEnded) {
    struct Case {
        const char* Preset;
        std::vector<std::string> Args;
        int Status;
        const char* Key;
        const char* Value;
        const char* Ended;
        const char* Sent;  // after identification, "R" last
    };
    const Case cases[] = {
        {"smart", {"const", "0", "a0"}, 0, "Const0Text", "A0", "reached", "0++++R"},
        {"smart-3g", {"const", "caret", "84"}, 0, "ConstCaretText", "84", "reached", "^-R"},
        {"smart", {"const", "caret", "84"}, 5, "ConstCaretText", "", "refused", "R"},  // "^" is bypass here
        {"smart",
         {"model", "85"},
         0,
         "ModelCodeText",
         "85",
         "reached",
         "b+-b+\x01"
         "bR"},
        {"second-gen-legacy2",
         {"model", "4b"},
         0,
         "ModelCode2ndText",
         "4B",
         "reached",
         "HHV"
         "VR"},
        {"smart",
         {"calibrate", "input", "229.2"},
         0,
         "InputVoltageText",
         "229.2",
         "reached",
         "L+LL+LL+LL+LL-LR"},
        {"smart", {"calibrate", "battery", "27.4"}, 5, "BatteryVoltageText", "27.37", "refused", "R"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Preset) + " " + ::testing::PrintToString(c.Args));
        Bench b(c.Preset);
        EXPECT_EQ(b.SentAfterIdentification(c.Args), c.Sent);
        EXPECT_EQ(b.last.Status, c.Status) << b.last.Err;
        const FlatObject result = OnlyObject(b.last);
        EXPECT_EQ(result.Text(c.Key), c.Value);
        EXPECT_EQ(result.Text("ended"), c.Ended);
        if (c.Status == 0) {
            EXPECT_EQ(b.last.Err, "");
        } else {
            EXPECT_THAT(b.last.Err, HasSubstr(std::string("(") + c.Ended + ")"));
        }
    }
}

TEST(ProgrammingCli, ALoopThatMissesItsTargetEndsWithFive) {
    {
        Bench b("smart");
        ASSERT_TRUE(b.unit->OverrideAnswer("+", "9D"));
        const CliRun run = b.Run({"const", "0", "A0"});
        EXPECT_EQ(run.Status, 5);
        EXPECT_EQ(OnlyObject(run).Text("ended"), "limit");
        EXPECT_EQ(OnlyObject(run).Number("steps"), 300);
        EXPECT_EQ(b.Received().back(), 'R');
    }
    {
        Bench b("smart");
        b.unit->SetJumpAt(2);
        const CliRun run = b.Run({"calibrate", "input", "225"});
        EXPECT_EQ(run.Status, 5);
        EXPECT_EQ(OnlyObject(run).Text("ended"), "missed");
        EXPECT_EQ(OnlyObject(run).Text("InputVoltageText"),
                  "188.8");  // past its reach: the extra "-" moves it no further
    }
}

TEST(ProgrammingCli, OneStepCommandsPrintWhatTheUnitAnswersAfterwards) {
    struct Case {
        const char* Preset;
        std::vector<std::string> Args;
        int Status;
        const char* Key;
        const char* Value;
        const char* Sent;
    };
    const Case cases[] = {
        {"smart", {"cycle", "self-test"}, 0, "SelfTestIntervalText", "168", "E-ER"},
        {"monitor-only", {"cycle", "sensitivity"}, 0, "SensitivityText", " Medium", "s-sR"},
        {"smart", {"write", "id", "BAY3"}, 0, "UpsIdText", "BAY3    ", "c-BAY3    cR"},
        {"smart-3g", {"write", "sku", "665"}, 0, "SkuCodeText", "665", "b-665 bR"},
        {"second-gen", {"write", "serial", "GS0431"}, 0, "SerialNumberText", "GS0431  ", "n-GS0431  nR"},
        {"smart", {"reset-defaults"}, 0, "LowTransferVoltageText", "208", "zluoEprkesqR"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Preset) + " " + ::testing::PrintToString(c.Args));
        Bench b(c.Preset);
        EXPECT_EQ(b.SentAfterIdentification(c.Args), c.Sent);
        EXPECT_EQ(b.last.Status, c.Status) << b.last.Err;
        EXPECT_EQ(OnlyObject(b.last).Text(c.Key), c.Value);
    }
}

TEST(ProgrammingCli, CommandsThatDoNotApplyToTheUnitSendOnlyTheClose) {
    struct Case {
        const char* Preset;
        std::vector<std::string> Args;
        int Status;
        const char* Reason;
    };
    const Case cases[] = {
        // "e" is a calibrated reading on this family: "-" after it would move it.
        {"back-pro", {"cycle", "return-threshold"}, 5, "keeps no stored settings"},
        {"back-pro", {"write", "id", "X"}, 5, "no id to write"},   // "c" is the capacitor load
        {"smart", {"write", "sku", "665"}, 5, "no sku to write"},  // "-" after "b" steps the model code
        {"back-pro", {"reset-defaults"}, 5, "keeps no stored settings"},
        {"second-gen", {"write", "serial", "GS0431220"}, 1, "longer than the 8 characters of serial"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Preset) + " " + ::testing::PrintToString(c.Args));
        Bench b(c.Preset);
        EXPECT_EQ(b.SentAfterIdentification(c.Args), "R");
        EXPECT_EQ(b.last.Status, c.Status);
        EXPECT_THAT(b.last.Err, HasSubstr(c.Reason));
        EXPECT_EQ(b.last.Out, "");
    }
}

// A loop that refuses sends nothing but the closing "R", and says why.
TEST(ProgrammingCli, RefusedLoopsSendOnlyTheClose) {
    struct Case {
        const char* Name;
        const char* Preset;
        std::pair<const char*, const char*> Override;
        std::vector<std::string> Args;
        const char* Reason;
    };
    const Case cases[] = {
        // "XX" to the second "1": no programming mode, so the unit is not identified.
        {"model of an unidentified unit",
         "smart",
         {"1", "XX"},
         {"model", "85"},
         "the unit was not identified"},
        // Without a rating the load reads 0 W whatever it is.
        {"load of an unrated unit",
         "smart",
         {"^A", "Smart UPS"},
         {"calibrate", "load", "300"},
         "model name \"Smart UPS\" gives no rated power, so its load in watts cannot be read"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Bench b(c.Preset);
        b.Override(c.Override.first, c.Override.second);
        EXPECT_EQ(b.SentAfterIdentification(c.Args), "R");
        EXPECT_EQ(b.last.Status, 5);
        EXPECT_EQ(OnlyObject(b.last).Text("ended"), "refused");
        EXPECT_THAT(b.last.Err, HasSubstr(std::string(c.Reason) + "; nothing was sent"));
    }
}

TEST(ProgrammingCli, AUnitThatStopsAnsweringIsLost) {
    Bench reference("smart");
    reference.Run({"identify"});
    const int identifying = static_cast<int>(reference.unit->Received().size()) - 1;

    struct Case {
        const char* Setting;
        const char* Member;
        const char* Shown;  // a decoded setting keeps its old text when the answer is missing
    };
    const Case cases[] = {
        {"self-test", "SelfTestIntervalText", ""},
        {"sensitivity", "SensitivityText", " High "},
        {"alarm-delay", "AlarmDelayText", " 5 Seconds"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Setting);
        Bench b("smart");
        b.unit->SetMuteAfter(identifying + 1);  // answers the selection only
        const CliRun run = b.Run({"cycle", c.Setting});
        EXPECT_EQ(run.Status, 4);
        EXPECT_EQ(OnlyObject(run).Text(c.Member), c.Shown);
        EXPECT_THAT(run.Err, HasSubstr(std::string("stopped answering during cycle ") + c.Setting));
        EXPECT_NE(b.Received().back(), 'R');
    }
}

TEST(ProgrammingCli, EepromFileIsWrittenWholeOrNotAtAll) {
    ScratchFolder scratch;
    const std::filesystem::path target = scratch.Path() / "dump.bin";
    {
        Bench b("smart");
        const CliRun run = b.Run({"eeprom", "--out", target.string()});
        EXPECT_EQ(run.Status, 0) << run.Err;
        EXPECT_EQ(OnlyObject(run).Text("ended"), "reached");
        const auto image = b.unit->Eeprom();
        std::string expected(image.begin(), image.end());
        expected[0] = '\0';  // the walk starts at 00 and does not read the byte there
        EXPECT_EQ(ScratchFolder::Read(target), expected);
    }
    const std::string good = ScratchFolder::Read(target);
    {
        // The unit falls silent in the middle: the dump of the earlier run stays as it was.
        Bench b("smart");
        Bench reference("smart");
        reference.Run({"identify"});
        b.unit->SetMuteAfter(static_cast<int>(reference.unit->Received().size()) - 1 + 100);
        const CliRun run = b.Run({"eeprom", "--out", target.string()});
        EXPECT_EQ(run.Status, 5);
        EXPECT_EQ(OnlyObject(run).Text("ended"), "no-answer");
        EXPECT_EQ(ScratchFolder::Read(target), good);
    }
    {
        Bench b("smart-sc");
        const CliRun run = b.Run({"eeprom", "--out", (scratch.Path() / "sc.bin").string()});
        EXPECT_EQ(run.Status, 5);
        EXPECT_THAT(run.Err, HasSubstr("selects a calibration constant"));
    }
    // No temporary file is left behind, and the refused dump was never created.
    EXPECT_EQ(scratch.Names(), std::vector<std::string>{"dump.bin"});
    // A target that cannot take the dump is known before the unit is asked.
    const std::pair<std::filesystem::path, std::string> unusable[] = {
        {scratch.Path() / "no-such-folder" / "x.bin", "no-such-folder: No such file or directory"},
        {target / "x.bin", "dump.bin: Not a directory"},
        {scratch.Path(), scratch.Path().string() + ": Is a directory"},
    };
    for (const auto& [out, reason] : unusable) {
        SCOPED_TRACE(out.string());
        Bench b("smart");
        const CliRun run = b.Run({"eeprom", "--out", out.string()});
        EXPECT_EQ(run.Status, 6);
        EXPECT_THAT(run.Err, HasSubstr(reason));
        EXPECT_EQ(b.Received(), "");
    }
    EXPECT_EQ(ScratchFolder::Read(target), good);
}

// --- The built tool against kelvane-sim -----------------------------------------------------------------

TEST(ProgrammingCliEndToEnd, CommandsAgainstKelvaneSim) {
    ScratchFolder scratch;
    const std::string dump = (scratch.Path() / "smart.bin").string();
    // Every run identifies, which costs 1.5 s of real time: the runs go side by side.
    SimProcess smart({"--unit", "smart"});
    SimProcess jumping({"--unit", "smart", "--jump", "2"});
    SimProcess sc({"--unit", "smart-sc"});
    SimProcess second({"--unit", "second-gen"});
    CliProcess constant({"--port", smart.Device(), "const", "6", "c8"});
    CliProcess calibration({"--port", jumping.Device(), "calibrate", "input", "225"});
    CliProcess refused({"--port", sc.Device(), "eeprom", "--out", (scratch.Path() / "sc.bin").string()});
    CliProcess written({"--port", second.Device(), "write", "serial", "GS0431"});

    const CliRun constantRun = constant.Finish();
    EXPECT_EQ(constantRun.Status, 0) << constantRun.Err;
    EXPECT_EQ(OnlyObject(constantRun).Text("Const6Text"), "C8");

    const CliRun calibrationRun = calibration.Finish();
    EXPECT_EQ(calibrationRun.Status, 5);
    EXPECT_EQ(OnlyObject(calibrationRun).Text("ended"), "missed");
    EXPECT_THAT(calibrationRun.Err, HasSubstr("calibrate input"));

    const CliRun refusedRun = refused.Finish();
    EXPECT_EQ(refusedRun.Status, 5);
    EXPECT_EQ(OnlyObject(refusedRun).Text("ended"), "refused");

    const CliRun writtenRun = written.Finish();
    EXPECT_EQ(writtenRun.Status, 0) << writtenRun.Err;
    EXPECT_EQ(OnlyObject(writtenRun).Text("SerialNumberText"), "GS0431  ");

    // The same unit again: what the first run changed is what it answers now; then its EEPROM.
    CliProcess reread({"--port", smart.Device(), "const", "6", "C8"});
    const CliRun rereadRun = reread.Finish();
    EXPECT_EQ(OnlyObject(rereadRun).Number("steps"), 2);  // already there: one step away and back
    CliProcess eeprom({"--port", smart.Device(), "eeprom", "--out", dump});
    const CliRun eepromRun = eeprom.Finish();
    EXPECT_EQ(eepromRun.Status, 0) << eepromRun.Err;
    const std::string bytes = ScratchFolder::Read(dump);
    ASSERT_EQ(bytes.size(), 256u);
    EXPECT_EQ(static_cast<uint8_t>(bytes[0x13]), 0xC8);  // constant "6" as stepped
    EXPECT_EQ(scratch.Names(), std::vector<std::string>{"smart.bin"});
}

}  // namespace
}  // namespace kelvane::cli
