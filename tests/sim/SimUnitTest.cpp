// The simulated unit on its own: bytes in, answer bytes out, no line and no time.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/Presets.h"
#include "sim/SimUnit.h"

namespace kelvane::sim {
namespace {

std::unique_ptr<SimUnit> Unit(const std::string& preset) {
    auto unit = SimUnit::FromPreset(preset);
    EXPECT_NE(unit, nullptr) << preset;
    return unit;
}

// Feeds a text of command bytes and returns the answer to the last of them.
std::string Send(SimUnit& unit, const std::string& commands) {
    std::string answer;
    for (char c : commands) answer = unit.OnByte(static_cast<uint8_t>(c));
    return answer;
}

TEST(SimUnitPresets, NamesComeInOrderAndEachBuildsItsUnit) {
    const std::vector<std::string> expected = {"smart",
                                               "smart-small",
                                               "smart-xl",
                                               "smart-sc",
                                               "smart-3g",
                                               "surt",
                                               "no-serial",
                                               "back-pro",
                                               "back-pro-1500",
                                               "second-gen",
                                               "second-gen-legacy1",
                                               "second-gen-legacy2",
                                               "monitor-only",
                                               "silent",
                                               "not-ups"};
    EXPECT_EQ(SimUnit::PresetNames(), expected);
    for (const auto& name : expected) {
        auto unit = SimUnit::FromPreset(name);
        ASSERT_NE(unit, nullptr) << name;
        EXPECT_EQ(unit->Name(), name);
    }
    EXPECT_EQ(SimUnit::FromPreset("Smart"), nullptr);
    EXPECT_EQ(SimUnit::FromPreset(""), nullptr);
}

TEST(SimUnitAnswers, EveryAnswerEndsWithLineEndAndUnknownCommandsGetNa) {
    auto unit = Unit("smart");
    EXPECT_EQ(Send(*unit, "Y"), "SM\r\n");
    EXPECT_EQ(Send(*unit, "L"), "228.9\r\n");
    EXPECT_EQ(Send(*unit, "j"), "0123:\r\n");
    EXPECT_EQ(Send(*unit, "0"), "9C\r\n");
    EXPECT_EQ(Send(*unit, "V"), "NA\r\n");

    EXPECT_EQ(Send(*Unit("silent"), "Y"), "");
    EXPECT_EQ(Send(*Unit("not-ups"), "Y"), "ERR\r\n");
}

TEST(SimUnitAnswers, SerialNumberKeepsItsZeroBytes) {
    EXPECT_EQ(Send(*Unit("smart-small"), "n"), std::string("KV0603112233\0\0\r\n", 16));
}

TEST(SimUnitAnswers, CapabilityListCarriesAlertCharactersAsData) {
    for (const auto& preset : {"smart", "smart-3g", "surt", "monitor-only"}) {
        const std::string list = Send(*Unit(preset), "\x1a");
        EXPECT_EQ(list.front(), '#') << preset;
        EXPECT_NE(list.find('+'), std::string::npos) << preset;
        EXPECT_NE(list.find('$'), std::string::npos) << preset;
        EXPECT_LT(list.size(), 1000u) << preset;
    }
}

TEST(SimUnitProgrammingMode, SecondOneOfAPairEntersIt) {
    struct Case {
        const char* Preset;
        const char* Bytes;
        const char* LastAnswer;
        bool Entered;
    };
    const Case cases[] = {
        {"smart", "11", "PROG\r\n", true},
        {"monitor-only", "11", "APROG\r\n", true},
        {"second-gen", "11", "", true},  // enters without a word
        {"smart", "1", "", false},
        {"smart", "1Y1", "", false},  // another byte between the two breaks the pair
        {"smart", "111", "", true},   // the third "1" starts a new pair
    };
    for (const auto& c : cases) {
        auto unit = Unit(c.Preset);
        EXPECT_EQ(Send(*unit, c.Bytes), c.LastAnswer) << c.Preset << " " << c.Bytes;
        EXPECT_EQ(unit->InProgrammingMode(), c.Entered) << c.Preset << " " << c.Bytes;
    }
}

TEST(SimUnitAnswers, ByteWithTwoMeaningsAnswersAsThatUnitDoes) {
    // "#" is a constant on SC units and the EEPROM walk's start elsewhere.
    EXPECT_EQ(Send(*Unit("smart-sc"), "#"), "8F\r\n");
    EXPECT_EQ(Send(*Unit("smart"), "#"), "00\r\n");

    // "^" is a constant on third-generation units: asking twice gives the same value.
    auto thirdGen = Unit("smart-3g");
    EXPECT_EQ(Send(*thirdGen, "^"), "85\r\n");
    EXPECT_EQ(Send(*thirdGen, "^"), "85\r\n");
    // Elsewhere it switches bypass on and off again.
    auto smart = Unit("smart");
    EXPECT_EQ(Send(*smart, "^"), "BYP\r\n");
    EXPECT_EQ(Send(*smart, "^"), "INV\r\n");

    EXPECT_EQ(Send(*Unit("smart-3g"), "b"), "652.12.I\r\n");
    EXPECT_EQ(Send(*Unit("back-pro"), "e"), "13.65\r\n");
    EXPECT_EQ(Send(*Unit("smart"), "e"), "00\r\n");
}

TEST(SimUnitAnswers, SecondGenModelCodeMovesOnWithEveryQuery) {
    auto unit = Unit("second-gen-legacy2");
    EXPECT_EQ(Send(*unit, "H"), "4A\r\n");
    EXPECT_EQ(unit->Eeprom()[eeprom::kModelCode], 0x4A);
    EXPECT_EQ(Send(*unit, "H"), "4B\r\n");
    EXPECT_EQ(unit->Eeprom()[eeprom::kModelCode], 0x4B);
}

TEST(SimUnitEeprom, ImageHoldsConstantsSettingsAndIdentity) {
    auto unit = Unit("smart-sc");
    const auto image = unit->Eeprom();
    EXPECT_EQ(image[eeprom::kConst0], 0x9C);
    EXPECT_EQ(image[eeprom::kConst6], 0xC4);
    EXPECT_EQ(image[eeprom::kConstHash], 0x8F);
    EXPECT_EQ(image[eeprom::kSettings], 0);  // first value of the low transfer list
    EXPECT_EQ(std::string(image.begin() + eeprom::kSerialNumber, image.begin() + eeprom::kSerialNumber + 14),
              "KV0822334455AB");
    EXPECT_EQ(std::string(image.begin() + eeprom::kUpsId, image.begin() + eeprom::kUpsId + 8), "UPS_IDEN");
    // Units differ beyond the named fields, so two dumps of different units never compare equal.
    EXPECT_NE(image, Unit("smart")->Eeprom());
}

TEST(SimUnitEeprom, ImageFollowsTheStateItIsBuiltFrom) {
    auto definition = PresetDefinition("smart");
    ASSERT_TRUE(definition.has_value());
    definition->Items['0'].Byte = 0xA0;
    definition->Items['E'].Choice = 3;
    definition->Items['c'].Text = "BAY3";
    SimUnit unit(std::move(*definition));
    EXPECT_EQ(Send(unit, "0"), "A0\r\n");
    EXPECT_EQ(Send(unit, "E"), "OFF\r\n");
    const auto image = unit.Eeprom();
    EXPECT_EQ(image[eeprom::kConst0], 0xA0);
    EXPECT_EQ(image[eeprom::kSettings + 3], 3);
    EXPECT_EQ(std::string(image.begin() + eeprom::kUpsId, image.begin() + eeprom::kUpsId + 8), "BAY3    ");
}

TEST(SimUnitOverrides, CommandNotation) {
    struct Case {
        const char* Command;
        int Byte;  // -1: refused
    };
    const Case cases[] = {
        {"L", 'L'},   {"^", '^'},   {" ", ' '},    {"^A", 0x01},   {"^a", 0x01},   {"^M", 0x0D},
        {"^Z", 0x1A}, {"^@", 0x00}, {"^?", 0x7F},  {"0x1A", 0x1A}, {"0X1a", 0x1A}, {"0x00", 0x00},
        {"", -1},     {"LL", -1},   {"\x01", -1},  {"\x7f", -1},   {"^1", -1},     {"^~", -1},
        {"0x", -1},   {"0x1", -1},  {"0x123", -1}, {"0xG1", -1},   {"^AB", -1},
    };
    for (const auto& c : cases) {
        uint8_t byte = 0xEE;
        std::string why;
        const bool parsed = SimUnit::ParseCommand(c.Command, &byte, &why);
        EXPECT_EQ(parsed, c.Byte >= 0) << "\"" << c.Command << "\"";
        if (parsed) {
            EXPECT_EQ(byte, c.Byte) << c.Command;
        } else {
            EXPECT_FALSE(why.empty()) << c.Command;
        }
    }
}

TEST(SimUnitOverrides, TextEscapes) {
    struct Case {
        const char* Text;
        std::string Bytes;
        bool Parsed;
    };
    const Case cases[] = {
        {"228.9", "228.9", true},
        {"\\r\\n", "\r\n", true},
        {"AB\\0C", std::string("AB\0C", 4), true},
        {"\\x41\\x0a", "A\n", true},
        {"\\xfF", "\xff", true},
        {"a\\\\b", "a\\b", true},
        {"", "", true},
        {"abc\\", "", false},
        {"\\q", "", false},
        {"\\x4", "", false},
        {"\\xZ1", "", false},
    };
    for (const auto& c : cases) {
        std::string bytes = "unchanged";
        std::string why;
        EXPECT_EQ(SimUnit::ParseText(c.Text, &bytes, &why), c.Parsed) << c.Text;
        if (c.Parsed) {
            EXPECT_EQ(bytes, c.Bytes) << c.Text;
        } else {
            EXPECT_FALSE(why.empty()) << c.Text;
        }
    }
}

TEST(SimUnitOverrides, ReplaceTheAnswerButNotWhatTheUnitDoes) {
    auto unit = Unit("smart");
    struct Case {
        const char* Command;
        const char* Text;
        std::string Sent;
    };
    const Case cases[] = {
        {"L", "231.0", "231.0\r\n"},
        {"^A", "Smart SC 1500 RM", "Smart SC 1500 RM\r\n"},
        {"0x1A", "#s431abcde4$", "#s431abcde4$\r\n"},
        {"^M", "\\n", "\n"},      // a lone line feed, no line end appended
        {"O", "\\r\\n", "\r\n"},  // a bare line end
        {"F", "", ""},            // no answer at all
        {"n", "AB\\0\\0", std::string("AB\0\0\r\n", 6)},
    };
    for (const auto& c : cases) {
        std::string why;
        ASSERT_TRUE(unit->OverrideAnswer(c.Command, c.Text, &why)) << c.Command << ": " << why;
        uint8_t byte = 0;
        ASSERT_TRUE(SimUnit::ParseCommand(c.Command, &byte, nullptr));
        EXPECT_EQ(unit->OnByte(byte), c.Sent) << c.Command;
    }

    // Silencing "1" leaves the programming-mode entry in place.
    ASSERT_TRUE(unit->OverrideAnswer("1", ""));
    EXPECT_EQ(Send(*unit, "11"), "");
    EXPECT_TRUE(unit->InProgrammingMode());
}

TEST(SimUnitOverrides, MalformedOneLeavesTheUnitAlone) {
    auto unit = Unit("smart");
    std::string why;
    EXPECT_FALSE(unit->OverrideAnswer("LL", "1", &why));
    EXPECT_NE(why.find("LL"), std::string::npos);
    EXPECT_FALSE(unit->OverrideAnswer("L", "bad\\", &why));
    EXPECT_EQ(Send(*unit, "L"), "228.9\r\n");
}

TEST(SimUnitMute, AnswersTheGivenNumberOfBytesThenStops) {
    auto unit = Unit("smart");
    unit->SetMuteAfter(2);
    EXPECT_EQ(Send(*unit, "Y"), "SM\r\n");
    EXPECT_EQ(Send(*unit, "1"), "");  // the first of a pair counts as received too
    EXPECT_EQ(Send(*unit, "1"), "");
    EXPECT_FALSE(unit->InProgrammingMode());  // a silent unit acts on nothing
    EXPECT_EQ(Send(*unit, "Y"), "");
    EXPECT_EQ(unit->Received(), (std::vector<uint8_t>{'Y', '1', '1', 'Y'}));

    unit->SetMuteAfter(-1);
    EXPECT_EQ(Send(*unit, "Y"), "SM\r\n");
    unit->SetMuteAfter(0);
    EXPECT_EQ(Send(*unit, "Y"), "");
}

TEST(SimUnitAlerts, RideOnTheNextAnswerInOrder) {
    auto unit = Unit("smart");
    unit->InjectAlert('!');
    unit->InjectAlert('$');
    EXPECT_EQ(Send(*unit, "1"), "");  // not answered: the alerts wait
    EXPECT_EQ(Send(*unit, "L"), "!$228.9\r\n");
    EXPECT_EQ(Send(*unit, "L"), "228.9\r\n");

    unit->InjectAlert('!');
    unit->SetMuteAfter(0);
    EXPECT_EQ(Send(*unit, "L"), "");
}

TEST(SimUnitReceived, RecordsEveryByteInOrder) {
    auto unit = Unit("silent");
    Send(*unit, std::string("Y\x01\x1aR", 4));
    EXPECT_EQ(unit->Received(), (std::vector<uint8_t>{'Y', 0x01, 0x1A, 'R'}));
}

}  // namespace
}  // namespace kelvane::sim
