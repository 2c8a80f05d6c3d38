// The simulated units' programming mode on its own: bytes in, answers out, and the state they leave.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/Presets.h"
#include "sim/SimUnit.h"

namespace kelvane::sim {
namespace {

std::unique_ptr<SimUnit> Unit(const std::string& preset, bool programming = true) {
    auto unit = SimUnit::FromPreset(preset);
    EXPECT_NE(unit, nullptr) << preset;
    if (programming) {
        unit->OnByte('1');
        unit->OnByte('1');
    }
    return unit;
}

// Feeds the bytes and returns every answer without its line end.
std::vector<std::string> Answers(SimUnit& unit, const std::string& bytes) {
    std::vector<std::string> answers;
    for (char c : bytes) {
        std::string answer = unit.OnByte(static_cast<uint8_t>(c));
        answers.push_back(answer.substr(0, answer.find("\r\n")));
    }
    return answers;
}

std::string Last(SimUnit& unit, const std::string& bytes) {
    return Answers(unit, bytes).back();
}

using List = std::vector<std::string>;

TEST(SimProgramming, StepsActOnTheSelectedItem) {
    struct Case {
        const char* Preset;
        std::string Bytes;
        List Expected;
    };
    const Case cases[] = {
        {"smart", "0+-", {"9C", "9D", "9C"}},                     // a constant
        {"smart", "L++-", {"228.9", "229.0", "229.1", "229.0"}},  // a reading answers its new value
        {"smart", "P-P", {"032.7", "032.6", "032.6"}},
        {"smart", "B+B", {"27.37", "OK", "27.38"}},             // the battery acknowledges
        {"smart", ">+>", {"000", "001", "001"}},                // battery packs
        {"monitor-only", ">+", {"000", "OK 001"}},              // in the long dialect
        {"smart", "E-E+E", {"336", "OK", "168", "OK", "336"}},  // a setting, both ways
        {"monitor-only", "E-", {"336", "OK 168"}},              // the long dialect's acknowledgement
        {"monitor-only", "o-", {"230", "OK"}},                  // the nominal output keeps the short one
        {"smart-3g", std::string("\x02+\x01"), {"8C", "8D", "Smart 2200"}},  // the model code, and its name
        {"smart",
         "b+\x01"
         "b-\x01",
         {"72.14.I", "85", "Smart 2200", "72.14.I", "84", "Smart 1400"}},
        {"back-pro", "b-\x01", {"12.1.I", "61", "Back-PRO 500"}},
        {"second-gen", "VHV", {"8QI", "4A", "9QI"}},  // "H" moves on, the model digit follows
        {"smart", "F+", {"50.00", "NA"}},             // a plain measurement does not step
        {"smart", "Y-", {"SM", "NA"}},
        {"second-gen", "04040", {"94", "95", "95", "96", "96"}},            // "4" steps "0", up only
        {"second-gen", "54", {"81", "NA"}},                                 // only the constant it belongs to
        {"second-gen", "aL", {"OK", "229.4"}},                              // one-way steps go down
        {"second-gen", "l-l-o-", {"196", "OK", "200", "OK", "230", "OK"}},  // its own lists
        {"surt", std::string("\x0a-\x0a"), {"109.45", "OK", "109.44"}},
        {"back-pro", "d+d", {"00.05", "OK", "00.06"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Preset) + " " + c.Bytes);
        auto unit = Unit(c.Preset);
        EXPECT_EQ(Answers(*unit, c.Bytes), c.Expected);
    }
}

TEST(SimProgramming, NothingStepsOutsideTheProgrammingMode) {
    auto unit = Unit("smart", false);
    EXPECT_EQ(Answers(*unit, "0+L-E-c-"), (List{"9C", "NA", "228.9", "NA", "336", "NA", "UPS_IDEN", "NA"}));
    EXPECT_EQ(Last(*unit, "0"), "9C");

    // The "Z" pair and the closing "R" both leave the mode.
    for (const char* leave : {"ZZ", "R"}) {
        auto left = Unit("second-gen");
        Answers(*left, leave);
        EXPECT_FALSE(left->InProgrammingMode()) << leave;
        EXPECT_EQ(Last(*left, "0+"), "NA") << leave;
    }
    auto interrupted = Unit("second-gen");
    Answers(*interrupted, "ZEZ");  // another byte breaks the pair
    EXPECT_TRUE(interrupted->InProgrammingMode());
}

TEST(SimProgramming, ValuesWrapOrStopWhereARealUnitDoes) {
    auto unit = Unit("smart");
    // A constant is one byte and wraps.
    auto definition = PresetDefinition("smart");
    ASSERT_TRUE(definition.has_value());
    definition->Items['5'].Byte = 0xFF;
    SimUnit wrapping(std::move(*definition));
    Answers(wrapping, "11");
    EXPECT_EQ(Answers(wrapping, "5+-"), (List{"FF", "00", "FF"}));

    // The model code wraps round its own range of models.
    EXPECT_EQ(Last(*unit, "b" + std::string(7, '+')), "84");

    // A calibrated reading stops 64 steps from where it started.
    EXPECT_EQ(Last(*unit, "L" + std::string(70, '+')), "235.2");
    EXPECT_EQ(Last(*unit, "L" + std::string(140, '-')), "222.5");

    // The one-way step wraps from the bottom of its reach to the top.
    auto second = Unit("second-gen");
    EXPECT_EQ(Last(*second, std::string(64, 'a') + "L"), "223.1");
    EXPECT_EQ(Last(*second, "aL"), "235.8");
}

TEST(SimProgramming, JumpMovesTheChosenStepFar) {
    struct Case {
        const char* Preset;
        std::string Bytes;
        int JumpAt;
        const char* Reading;
    };
    const Case cases[] = {
        {"smart", "L-L-L", 2, "188.8"},    // down 40 V on a "-"
        {"smart", "L+L", 1, "268.9"},      // up on a "+"
        {"smart", "L+L+L", 1, "268.9"},    // past its reach it steps no further out
        {"smart", "L+L-L", 1, "268.8"},    // but back in
        {"smart", "P+P", 1, "057.7"},      // 25 per cent
        {"second-gen", "dB", 1, "33.42"},  // one-way steps jump up, by 6 V on the battery
        {"second-gen", "aaL", 2, "269.4"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Preset) + " " + c.Bytes);
        auto unit = Unit(c.Preset);
        unit->SetJumpAt(c.JumpAt);
        EXPECT_EQ(Last(*unit, c.Bytes), c.Reading);
    }
    auto unit = Unit("smart");
    unit->SetJumpAt(1);
    unit->SetJumpAt(0);
    EXPECT_EQ(Last(*unit, "L+"), "229.0");
}

TEST(SimProgramming, IdentityWriteEchoesEachCharacterAndTakesTheFieldWhenFull) {
    auto unit = Unit("smart");
    EXPECT_EQ(Answers(*unit, "c-BAY3    "), (List{"UPS_IDEN", "-", "B", "A", "Y", "3", " ", " ", " ", " "}));
    // The field is full: the next byte is a command again.
    EXPECT_EQ(Answers(*unit, " c"), (List{"NA", "BAY3    "}));
    const auto image = unit->Eeprom();
    EXPECT_EQ(std::string(image.begin() + eeprom::kUpsId, image.begin() + eeprom::kUpsId + 8), "BAY3    ");

    // The SKU code takes the three characters in front of the revision.
    auto thirdGen = Unit("smart-3g");
    Answers(*thirdGen, "b-665");
    EXPECT_EQ(Last(*thirdGen, "b"), "665.12.I");

    auto second = Unit("second-gen");
    Answers(*second, "n-AB12CD34");
    EXPECT_EQ(Last(*second, "n"), "AB12CD34");
}

TEST(SimProgramming, FactoryResetRestoresTheSettingsOnly) {
    auto unit = Unit("smart");
    Answers(*unit, "E-0+l-");
    EXPECT_EQ(Last(*unit, "z"), "OK");
    EXPECT_EQ(Answers(*unit, "Elue0"), (List{"336", "208", "253", "15", "9D"}));
}

TEST(SimProgramming, EepromWalkStartsAtItsAddressAndWraps) {
    auto definition = PresetDefinition("smart");
    ASSERT_TRUE(definition.has_value());
    definition->Items['#'].Byte = 0xFE;
    SimUnit unit(std::move(*definition));
    Answers(unit, "11");
    const auto image = unit.Eeprom();
    auto hex = [](uint8_t byte) {
        char text[3];
        std::snprintf(text, sizeof text, "%02X", byte);
        return std::string(text);
    };
    EXPECT_EQ(Answers(unit, "#++"), (List{"FE", hex(image[0xFF]), hex(image[0x00])}));
    // Every walk starts at the same address, so two reads agree.
    EXPECT_EQ(Answers(unit, "#+"), (List{"FE", hex(image[0xFF])}));

    // The image follows what was stepped.
    Answers(unit, "0++");
    EXPECT_EQ(unit.Eeprom()[eeprom::kConst0], 0x9E);
}

TEST(SimProgramming, WalkingTheEepromOnAnScUnitStepsItsConstant) {
    // The damage the host's refusal prevents: "#" is constant "#" here and every "+" moves it.
    auto unit = Unit("smart-sc");
    const List answers = Answers(*unit, "#" + std::string(255, '+'));
    EXPECT_EQ(answers.front(), "8F");
    EXPECT_EQ(answers.back(), "8E");
    EXPECT_EQ(Last(*unit, "#"), "8E");
    EXPECT_EQ(unit->Eeprom()[eeprom::kConstHash], 0x8E);
}

}  // namespace
}  // namespace kelvane::sim
