// The step loops against simulated units on virtual time: each loop's ways out, what the unit
// receives, and what it answers afterwards.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "sim/Presets.h"
#include "sim/SimUnit.h"
#include "tests/support/VirtualClock.h"
#include "tests/support/VirtualPort.h"
#include "tests/support/VirtualSleeper.h"
#include "tests/ups/ScriptedLine.h"
#include "ups/Drivers.h"
#include "ups/UpsLink.h"

namespace kelvane {
namespace {

// An identified unit in its programming mode; Sent() gives the bytes it received since.
struct Bench {
    explicit Bench(const std::string& preset) : Bench(sim::SimUnit::FromPreset(preset)) {}
    explicit Bench(std::unique_ptr<sim::SimUnit> simulated)
        : unit(std::move(simulated)), sleeper(clock), port(*unit, clock), link(port.Opener(), &sleeper) {
        EXPECT_TRUE(link.OpenPort("COM1"));
        EXPECT_TRUE(link.Identify());
        mark = unit->Received().size();
    }
    std::string Sent() {
        const auto& received = unit->Received();
        std::string bytes(received.begin() + static_cast<long>(mark), received.end());
        mark = received.size();
        return bytes;
    }
    std::string Ask(uint8_t command) {
        std::string answer = unit->OnByte(command);
        mark = unit->Received().size();
        return answer.substr(0, answer.find('\r'));
    }

