// kelvane-cli driven in process against the simulated units on virtual time: the command line, the JSON
// each command prints for every kind of unit, the exit statuses, and what the unit receives last.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <limits>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "cli/Json.h"
#include "sim/SimUnit.h"
#include "tests/cli/FlatJson.h"
#include "tests/support/VirtualClock.h"
#include "tests/support/VirtualPort.h"
#include "tests/support/VirtualSleeper.h"

namespace kelvane::cli {
namespace {

using testing::FlatObject;
using ::testing::HasSubstr;
using testing::JsonValue;
using testing::ReadJsonLines;

struct CliRun {
    int Status = -1;
    std::string Out;
    std::string Err;
};

// One simulated unit on a virtual port that answers to COM1 only. Hook, when set, is called with the
// index of every clock reading the tool makes: a poll reads the clock at the start and end of each cycle,
// so reading 2k is the start of cycle k + 1.
struct Bench {
    explicit Bench(const std::string& preset)
        : unit(sim::SimUnit::FromPreset(preset)), sleeper(clock), port(*unit, clock, {}, "COM1") {}

    CliRun Run(const std::vector<std::string>& args) {
        std::ostringstream out;
        std::ostringstream err;
        CliEnvironment environment;
        environment.Opener = port.Opener();
        environment.Pauses = &sleeper;
        environment.NowMs = [this] {
            if (Hook) Hook(readings);
            ++readings;
            return clock.NowMs();
        };
        CliRun run;
        run.Status = RunCli(args, out, err, environment);
        run.Out = out.str();
        run.Err = err.str();
        return run;
    }

    std::string Received() const { return std::string(unit->Received().begin(), unit->Received().end()); }

    std::unique_ptr<sim::SimUnit> unit;
    VirtualClock clock;
    VirtualSleeper sleeper;
    VirtualPort port;
    std::function<void(int)> Hook;
    int readings = 0;
};

std::vector<FlatObject> Objects(const std::string& out) {
    std::vector<FlatObject> objects;
    for (const auto& line : ReadJsonLines(out)) {
        EXPECT_TRUE(line.has_value()) << "not a JSON object: " << out;
        if (line) objects.push_back(*line);
    }
    return objects;
}

// Every text the tool printed was asked of the unit and answered: a member listed that the refresh never
// reads, or reads under another condition, shows up as an empty text (or a refusal). The 0x04 constant is
// the exception: it is asked for only when the "%" constant answered "NA".
void ExpectEveryTextAnswered(const FlatObject& object) {
    for (const auto& [key, value] : object.Values) {
        if (value.Type != JsonValue::Kind::String || key == "ConstCtrlDText") continue;
        EXPECT_FALSE(value.Text.empty()) << key;
        // "NA" to "n" is what makes a unit one without a serial number.
        if (key == "SerialNumberText" && object.Text("Family") == "FamilySmartNoSerial") continue;
        EXPECT_NE(value.Text, "NA") << key;
    }
}

const char* const kFlags[] = {"ThirdGen", "SurtModel",  "ScModel",           "ScRackModel", "SmallModel",
                              "XlModel",  "StackModel", "ModelCodeViaCtrlB", "HlVariant",   "AprogMode"};

TEST(CliCommandLine, MistakesEndWithStatus1BeforeThePortIsTouched) {
    struct Case {
        std::vector<std::string> Args;
        std::string Reason;
    };
    const Case cases[] = {
        {{}, "no command given"},
        {{"identify"}, "--port PORT is needed"},
        {{"identify", "--port"}, "--port needs a port name"},
        {{"--port=", "identify"}, "--port needs a port name"},
        {{"--port", "COM1", "--port", "COM2", "identify"}, "--port is given twice"},
        {{"--port", "COM1", "status"}, "unknown command \"status\""},
        {{"--port", "COM1", "identify", "now"}, "unexpected argument \"now\" for identify"},
        {{"--port", "COM1", "--speed", "9600", "identify"}, "unknown option --speed"},
        {{"--port", "COM1", "identify", "--cycles", "3"}, "unknown option --cycles for identify"},
        {{"--port", "COM1", "--timeouts-only=yes", "identify"}, "--timeouts-only takes no value"},
        {{"--port", "COM1", "poll", "--cycles"}, "--cycles needs a value"},
        {{"--port", "COM1", "poll", "--cycles", "0"}, "\"0\" is not a number from 1 to 1000000"},
        {{"--port", "COM1", "poll", "--cycles", "-2"}, "\"-2\" is not a number from 1 to 1000000"},
        {{"--port", "COM1", "poll", "--cycles=2x"}, "\"2x\" is not a number"},
        {{"--port", "COM1", "poll", "--cycles", "1", "--cycles", "2"}, "--cycles is given twice"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.Args));
        Bench bench("smart");
        const CliRun run = bench.Run(c.Args);
        EXPECT_EQ(run.Status, 1);
        EXPECT_THAT(run.Err, HasSubstr(c.Reason));
        EXPECT_THAT(run.Err, HasSubstr("kelvane-cli --help"));
        EXPECT_EQ(run.Out, "");
        EXPECT_EQ(bench.port.Opens(), 0);
    }
}

TEST(CliCommandLine, OptionsMayStandBeforeOrAfterTheCommand) {
    for (const std::vector<std::string>& args : {
             std::vector<std::string>{"poll", "--port=COM1", "--cycles=2"},
             std::vector<std::string>{"--cycles", "2", "--timeouts-only", "--port", "COM1", "poll"},
         }) {
        SCOPED_TRACE(::testing::PrintToString(args));
        Bench bench("smart");
        const CliRun run = bench.Run(args);
        EXPECT_EQ(run.Status, 0) << run.Err;
        EXPECT_EQ(Objects(run.Out).size(), 2u);
    }
}

TEST(CliCommandLine, HelpDocumentsCommandsOptionsOutputAndExitStatuses) {
    Bench bench("smart");
    const CliRun run = bench.Run({"poll", "--help"});
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Err, "");
    for (const char* topic : {"identify",
                              "poll",
                              "--cycles N",
                              "--port PORT",
                              "--timeouts-only",
                              "COM1",
                              "\"R\"",
                              "\"Family\"",
                              "\"ModelCodeViaCtrlB\"",
                              "cycle_ms",
                              "bytes_tx",
                              "bytes_rx",
                              "\\u00XX",
                              "Unable to open COM Port to communicate with UPS",
                              "Could not establish connection to UPS.",
                              "0  success",
                              "1  usage error",
                              "2  the port",
                              "3  the smart-mode",
                              "4  identification"}) {
        EXPECT_THAT(run.Out, HasSubstr(topic));
    }
    EXPECT_EQ(bench.port.Opens(), 0);
}

