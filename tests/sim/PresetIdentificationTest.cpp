// Every preset, and every identification path the overrides build, walked by the link's own
// identification over the virtual line: the unit must land in the family and flags it stands for.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "sim/SimUnit.h"
#include "tests/support/VirtualClock.h"
#include "tests/support/VirtualPort.h"
#include "tests/support/VirtualSleeper.h"
#include "ups/UpsLink.h"

namespace kelvane {
namespace {

enum Flag : unsigned {
    kThirdGen = 1u << 0,
    kSurt = 1u << 1,
    kSc = 1u << 2,
    kScRack = 1u << 3,
    kSmall = 1u << 4,
    kXl = 1u << 5,
    kStack = 1u << 6,
    kCtrlB = 1u << 7,
    kHl = 1u << 8,
    kAprog = 1u << 9,
};

unsigned FlagsOf(const UpsLink& link) {
    unsigned flags = 0;
    const std::pair<bool, Flag> bits[] = {
        {link.ThirdGen, kThirdGen},  {link.SurtModel, kSurt},          {link.ScModel, kSc},
        {link.ScRackModel, kScRack}, {link.SmallModel, kSmall},        {link.XlModel, kXl},
        {link.StackModel, kStack},   {link.ModelCodeViaCtrlB, kCtrlB}, {link.HlVariant, kHl},
        {link.AprogMode, kAprog},
    };
    for (const auto& [set, flag] : bits) {
        if (set) flags |= flag;
    }
    return flags;
}

struct Connection {
    explicit Connection(sim::SimUnit& unit)
        : sleeper(clock), port(unit, clock), link(port.Opener(), &sleeper) {
        EXPECT_TRUE(link.OpenPort("COM1"));
    }
    VirtualClock clock;
    VirtualSleeper sleeper;
    VirtualPort port;
    UpsLink link;
};

struct PresetCase {
    const char* Preset;
    int16_t Family;
    unsigned Flags;
    const char* Model;
    const char* Serial;
    float RatedPower;
    int16_t RatedDigits;
};

TEST(PresetIdentification, EachPresetLandsInItsFamily) {
    const PresetCase cases[] = {
        {"smart", FamilySmart, 0, "Smart 1400", "KV0527310642XB", 1400, 4},
        {"smart-small", FamilySmart, kSmall, "Smart 620", "KV0603112233", 620, 3},
        {"smart-xl", FamilySmart, kXl, "Smart 750 XL", "KV0731220458AX", 750, 3},
        {"smart-sc", FamilySmart, kSc, "Smart SC 1000", "KV0822334455AB", 1000, 4},
        {"smart-3g", FamilySmart, kThirdGen | kCtrlB, "Smart 1500", "KV1012345678AB", 1500, 4},
        {"surt", FamilySmart, kThirdGen | kSurt | kXl | kCtrlB, "Smart RT 3000 XL", "KV1188776655RT", 3000,
         4},
        {"no-serial", FamilySmartNoSerial, 0, "Smart 700", "NA", 700, 3},
        {"back-pro", FamilyBackPro, 0, "Back-PRO 650", "BP0812004511", 650, 3},
        {"back-pro-1500", FamilyBackPro, 0, "Back-PRO 1500", "BP0812004511", 1500, 4},
        {"second-gen", FamilySmart2ndGen, 0, "Smart 1250I", "GS043122", 1250, 4},
        {"second-gen-legacy1", FamilySmart2ndGen, 0, "Smart 600I", "GS043122", 600, 3},
        {"second-gen-legacy2", FamilySmart2ndGen, 0, "Smart 400I", "GS043122", 400, 3},
        {"monitor-only", FamilySmart, kAprog, "Smart 3000", "KV0911223344RM", 3000, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Preset);
        auto unit = sim::SimUnit::FromPreset(c.Preset);
        Connection connection(*unit);
        UpsLink& link = connection.link;
        ASSERT_TRUE(link.Identify());
        EXPECT_EQ(link.Family, c.Family);
        EXPECT_EQ(FlagsOf(link), c.Flags);
        EXPECT_EQ(link.ModelNameText.View(), c.Model);
        EXPECT_EQ(link.SerialNumberText.View(), c.Serial);
        EXPECT_EQ(link.RatedPower, c.RatedPower);
        EXPECT_EQ(link.RatedDigits, c.RatedDigits);
        EXPECT_TRUE(unit->InProgrammingMode());
        EXPECT_EQ(connection.sleeper.Pauses(), std::vector<uint32_t>{1500});
        // Identification ends in a full refresh: the last thing read is the battery voltage.
        EXPECT_FALSE(link.BatteryVoltageText.Empty());
        EXPECT_NE(link.BatteryVoltageText.View(), "NA");
    }
}

TEST(PresetIdentification, SecondGenerationVariantsAndTiming) {
    const std::pair<const char*, int8_t> cases[] = {
        {"second-gen", 0}, {"second-gen-legacy1", 1}, {"second-gen-legacy2", 2}};
    for (const auto& [preset, variant] : cases) {
        SCOPED_TRACE(preset);
        auto unit = sim::SimUnit::FromPreset(preset);
        Connection connection(*unit);
        ASSERT_TRUE(connection.link.Identify());
        EXPECT_EQ(connection.link.LegacyVariant, variant);
        EXPECT_EQ(connection.port.Line()->CurrentTimeouts().ReadTotalMultiplierMs, 30u);
    }
}

using Member = std::string_view (*)(const UpsLink&);
using Members = std::vector<std::pair<const char*, Member>>;

Members Join(Members members, const Members& more) {
    members.insert(members.end(), more.begin(), more.end());
    return members;
}

TEST(PresetIdentification, FamilyPagesGetEveryValueTheyShow) {
    // The full refresh fills every member the family's page shows; none may stay empty or read "NA".
    const Members common = {
        {"O", [](const UpsLink& l) { return l.OutputVoltageText.View(); }},
        {"L", [](const UpsLink& l) { return l.InputVoltageText.View(); }},
        {"b", [](const UpsLink& l) { return l.FirmwareText.View(); }},
        {"m", [](const UpsLink& l) { return l.ManufactureDateText.View(); }},
        {"x", [](const UpsLink& l) { return l.BatteryReplaceDateText.View(); }},
        {"B", [](const UpsLink& l) { return l.BatteryVoltageText.View(); }},
    };
    const Members load = {{"P", [](const UpsLink& l) { return l.LoadPercentText.View(); }}};
    const Members settings = {
        {"C", [](const UpsLink& l) { return l.TemperatureText.View(); }},
        {"c", [](const UpsLink& l) { return l.UpsIdText.View(); }},
        {"l", [](const UpsLink& l) { return l.LowTransferVoltageText.View(); }},
        {"u", [](const UpsLink& l) { return l.UpTransferVoltageText.View(); }},
        {"0", [](const UpsLink& l) { return l.Const0Text.View(); }},
        {"5", [](const UpsLink& l) { return l.Const5Text.View(); }},
        {"6", [](const UpsLink& l) { return l.Const6Text.View(); }},
        {"o", [](const UpsLink& l) { return l.NominalOutputVoltageText.View(); }},
        {"E", [](const UpsLink& l) { return l.SelfTestIntervalText.View(); }},
        {"p", [](const UpsLink& l) { return l.ShutdownDelayText.View(); }},
        {"r", [](const UpsLink& l) { return l.WakeupDelayText.View(); }},
        {"q", [](const UpsLink& l) { return l.LowBatteryWarningText.View(); }},
        {"k", [](const UpsLink& l) { return l.AlarmDelayText.View(); }},
        {"e", [](const UpsLink& l) { return l.ReturnThresholdText.View(); }},
        {"s", [](const UpsLink& l) { return l.SensitivityText.View(); }},
        {"F", [](const UpsLink& l) { return l.LineFrequencyText.View(); }},
        {"j", [](const UpsLink& l) { return l.RunTimeText.View(); }},
        {"f", [](const UpsLink& l) { return l.BatteryChargeText.View(); }},
    };
    const Members firstGen = {
        {"g", [](const UpsLink& l) { return l.NominalBatteryVoltageText.View(); }},
        {"4", [](const UpsLink& l) { return l.Const4Text.View(); }},
        {">", [](const UpsLink& l) { return l.BatteryPacksText.View(); }},
    };
    const Members thirdGen = {
        {"$", [](const UpsLink& l) { return l.ConstDollarText.View(); }},
        {"%", [](const UpsLink& l) { return l.ConstPercentText.View(); }},
        {"sku", [](const UpsLink& l) { return l.SkuCodeText.View(); }},
    };
    const Members caret = {{"^", [](const UpsLink& l) { return l.ConstCaretText.View(); }}};
    const Members hash = {{"#", [](const UpsLink& l) { return l.ConstHashText.View(); }}};
    const Members surtReadings = {
        {"^J", [](const UpsLink& l) { return l.RtPlusBatteryVoltageText.View(); }},
        {"^K", [](const UpsLink& l) { return l.RtMinusBatteryVoltageText.View(); }},
        {"^G", [](const UpsLink& l) { return l.RtPlus400BatteryVoltageText.View(); }},
        {"^H", [](const UpsLink& l) { return l.RtMinus400BatteryVoltageText.View(); }},
    };
    const Members backPro = {
        {"e", [](const UpsLink& l) { return l.FloatVoltageText.View(); }},
        {"w", [](const UpsLink& l) { return l.RatioText.View(); }},
        {"v", [](const UpsLink& l) { return l.EutVoltageText.View(); }},
        {"2", [](const UpsLink& l) { return l.BbdVoltageText.View(); }},
        {"c", [](const UpsLink& l) { return l.CapacitorLoadText.View(); }},
        {"d", [](const UpsLink& l) { return l.DcOffsetText.View(); }},
    };
    const Members smart = Join(Join(Join(common, load), settings), firstGen);
    const std::pair<const char*, Members> cases[] = {
        {"smart", smart},
        {"smart-xl", smart},
        {"smart-sc", Join(smart, hash)},
        {"smart-3g", Join(Join(smart, thirdGen), caret)},
        {"surt", Join(Join(smart, thirdGen), surtReadings)},
        {"monitor-only", smart},
        {"no-serial", Join(common, settings)},
        {"second-gen", Join(Join(common, load), settings)},
        {"back-pro", Join(Join(common, load), backPro)},
    };
    for (const auto& [preset, members] : cases) {
        SCOPED_TRACE(preset);
        auto unit = sim::SimUnit::FromPreset(preset);
        Connection connection(*unit);
        ASSERT_TRUE(connection.link.Identify());
        for (const auto& [command, member] : members) {
            const std::string_view text = member(connection.link);
            EXPECT_FALSE(text.empty()) << command;
            EXPECT_NE(text, "NA") << command;
        }
    }
}

TEST(PresetIdentification, NoSmartUnitNoIdentification) {
    for (const char* preset : {"silent", "not-ups"}) {
        SCOPED_TRACE(preset);
        auto unit = sim::SimUnit::FromPreset(preset);
        Connection connection(*unit);
        EXPECT_FALSE(connection.link.CheckSmartMode());
        EXPECT_FALSE(connection.link.Identify());
        EXPECT_EQ(unit->Received().back(), 'Y');  // nothing follows the failed "Y"
    }
}

struct OverrideCase {
    const char* Name;
    const char* Preset;
    std::vector<std::pair<const char*, const char*>> Answers;
    int16_t Family;
    unsigned Flags;
};

TEST(PresetIdentification, OverridesBuildTheOtherPaths) {
    const char* hlList = "#uD43253264271280+H12L348$";
    const char* s431List = "#uD43253264271280+s431abcde4$";
    const OverrideCase cases[] = {
        {"model name summing to 204 skips the programming entry",
         "smart",
         {{"^A", "ff 1400"}},
         FamilySmart,
         kAprog},
        {"line-feed probe", "smart", {{"1", ""}, {"^M", "\\n"}}, FamilyUnidentified, kAprog},
        {"no programming mode and no probe answer", "smart", {{"1", ""}}, FamilySmart2ndGen, 0},
        {"H, L and 8 three apart", "smart", {{"^Z", hlList}}, FamilySmart, kHl},
        {"rack-mount SC", "smart", {{"^A", "Smart SC 1500 RM"}}, FamilySmart, kSc | kScRack | kSmall},
        {"SC rated below 1000", "smart", {{"^A", "Smart SC620"}}, FamilySmart, kSmall},
        {"SC with R", "smart", {{"^A", "Smart SC 1500 RT"}}, FamilySmart, kSc | kThirdGen},
        {"Stack", "smart", {{"^A", "Smart Stack 450"}}, FamilySmart, kStack},
        {"s431 with 4 nine places on", "smart", {{"^Z", s431List}}, FamilySmart, kThirdGen | kCtrlB},
        {"percent NA, Ctrl-D answered", "smart-3g", {{"%", "NA"}, {"^D", "8E"}}, FamilySmart, kThirdGen},
        {"percent NA, Ctrl-D NA", "smart-3g", {{"%", "NA"}}, FamilySmart, kThirdGen | kCtrlB},
        {"SURT rated below 3000", "surt", {{"^A", "Smart RT 2000 XL"}}, FamilySmart, kThirdGen | kSurt | kXl},
        {"frequency NA, load NA", "back-pro", {{"P", "NA"}}, FamilyUnidentified, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        auto unit = sim::SimUnit::FromPreset(c.Preset);
        for (const auto& [command, text] : c.Answers) {
            std::string why;
            ASSERT_TRUE(unit->OverrideAnswer(command, text, &why)) << why;
        }
        Connection connection(*unit);
        ASSERT_TRUE(connection.link.Identify());
        EXPECT_EQ(connection.link.Family, c.Family);
        EXPECT_EQ(FlagsOf(connection.link), c.Flags);
    }
}

TEST(PresetIdentification, AprogByModelNameSendsNoOne) {
    auto unit = sim::SimUnit::FromPreset("smart");
    ASSERT_TRUE(unit->OverrideAnswer("^A", "ff 1400"));
    Connection connection(*unit);
    ASSERT_TRUE(connection.link.Identify());
    const auto& received = unit->Received();
    EXPECT_EQ(std::count(received.begin(), received.end(), '1'), 0);
    EXPECT_TRUE(connection.sleeper.Pauses().empty());
}

}  // namespace
}  // namespace kelvane