    std::unique_ptr<sim::SimUnit> unit;
    VirtualClock clock;
    VirtualSleeper sleeper;
    VirtualPort port;
    UpsLink link;
    std::size_t mark = 0;
};

// Hooks that record every value shown and can ask for a stop after a number of steps.
struct Recorder {
    std::vector<std::string> shown;
    int stopAfter = -1;
    LoopHooks Hooks() {
        return {[this](int, std::string_view value) { shown.emplace_back(value); },
                [this] { return stopAfter >= 0 && static_cast<int>(shown.size()) >= stopAfter; }};
    }
};

std::string Repeat(char c, std::size_t count) {
    return std::string(count, c);
}

// --- Constants ----------------------------------------------------------------------------------------

TEST(DriveConstant, StepsUpToTheTargetShowingEachValue) {
    Bench b("smart");
    Recorder r;
    const LoopResult result = DriveConstant(b.link, Constant::Zero, "A0", r.Hooks());
    EXPECT_EQ(result.Ended, LoopEnd::Reached);
    EXPECT_EQ(result.Steps, 4);
    EXPECT_EQ(result.Value, "A0");
    EXPECT_EQ(r.shown, (std::vector<std::string>{"9D", "9E", "9F"}));
    EXPECT_EQ(b.Sent(), "0++++");
    EXPECT_EQ(b.Ask('0'), "A0");
    EXPECT_EQ(b.unit->Eeprom()[sim::eeprom::kConst0], 0xA0);
}

TEST(DriveConstant, TargetsAreCodesInEitherCase) {
    struct Case {
        const char* Target;
        const char* Sent;
        int Steps;
    };
    const Case cases[] = {
        {"a0", "0++++", 4},  // without upper case this ran to the step limit
        {"9a", "0--", 2},
        {"9C", "0+-", 2},  // already there: one step away and one back
        {"9c", "0+-", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Target);
        Bench b("smart");
        const LoopResult result = DriveConstant(b.link, Constant::Zero, c.Target);
        EXPECT_EQ(result.Ended, LoopEnd::Reached);
        EXPECT_EQ(result.Steps, c.Steps);
        EXPECT_EQ(b.Sent(), c.Sent);
    }
}

TEST(DriveConstant, SecondGenerationStepsOneWayWithItsOwnCharacter) {
    Bench b("second-gen");
    // Constant "5" stands at 81: below the target it counts up, above it wraps round through FF.
    LoopResult up = DriveConstant(b.link, Constant::Five, "84");
    EXPECT_EQ(up.Ended, LoopEnd::Reached);
    EXPECT_EQ(b.Sent(), "5222");
    LoopResult round = DriveConstant(b.link, Constant::Five, "83");
    EXPECT_EQ(round.Ended, LoopEnd::Reached);
    EXPECT_EQ(round.Steps, 255);
    EXPECT_EQ(b.Sent(), "5" + Repeat('2', 255));
}

TEST(DriveConstant, RefusesWithoutSendingAnything) {
    struct Case {
        const char* Preset;
        Constant Which;
        const char* Target;
    };
    const Case cases[] = {
        {"smart", Constant::Zero, ""},      {"smart", Constant::Zero, "G0"},
        {"smart", Constant::Zero, "A00"},   {"smart", Constant::Zero, " A"},
        {"smart", Constant::Zero, "-1"},    {"smart", Constant::Caret, "80"},  // bypass on this unit
        {"surt", Constant::Caret, "80"},                                       // and on this one
        {"smart", Constant::Hash, "80"},                                       // the EEPROM walk on this unit
        {"smart", Constant::Dollar, "80"},  {"second-gen", Constant::Four, "80"},  // "4" steps "0" here
        {"back-pro", Constant::Zero, "80"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Preset) + " " + c.Target);
        Bench b(c.Preset);
        EXPECT_EQ(DriveConstant(b.link, c.Which, c.Target).Ended, LoopEnd::Refused);
        EXPECT_EQ(b.Sent(), "");
    }
}

TEST(DriveConstant, EndsWhenTheUnitFallsSilentOrSaysNa) {
    {
        Bench b("smart");
        b.unit->SetMuteAfter(3);  // the selection and two steps
        Recorder r;
        const LoopResult result = DriveConstant(b.link, Constant::Six, "D0", r.Hooks());
        EXPECT_EQ(result.Ended, LoopEnd::NoAnswer);
        EXPECT_EQ(result.Steps, 3);
        EXPECT_EQ(result.Value, "");
        EXPECT_EQ(r.shown, (std::vector<std::string>{"C5", "C6", ""}));
    }
    {
        Bench b("smart");
        ASSERT_TRUE(b.unit->OverrideAnswer("+", "NA"));
        const LoopResult result = DriveConstant(b.link, Constant::Zero, "A0");
        EXPECT_EQ(result.Ended, LoopEnd::NoAnswer);
        EXPECT_EQ(result.Steps, 1);
        EXPECT_EQ(result.Value, "NA");
    }
}

TEST(DriveConstant, StopsOnRequestAndAtTheLimit) {
    {
        Bench b("smart");
        Recorder r;
        r.stopAfter = 2;
        const LoopResult result = DriveConstant(b.link, Constant::Zero, "F0", r.Hooks());
        EXPECT_EQ(result.Ended, LoopEnd::Stopped);
        EXPECT_EQ(result.Steps, 2);
        EXPECT_EQ(b.Sent(), "0++");
    }
    {
        Bench b("smart");
        ASSERT_TRUE(b.unit->OverrideAnswer("+", "9D"));  // a unit stuck on one value
        const LoopResult result = DriveConstant(b.link, Constant::Zero, "A0");
        EXPECT_EQ(result.Ended, LoopEnd::Limit);
        EXPECT_EQ(result.Steps, kConstantStepLimit);
        EXPECT_EQ(b.Sent(), "0" + Repeat('+', kConstantStepLimit));
    }
    {
        Bench b("smart");
        const LoopResult result = DriveConstant(b.link, Constant::Zero, "A0", {{}, [] { return true; }});
        EXPECT_EQ(result.Ended, LoopEnd::Stopped);
        EXPECT_EQ(b.Sent(), "");
    }
}

TEST(DriveConstant, ThirdGenerationAndScConstants) {
    Bench thirdGen("smart-3g");
    EXPECT_EQ(DriveConstant(thirdGen.link, Constant::Caret, "83").Ended, LoopEnd::Reached);
    EXPECT_EQ(thirdGen.Sent(), "^--");
    EXPECT_EQ(DriveConstant(thirdGen.link, Constant::CtrlD, "01").Ended, LoopEnd::NoAnswer);  // answers NA

    Bench sc("smart-sc");
    EXPECT_EQ(DriveConstant(sc.link, Constant::Hash, "90").Ended, LoopEnd::Reached);
    EXPECT_EQ(sc.Sent(), "#+");
    EXPECT_EQ(sc.unit->Eeprom()[sim::eeprom::kConstHash], 0x90);
}

// --- Model code ---------------------------------------------------------------------------------------

TEST(DriveModelCode, EachFamilySelectsAndStepsItsWay) {
    struct Case {
        const char* Preset;
        const char* Target;
        const char* Sent;
        const char* Model;
    };
    const Case cases[] = {
        // The code was never read: it is read first, so the first step goes the right way.
        {"smart", "82", "b+-b--", "Smart 700"},
        {"smart-3g", "8d", "\x02+", "Smart 2200"},
        {"back-pro", "64", "b+b-bb+b+", "Back-PRO 1100"},
        {"second-gen", "4C", "HHH", "MX 3000I"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Preset);
        Bench b(c.Preset);
        const LoopResult result = DriveModelCode(b.link, c.Target);
        EXPECT_EQ(result.Ended, LoopEnd::Reached);
        EXPECT_EQ(b.Sent(), c.Sent);
        EXPECT_EQ(b.link.ReadModel(), c.Model);
    }
}

TEST(DriveModelCode, EndsWithoutTheTarget) {
    {
        // The unit answers the same code again: the step changed nothing.
        Bench b("smart");
        b.link.ReadModelCode();
        b.Sent();
        ASSERT_TRUE(b.unit->OverrideAnswer("-", "84"));
        const LoopResult result = DriveModelCode(b.link, "80");
        EXPECT_EQ(result.Ended, LoopEnd::Missed);
        EXPECT_EQ(result.Value, "84");
        EXPECT_EQ(b.Sent(), "b-");
    }
    {
        // Codes the range wraps round: past the last one the first comes again, never the target.
        Bench b("smart-3g");
        const LoopResult result = DriveModelCode(b.link, "F0");
        EXPECT_EQ(result.Ended, LoopEnd::Limit);
        EXPECT_EQ(result.Steps, kModelCodeStepLimit);
    }
    {
        Bench b("smart-3g");
        b.unit->SetMuteAfter(2);
        EXPECT_EQ(DriveModelCode(b.link, "80").Ended, LoopEnd::NoAnswer);
    }
    {
        Bench b("smart-3g");
        Recorder r;
        r.stopAfter = 1;
        EXPECT_EQ(DriveModelCode(b.link, "80", r.Hooks()).Ended, LoopEnd::Stopped);
        EXPECT_EQ(b.Sent(), "\x02-");
    }
    for (const char* target : {"", "XYZ", "8G"}) {
        Bench b("smart-3g");
        EXPECT_EQ(DriveModelCode(b.link, target).Ended, LoopEnd::Refused);
        EXPECT_EQ(b.Sent(), "");
    }
}

TEST(DriveModelCode2nd, StepsWithHAndTakesAOneDigitTarget) {
    Bench b("second-gen-legacy2");
    Recorder r;
    // The window's hex-code detection writes the next code without a leading zero and in lower case.
    const LoopResult result = DriveModelCode2nd(b.link, "4c", r.Hooks());
    EXPECT_EQ(result.Ended, LoopEnd::Reached);
    EXPECT_EQ(result.Value, "4C");
    EXPECT_EQ(b.Sent(), "HHH");
    EXPECT_EQ(r.shown, (std::vector<std::string>{"4A", "4B"}));
    EXPECT_EQ(DriveModelCode2nd(b.link, "f").Ended, LoopEnd::Limit);  // 0F is outside its range

    Bench smart("smart");
    EXPECT_EQ(DriveModelCode2nd(smart.link, "4C").Ended, LoopEnd::Refused);
    EXPECT_EQ(smart.Sent(), "");
}

// --- Calibrations -------------------------------------------------------------------------------------

TEST(DriveCalibration, InputVoltageEndsWithTheFirstStepBack) {
    Bench b("smart");  // reads 228.9
    Recorder r;
    const LoopResult result = DriveCalibration(b.link, Calibration::InputVoltage, "229.2", r.Hooks());
    EXPECT_EQ(result.Ended, LoopEnd::Reached);
    EXPECT_EQ(r.shown, (std::vector<std::string>{"229.0", "229.1", "229.2", "229.3"}));
    EXPECT_EQ(result.Value, "229.2");
    EXPECT_EQ(b.Sent(), "L+LL+LL+LL+LL-L");
    EXPECT_EQ(b.Ask('L'), "229.2");
}

TEST(DriveCalibration, SecondGenerationSettlesInsideItsWindow) {
    struct Case {
        const char* Preset;
        Calibration Which;
        const char* Reference;
        double Low;
        double High;
        double (*Value)(const UpsLink&);
    };
    const Case cases[] = {
        {"second-gen", Calibration::InputVoltage, "225", 225, 228,
         [](const UpsLink& l) { return static_cast<double>(l.InputVoltageValue); }},
        {"second-gen", Calibration::Load, "220", 220, 230,
         [](const UpsLink& l) { return static_cast<double>(l.LoadWattsValue); }},
        {"second-gen", Calibration::Battery2nd, "27.00", 27.0, 27.3,
         [](const UpsLink& l) { return static_cast<double>(l.BatteryVoltageValue); }},
        // Above the reading: the one-way step wraps round to the top of its range first.
        {"second-gen", Calibration::InputVoltage, "233", 233, 236,
         [](const UpsLink& l) { return static_cast<double>(l.InputVoltageValue); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Reference);
        Bench b(c.Preset);
        const LoopResult result = DriveCalibration(b.link, c.Which, c.Reference);
        EXPECT_EQ(result.Ended, LoopEnd::Reached);
        EXPECT_GT(c.Value(b.link), c.Low);
        EXPECT_LT(c.Value(b.link), c.High);
    }
}

TEST(DriveCalibration, JumpGuardsEndTheLoopAsMissed) {
    struct Case {
        const char* Preset;
        Calibration Which;
        const char* Reference;
        int JumpAt;
        const char* SentTail;  // the last bytes the unit received
    };
    const Case cases[] = {
        {"smart", Calibration::InputVoltage, "225", 2, "L-LL-L"},   // a fall of 40 V: one more "-"
        {"smart", Calibration::InputVoltage, "300", 3, "L+L"},      // a rise of 40 V, still below
        {"second-gen", Calibration::InputVoltage, "300", 1, "aL"},  // a rise on the one-way step
        {"smart", Calibration::Load, "900", 2, "P+P"},              // 25 % of 1400 VA
        {"second-gen", Calibration::Battery2nd, "40", 2, "dB"},     // 6 V up, still below
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Preset) + " " + c.Reference);
        Bench b(c.Preset);
        b.unit->SetJumpAt(c.JumpAt);
        const LoopResult result = DriveCalibration(b.link, c.Which, c.Reference);
        EXPECT_EQ(result.Ended, LoopEnd::Missed);
        EXPECT_TRUE(b.link.CalibrationJumped);
        const std::string sent = b.Sent();
        EXPECT_EQ(sent.substr(sent.size() - std::string(c.SentTail).size()), c.SentTail);
    }
}

