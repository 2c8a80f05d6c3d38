// The calibration-value operations of the programming mode, byte by byte: one-step adjustments, the
// steps of a constant and of the model code, and single calibration steps with their guards.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/ups/ScriptedLine.h"
#include "ups/UpsLink.h"

namespace kelvane {
namespace {

using fake::LinkHarness;
using Transcript = std::vector<std::string>;

struct AdjustCase {
    const char* Name;
    std::function<std::string(UpsLink&)> Adjust;
    Transcript Sent;
    int16_t Family = FamilySmart;
    bool Aprog = false;
};

TEST(UpsLinkAdjust, OneStepAdjustmentsSelectStepAndReread) {
    const std::vector<AdjustCase> cases = {
        {"input", [](UpsLink& l) { return l.AdjustInputVoltage('+'); }, {"L(5)", "+(5)", "L(5)"}},
        {"load", [](UpsLink& l) { return l.AdjustLoad('-'); }, {"P(5)", "-(5)", "P(5)"}},
        {"battery", [](UpsLink& l) { return l.AdjustBatteryVoltage('+'); }, {"B(5)", "+(2)", "B(5)"}},
        {"battery 2nd +",
         [](UpsLink& l) { return l.AdjustBatteryVoltage('+'); },
         {"d(2)", "B(5)"},
         FamilySmart2ndGen},
        {"battery 2nd -",
         [](UpsLink& l) { return l.AdjustBatteryVoltage('-'); },
         {"d(2)", "B(5)"},
         FamilySmart2ndGen},
        {"packs", [](UpsLink& l) { return l.AdjustBatteryPacks('+'); }, {">(3)", "+(3)", ">(3)"}},
        {"packs long",
         [](UpsLink& l) { return l.AdjustBatteryPacks('+'); },
         {">(3)", "+(6)", ">(3)"},
         FamilySmart,
         true},
        {"rt +", [](UpsLink& l) { return l.AdjustRtPlusBattery('+'); }, {"^J(8)", "+(2)", "^J(8)"}},
        {"rt -", [](UpsLink& l) { return l.AdjustRtMinusBattery('-'); }, {"^K(8)", "-(2)", "^K(8)"}},
        {"rt +400", [](UpsLink& l) { return l.AdjustRtPlus400Battery('+'); }, {"^G(8)", "+(2)", "^G(8)"}},
        {"rt -400", [](UpsLink& l) { return l.AdjustRtMinus400Battery('+'); }, {"^H(8)", "+(2)", "^H(8)"}},
        {"float", [](UpsLink& l) { return l.AdjustFloatVoltage('+'); }, {"e(5)", "+(2)", "e(5)"}},
        {"ratio", [](UpsLink& l) { return l.AdjustRatio('-'); }, {"w(5)", "-(2)", "w(5)"}},
        {"bbd", [](UpsLink& l) { return l.AdjustBbdVoltage('+'); }, {"2(5)", "+(2)", "2(5)"}},
        {"eut", [](UpsLink& l) { return l.AdjustEutVoltage('+'); }, {"v(5)", "+(2)", "v(5)"}},
        {"dc offset", [](UpsLink& l) { return l.AdjustDcOffset('+'); }, {"d(5)", "+(2)", "d(5)"}},
        {"capacitor", [](UpsLink& l) { return l.AdjustCapacitorLoad('+'); }, {"c(5)", "+(2)", "c(5)"}},
        {"input 2nd", [](UpsLink& l) { return l.StepInputVoltage2nd(); }, {"a(2)", "L(5)"}},
        {"load 2nd", [](UpsLink& l) { return l.StepLoad2nd(); }, {"b(2)", "P(5)"}},
        {"battery step 2nd", [](UpsLink& l) { return l.StepBattery2nd(); }, {"d(2)"}},
    };
    for (const AdjustCase& c : cases) {
        SCOPED_TRACE(c.Name);
        LinkHarness h;
        h.link.Family = c.Family;
        h.link.AprogMode = c.Aprog;
        c.Adjust(h.link);
        EXPECT_EQ(h.TakeTranscript(), c.Sent);
    }
}

TEST(UpsLinkAdjust, ResultIsTheRereadValueAndStepRepliesAreKept) {
    LinkHarness h;
    h.line->Answer('L', {"228.9", "229.0"});
    h.line->Answer('+', {"229.0"});
    EXPECT_EQ(h.link.AdjustInputVoltage('+'), "229.0");
    EXPECT_FLOAT_EQ(h.link.InputVoltageValue, 229.0f);

    h.line->Answer(0x0A, {"109.45", "109.46"});
    h.line->Answer('+', {"OK"});
    EXPECT_EQ(h.link.AdjustRtPlusBattery('+'), "109.46");
    EXPECT_EQ(h.link.RtPlusStepReplyText, "OK");
    EXPECT_EQ(h.link.RtPlusBatteryVoltageText, "109.46");

    h.link.Family = FamilySmart2ndGen;
    h.line->Answer('d', {"OK"});
    EXPECT_EQ(h.link.StepBattery2nd(), "OK");
    EXPECT_EQ(h.link.BatteryStepReply2ndText, "OK");
}

TEST(UpsLinkAdjust, AStepByteOtherThanPlusOrMinusSendsNothing) {
    LinkHarness h;
    h.link.InputVoltageText = "228.9";
    EXPECT_EQ(h.link.AdjustInputVoltage('z'), "228.9");
    h.link.AdjustLoad('\0');
    h.link.AdjustModel('R');
    h.link.AdjustRtPlusBattery('W');
    h.link.Family = FamilySmart2ndGen;
    h.link.AdjustBatteryVoltage('A');
    EXPECT_TRUE(h.TakeTranscript().empty());
}

TEST(UpsLinkAdjust, ModelStepStoresCodeAndFirmwareThenReadsTheModel) {
    {
        LinkHarness h;
        h.link.ModelCodeViaCtrlB = true;
        h.line->Answer('+', {"8D"});
        h.line->Answer('b', {"652.12.I"});
        h.line->Answer(0x01, {"Smart 2200"});
        EXPECT_EQ(h.link.AdjustModel('+'), "Smart 2200");
        EXPECT_EQ(h.TakeTranscript(), (Transcript{"^B(2)", "+(2)", "b(8)", "^A(22)"}));
        EXPECT_EQ(h.link.ModelCodeText, "8D");
        EXPECT_EQ(h.link.FirmwareText, "652.12.I");  // stored as answered, not split
        EXPECT_EQ(h.link.RatedPower, 2200.0f);
    }
    {
        LinkHarness h;
        h.line->Answer('-', {"83"});
        h.link.AdjustModel('-');
        EXPECT_EQ(h.TakeTranscript(), (Transcript{"b(8)", "-(4)", "b(8)", "^A(22)"}));
        EXPECT_EQ(h.link.ModelCodeText, "83");
    }
}

struct ConstantCase {
    const char* Name;
    bool (UpsLink::*Step)(std::string_view);
    int16_t Family;
    const char* Stored;
    const char* Target;
    const char* StepSent;
    const char* Answer;
    bool Done;
};

TEST(UpsLinkConstantStep, DirectionFixedCharactersAndCompletion) {
    const ConstantCase cases[] = {
        {"below target goes up", &UpsLink::StepConst0Toward, FamilySmart, "9C", "A0", "+(2)", "9D", false},
        {"answer equal to target completes", &UpsLink::StepConst0Toward, FamilySmart, "9F", "A0", "+(2)",
         "A0", true},
        {"above target goes down", &UpsLink::StepConst4Toward, FamilySmart, "A1", "A0", "-(2)", "A0", true},
        {"equal to target still steps up", &UpsLink::StepConst6Toward, FamilySmart, "A0", "A0", "+(2)", "A1",
         false},
        // Typed lower case: "B0" is above "a0" in value, though not in byte order.
        {"lower-case target: direction", &UpsLink::StepConstHashToward, FamilySmart, "B0", "a0", "-(2)", "AF",
         false},
        {"lower-case target: completion", &UpsLink::StepConstDollarToward, FamilySmart, "9F", "a0", "+(2)",
         "A0", true},
        {"2nd gen constant 0 steps with 4", &UpsLink::StepConst0Toward, FamilySmart2ndGen, "A5", "A0", "4(2)",
         "A6", false},
        {"2nd gen constant 5 steps with 2", &UpsLink::StepConst5Toward, FamilySmart2ndGen, "10", "A0", "2(2)",
         "11", false},
        {"2nd gen constant 6 steps with 3", &UpsLink::StepConst6Toward, FamilySmart2ndGen, "9F", "A0", "3(2)",
         "A0", true},
        {"2nd gen other constants: plus", &UpsLink::StepConstPercentToward, FamilySmart2ndGen, "10", "A0",
         "+(2)", "11", false},
        {"caret", &UpsLink::StepConstCaretToward, FamilySmart, "B0", "A0", "-(2)", "AF", false},
        {"ctrl-d", &UpsLink::StepConstCtrlDToward, FamilySmart, "00", "A0", "+(2)", "01", false},
        {"silent unit", &UpsLink::StepConst5Toward, FamilySmart, "9C", "A0", "+(2)", "", false},
    };
    for (const ConstantCase& c : cases) {
        SCOPED_TRACE(c.Name);
        LinkHarness h;
        h.link.Family = c.Family;
        h.link.Const0Text = c.Stored;
        h.link.Const4Text = c.Stored;
        h.link.Const5Text = c.Stored;
        h.link.Const6Text = c.Stored;
        h.link.ConstHashText = c.Stored;
        h.link.ConstDollarText = c.Stored;
        h.link.ConstPercentText = c.Stored;
        h.link.ConstCaretText = c.Stored;
        h.link.ConstCtrlDText = c.Stored;
        const std::string step(1, c.StepSent[0]);
        if (*c.Answer != '\0') h.line->Answer(static_cast<uint8_t>(step[0]), {c.Answer});
        EXPECT_EQ((h.link.*c.Step)(c.Target), c.Done);
        EXPECT_EQ(h.TakeTranscript(), Transcript{c.StepSent});
    }
}

TEST(UpsLinkModelCode, ReadTakesTheCodeByEachFamilysWay) {
    struct Case {
        const char* Name;
        int16_t Family;
        bool CtrlB;
        Transcript Sent;
    };
    const Case cases[] = {
        {"ctrl-b", FamilySmart, true, {"^B(2)"}},
        {"2nd gen", FamilySmart2ndGen, false, {"H(2)"}},
        {"smart", FamilySmart, false, {"b(8)", "+(2)", "-(2)"}},
        {"back-pro", FamilyBackPro, false, {"b(8)", "+(2)", "b(8)", "-(2)"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        LinkHarness h;
        h.link.Family = c.Family;
        h.link.ModelCodeViaCtrlB = c.CtrlB;
        h.line->Answer(c.Sent.back()[0] == '^' ? 0x02 : static_cast<uint8_t>(c.Sent.back()[0]), {"4A"});
        EXPECT_EQ(h.link.ReadModelCode(), "4A");
        EXPECT_EQ(h.link.ModelCodeText, "4A");
        EXPECT_EQ(h.TakeTranscript(), c.Sent);
        if (c.Family == FamilySmart2ndGen) {
            EXPECT_EQ(h.link.ModelCode2ndText, "4A");
        }
    }
}

TEST(UpsLinkModelCode, StepDirectionLatchesAndEndRules) {
    struct Case {
        const char* Name;
        int16_t Family;
        const char* Code;
        bool SteppedUp;
        bool SteppedDown;
        const char* Target;
        Transcript Sent;
        const char* Answer;
        bool Done;
        bool UpAfter;
        bool DownAfter;
    };
    const Case cases[] = {
        {"first step up sets its latch",
         FamilySmart,
         "80",
         false,
         false,
         "84",
         {"+(2)"},
         "81",
         false,
         true,
         false},
        {"first step down sets its latch",
         FamilySmart,
         "88",
         false,
         false,
         "84",
         {"-(2)"},
         "87",
         false,
         false,
         true},
        {"reaching the target", FamilySmart, "83", true, false, "84", {"+(2)"}, "84", true, true, false},
        {"turning back up after steps down",
         FamilySmart,
         "83",
         false,
         true,
         "84",
         {"+(2)"},
         "85",
         true,
         false,
         true},
        {"turning back down after steps up",
         FamilySmart,
         "85",
         true,
         false,
         "84",
         {"-(2)"},
         "86",
         true,
         true,
         false},
        {"a step that changes nothing",
         FamilySmart,
         "86",
         true,
         false,
         "90",
         {"+(2)"},
         "86",
         true,
         true,
         false},
        {"lower-case target", FamilySmart, "8A", true, false, "8b", {"+(2)"}, "8B", true, true, false},
        {"back-pro selects each step",
         FamilyBackPro,
         "60",
         false,
         false,
         "62",
         {"b(8)", "+(2)"},
         "61",
         false,
         true,
         false},
        {"2nd gen: H, no direction",
         FamilySmart2ndGen,
         "49",
         false,
         false,
         "40",
         {"H(2)"},
         "4A",
         false,
         false,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        LinkHarness h;
        h.link.Family = c.Family;
        h.link.ModelCodeText = c.Code;
        h.link.SteppedUp = c.SteppedUp;
        h.link.SteppedDown = c.SteppedDown;
        h.line->Answer(static_cast<uint8_t>(c.Sent.back()[0]), {c.Answer});
        EXPECT_EQ(h.link.StepModelCodeToward(c.Target), c.Done);
        EXPECT_EQ(h.TakeTranscript(), c.Sent);
        EXPECT_EQ(h.link.PreviousModelCodeText, c.Code);
        EXPECT_EQ(h.link.ModelCodeText, c.Answer);
        EXPECT_EQ(h.link.SteppedUp, c.UpAfter);
        EXPECT_EQ(h.link.SteppedDown, c.DownAfter);
    }

    LinkHarness h;
    h.link.Family = FamilySmart2ndGen;
    h.line->Answer('H', {"4b"});
    EXPECT_TRUE(h.link.StepModelCode2ndToward("4B"));
    EXPECT_EQ(h.TakeTranscript(), Transcript{"H(2)"});
    EXPECT_EQ(h.link.ModelCode2ndText, "4b");
}

// One calibration step from a known reading: what is sent, whether it completes, and whether a jump
// guard ended it.
struct CalibrationCase {
    const char* Name;
    int16_t Family;
    float Before;
    bool SteppedUp;
    bool SteppedDown;
    const char* Reference;
    std::vector<std::string> Readings;  // answers to the reading's query, in order
    Transcript Sent;
    bool Done;
    bool Jumped;
};

TEST(UpsLinkCalibration, InputVoltageStepGuardsAndWindow) {
    const CalibrationCase cases[] = {
        {"above the reference: down",
         FamilySmart,
         232.0f,
         false,
         false,
         "230",
         {"231.9"},
         {"L(5)", "-(5)", "L(5)"},
         false,
         false},
        {"at the reference counts as below: up",
         FamilySmart,
         230.0f,
         false,
         false,
         "230",
         {"230.1"},
         {"L(5)", "+(5)", "L(5)"},
         false,
         false},
        {"first step back up ends it",
         FamilySmart,
         229.9f,
         false,
         true,
         "230",
         {"230.0"},
         {"L(5)", "+(5)", "L(5)"},
         true,
         false},
        {"first step back down ends it",
         FamilySmart,
         230.1f,
         true,
         false,
         "230",
         {"230.0"},
         {"L(5)", "-(5)", "L(5)"},
         true,
         false},
        {"a drop of more than 30: one more down",
         FamilySmart,
         230.0f,
         false,
         false,
         "225",
         {"199.9", "199.8"},
         {"L(5)", "-(5)", "L(5)", "L(5)", "-(5)", "L(5)"},
         true,
         true},
        {"a drop of exactly 30 is no jump",
         FamilySmart,
         230.0f,
         false,
         false,
         "225",
         {"200.0"},
         {"L(5)", "-(5)", "L(5)"},
         false,
         false},
        {"a rise of more than 30 still below",
         FamilySmart,
         200.0f,
         false,
         false,
         "300",
         {"230.1"},
         {"L(5)", "+(5)", "L(5)"},
         true,
         true},
        {"a rise of more than 30 past the reference",
         FamilySmart,
         200.0f,
         false,
         false,
         "220",
         {"230.1"},
         {"L(5)", "+(5)", "L(5)"},
         false,
         false},
        {"not a number counts as 0",
         FamilySmart,
         5.0f,
         false,
         false,
         "abc",
         {"4.9"},
         {"L(5)", "-(5)", "L(5)"},
         false,
         false},
        {"2nd gen: inside the window",
         FamilySmart2ndGen,
         228.0f,
         false,
         false,
         "225",
         {"227.9"},
         {"a(2)", "L(5)"},
         true,
         false},
        {"2nd gen: 3 above is outside",
         FamilySmart2ndGen,
         228.1f,
         false,
         false,
         "225",
         {"228.0"},
         {"a(2)", "L(5)"},
         false,
         false},
        {"2nd gen: on the reference is outside",
         FamilySmart2ndGen,
         225.1f,
         false,
         false,
         "225",
         {"225.0"},
         {"a(2)", "L(5)"},
         false,
         false},
    };
    for (const CalibrationCase& c : cases) {
        SCOPED_TRACE(c.Name);
        LinkHarness h;
        h.link.Family = c.Family;
        h.link.InputVoltageValue = c.Before;
        h.link.SteppedUp = c.SteppedUp;
        h.link.SteppedDown = c.SteppedDown;
        std::vector<std::string> readings{"000.0"};  // the selection's answer
        if (c.Family == FamilySmart2ndGen) readings.clear();
        for (const auto& r : c.Readings) {
            readings.push_back(r);
            if (c.Family != FamilySmart2ndGen && &r != &c.Readings.back()) readings.push_back(r);
        }
        h.line->Answer('L', readings);
        EXPECT_EQ(h.link.CalibrateInputVoltageStep(c.Reference), c.Done);
        EXPECT_EQ(h.link.CalibrationJumped, c.Jumped);
        EXPECT_FLOAT_EQ(h.link.PreviousValue, c.Before);
        EXPECT_EQ(h.TakeTranscript(), c.Sent);
    }
}

TEST(UpsLinkCalibration, LoadIsCalibratedInWatts) {
    // A unit rated 1000 VA: 7 W per per cent.
    struct Case {
        const char* Name;
        int16_t Family;
        float WattsBefore;
        const char* Reference;
        const char* Percent;
        bool Done;
        bool Jumped;
    };
    const Case cases[] = {
        {"2nd gen: 9.8 W above is inside", FamilySmart2ndGen, 720.0f, "700", "101.4", true, false},
        {"2nd gen: 10.5 W above is outside", FamilySmart2ndGen, 720.0f, "700", "101.5", false, false},
        {"jump of more than 30 W", FamilySmart, 350.0f, "1000", "055.0", true, true},
        {"step toward the reference", FamilySmart, 350.0f, "400", "050.1", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        LinkHarness h;
        h.link.Family = c.Family;
        h.link.WattsPerPercent = 7.0f;
        h.link.LoadWattsValue = c.WattsBefore;
        h.line->Answer('P', {c.Percent});
        EXPECT_EQ(h.link.CalibrateLoadStep(c.Reference), c.Done);
        EXPECT_EQ(h.link.CalibrationJumped, c.Jumped);
        EXPECT_FLOAT_EQ(h.link.PreviousValue, c.WattsBefore);
    }
}

TEST(UpsLinkCalibration, Battery2ndWindowAndRiseGuard) {
    struct Case {
        const char* Reference;
        float Before;
        const char* Reading;
        bool Done;
        bool Jumped;
    };
    const Case cases[] = {
        {"27.40", 27.75f, "27.69", true, false},  {"27.40", 27.75f, "27.70", false, false},
        {"27.40", 27.45f, "27.40", false, false}, {"27.40", 27.45f, "27.41", true, false},
        {"27.40", 20.00f, "25.10", true, true},   {"27.40", 20.00f, "25.00", false, false},
        {"27.40", 20.00f, "28.00", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Reference) + " from " + std::to_string(c.Before) + " to " + c.Reading);
        LinkHarness h;
        h.link.Family = FamilySmart2ndGen;
        h.link.BatteryVoltageValue = c.Before;
        h.line->Answer('d', {"OK"});
        h.line->Answer('B', {c.Reading});
        EXPECT_EQ(h.link.CalibrateBattery2ndStep(c.Reference), c.Done);
        EXPECT_EQ(h.link.CalibrationJumped, c.Jumped);
        EXPECT_EQ(h.TakeTranscript(), (Transcript{"d(2)", "B(5)"}));
    }
}

}  // namespace
}  // namespace kelvane