struct IdentifyCase {
    const char* Preset;
    const char* Family;
    std::vector<const char*> FlagsSet;
    std::vector<std::pair<const char*, const char*>> Texts;
    std::vector<const char*> Absent;  // members this family's identification never reads
};

TEST(CliIdentify, EachKindOfUnitPrintsWhatItIsAndEveryValueRead) {
    const IdentifyCase cases[] = {
        {"smart",
         "FamilySmart",
         {},
         {{"ModelNameText", "Smart 1400"},
          {"FirmwareText", "72.14.I"},
          {"Const4Text", "A0"},
          {"RunTimeText", "123"},
          {"AlarmDelayText", " 5 Seconds"},
          {"SensitivityText", " High "}},
         {"SkuCodeText", "ConstHashText", "FloatVoltageText", "RtPlusBatteryVoltageText", "ConstDollarText"}},
        {"smart-small",
         "FamilySmart",
         {"SmallModel"},
         {{"SerialNumberText", "KV0603112233"}},
         {"TemperatureText"}},
        {"smart-sc", "FamilySmart", {"ScModel"}, {{"ConstHashText", "8F"}}, {"SkuCodeText"}},
        {"smart-3g",
         "FamilySmart",
         {"ThirdGen", "ModelCodeViaCtrlB"},
         {{"SkuCodeText", "652"},
          {"FirmwareText", ".12.I"},
          {"ConstDollarText", "7B"},
          {"ConstPercentText", "91"},
          {"ConstCaretText", "85"},
          {"ConstCtrlDText", ""}},
         {"ConstHashText"}},
        {"surt",
         "FamilySmart",
         {"ThirdGen", "SurtModel", "XlModel", "ModelCodeViaCtrlB"},
         {{"RtPlusBatteryVoltageText", "109.45"},
          {"RtMinus400BatteryVoltageText", "219.02"},
          {"SkuCodeText", "453"}},
         {"ConstCaretText"}},
        {"no-serial",
         "FamilySmartNoSerial",
         {},
         {{"SerialNumberText", "NA"}, {"ModelNameText", "Smart 700"}},
         {"LoadPercentText", "LoadWattsValue", "Const4Text", "NominalBatteryVoltageText"}},
        {"back-pro",
         "FamilyBackPro",
         {},
         {{"FloatVoltageText", "13.65"}, {"BbdVoltageText", "10.50"}, {"LoadWattsText", "204"}},
         {"Const0Text", "UpsIdText", "LineFrequencyText", "TemperatureText", "RunTimeText"}},
        {"second-gen",
         "FamilySmart2ndGen",
         {},
         {{"ModelNameText", "Smart 1250I"}, {"SerialNumberText", "GS043122"}, {"FirmwareText", "8QI"}},
         {"Const4Text", "BatteryPacksText"}},
        {"monitor-only", "FamilySmart", {"AprogMode"}, {{"ModelNameText", "Smart 3000"}}, {}},
    };
    for (const IdentifyCase& c : cases) {
        SCOPED_TRACE(c.Preset);
        Bench bench(c.Preset);
        const CliRun run = bench.Run({"--port", "COM1", "identify"});
        ASSERT_EQ(run.Status, 0) << run.Err;
        EXPECT_EQ(run.Err, "");
        const std::vector<FlatObject> objects = Objects(run.Out);
        ASSERT_EQ(objects.size(), 1u);
        const FlatObject& unit = objects[0];

        EXPECT_EQ(unit.Text("Family"), c.Family);
        for (const char* flag : kFlags) {
            const bool expected = std::find_if(c.FlagsSet.begin(), c.FlagsSet.end(), [&](const char* set) {
                                      return std::string(set) == flag;
                                  }) != c.FlagsSet.end();
            EXPECT_EQ(unit.Flag(flag), expected) << flag;
        }
        for (const auto& [key, text] : c.Texts) EXPECT_EQ(unit.Text(key), text) << key;
        for (const char* key : c.Absent) EXPECT_FALSE(unit.Has(key)) << key;
        ExpectEveryTextAnswered(unit);

        // The closing command is the last thing the unit hears, and the port is closed after it.
        EXPECT_EQ(bench.Received().back(), 'R');
        EXPECT_EQ(bench.port.Line(), nullptr);

        // Reads that end only by their time-outs take longer but find the same unit.
        Bench slow(c.Preset);
        const CliRun timeoutsOnly = slow.Run({"--timeouts-only", "--port", "COM1", "identify"});
        EXPECT_EQ(timeoutsOnly.Status, 0);
        EXPECT_EQ(timeoutsOnly.Out, run.Out);
        EXPECT_GT(slow.clock.Now(), bench.clock.Now());
    }
}