TEST(DriveCalibration, OtherWaysOut) {
    {
        Bench b("smart");
        b.unit->SetMuteAfter(4);
        const LoopResult result = DriveCalibration(b.link, Calibration::InputVoltage, "235");
        EXPECT_EQ(result.Ended, LoopEnd::NoAnswer);
        EXPECT_EQ(result.Value, "");
    }
    {
        Bench b("second-gen");
        b.unit->SetMuteAfter(1);  // the battery step is answered, the reading is not
        EXPECT_EQ(DriveCalibration(b.link, Calibration::Battery2nd, "27.00").Ended, LoopEnd::NoAnswer);
    }
    {
        Bench b("smart");
        Recorder r;
        r.stopAfter = 3;
        EXPECT_EQ(DriveCalibration(b.link, Calibration::Load, "400", r.Hooks()).Ended, LoopEnd::Stopped);
        EXPECT_EQ(b.Sent(), "P+PP+PP+P");
    }
    {
        // Beyond the reach of the unit's calibration: the reading stops short of the reference.
        Bench b("smart");
        const LoopResult result = DriveCalibration(b.link, Calibration::InputVoltage, "300");
        EXPECT_EQ(result.Ended, LoopEnd::Limit);
        EXPECT_EQ(result.Steps, kCalibrationStepLimit);
    }
    {
        Bench b("smart");
        EXPECT_EQ(DriveCalibration(b.link, Calibration::Battery2nd, "27.00").Ended, LoopEnd::Refused);
        Bench bp("back-pro");
        EXPECT_EQ(DriveCalibration(bp.link, Calibration::Load, "300").Ended, LoopEnd::Refused);
        EXPECT_EQ(b.Sent() + bp.Sent(), "");
    }
    // A reference that is no number would read as 0 and drive the calibration down to the limit.
    for (const char* reference : {"", ".", "23O", "2.3.0", "-5"}) {
        Bench b("smart");
        EXPECT_EQ(DriveCalibration(b.link, Calibration::InputVoltage, reference).Ended, LoopEnd::Refused)
            << reference;
        EXPECT_EQ(b.Sent(), "") << reference;
    }
}

