// The one-step commands, setting cycles, identity writes and unit commands against simulated units, and
// the dispatcher plugged into the poll worker.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "tests/worker/DispatcherBench.h"
#include "tests/worker/PollWorkerFakes.h"

namespace kelvane::testing {
namespace {

using Texts = std::vector<std::string>;

TEST(DispatcherSteps, LoadFieldsTurnRedAtFullLoadAndBlackBelowIt) {
    struct Case {
        const char* Name;
        const char* Preset;
        const char* LoadBefore;
        char Code;
        char Step;
        const char* Percent;
        const char* Watts;
        const char* Bar;
        const char* Shown;
        int BarPosition;
        uint32_t Colour;
        int Beeps;  // the 2nd generation's one-way step beeps
    };
    const Case cases[] = {
        {"Smart, up to 100.0", "smart", "099.9", '2', '+', "LoadPercent", "LoadW", "LoadBar", "100.0", 100,
         Colour::Red, 0},
        {"Smart, down to 99.9", "smart", "100.0", '2', '-', "LoadPercent", "LoadW", "LoadBar", "099.9", 99,
         Colour::Black, 0},
        {"Back-PRO, up to 100.0", "back-pro", "099.9", 'f', '+', "LoadPercentBackPro", "LoadWBackPro",
         "LoadBackProBar", "100.0", 100, Colour::Red, 0},
        {"2nd generation, down to 99.9", "second-gen", "100.0", '6', '-', "LoadPercent2nd", "LoadW2nd",
         "Load2ndBar", "099.9", 99, Colour::Black, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        DispatchBench b(DispatchBench::Modified(c.Preset, [&](sim::SimUnit::Definition& d) {
            d.Items['P'].Text = c.LoadBefore;
            d.Items['P'].Steps = sim::StepReply::Value;
        }));
        const uint32_t before = c.Colour == Colour::Red ? Colour::Black : Colour::Red;
        const std::string percentLabel = std::string(c.Percent) + "Label";
        const std::string wattsLabel = std::string(c.Watts) + "Label";
        for (const std::string& control :
             {std::string(c.Percent), percentLabel, std::string(c.Watts), wattsLabel}) {
            b.window.at(control).FontColour = before;
        }

        b.Run(c.Code, c.Step);

        EXPECT_EQ(b.window.at(c.Percent).Text, c.Shown);
        for (const std::string& control :
             {std::string(c.Percent), percentLabel, std::string(c.Watts), wattsLabel}) {
            EXPECT_EQ(b.window.at(control).FontColour, c.Colour) << control;
        }
        EXPECT_EQ(b.window.at(c.Watts).Text, b.ups.LoadWattsText.Str());
        EXPECT_EQ(b.window.at(c.Bar).Bar, c.BarPosition);
        EXPECT_EQ(b.window.at(c.Bar).Repaints, 1);
        EXPECT_EQ(b.tones.Beeps(), c.Beeps);
    }
}

TEST(DispatcherSteps, InputStepReadsTheOutputAgain) {
    DispatchBench b("smart");  // input reads 228.9

    b.Run('3', '+');

    EXPECT_EQ(b.Sent(), "L+LO");
    EXPECT_EQ(b.window.Log,
              (Texts{"handover", "text InputVoltage=229.0", "handover", "bar InputVoltageBar=229", "handover",
                     "text OutputVoltage=229.4", "handover", "bar OutputVoltageBar=229"}));
}

// The same battery adjustment serves three codes; on the 2nd generation it steps with "d" whichever way
// the button points.
TEST(DispatcherSteps, SecondGenerationBatteryStepsOneWayWhateverTheArgument) {
    struct Case {
        char Code;
        const char* Field;  // null: left to the display refresh
        bool Flashes;
    };
    const Case cases[] = {
        {'4', "BatteryVoltageSmart", false}, {'D', nullptr, false}, {'R', "BatteryVoltage2nd", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Code);
        DispatchBench b("second-gen");  // battery reads 27.42

        b.Run(c.Code, '+');

        EXPECT_EQ(b.Sent(), "dB");
        EXPECT_EQ(b.Ask('B'), "27.41");
        if (c.Field) {
            EXPECT_EQ(b.TextsOf(c.Field), Texts{"27.41"});
        } else {
            EXPECT_TRUE(b.window.Log.empty());
        }
        if (c.Flashes) {
            EXPECT_EQ(Tail(b.Around(c.Field), 6), GreenFlash(c.Field));
        }
        EXPECT_EQ(b.tones.Beeps(), c.Flashes ? 1 : 0);
    }
}

TEST(DispatcherSteps, ChargerStepShowsTheUnitsReplyBesideTheVoltage) {
    DispatchBench b("surt");  // the "+" charger reads 109.45

    b.Run('#', '+');

    EXPECT_EQ(b.Sent(), "\x0a+\x0a");
    EXPECT_EQ(b.TextsOf("RTplusBatVoltage"), Texts{"109.46"});
    EXPECT_EQ(b.TextsOf("Label19"), Texts{"OK"});
}

TEST(DispatcherSteps, AdjustmentsWithoutDisplayLeaveTheWindowToTheRefresh) {
    DispatchBench b("back-pro");  // ratio 1.020

    b.Run('A', '+');

    EXPECT_EQ(b.Sent(), "w+w");
    EXPECT_EQ(b.Ask('w'), "1.021");
    EXPECT_EQ(b.ups.RatioText.Str(), "1.021");
    EXPECT_TRUE(b.window.Log.empty());
}

TEST(DispatcherSettings, CycleMovesTheSettingAndShowsTheUnitsNewValue) {
    struct Case {
        const char* Preset;
        char Code;
        char Setting;
        const char* Field;
        const char* Next;   // as the unit answers it
        const char* Shown;  // as the link reads it
    };
    const Case cases[] = {
        {"smart", '8', 'u', "UpTransferVoltage", "264", "264"},
        {"second-gen", 'b', 'u', "UpVoltage2nd", "257", "257"},
        {"smart", 'x', 's', "Sensitivity", "M", " Medium"},
        {"monitor-only", 'w', 'E', "SelfTest", "168", "168"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Preset) + " " + c.Code);
        DispatchBench b(c.Preset);

        b.Run(c.Code);

        EXPECT_EQ(b.Ask(static_cast<uint8_t>(c.Setting)), c.Next);
        EXPECT_EQ(b.TextsOf(c.Field), Texts{c.Shown});
    }
}

TEST(DispatcherIdentity, WrittenTextIsReadBackAndShownWithItsFlash) {
    struct Case {
        const char* Preset;
        char Code;
        const char* Field;
        char Query;
        const char* Typed;
    };
    const Case cases[] = {
        {"smart", 'j', "ID", 'c', "AB1"},
        {"smart", 'k', "SerialNumber", 'n', "QS1234567890"},
        {"second-gen", 'h', "ManufactureDate", 'm', "06/01/24"},
        {"smart", 'i', "BatteriesReplaseDate", 'x', "07/02/24"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Field);
        DispatchBench b(c.Preset);
        b.Type(c.Field, c.Typed);

        b.Run(c.Code);

        const std::string stored = b.Ask(static_cast<uint8_t>(c.Query));
        EXPECT_EQ(stored.substr(0, std::strlen(c.Typed)), c.Typed);
        const std::string field = c.Field;
        // Green while the unit settles, then the text it read back appears as the field turns black.
        EXPECT_EQ(b.Around(field),
                  (Texts{"colour " + field + "=green", "repaint " + field, "wait 500", "beep",
                         "colour " + field + "=black", "text " + field + "=" + stored, "repaint " + field}));
    }
}

TEST(DispatcherIdentity, SkuCodeIsShownThenFlashedWithoutAPause) {
    DispatchBench b("smart-3g");  // firmware 652.12.I
    b.Type("SU36G", "653");

    b.Run('O');

    EXPECT_EQ(b.Ask('b'), "653.12.I");
    EXPECT_EQ(b.Around("SU36G"), (Texts{"text SU36G=653", "colour SU36G=green", "repaint SU36G", "beep",
                                        "colour SU36G=black", "repaint SU36G"}));
}

TEST(DispatcherActions, FactoryResetBeepsBeforeTheTenSettingsShowTheirFactoryValues) {
    DispatchBench b("smart");
    b.Run('u');  // upper transfer off its factory value
    b.window.Log.clear();
    b.Sent();
    const std::size_t pausesBefore = b.sleeper.Pauses().size();

    b.Run('N', 'z');

    EXPECT_EQ(b.Sent(), "zluoEprkesq");
    const Texts expected = {"beep",
                            "text UpTransferVoltage=253",
                            "text LowTransferVoltage=208",
                            "text OutputVoltageConstant=230",
                            "text SelfTest=336",
                            "text ShutDownDelay=020",
                            "text WakeUpDelay=000",
                            "text Sensitivity= High ",
                            "text AlarmDelay= 5 Seconds",
                            "text Threshold=15",
                            "text LowBatWarning=02"};
    Texts changes;
    for (const std::string& entry : b.window.Log) {
        if (entry != "handover") changes.push_back(entry);
    }
    EXPECT_EQ(changes, expected);
    const std::vector<uint32_t> pauses = b.sleeper.Pauses();
    EXPECT_EQ(std::vector<uint32_t>(pauses.begin() + static_cast<std::ptrdiff_t>(pausesBefore), pauses.end()),
              (std::vector<uint32_t>{1500}));
}

TEST(DispatcherActions, UnitCommandsSendTheirByteAndTouchNoControl) {
    const std::pair<char, const char*> cases[] = {{'P', "W"}, {'z', "A"}, {'~', "^"}};
    for (const auto& [code, sent] : cases) {
        SCOPED_TRACE(code);
        DispatchBench b("smart");
        b.Run(code);
        EXPECT_EQ(b.Sent(), sent);
        EXPECT_TRUE(b.window.Log.empty());
    }
}

TEST(DispatcherCodes, CodesWithoutACommandDoNothing) {
    int known = 0;
    for (int code = 0; code < 256; ++code) known += Dispatcher::HasCommand(static_cast<char>(code)) ? 1 : 0;
    EXPECT_EQ(known, 67);

    DispatchBench b("smart");
    for (char code : std::string("e_&?\x7f") + '\0') {
        SCOPED_TRACE(static_cast<int>(code));
        b.Run(code, '+');
        EXPECT_EQ(b.Sent(), "");
        EXPECT_TRUE(b.window.Log.empty());
    }
}

// Three clicks queue three entries; the worker carries out each as its own step and the field shows the
// value after every one of them, before the display refresh.
TEST(DispatcherInWorker, ThreeStepEntriesGiveThreeSteps) {
    WorkerBench bench("smart");  // load reads 032.7
    ASSERT_TRUE(bench.identified);
    CountingTone tones;
    AnsweringDialogs dialogs;
    std::array<char, 6> constBuffer{};
    PollWorker* running = nullptr;
    Dispatcher dispatcher(bench.ups, bench.controls, bench.handOver, tones, bench.sleeper, dialogs,
                          constBuffer, [&] { return running && running->Terminated(); });
    PollWorker worker(bench.ups, bench.commands, bench.controls, bench.handOver, bench.window,
                      dispatcher.Callback());
    running = &worker;
    for (int click = 0; click < 3; ++click) bench.commands.push('2', '+');
    bench.window.BeforeReadOut = [&](int readOut) {
        if (readOut == 2) worker.Terminate();
    };
    const std::size_t mark = bench.unit->Received().size();

    worker.Execute();

    std::string steps = bench.ReceivedSince(mark);
    EXPECT_EQ(std::count(steps.begin(), steps.end(), '+'), 3);
    Texts shown;
    for (const std::string& entry : bench.controls.Log) {
        if (entry.rfind("text LoadPercent=", 0) == 0) shown.push_back(entry.substr(17));
    }
    ASSERT_GE(shown.size(), 3u);
    EXPECT_EQ(Texts(shown.begin(), shown.begin() + 3), (Texts{"032.8", "032.9", "033.0"}));
    EXPECT_TRUE(bench.commands.isEmpty());
}

}  // namespace
}  // namespace kelvane::testing
