// Identification: the bytes each family's path sends, the model flags, model-name and firmware decoding,
// and the two refresh lists.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "tests/ups/ScriptedLine.h"
#include "ups/UpsLink.h"

namespace kelvane {
namespace {

using fake::LinkHarness;
using fake::ScriptedLine;
using Transcript = std::vector<std::string>;

constexpr const char* kSerial = "QS0123456789AB";  // 14 characters

// A first-generation Smart unit that enters programming mode and has no model pattern in its capabilities.
void ScriptSmartUnit(ScriptedLine& line, const std::string& modelName = "Smart 1400",
                     const std::string& capabilities = "uD4123127130133uM4229234239244") {
    line.Answer('Y', {"SM"});
    line.Answer(0x01, {modelName});
    line.Answer('1', {"PROG"});
    line.Answer('F', {"50.00"});
    line.Answer('n', {kSerial});
    line.Answer(0x1A, {capabilities});
}

// A unit that answers "Y" and nothing that belongs to programming mode.
void ScriptQuietUnit(ScriptedLine& line) {
    line.Answer('Y', {"SM"});
}

bool Sent(const Transcript& transcript, const std::string& entry) {
    return std::find(transcript.begin(), transcript.end(), entry) != transcript.end();
}

Transcript Prefix(const Transcript& transcript, std::size_t size) {
    return Transcript(transcript.begin(),
                      transcript.begin() + static_cast<long>(std::min(size, transcript.size())));
}

TEST(UpsLinkIdentify, SmartUnitSendsTheWholeSequenceAndFullRefresh) {
    LinkHarness h;
    ScriptSmartUnit(*h.line);

    ASSERT_TRUE(h.link.Identify());

    const Transcript expected = {"Y(2)", "^A(22)", "1", "sleep 1500", "1(4)", "F(2)+3", "n(14)", "^Z(1000)",
                                 "n(14)", "2(2)", "2(2)", "^A(22)",
                                 // full refresh
                                 "O(5)", "L(5)", "P(5)", "g(3)", "4(2)", ">(3)", "C(5)", "c(8)", "l(3)",
                                 "u(3)", "0(2)", "5(2)", "6(2)", "o(3)", "E(3)", "p(3)", "r(3)", "q(2)",
                                 "k(1)", "e(2)", "s(1)", "F(5)", "j(4)", "f(5)", "b(8)", "m(8)", "x(8)",
                                 "B(5)"};
    EXPECT_EQ(h.log.Transcript, expected);
    EXPECT_EQ(h.link.Family, FamilySmart);
    EXPECT_EQ(h.link.SerialNumberText, kSerial);
    EXPECT_EQ(h.link.ModelNameText, "Smart 1400");
    EXPECT_FALSE(h.link.ThirdGen || h.link.SurtModel || h.link.HlVariant || h.link.ModelCodeViaCtrlB ||
                 h.link.AprogMode || h.link.SmallModel);
    EXPECT_EQ(h.link.LineFrequencyText, "50.00");
}

struct PathCase {
    const char* name;
    std::function<void(ScriptedLine&)> script;
    bool result;
    int16_t family;
    bool aprog;
    Transcript start;  // the transcript begins with exactly these
    bool wholeTranscript = false;
};

TEST(UpsLinkIdentify, EachPathSendsItsBytesAndEndsInItsFamily) {
    const std::vector<PathCase> cases = {
        {"Y answered NA",
         [](ScriptedLine& l) { l.Answer('Y', {"NA"}); },
         false,
         FamilyUnidentified,
         false,
         {"Y(2)"},
         true},
        {"Y unanswered", [](ScriptedLine&) {}, false, FamilyUnidentified, false, {"Y(2)"}, true},
        {"model answer summing to 204 means the long dialect",
         [](ScriptedLine& l) {
             ScriptSmartUnit(l);
             l.Answer(0x01, {"ff"});
         },
         true,
         FamilySmart,
         true,
         {"Y(2)", "^A(22)", "F(2)+3", "n(14)", "^Z(1000)", "n(14)", "2(2)", "2(2)", "^A(22)"}},
        {"APROG answer",
         [](ScriptedLine& l) {
             ScriptSmartUnit(l);
             l.Answer('1', {"APROG"});
         },
         true,
         FamilySmart,
         true,
         {"Y(2)", "^A(22)", "1", "sleep 1500", "1(4)+3", "F(2)+3", "n(14)", "^Z(1000)", "n(14)", "2(2)"}},
        {"serial number NA",
         [](ScriptedLine& l) {
             ScriptSmartUnit(l);
             l.Answer('n', {"NA"});
         },
         true,
         FamilySmartNoSerial,
         false,
         {"Y(2)", "^A(22)", "1", "sleep 1500", "1(4)", "F(2)+3", "n(14)", "2(2)", "2(2)", "^A(22)"}},
        {"Back-PRO",
         [](ScriptedLine& l) {
             ScriptSmartUnit(l);
             l.Answer('F', {"NA"});
             l.Answer('P', {"045.0"});
         },
         true,
         FamilyBackPro,
         false,
         {"Y(2)", "^A(22)", "1", "sleep 1500", "1(4)", "F(2)", "P(5)", "n(14)", "2(2)", "2(2)", "^A(22)"}},
        {"programming mode but neither F nor P a number",
         [](ScriptedLine& l) {
             ScriptSmartUnit(l);
             l.Answer('F', {"NA"});
             l.Answer('P', {"NA"});
         },
         true,
         FamilyUnidentified,
         false,
         {"Y(2)", "^A(22)", "1", "sleep 1500", "1(4)", "F(2)", "P(5)", "n(14)", "2(2)", "2(2)"},
         true},
        {"no programming mode, answer to 1 not empty",
         [](ScriptedLine& l) {
             ScriptQuietUnit(l);
             l.Answer('1', {"NA"});
         },
         true,
         FamilyUnidentified,
         false,
         {"Y(2)", "^A(22)", "1", "sleep 1500", "1(4)"},
         true},
        {"carriage return answered with a line feed",
         [](ScriptedLine& l) {
             ScriptQuietUnit(l);
             l.AnswerRaw(0x0D, {"\n\r\n"});
         },
         true,
         FamilyUnidentified,
         true,
         {"Y(2)", "^A(22)", "1", "sleep 1500", "1(4)", "^M(10)", "Y(2)"},
         true},
        {"second generation",
         [](ScriptedLine& l) {
             ScriptQuietUnit(l);
             l.Answer('7', {"01"});
             l.Answer('n', {"WS123456"});
             l.Answer('V', {"8QI"});
         },
         true,
         FamilySmart2ndGen,
         false,
         {"Y(2)", "^A(22)", "1", "sleep 1500", "1(4)", "^M(10)", "7(2)", "n(8)", "V(3)", "O(5)"}},
    };
    for (const PathCase& c : cases) {
        SCOPED_TRACE(c.name);
        LinkHarness h;
        c.script(*h.line);

        EXPECT_EQ(h.link.Identify(), c.result);
        EXPECT_EQ(h.link.Family, c.family);
        EXPECT_EQ(h.link.AprogMode, c.aprog);
        if (c.wholeTranscript) {
            EXPECT_EQ(h.log.Transcript, c.start);
        } else {
            EXPECT_EQ(Prefix(h.log.Transcript, c.start.size()), c.start);
        }
    }
}

TEST(UpsLinkIdentify, SecondGenerationRaisesTheMultiplierAndReadsAnEightCharacterSerial) {
    LinkHarness h;
    ScriptQuietUnit(*h.line);
    h.line->Answer('7', {"01"});
    h.line->Answer('n', {"WS12345678901"});
    h.line->Answer('V', {"8QI"});

    ASSERT_TRUE(h.link.Identify());

    EXPECT_EQ(h.link.Timeouts.ReadTotalMultiplierMs, 30u);
    ASSERT_FALSE(h.log.TimeoutsApplied.empty());
    EXPECT_EQ(h.log.TimeoutsApplied.back().ReadTotalMultiplierMs, 30u);
    EXPECT_EQ(h.log.TimeoutsApplied.back().ReadIntervalMs, 600u);
    EXPECT_EQ(h.link.SerialNumberText, "WS12345678901");
    EXPECT_TRUE(Sent(h.log.Transcript, "n(8)+3"));
    EXPECT_EQ(h.link.ModelNameText, "Smart 1250I");
}

TEST(UpsLinkIdentify, LegacyVariantFromRegister7ThenTemperature) {
    struct Case {
        const char* register7;  // null: no answer
        const char* temperature;
        int8_t variant;
        bool temperatureAsked;
    };
    const std::vector<Case> cases = {
        {"01", "030.5", 0, false}, {"A0", "030.5", 0, false}, {"00", "030.5", 1, true},
        {"00", "000.0", 2, true},  {"NA", "030.5", 1, true},  {nullptr, nullptr, 2, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.register7 != nullptr ? c.register7 : "no answer");
        LinkHarness h;
        ScriptQuietUnit(*h.line);
        if (c.register7 != nullptr) h.line->Answer('7', {c.register7});
        if (c.temperature != nullptr) h.line->Answer('C', {c.temperature});
        h.link.LegacyVariant = 5;

        ASSERT_TRUE(h.link.Identify());

        EXPECT_EQ(h.link.LegacyVariant, c.variant);
        const Transcript probe = Prefix(h.log.Transcript, 9);
        EXPECT_EQ(Sent(probe, "C(3)") || Sent(probe, "C(3)+3"), c.temperatureAsked);
    }
}

TEST(UpsLinkIdentify, SecondGenerationIsRecognisedAgainOnReconnection) {
    LinkHarness h;
    ScriptQuietUnit(*h.line);
    h.line->Answer('n', {"WS123456"});
    ASSERT_TRUE(h.link.Identify());
    ASSERT_EQ(h.link.Family, FamilySmart2ndGen);

    ASSERT_TRUE(h.link.OpenPort("COM1"));
    ScriptQuietUnit(*h.line);
    h.line->Answer('n', {"WS123456"});
    ASSERT_TRUE(h.link.Identify());

    EXPECT_EQ(h.link.Family, FamilySmart2ndGen);
}

TEST(UpsLinkIdentify, RackFlagOfAnEarlierUnitDoesNotCarryOver) {
    LinkHarness h;
    ScriptSmartUnit(*h.line, "Smart SC 1000 RM");
    ASSERT_TRUE(h.link.Identify());
    ASSERT_TRUE(h.link.ScRackModel);

    ScriptSmartUnit(*h.line, "Smart 1400");
    ASSERT_TRUE(h.link.Identify());

    EXPECT_FALSE(h.link.ScRackModel);
    EXPECT_FALSE(h.link.SmallModel);
}

struct CapabilityCase {
    const char* capabilities;
    bool thirdGen;
    bool surt;
    bool hl;
};

TEST(UpsLinkIdentify, CapabilityPatternsSetTheModelFlags) {
    const std::vector<CapabilityCase> cases = {
        {"uD4123127130133", false, false, false},
        {"xxe472yy", true, false, false},
        {"ab s411", true, true, false},
        {"s431abcde4", true, false, false},
        {"s431abcdeX", false, false, false},
        {"xxs431abcde", false, false, false},  // the "4" would lie past the end
        {"ze47", false, false, false},
        {"Hx-Ly-8", false, false, true},
        {"xHx-Ly-", false, false, false},
    };
    for (const CapabilityCase& c : cases) {
        SCOPED_TRACE(c.capabilities);
        LinkHarness h;
        ScriptSmartUnit(*h.line, "Smart 5000", c.capabilities);
        h.line->Answer('%', {"12"});

        ASSERT_TRUE(h.link.Identify());

        EXPECT_EQ(h.link.ThirdGen, c.thirdGen);
        EXPECT_EQ(h.link.SurtModel, c.surt);
        EXPECT_EQ(h.link.HlVariant, c.hl);
        EXPECT_EQ(h.link.ModelCodeViaCtrlB, c.thirdGen);
    }
}

struct CtrlBCase {
    const char* name;
    const char* capabilities;
    const char* modelName;
    const char* percent;
    const char* ctrlD;
    bool viaCtrlB;
    Transcript afterCapabilities;  // up to the model-name query
};

TEST(UpsLinkIdentify, ThirdGenerationModelCodeRouteAndConstantReads) {
    const std::vector<CtrlBCase> cases = {
        {"% answers",
         "e472",
         "Smart 5000",
         "12",
         "05",
         true,
         {"%(2)", "n(14)", "2(2)", "2(2)", "^A(22)", "$(2)", "%(2)", "^(2)", "O(5)"}},
        {"% NA, Ctrl-D answers",
         "e472",
         "Smart 5000",
         "NA",
         "05",
         false,
         {"%(2)", "^D(2)", "n(14)", "2(2)", "2(2)", "^A(22)", "$(2)", "%(2)", "^(2)", "O(5)"}},
        {"% NA, Ctrl-D NA",
         "e472",
         "Smart 5000",
         "NA",
         "NA",
         true,
         {"%(2)", "^D(2)", "n(14)", "2(2)", "2(2)", "^A(22)", "$(2)", "%(2)", "^(2)", "O(5)"}},
        {"SURT of 5000 VA",
         "s411",
         "Smart RT 5000",
         "12",
         "05",
         true,
         {"%(2)", "n(14)", "2(2)", "2(2)", "^A(22)", "$(2)", "%(2)", "O(5)"}},
        {"SURT below 3000 VA",
         "s411",
         "Smart RT 2000",
         "12",
         "05",
         false,
         {"%(2)", "n(14)", "2(2)", "2(2)", "^A(22)", "$(2)", "%(2)", "O(5)"}},
    };
    for (const CtrlBCase& c : cases) {
        SCOPED_TRACE(c.name);
        LinkHarness h;
        ScriptSmartUnit(*h.line, c.modelName, c.capabilities);
        h.line->Answer('%', {c.percent});
        h.line->Answer(0x04, {c.ctrlD});

        ASSERT_TRUE(h.link.Identify());

        EXPECT_EQ(h.link.ModelCodeViaCtrlB, c.viaCtrlB);
        const auto capabilityRead = std::find(h.log.Transcript.begin(), h.log.Transcript.end(), "^Z(1000)");
        ASSERT_NE(capabilityRead, h.log.Transcript.end());
        EXPECT_EQ(Prefix(Transcript(capabilityRead + 1, h.log.Transcript.end()), c.afterCapabilities.size()),
                  c.afterCapabilities);
    }
}

struct EndCase {
    const char* modelName;
    bool sc;
    bool scRack;
    bool small;
};

TEST(UpsLinkIdentify, ScAndSmallModelsDecidedAtTheEnd) {
    const std::vector<EndCase> cases = {
        {"Smart SC 1000", true, false, false}, {"Smart SC620", false, false, true},
        {"Smart 1400", false, false, false},   {"Smart 250", false, false, true},
        {"Smart 650", false, false, true},     {"Smart SC 1000 RM", true, true, true},
    };
    for (const EndCase& c : cases) {
        SCOPED_TRACE(c.modelName);
        LinkHarness h;
        ScriptSmartUnit(*h.line, c.modelName);

        ASSERT_TRUE(h.link.Identify());

        EXPECT_EQ(h.link.ScModel, c.sc);
        EXPECT_EQ(h.link.ScRackModel, c.scRack);
        EXPECT_EQ(h.link.SmallModel, c.small);
        EXPECT_EQ(Sent(h.log.Transcript, "#(2)"), c.sc);
        EXPECT_EQ(Sent(h.log.Transcript, "C(5)"), !c.small) << "the full refresh skips C on small models";
    }
}

struct ModelCase {
    const char* name;
    float ratedPower;
    int16_t digits;
    bool sc, scRack, xl, stack, thirdGen;
};

TEST(UpsLinkModel, NameDecodesRatingAndModelFlags) {
    const std::vector<ModelCase> cases = {
        {"Smart 1400", 1400, 4, false, false, false, false, false},
        {"Smart SC 1000", 1000, 4, true, false, false, false, false},
        {"Smart SC 450 RM", 450, 3, true, true, false, false, false},
        {"Smart SC 1500 RT", 1500, 4, true, false, false, false, true},
        {"Smart 750 XL", 750, 3, false, false, true, false, false},
        {"smart sc 1000 xl", 1000, 4, false, false, true, false, false},
        {"Smart 1000 Stack", 1000, 4, false, false, false, true, false},
        {"Smart 1234567", 12345, 5, false, false, false, false, false},
        {"Smart 12", 0, 0, false, false, false, false, false},
    };
    for (const ModelCase& c : cases) {
        SCOPED_TRACE(c.name);
        LinkHarness h;
        h.line->Answer(0x01, {c.name});
        h.link.XlModel = h.link.StackModel = h.link.ScModel = true;
        h.link.RatedPower = 99;

        EXPECT_EQ(h.link.ReadModel(), c.name);

        EXPECT_FLOAT_EQ(h.link.RatedPower, c.ratedPower);
        EXPECT_EQ(h.link.RatedDigits, c.digits);
        EXPECT_FLOAT_EQ(h.link.WattsPerPercent, c.ratedPower * 0.007f);
        EXPECT_EQ(h.link.ScModel, c.sc);
        EXPECT_EQ(h.link.ScRackModel, c.scRack);
        EXPECT_EQ(h.link.XlModel, c.xl);
        EXPECT_EQ(h.link.StackModel, c.stack);
        EXPECT_EQ(h.link.ThirdGen, c.thirdGen);
        EXPECT_EQ(Sent(h.log.Transcript, "$(2)"), c.thirdGen);
    }
}

TEST(UpsLinkModel, EmptyNameKeepsTheRating) {
    LinkHarness h;
    h.link.RatedPower = 1400;
    h.link.RatedDigits = 4;
    h.link.WattsPerPercent = 9.8f;

    EXPECT_EQ(h.link.ReadModel(), "");
    EXPECT_FLOAT_EQ(h.link.RatedPower, 1400);
    EXPECT_EQ(h.link.RatedDigits, 4);
    EXPECT_FLOAT_EQ(h.link.WattsPerPercent, 9.8f);
}

TEST(UpsLinkModel, SecondGenerationNameFromTheModelDigit) {
    struct Case {
        const char* answer;  // null: no answer
        const char* name;
    };
    const std::vector<Case> cases = {
        {"8QI", "Smart 1250I"}, {"0", "MX 3000"},      {"1AB", "MX 3000B"},    {"2xx", "Smart 250x"},
        {"4", "Smart 400"},     {"5AB", "MX 5000B"},   {"6", "Smart 600"},     {"7", "Smart 900"},
        {"9", "Smart 2000"},    {"Z12", "Smart 6002"}, {nullptr, "Smart 600"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LinkHarness h;
        h.link.Family = FamilySmart2ndGen;
        h.link.ModelNameText = "Smart 600";
        if (c.answer != nullptr) h.line->Answer('V', {c.answer});

        EXPECT_EQ(h.link.ReadModel(), c.name);
        EXPECT_EQ(h.log.Transcript.front(), "V(3)");
    }
}

TEST(UpsLinkModel, UnknownSecondGenerationDigitNeverOutgrowsTheName) {
    LinkHarness h;
    h.link.Family = FamilySmart2ndGen;
    h.link.ModelNameText = "Smart 600";
    h.line->Answer('V', {"Z1X"});

    for (int i = 0; i < 40; ++i) h.link.ReadModel();

    EXPECT_EQ(h.link.ModelNameText, "Smart 600" + std::string(17, 'X'));
}

TEST(UpsLinkModel, FirmwareAndSkuCode) {
    struct Case {
        const char* name;
        int16_t family;
        bool thirdGen;
        const char* answer;
        const char* firmware;
        const char* sku;
        const char* sent;
    };
    const std::vector<Case> cases = {
        {"third gen splits the SKU code", FamilySmart, true, "652.12.I", ".12.I", "652", "b(8)"},
        {"third gen without SKU code", FamilySmart, true, ".12.I", ".12.I", "", "b(8)"},
        {"earlier units keep it whole", FamilySmart, false, "652.12.I", "652.12.I", "old", "b(8)"},
        {"second generation asks V", FamilySmart2ndGen, false, "8QI", "8QI", "old", "V(3)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LinkHarness h;
        h.link.Family = c.family;
        h.link.ThirdGen = c.thirdGen;
        h.link.SkuCodeText = "old";
        h.line->Answer(c.family == FamilySmart2ndGen ? 'V' : 'b', {c.answer});

        EXPECT_EQ(h.link.ReadFirmware(), c.firmware);
        EXPECT_EQ(h.link.FirmwareText, c.firmware);
        EXPECT_EQ(h.link.SkuCodeText, c.sku);
        EXPECT_EQ(h.log.Transcript, Transcript{c.sent});
    }
}

struct RefreshCase {
    const char* name;
    int16_t family;
    bool small, surt, aprog;
    Transcript all;
    Transcript poll;
};

TEST(UpsLinkRefresh, EachFamilyReadsItsList) {
    const Transcript settings = {"c(8)", "l(3)", "u(3)", "0(2)", "5(2)", "6(2)", "o(3)", "E(3)", "p(3)",
                                 "r(3)", "q(2)", "k(1)", "e(2)", "s(1)", "F(5)", "j(4)", "f(5)"};
    const Transcript rt = {"^J(8)", "^K(8)", "^G(8)", "^H(8)"};
    auto join = [](std::initializer_list<Transcript> parts) {
        Transcript all;
        for (const Transcript& part : parts) all.insert(all.end(), part.begin(), part.end());
        return all;
    };
    const std::vector<RefreshCase> cases = {
        {"Back-PRO",
         FamilyBackPro,
         false,
         false,
         false,
         {"O(5)", "L(5)", "P(5)", "e(5)", "w(5)", "v(5)", "2(5)", "c(5)", "d(5)", "b(8)", "m(8)", "x(8)",
          "B(5)"},
         {"O(5)", "L(5)", "P(5)", "e(5)", "w(5)", "v(5)", "c(5)", "d(5)", "B(5)"}},
        {"Smart without serial",
         FamilySmartNoSerial,
         false,
         false,
         false,
         join({{"O(5)", "L(5)", "C(5)"}, settings, {"b(8)", "m(8)", "x(8)", "B(5)"}}),
         {"O(5)", "L(5)", "F(5)", "B(5)"}},
        {"small SURT Smart", FamilySmart, true, true, false,
         join({{"O(5)", "L(5)", "P(5)", "g(3)", "4(2)", ">(3)"},
               rt,
               settings,
               {"b(8)", "m(8)", "x(8)", "B(5)"}}),
         join({{"O(5)", "L(5)", "P(5)", "C(5)", "F(5)", "j(4)", "f(5)", "B(5)"}, rt})},
        {"second generation, long dialect",
         FamilySmart2ndGen,
         false,
         false,
         true,
         join({{"O(5)", "L(5)", "P(5)", "C(5)"}, settings, {"V(3)", "m(8)", "x(8)", "B(5)"}}),
         {"O(5)", "L(5)", "P(5)", "C(5)", "F(5)", "j(4)", "f(5)", "B(5)", "o(3)"}},
        {"unidentified, long dialect",
         FamilyUnidentified,
         false,
         false,
         true,
         {"b(8)", "m(8)", "x(8)", "B(5)"},
         {"B(5)", "o(3)"}},
    };
    for (const RefreshCase& c : cases) {
        SCOPED_TRACE(c.name);
        LinkHarness h;
        h.link.Family = c.family;
        h.link.SmallModel = c.small;
        h.link.SurtModel = c.surt;
        h.link.AprogMode = c.aprog;

        h.link.RefreshAll();
        EXPECT_EQ(h.TakeTranscript(), c.all);
        h.link.RefreshPoll();
        EXPECT_EQ(h.TakeTranscript(), c.poll);
    }
}

// Noise far longer than any answer, with line ends and alert characters scattered through it.
std::string Noise(std::size_t size) {
    const std::string alphabet = "0123456789ABCDEFHLMRSXaeklnstx.:!$#%+?=*&|\r\n e472s411s431H8";
    std::string noise;
    for (std::size_t i = 0; i < size; ++i) noise += alphabet[(i * 7 + i / 13) % alphabet.size()];
    return noise;
}

TEST(UpsLinkIdentify, UnitAnsweringNoiseToEverythingCannotOverflowAnything) {
    for (const bool secondGen : {false, true}) {
        SCOPED_TRACE(secondGen ? "second generation" : "programming mode");
        LinkHarness h;
        for (int command = 0; command < 256; ++command) {
            h.line->AnswerRaw(static_cast<uint8_t>(command),
                              {Noise(1500 + static_cast<std::size_t>(command))});
        }
        h.line->Answer('Y', {"SM"});
        if (secondGen) {
            h.line->AnswerRaw(0x01, {});
            h.line->AnswerRaw('1', {});
            h.line->AnswerRaw(0x0D, {"X\r\n"});
        } else {
            h.line->Answer('1', {"PROG"});
            h.line->AnswerRaw('F', {"5" + Noise(40)});
        }

        ASSERT_TRUE(h.link.Identify());
        h.link.RefreshPoll();
        h.link.RefreshRegisters();

        EXPECT_EQ(h.link.Family, secondGen ? FamilySmart2ndGen : FamilySmart);
        EXPECT_LE(h.link.ModelNameText.Size(), 26u);
        EXPECT_LE(h.link.SerialNumberText.Size(), 16u);
        EXPECT_LE(h.link.ReplyText().size(), 1005u);
    }
}

}  // namespace
}  // namespace kelvane