// Without a rating the load reads 0 W whatever the unit carries: a load calibration could only drag the
// unit's calibration to the step limit, so it is refused; the other calibrations need no rating.
TEST(DriveCalibration, LoadNeedsAKnownRating) {
    struct Case {
        const char* Preset;
        const char* NameCommand;
        const char* Name;  // what the unit answers for its model name
        Calibration Which;
        const char* Reference;
        LoopEnd Ended;
    };
    const Case cases[] = {
        {"smart", "^A", "Smart UPS", Calibration::Load, "300", LoopEnd::Refused},
        {"smart", "^A", "Smart 75", Calibration::Load, "300", LoopEnd::Refused},  // fewer than three digits
        {"second-gen", "V", "?QI", Calibration::Load, "220", LoopEnd::Refused},   // a model digit it lacks
        {"smart", "^A", "Smart UPS", Calibration::InputVoltage, "229.2", LoopEnd::Reached},
        {"second-gen", "V", "?QI", Calibration::Battery2nd, "27.00", LoopEnd::Reached},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Preset) + " " + c.Name);
        auto unit = sim::SimUnit::FromPreset(c.Preset);
        ASSERT_TRUE(unit->OverrideAnswer(c.NameCommand, c.Name));
        Bench b(std::move(unit));
        ASSERT_EQ(b.link.WattsPerPercent, 0.0f);
        EXPECT_EQ(DriveCalibration(b.link, c.Which, c.Reference).Ended, c.Ended);
        EXPECT_EQ(b.Sent().empty(), c.Ended == LoopEnd::Refused);
    }
}