TEST(CliIdentify, RatingAndVariantAreNumbers) {
    Bench bench("second-gen-legacy2");
    const CliRun run = bench.Run({"--port", "COM1", "identify"});
    ASSERT_EQ(run.Status, 0) << run.Err;
    const FlatObject unit = Objects(run.Out).at(0);
    EXPECT_EQ(unit.Values.at("RatedPower").Type, JsonValue::Kind::Number);
    EXPECT_EQ(unit.Number("RatedPower"), 400);
    EXPECT_EQ(unit.Number("RatedDigits"), 3);
    EXPECT_EQ(unit.Number("LegacyVariant"), 2);
    EXPECT_EQ(unit.Number("WattsPerPercent"), 2.8);
    EXPECT_EQ(unit.Number("InputVoltageValue"), 229.5);
}

TEST(CliIdentify, UnitBytesAreEscapedIntoValidJson) {
    Bench bench("smart");
    // A quote, a backslash, a control byte and a byte that is not ASCII.
    ASSERT_TRUE(bench.unit->OverrideAnswer("n", R"(Q"\\\x01\xE9Z)"));
    const CliRun run = bench.Run({"--port", "COM1", "identify"});
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_THAT(run.Out, HasSubstr(R"("SerialNumberText":"Q\"\\\u0001\u00E9Z")"));
    EXPECT_EQ(Objects(run.Out).at(0).Text("SerialNumberText"), "Q\"\\\x01\xE9Z");
}

struct PollCase {
    const char* Preset;
    std::vector<const char*> Present;
    std::vector<const char*> Absent;
};

TEST(CliPoll, EachCycleIsOneLineOfWhatThePollRead) {
    const PollCase cases[] = {
        {"smart",
         {"TemperatureText", "RunTimeMinutes", "BatteryChargeValue", "LoadWattsValue"},
         {"NominalOutputVoltageText", "FloatVoltageText", "Const0Text", "ModelNameText"}},
        {"smart-small", {"TemperatureText"}, {}},
        {"surt", {"RtPlusBatteryVoltageText", "RtMinus400BatteryVoltageText"}, {}},
        {"no-serial", {"LineFrequencyText"}, {"LoadPercentText", "TemperatureText"}},
        {"back-pro",
         {"LoadPercentText", "FloatVoltageText", "DcOffsetText"},
         {"BbdVoltageText", "TemperatureText"}},
        {"second-gen", {"RunTimeText"}, {"RtPlusBatteryVoltageText"}},
        {"monitor-only", {"NominalOutputVoltageText"}, {}},
    };
    for (const PollCase& c : cases) {
        SCOPED_TRACE(c.Preset);
        Bench identifying(c.Preset);
        ASSERT_EQ(identifying.Run({"--port", "COM1", "identify"}).Status, 0);

        Bench bench(c.Preset);
        const CliRun run = bench.Run({"--port", "COM1", "poll", "--cycles", "3"});
        ASSERT_EQ(run.Status, 0) << run.Err;
        EXPECT_EQ(run.Err, "");
        const std::vector<FlatObject> cycles = Objects(run.Out);
        ASSERT_EQ(cycles.size(), 3u);
        double commandsPolled = 0;
        for (std::size_t i = 0; i < cycles.size(); ++i) {
            const FlatObject& cycle = cycles[i];
            EXPECT_EQ(cycle.Number("cycle"), static_cast<double>(i + 1));
            EXPECT_EQ(cycle.Keys.front(), "cycle");
            EXPECT_TRUE(cycle.Flag("Online"));
            EXPECT_TRUE(cycle.Has("BatteryVoltageText"));
            for (const char* key : c.Present) EXPECT_TRUE(cycle.Has(key)) << key;
            for (const char* key : c.Absent) EXPECT_FALSE(cycle.Has(key)) << key;
            ExpectEveryTextAnswered(cycle);
            EXPECT_GT(cycle.Number("cycle_ms"), 0);
            EXPECT_GT(cycle.Number("bytes_rx"), cycle.Number("bytes_tx"));
            commandsPolled += cycle.Number("bytes_tx");
        }
        // The poll sent exactly what identification and the closing command did not.
        EXPECT_EQ(commandsPolled,
                  static_cast<double>(bench.unit->Received().size() - identifying.unit->Received().size()));
        EXPECT_EQ(bench.Received().back(), 'R');
    }
}

TEST(CliPoll, AlertLatchesReportTheCycleTheAlertCameIn) {
    Bench bench("smart");
    bench.Hook = [&](int reading) {
        if (reading == 2) bench.unit->InjectAlert('!');  // start of cycle 2
        if (reading == 4) bench.unit->InjectAlert('$');  // start of cycle 3
    };
    const CliRun run = bench.Run({"--port", "COM1", "poll", "--cycles", "4"});
    ASSERT_EQ(run.Status, 0) << run.Err;
    const std::vector<FlatObject> cycles = Objects(run.Out);
    ASSERT_EQ(cycles.size(), 4u);
    const std::pair<bool, bool> expected[] = {{false, false}, {true, false}, {false, true}, {false, false}};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(cycles[i].Flag("LineFailAlert"), expected[i].first) << i;
        EXPECT_EQ(cycles[i].Flag("LineRestoredAlert"), expected[i].second) << i;
    }
}

TEST(CliPoll, ALostLinkEndsWithStatus4AndNoClosingCommand) {
    struct Case {
        const char* Name;
        std::function<void(Bench&)> Break;  // at the start of cycle 2
        const char* Reason;
    };
    const Case cases[] = {
        {"unit falls silent after three answers", [](Bench& b) { b.unit->SetMuteAfter(3); },
         "The UPS stopped answering in poll cycle 2."},
        {"adapter pulled", [](Bench& b) { b.port.Unplug(); }, "device removed in poll cycle 2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Bench bench("smart");
        bench.Hook = [&](int reading) {
            if (reading == 2) c.Break(bench);
        };
        const CliRun run = bench.Run({"--port", "COM1", "poll", "--cycles", "5"});
        EXPECT_EQ(run.Status, 4);
        EXPECT_THAT(run.Err, HasSubstr("Could not establish connection to UPS.\n"));
        EXPECT_THAT(run.Err, HasSubstr(c.Reason));
        const std::vector<FlatObject> cycles = Objects(run.Out);
        ASSERT_EQ(cycles.size(), 2u);
        EXPECT_TRUE(cycles[0].Flag("Online"));
        EXPECT_FALSE(cycles[1].Flag("Online"));
        EXPECT_NE(bench.Received().back(), 'R');
        EXPECT_EQ(bench.port.Line(), nullptr);
    }
}

TEST(CliConnect, FailuresEndWithTheirStatusAndMessage) {
    struct Case {
        const char* Name;
        const char* Preset;
        std::vector<std::pair<const char*, const char*>> Answers;
        const char* Port;
        int Status;
        const char* Err;
        const char* Received;  // everything the unit heard; null: it falls silent after 20 bytes
    };
    const Case cases[] = {
        {"no such port",
         "smart",
         {},
         "COM2",
         2,
         "Unable to open COM Port to communicate with UPS\nNo such file or directory\n",
         ""},
        {"silent unit", "silent", {}, "COM1", 3, "Could not establish connection to UPS.\n", "YY"},
        {"not a UPS", "not-ups", {}, "COM1", 3, "Could not establish connection to UPS.\n", "YY"},
        {"smart mode without SM",
         "smart",
         {{"Y", "SX"}},
         "COM1",
         4,
         "UPS identification failed: the unit did not answer \"Y\" with \"SM\".\n",
         "YY"},
        {"unit falls silent during identification",
         "smart",
         {},
         "COM1",
         4,
         "Could not establish connection to UPS.\nThe UPS stopped answering during identification.\n",
         nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        for (const char* command : {"identify", "poll"}) {
            SCOPED_TRACE(command);
            Bench bench(c.Preset);
            for (const auto& [cmd, text] : c.Answers) ASSERT_TRUE(bench.unit->OverrideAnswer(cmd, text));
            if (c.Received == nullptr) bench.unit->SetMuteAfter(20);
            const CliRun run = bench.Run({"--port", c.Port, command});
            EXPECT_EQ(run.Status, c.Status);
            EXPECT_EQ(run.Err, c.Err);
            EXPECT_EQ(run.Out, "");
            if (c.Received != nullptr) {
                EXPECT_EQ(bench.Received(), c.Received);
            }
            EXPECT_EQ(bench.Received().find('R'), std::string::npos);
            EXPECT_EQ(bench.port.Line(), nullptr);
        }
    }
}

TEST(CliJson, TextsAreEscapedBytesAndNumbersRoundTrip) {
    const std::pair<std::string, std::string> texts[] = {
        {"228.9", R"("228.9")"},
        {"", R"("")"},
        {" 5 Seconds", R"(" 5 Seconds")"},
        {"a\"b\\c/d", R"("a\"b\\c/d")"},
        {std::string("\x00\x01\r\n\x1f", 5), R"("\u0000\u0001\u000D\u000A\u001F")"},
        {"\x7f\x80\xff", R"("\u007F\u0080\u00FF")"},
    };
    for (const auto& [bytes, json] : texts) EXPECT_EQ(JsonString(bytes), json);

    EXPECT_EQ(JsonNumber(228.9f), "228.9");
    EXPECT_EQ(JsonNumber(1400.0f), "1400");
    EXPECT_EQ(JsonNumber(-0.5f), "-0.5");
    EXPECT_EQ(JsonNumber(std::numeric_limits<float>::infinity()), "null");
    EXPECT_EQ(JsonNumber(std::numeric_limits<float>::quiet_NaN()), "null");
    EXPECT_EQ(JsonFixed(226.25, 1), "226.2");

    JsonObject object;
    object.AddText("a", "x").AddBool("b", true).AddInteger("c", -3).AddFloat("d", 0.1f);
    EXPECT_EQ(object.Str(), R"({"a":"x","b":true,"c":-3,"d":0.1})");
    EXPECT_EQ(JsonObject().Str(), "{}");
}

}  // namespace
}  // namespace kelvane::cli
