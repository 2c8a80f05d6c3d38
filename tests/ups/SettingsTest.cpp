// Setting cycles, identity writes and unit commands, byte by byte and pause by pause.
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

struct CycleCase {
    std::string (UpsLink::*Cycle)();
    Transcript Short;  // the short dialect
    Transcript Long;   // AprogMode
};

TEST(UpsLinkCycle, EachSettingSelectsStepsWithMinusAndRereads) {
    const CycleCase cases[] = {
        {&UpsLink::CycleLowTransferVoltage, {"l(3)", "-(2)", "l(3)"}, {"l(3)", "-(6)", "l(3)"}},
        {&UpsLink::CycleUpTransferVoltage, {"u(3)", "-(2)", "u(3)"}, {"u(3)", "-(6)", "u(3)"}},
        {&UpsLink::CycleSelfTestInterval, {"E(3)", "-(2)", "E(3)"}, {"E(3)", "-(6)", "E(3)"}},
        {&UpsLink::CycleShutdownDelay, {"p(3)", "-(2)", "p(3)"}, {"p(3)", "-(6)", "p(3)"}},
        {&UpsLink::CycleWakeupDelay, {"r(3)", "-(2)", "r(3)"}, {"r(3)", "-(6)", "r(3)"}},
        {&UpsLink::CycleLowBatteryWarning, {"q(2)", "-(2)", "q(2)"}, {"q(2)", "-(6)", "q(2)"}},
        {&UpsLink::CycleReturnThreshold, {"e(2)", "-(2)", "e(2)"}, {"e(2)", "-(6)", "e(2)"}},
        {&UpsLink::CycleAlarmDelay, {"k(1)", "-(2)", "k(1)"}, {"k(1)", "-(6)", "k(1)"}},
        {&UpsLink::CycleSensitivity, {"s(1)", "-(2)", "s(1)"}, {"s(1)", "-(6)", "s(1)"}},
        {&UpsLink::CycleNominalOutputVoltage, {"o(3)", "-(2)", "o(3)"}, {"o(3)", "-(2)", "o(3)"}},
    };
    for (const CycleCase& c : cases) {
        SCOPED_TRACE(c.Short.front());
        for (bool longDialect : {false, true}) {
            LinkHarness h;
            h.link.AprogMode = longDialect;
            (h.link.*c.Cycle)();
            EXPECT_EQ(h.TakeTranscript(), longDialect ? c.Long : c.Short);
        }
    }
}

TEST(UpsLinkCycle, ReturnsTheRereadDecodedText) {
    LinkHarness h;
    h.line->Answer('s', {"H", "M"});
    h.line->Answer('-', {"OK"});
    EXPECT_EQ(h.link.CycleSensitivity(), " Medium");
    EXPECT_EQ(h.link.SensitivityText, " Medium");
}

Transcript Characters(const std::string& text) {
    Transcript sent;
    for (char c : text) sent.push_back(std::string(1, c) + "(2)");
    return sent;
}