TEST(DriveCalibration, BatteryKeepsTheDirectionLatchesInputAndLoadClearThem) {
    Bench b("second-gen");
    b.link.SteppedUp = true;
    b.link.SteppedDown = true;
    DriveCalibration(b.link, Calibration::Battery2nd, "27.00");
    EXPECT_TRUE(b.link.SteppedUp && b.link.SteppedDown);

    Bench smart("smart");
    smart.link.SteppedDown = true;  // left from an earlier loop, it would end this one at once
    const LoopResult result = DriveCalibration(smart.link, Calibration::InputVoltage, "229.2");
    EXPECT_EQ(result.Steps, 5);
}

// --- Settings -----------------------------------------------------------------------------------------

TEST(CycleUntil, SelfTestSwitchOff) {
    Bench b("smart");  // the interval reads 336
    Recorder r;
    const LoopResult result = CycleUntil(b.link, Setting::SelfTestInterval, "OFF", r.Hooks());
    EXPECT_EQ(result.Ended, LoopEnd::Reached);
    EXPECT_EQ(result.Steps, 3);
    EXPECT_EQ(r.shown, (std::vector<std::string>{"168", "ON "}));
    EXPECT_EQ(b.Sent(), "E-EE-EE-E");

    // Already there: nothing is sent.
    EXPECT_EQ(CycleUntil(b.link, Setting::SelfTestInterval, "OFF").Ended, LoopEnd::Reached);
    EXPECT_EQ(b.Sent(), "");
}

