// The query operations: command and answer length of each, storage, conversions, decoded settings and
// status registers.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tests/ups/ScriptedLine.h"
#include "ups/UpsLink.h"

namespace kelvane {
namespace {

using fake::LinkHarness;
using Transcript = std::vector<std::string>;

struct TextQuery {
    std::string (UpsLink::*read)();
    const char* sent;
    uint8_t command;
    std::function<std::string_view(const UpsLink&)> stored;
    int16_t family = FamilySmart;
};

#define STORED(member) [](const UpsLink& link) -> std::string_view { return link.member; }

TEST(UpsLinkQueries, EachQuerySendsItsCommandAndStoresTheAnswer) {
    const std::vector<TextQuery> queries = {
        {&UpsLink::ReadInputVoltage, "L(5)", 'L', STORED(InputVoltageText)},
        {&UpsLink::ReadOutputVoltage, "O(5)", 'O', STORED(OutputVoltageText)},
        {&UpsLink::ReadLoad, "P(5)", 'P', STORED(LoadPercentText)},
        {&UpsLink::ReadBatteryVoltage, "B(5)", 'B', STORED(BatteryVoltageText)},
        {&UpsLink::ReadBatteryCharge, "f(5)", 'f', STORED(BatteryChargeText)},
        {&UpsLink::ReadRunTime, "j(4)", 'j', STORED(RunTimeText)},
        {&UpsLink::ReadTemperature, "C(5)", 'C', STORED(TemperatureText)},
        {&UpsLink::ReadLineFrequency, "F(5)", 'F', STORED(LineFrequencyText)},
        {&UpsLink::ReadRtPlusBatteryVoltage, "^J(8)", 0x0A, STORED(RtPlusBatteryVoltageText)},
        {&UpsLink::ReadRtMinusBatteryVoltage, "^K(8)", 0x0B, STORED(RtMinusBatteryVoltageText)},
        {&UpsLink::ReadRtPlus400BatteryVoltage, "^G(8)", 0x07, STORED(RtPlus400BatteryVoltageText)},
        {&UpsLink::ReadRtMinus400BatteryVoltage, "^H(8)", 0x08, STORED(RtMinus400BatteryVoltageText)},
        {&UpsLink::ReadSerialNumber, "n(14)", 'n', STORED(SerialNumberText)},
        {&UpsLink::ReadSerialNumber, "n(8)", 'n', STORED(SerialNumberText), FamilySmart2ndGen},
        {&UpsLink::ReadManufactureDate, "m(8)", 'm', STORED(ManufactureDateText)},
        {&UpsLink::ReadBatteryReplaceDate, "x(8)", 'x', STORED(BatteryReplaceDateText)},
        {&UpsLink::ReadUpsId, "c(8)", 'c', STORED(UpsIdText)},
        {&UpsLink::ReadNominalBatteryVoltage, "g(3)", 'g', STORED(NominalBatteryVoltageText)},
        {&UpsLink::ReadBatteryPacks, ">(3)", '>', STORED(BatteryPacksText)},
        {&UpsLink::ReadNominalOutputVoltage, "o(3)", 'o', STORED(NominalOutputVoltageText)},
        {&UpsLink::ReadLowTransferVoltage, "l(3)", 'l', STORED(LowTransferVoltageText)},
        {&UpsLink::ReadUpTransferVoltage, "u(3)", 'u', STORED(UpTransferVoltageText)},
        {&UpsLink::ReadSelfTestInterval, "E(3)", 'E', STORED(SelfTestIntervalText)},
        {&UpsLink::ReadShutdownDelay, "p(3)", 'p', STORED(ShutdownDelayText)},
        {&UpsLink::ReadWakeupDelay, "r(3)", 'r', STORED(WakeupDelayText)},
        {&UpsLink::ReadLowBatteryWarning, "q(2)", 'q', STORED(LowBatteryWarningText)},
        {&UpsLink::ReadReturnThreshold, "e(2)", 'e', STORED(ReturnThresholdText)},
        {&UpsLink::ReadModelCode2nd, "H(2)", 'H', STORED(ModelCode2ndText)},
        {&UpsLink::ReadConst0, "0(2)", '0', STORED(Const0Text)},
        {&UpsLink::ReadConst4, "4(2)", '4', STORED(Const4Text)},
        {&UpsLink::ReadConst5, "5(2)", '5', STORED(Const5Text)},
        {&UpsLink::ReadConst6, "6(2)", '6', STORED(Const6Text)},
        {&UpsLink::ReadConstHash, "#(2)", '#', STORED(ConstHashText)},
        {&UpsLink::ReadConstDollar, "$(2)", '$', STORED(ConstDollarText)},
        {&UpsLink::ReadConstPercent, "%(2)", '%', STORED(ConstPercentText)},
        {&UpsLink::ReadConstCaret, "^(2)", '^', STORED(ConstCaretText)},
        {&UpsLink::ReadConstCtrlD, "^D(2)", 0x04, STORED(ConstCtrlDText)},
        {&UpsLink::ReadFloatVoltage, "e(5)", 'e', STORED(FloatVoltageText)},
        {&UpsLink::ReadRatio, "w(5)", 'w', STORED(RatioText)},
        {&UpsLink::ReadBbdVoltage, "2(5)", '2', STORED(BbdVoltageText)},
        {&UpsLink::ReadEutVoltage, "v(5)", 'v', STORED(EutVoltageText)},
        {&UpsLink::ReadDcOffset, "d(5)", 'd', STORED(DcOffsetText)},
        {&UpsLink::ReadCapacitorLoad, "c(5)", 'c', STORED(CapacitorLoadText)},
    };
    for (const TextQuery& q : queries) {
        SCOPED_TRACE(q.sent);
        LinkHarness h;
        h.link.Family = q.family;
        h.line->Answer(q.command, {"12"});

        EXPECT_EQ((h.link.*q.read)(), "12");
        EXPECT_EQ(q.stored(h.link), "12");
        EXPECT_EQ(h.log.Transcript, Transcript{q.sent});
    }
}

TEST(UpsLinkQueries, ReadingsConvertToValues) {
    LinkHarness h;
    h.line->Answer('L', {"118.5"});
    h.line->Answer('O', {"NA"});
    h.line->Answer('B', {"1+3.6"});
    h.line->Answer('f', {"100.0"});
    h.line->Answer('>', {"002"});

    h.link.OutputVoltageValue = 230;
    h.link.ReadInputVoltage();
    h.link.ReadOutputVoltage();
    h.link.ReadBatteryVoltage();
    h.link.ReadBatteryCharge();
    h.link.ReadBatteryPacks();

    EXPECT_FLOAT_EQ(h.link.InputVoltageValue, 118.5f);
    EXPECT_FLOAT_EQ(h.link.OutputVoltageValue, 0.0f);
    EXPECT_EQ(h.link.BatteryVoltageText, "13.6") << "the alert character is not part of the reading";
    EXPECT_FLOAT_EQ(h.link.BatteryVoltageValue, 13.6f);
    EXPECT_FLOAT_EQ(h.link.BatteryChargeValue, 100.0f);
    EXPECT_EQ(h.link.BatteryPacksValue, 2);
}

TEST(UpsLinkQueries, LoadInWattsFollowsTheRating) {
    struct Case {
        float wattsPerPercent;
        const char* answer;
        float watts;
        const char* wattsText;
    };
    const std::vector<Case> cases = {
        {7.0f, "050.0", 350.0f, "350"},   // 1000 VA
        {9.8f, "050.0", 490.0f, "490"},   // 1400 VA
        {9.8f, "033.3", 326.34f, "326"},  // truncated, not rounded
        {0.0f, "080.0", 0.0f, "0"},       // no rating known
        {9.8f, "NA", 0.0f, "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        LinkHarness h;
        h.link.WattsPerPercent = c.wattsPerPercent;
        h.line->Answer('P', {c.answer});

        h.link.ReadLoad();

        EXPECT_NEAR(h.link.LoadWattsValue, c.watts, 0.01);
        EXPECT_EQ(h.link.LoadWattsText, c.wattsText);
    }
}

TEST(UpsLinkQueries, RunTimeIsNormalisedToMinutes) {
    struct Case {
        const char* answer;  // null: no answer
        uint16_t minutes;
        const char* text;
    };
    const std::vector<Case> cases = {
        {"0123", 123, "123"}, {"0123:", 123, "123"},      {"NA", 0, "0"},
        {nullptr, 0, ""},     {"999999", 65535, "65535"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer != nullptr ? c.answer : "no answer");
        LinkHarness h;
        h.link.RunTimeMinutes = 7;
        if (c.answer != nullptr) h.line->Answer('j', {c.answer});

        EXPECT_EQ(h.link.ReadRunTime(), c.text);
        EXPECT_EQ(h.link.RunTimeMinutes, c.minutes);
        EXPECT_EQ(h.link.RunTimeText, c.text);
    }
}

TEST(UpsLinkQueries, LongAnswersAreCutAtTheMembersCapacity) {
    LinkHarness h;
    h.line->Answer('e', {"12345"});
    h.line->Answer(0x01, {"Smart 1400 with a name far too long for it"});

    EXPECT_EQ(h.link.ReadReturnThreshold(), "123");
    EXPECT_EQ(h.link.ReadModel(), "Smart 1400 with a name far");
}

TEST(UpsLinkQueries, DecodedSettingsLookAtTheFirstCharacterOnly) {
    struct Case {
        uint8_t command;
        std::optional<std::string> answer;
        const char* stored;
    };
    const std::vector<Case> cases = {
        {'k', "0", " 5 Seconds"}, {'k', "T", "30 Seconds"}, {'k', "L", "Low Battery"},
        {'k', "N", " Disabled"},  {'k', "NA", " Disabled"}, {'k', std::nullopt, "previous"},
        {'k', "X", "previous"},   {'s', "H", " High "},     {'s', "L", " Low "},
        {'s', "M", " Medium"},    {'s', "A", " Auto "},     {'s', std::nullopt, "previous"},
        {'s', "?", "previous"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(1, static_cast<char>(c.command)) + " " + c.answer.value_or("no answer"));
        LinkHarness h;
        h.link.AlarmDelayText = "previous";
        h.link.SensitivityText = "previous";
        if (c.answer) h.line->Answer(c.command, {*c.answer});

        const std::string stored = c.command == 'k' ? h.link.ReadAlarmDelay() : h.link.ReadSensitivity();

        EXPECT_EQ(stored, c.stored);
        ASSERT_EQ(h.log.Transcript.size(), 1u);
        EXPECT_EQ(h.log.Transcript[0].substr(0, 4), c.command == 'k' ? "k(1)" : "s(1)");
    }
}

TEST(UpsLinkQueries, RegisterTakesTwoHexDigitsOrKeepsItsByte) {
    struct Case {
        std::optional<std::string> answer;
        uint8_t value;
    };
    const std::vector<Case> cases = {
        {"08", 0x08}, {"fF", 0xFF}, {"A5x", 0xA5}, {std::nullopt, 0x42},
        {"NA", 0x42}, {"0", 0x42},  {"8G", 0x42},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer.value_or("no answer"));
        LinkHarness h;
        h.link.StateRegister1 = 0x42;
        if (c.answer) h.line->Answer('~', {*c.answer});

        EXPECT_EQ(h.link.ReadStateRegister1(), c.value);
        EXPECT_EQ(h.link.StateRegister1, c.value);
    }
}

TEST(UpsLinkQueries, RegisterRefreshReadsAllFourInOrder) {
    LinkHarness h;
    h.line->Answer('~', {"01"});
    h.line->Answer('\'', {"02"});
    h.line->Answer('8', {"03"});
    h.line->Answer('Q', {"08"});

    EXPECT_EQ(h.link.RefreshRegisters(), 0x08);

    EXPECT_EQ(h.log.Transcript, (Transcript{"~(2)", "'(2)", "8(2)", "Q(2)"}));
    EXPECT_EQ(h.link.StateRegister1, 0x01);
    EXPECT_EQ(h.link.StateRegister2, 0x02);
    EXPECT_EQ(h.link.StateRegister3, 0x03);
    EXPECT_EQ(h.link.StatusFlags, 0x08);
}

}  // namespace
}  // namespace kelvane