Transcript Join(std::initializer_list<Transcript> parts) {
    Transcript all;
    for (const Transcript& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

struct WriteCase {
    const char* Name;
    std::function<std::string(UpsLink&)> Write;
    int16_t Family;
    Transcript Sent;
};

TEST(UpsLinkWrite, SelectOpenCharactersPaddingPauseReread) {
    const WriteCase cases[] = {
        {"manufacture date of eight", [](UpsLink& l) { return l.WriteManufactureDate("12/24/19"); },
         FamilySmart,
         Join({{"m(8)", "-(1)"}, Characters("12/24/19"), Characters(" "), {"sleep 1000", "m(8)"}})},
        {"replace date of five", [](UpsLink& l) { return l.WriteBatteryReplaceDate("01/20"); }, FamilySmart,
         Join({{"x(8)", "-(1)"}, Characters("01/20   "), {"x(8)"}})},
        {"identifier of three", [](UpsLink& l) { return l.WriteUpsId("AB1"); }, FamilySmart,
         Join({{"c(8)", "-(1)"}, Characters("AB1     "), {"c(8)"}})},
        {"empty identifier", [](UpsLink& l) { return l.WriteUpsId(""); }, FamilySmart,
         Join({{"c(8)", "-(1)"}, Characters("        "), {"c(8)"}})},
        {"serial of ten", [](UpsLink& l) { return l.WriteSerialNumber("KV05273106"); }, FamilySmart,
         Join({{"n(14)", "-(1)"}, Characters("KV05273106    "), {"sleep 1000", "n(14)"}})},
        {"serial of fourteen: no space", [](UpsLink& l) { return l.WriteSerialNumber("KV0527310642XB"); },
         FamilySmart, Join({{"n(14)", "-(1)"}, Characters("KV0527310642XB"), {"sleep 1000", "n(14)"}})},
        {"2nd gen serial of six", [](UpsLink& l) { return l.WriteSerialNumber("GS0431"); }, FamilySmart2ndGen,
         Join({{"n(8)", "-(1)"}, Characters("GS0431  "), {"sleep 1000", "n(8)"}})},
        {"sku code of three", [](UpsLink& l) { return l.WriteSkuCode("665"); }, FamilySmart,
         Join({{"b(8)", "-(1)"}, Characters("665 "), {"sleep 1500", "b(8)"}})},
        // Past the field the unit reads characters as commands again ("z" would reset it).
        {"date longer than the field", [](UpsLink& l) { return l.WriteManufactureDate("12/24/2019z"); },
         FamilySmart, Join({{"m(8)", "-(1)"}, Characters("12/24/20 "), {"sleep 1000", "m(8)"}})},
        {"serial longer than the field", [](UpsLink& l) { return l.WriteSerialNumber("GS043122zz"); },
         FamilySmart2ndGen, Join({{"n(8)", "-(1)"}, Characters("GS043122"), {"sleep 1000", "n(8)"}})},
    };
    for (const WriteCase& c : cases) {
        SCOPED_TRACE(c.Name);
        LinkHarness h;
        h.link.Family = c.Family;
        c.Write(h.link);
        EXPECT_EQ(h.TakeTranscript(), c.Sent);
    }
}

// Each character waits as long as the plain read rule gives the unit to store it; the re-read after the
// write, and everything after it, completes early again.
TEST(UpsLinkWrite, ReadsOfTheWriteWaitForTheTimeOut) {
    const std::function<std::string(UpsLink&)> writes[] = {
        [](UpsLink& l) { return l.WriteManufactureDate("12/24/19"); },
        [](UpsLink& l) { return l.WriteBatteryReplaceDate("01/20"); },
        [](UpsLink& l) { return l.WriteUpsId("AB1"); },
        [](UpsLink& l) { return l.WriteSerialNumber("KV05273106"); },
        [](UpsLink& l) { return l.WriteSkuCode("665"); },
    };
    for (const auto& write : writes) {
        for (bool early : {true, false}) {
            LinkHarness h;
            h.link.EarlyCompletion = early;
            write(h.link);
            const std::size_t written = h.log.Reads.size() - 1;  // the last read is the re-read
            ASSERT_GE(written, 3u);
            for (std::size_t i = 0; i < written; ++i)
                EXPECT_FALSE(h.log.Reads[i].StopAtLineEnd) << "read " << i;
            EXPECT_EQ(h.log.Reads.back().StopAtLineEnd, early);
            EXPECT_EQ(h.link.EarlyCompletion, early);
        }
    }
}

TEST(UpsLinkWrite, ReturnsTheRereadText) {
    LinkHarness h;
    h.line->Answer('n', {"KV0527310642XB", "NEW0000001    "});
    EXPECT_EQ(h.link.WriteSerialNumber("NEW0000001"), "NEW0000001    ");
    EXPECT_EQ(h.link.SerialNumberText, "NEW0000001    ");

    h.link.ThirdGen = true;
    h.line->Answer('b', {"652.12.I", "665.12.I"});
    EXPECT_EQ(h.link.WriteSkuCode("665"), "665");
    EXPECT_EQ(h.link.FirmwareText, ".12.I");
}

TEST(UpsLinkCommands, ExchangesAndPauses) {
    struct Case {
        const char* Name;
        std::function<void(UpsLink&)> Run;
        Transcript Sent;
    };
    const Case cases[] = {
        {"self-test", [](UpsLink& l) { l.StartSelfTest(); }, {"W(3)"}},
        {"bypass", [](UpsLink& l) { l.ToggleBypass(); }, {"^(3)"}},
        {"lamps and alarm", [](UpsLink& l) { l.TestLedsAndAlarm(); }, {"A(2)"}},
        {"close", [](UpsLink& l) { l.SendCloseCommand(); }, {"R(3)"}},
        {"z pair", [](UpsLink& l) { l.SendZPair(); }, {"Z(1)", "sleep 1500", "Z(1)"}},
        {"eeprom start", [](UpsLink& l) { l.EepromBegin(); }, {"#(2)"}},
        {"eeprom next", [](UpsLink& l) { l.EepromNext(); }, {"+(2)"}},
        {"factory reset re-reads exactly the ten settings",
         [](UpsLink& l) { l.ResetToDefaults(); },
         {"z(5)", "sleep 1500", "l(3)", "u(3)", "o(3)", "E(3)", "p(3)", "r(3)", "k(1)", "e(2)", "s(1)",
          "q(2)"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        LinkHarness h;
        c.Run(h.link);
        EXPECT_EQ(h.TakeTranscript(), c.Sent);
    }

    LinkHarness h;
    h.line->Answer('#', {"3C"});
    h.line->Answer('+', {"A5"});
    EXPECT_EQ(h.link.EepromBegin(), "3C");
    EXPECT_EQ(h.link.EepromNext(), "A5");
}

}  // namespace
}  // namespace kelvane