TEST(CycleUntil, OtherWaysOut) {
    {
        Bench b("smart");
        const LoopResult result = CycleUntil(b.link, Setting::SelfTestInterval, "014");
        EXPECT_EQ(result.Ended, LoopEnd::Missed);  // round to 336 again
        EXPECT_EQ(result.Steps, 4);
        EXPECT_EQ(result.Value, "336");
    }
    {
        Bench b("smart");
        b.unit->SetMuteAfter(2);
        EXPECT_EQ(CycleUntil(b.link, Setting::SelfTestInterval, "OFF").Ended, LoopEnd::NoAnswer);
    }
    {
        Bench b("smart");
        Recorder r;
        r.stopAfter = 1;
        EXPECT_EQ(CycleUntil(b.link, Setting::SelfTestInterval, "OFF", r.Hooks()).Ended, LoopEnd::Stopped);
        EXPECT_EQ(b.Sent(), "E-E");
    }
    {
        // A unit with a longer list than the search allows.
        auto definition = sim::PresetDefinition("smart");
        ASSERT_TRUE(definition.has_value());
        auto& interval = definition->Items['E'];
        interval.Choices.clear();
        for (int hours = 100; hours < 130; ++hours) interval.Choices.push_back(std::to_string(hours));
        interval.Choices.push_back("OFF");
        Bench b(std::make_unique<sim::SimUnit>(std::move(*definition)));
        const LoopResult result = CycleUntil(b.link, Setting::SelfTestInterval, "OFF");
        EXPECT_EQ(result.Ended, LoopEnd::Limit);
        EXPECT_EQ(result.Steps, kCycleSearchLimit);
    }
    {
        Bench b("back-pro");
        EXPECT_EQ(CycleUntil(b.link, Setting::SelfTestInterval, "OFF").Ended, LoopEnd::Refused);
        EXPECT_EQ(b.Sent(), "");
    }
}

TEST(CycleSetting, OneStepAsTheUnitReceivesItAndAnswersAfterwards) {
    struct Case {
        const char* Preset;
        Setting Which;
        const char* Sent;
        const char* Shown;
    };
    const Case cases[] = {
        {"smart", Setting::LowTransferVoltage, "l-l", "188"},
        {"smart", Setting::Sensitivity, "s-s", " Medium"},
        {"smart", Setting::AlarmDelay, "k-k", "30 Seconds"},
        {"monitor-only", Setting::ReturnThreshold, "e-e", "15"},  // the six-character acknowledgement
        {"monitor-only", Setting::NominalOutputVoltage, "o-o", "240"},
        {"second-gen", Setting::ShutdownDelay, "p-p", "180"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Preset);
        Bench b(c.Preset);
        EXPECT_EQ(CycleSetting(b.link, c.Which), c.Shown);
        EXPECT_EQ(SettingText(b.link, c.Which), c.Shown);
        EXPECT_EQ(b.Sent(), c.Sent);
    }
}

// --- Identity writes and unit commands against the unit -------------------------------------------------

TEST(IdentityWrites, TheUnitReceivesEachCharacterAndAnswersTheNewText) {
    Bench b("smart");
    EXPECT_EQ(b.link.WriteUpsId("BAY3"), "BAY3    ");
    EXPECT_EQ(b.Sent(), "c-BAY3    c");
    // A text that fills its field still gets a space, which the unit then takes as a command.
    EXPECT_EQ(b.link.WriteSerialNumber("NEW0000001"), "NEW0000001    ");
    EXPECT_EQ(b.Sent(), "n-NEW0000001    n");
    EXPECT_EQ(b.link.WriteManufactureDate("12/24/19"), "12/24/19");
    EXPECT_EQ(b.Sent(), "m-12/24/19 m");
    EXPECT_EQ(b.sleeper.Pauses().back(), 1000u);
    const auto image = b.unit->Eeprom();
    EXPECT_EQ(std::string(image.begin() + sim::eeprom::kUpsId, image.begin() + sim::eeprom::kUpsId + 8),
              "BAY3    ");

    Bench thirdGen("smart-3g");
    EXPECT_EQ(thirdGen.link.WriteSkuCode("665"), "665");
    EXPECT_EQ(thirdGen.link.FirmwareText, ".12.I");
    EXPECT_EQ(thirdGen.Sent(), "b-665 b");

    Bench second("second-gen");
    EXPECT_EQ(second.link.WriteSerialNumber("GS0431"), "GS0431  ");
    EXPECT_EQ(second.Sent(), "n-GS0431  n");
}

TEST(UnitCommands, FactoryResetShowsTheDefaults) {
    Bench b("smart");
    EXPECT_EQ(b.link.LowTransferVoltageText, "196");
    b.link.ResetToDefaults();
    EXPECT_EQ(b.Sent(), "zluoEprkesq");
    EXPECT_EQ(b.link.LowTransferVoltageText, "208");
    EXPECT_EQ(b.link.ReturnThresholdText, "15");
    EXPECT_EQ(b.sleeper.Pauses().back(), 1500u);
}

// --- EEPROM ---------------------------------------------------------------------------------------------

TEST(ReadEeprom, WalksTheWholeImageExceptTheStartByte) {
    auto definition = sim::PresetDefinition("smart");
    ASSERT_TRUE(definition.has_value());
    definition->Items['#'].Byte = 0x40;
    Bench b(std::make_unique<sim::SimUnit>(std::move(*definition)));
    b.link.EepromImage[256 + 0x40] = 0x5A;
    std::vector<int> progress;
    const LoopResult result =
        ReadEeprom(b.link, 256, {[&](int k, std::string_view) { progress.push_back(k); }, {}});
    EXPECT_EQ(result.Ended, LoopEnd::Reached);
    EXPECT_EQ(result.Steps, 255);
    EXPECT_EQ(progress.size(), 255u);
    EXPECT_EQ(progress.back(), 255);
    EXPECT_EQ(b.Sent(), "#" + Repeat('+', 255));

    const auto image = b.unit->Eeprom();
    for (std::size_t address = 0; address < 256; ++address) {
        SCOPED_TRACE(address);
        EXPECT_EQ(b.link.EepromImage[256 + address], address == 0x40 ? 0x5A : image[address]);
        EXPECT_EQ(b.link.EepromImage[address], 0);  // the other buffer is left alone
    }
}

TEST(ReadEeprom, StartAndAnswersThatAreNoBytes) {
    {
        // A start of FF: the walk fills 00 to FE.
        auto definition = sim::PresetDefinition("smart");
        ASSERT_TRUE(definition.has_value());
        definition->Items['#'].Byte = 0xFF;
        Bench b(std::make_unique<sim::SimUnit>(std::move(*definition)));
        b.link.EepromImage[0xFF] = 0x77;
        EXPECT_EQ(ReadEeprom(b.link, 0).Ended, LoopEnd::Reached);
        EXPECT_EQ(b.link.EepromImage[0xFF], 0x77);
        EXPECT_EQ(b.link.EepromImage[0x00], b.unit->Eeprom()[0x00]);
    }
    {
        // No start address: counted from 0. "NA" keeps the byte before.
        Bench b("smart");
        ASSERT_TRUE(b.unit->OverrideAnswer("#", "NA"));
        ASSERT_TRUE(b.unit->OverrideAnswer("+", "NA"));
        EXPECT_EQ(ReadEeprom(b.link, 0).Ended, LoopEnd::Reached);
        for (std::size_t address = 1; address < 256; ++address) ASSERT_EQ(b.link.EepromImage[address], 0);
    }
}

// The unit moves on with every "+" whether or not its answer gets through: a lost answer costs its own
// byte only, and three in a row mean the unit has fallen silent.
TEST(ReadEeprom, MissingAnswersKeepThePreviousByteAndTheWalkInStep) {
    struct Case {
        const char* Name;
        std::set<int> Missing;  // the "+" whose answer does not arrive
        LoopEnd Ended;
        int Steps;
        std::size_t PlusSent;
    };
    std::set<int> silentFrom100;
    for (int k = 100; k < 256; ++k) silentFrom100.insert(k);
    const Case cases[] = {
        {"one lost answer", {100}, LoopEnd::Reached, 254, 255},
        {"two in a row", {100, 101}, LoopEnd::Reached, 253, 255},
        {"here and there, the first and the last", {1, 50, 51, 255}, LoopEnd::Reached, 251, 255},
        {"falls silent", silentFrom100, LoopEnd::NoAnswer, 99, 102},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        fake::LinkHarness h;
        h.line->Answer('#', {"00"});
        std::vector<std::string> answers;
        for (int k = 1; k < 256; ++k) {
            char hex[3];
            std::snprintf(hex, sizeof hex, "%02X", k);
            answers.push_back(c.Missing.count(k) ? std::string() : std::string(hex) + "\r\n");
        }
        h.line->AnswerRaw('+', answers);

        const LoopResult result = ReadEeprom(h.link, 0);
        EXPECT_EQ(result.Ended, c.Ended);
        EXPECT_EQ(result.Steps, c.Steps);
        const std::vector<std::string> sent = h.TakeTranscript();
        EXPECT_EQ(sent.size(), 1 + c.PlusSent);
        uint8_t expected = 0;
        for (int k = 1; k < 256; ++k) {
            if (!c.Missing.count(k)) expected = static_cast<uint8_t>(k);
            ASSERT_EQ(h.link.EepromImage[static_cast<std::size_t>(k)], expected) << "address " << k;
        }
    }
}

TEST(ReadEeprom, OtherWaysOut) {
    {
        Bench b("smart");
        b.unit->SetMuteAfter(11);  // "#" and ten bytes
        const LoopResult result = ReadEeprom(b.link, 0);
        EXPECT_EQ(result.Ended, LoopEnd::NoAnswer);
        EXPECT_EQ(result.Steps, 10);
        const auto image = b.unit->Eeprom();
        for (std::size_t address = 11; address < 256; ++address)
            ASSERT_EQ(b.link.EepromImage[address], image[10]);
        EXPECT_EQ(b.Sent(), "#" + Repeat('+', 13));
    }
    {
        Bench b("smart");
        b.link.Family = FamilyUnidentified;
        EXPECT_EQ(ReadEeprom(b.link, 0).Ended, LoopEnd::Refused);
        EXPECT_EQ(b.Sent(), "");
    }
    {
        Bench b("smart");
        Recorder r;
        r.stopAfter = 5;
        const LoopResult result = ReadEeprom(b.link, 0, r.Hooks());
        EXPECT_EQ(result.Ended, LoopEnd::Stopped);
        EXPECT_EQ(b.Sent(), "#+++++");
    }
    {
        // On an SC unit "#" is a calibration constant: 255 "+" would move it by 255.
        Bench b("smart-sc");
        EXPECT_EQ(ReadEeprom(b.link, 0).Ended, LoopEnd::Refused);
        EXPECT_EQ(b.Sent(), "");
        EXPECT_EQ(b.Ask('#'), "8F");
    }
    {
        Bench b("smart");
        EXPECT_EQ(ReadEeprom(b.link, 1280 - 255).Ended, LoopEnd::Refused);
        EXPECT_EQ(b.Sent(), "");
    }
}

}  // namespace
}  // namespace kelvane
