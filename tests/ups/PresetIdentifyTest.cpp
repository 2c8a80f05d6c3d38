// Identification of every simulated preset on virtual time, beyond the family and flags the simulator's
// own tests check: the firmware split, the legacy variant, the watts per percent and the time-outs each
// unit ends with, and that what identification finds does not depend on how the line times its answers.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
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

// Everything identification decides or reads, on one line, so two runs compare in one assertion.
std::string Snapshot(const UpsLink& l) {
    std::ostringstream out;
    out << "Family=" << l.Family << " ThirdGen=" << l.ThirdGen << " SurtModel=" << l.SurtModel
        << " ScModel=" << l.ScModel << " ScRackModel=" << l.ScRackModel << " SmallModel=" << l.SmallModel
        << " XlModel=" << l.XlModel << " StackModel=" << l.StackModel
        << " ModelCodeViaCtrlB=" << l.ModelCodeViaCtrlB << " HlVariant=" << l.HlVariant
        << " AprogMode=" << l.AprogMode << " RatedPower=" << l.RatedPower << " RatedDigits=" << l.RatedDigits
        << " LegacyVariant=" << int{l.LegacyVariant} << " WattsPerPercent=" << l.WattsPerPercent
        << " Multiplier=" << l.Timeouts.ReadTotalMultiplierMs << "\n";
    const std::pair<const char*, std::string_view> texts[] = {
        {"Model", l.ModelNameText},
        {"Serial", l.SerialNumberText},
        {"Firmware", l.FirmwareText},
        {"Sku", l.SkuCodeText},
        {"O", l.OutputVoltageText},
        {"L", l.InputVoltageText},
        {"P", l.LoadPercentText},
        {"W", l.LoadWattsText},
        {"e5", l.FloatVoltageText},
        {"w", l.RatioText},
        {"v", l.EutVoltageText},
        {"2", l.BbdVoltageText},
        {"c5", l.CapacitorLoadText},
        {"d", l.DcOffsetText},
        {"g", l.NominalBatteryVoltageText},
        {">", l.BatteryPacksText},
        {"C", l.TemperatureText},
        {"^J", l.RtPlusBatteryVoltageText},
        {"^K", l.RtMinusBatteryVoltageText},
        {"^G", l.RtPlus400BatteryVoltageText},
        {"^H", l.RtMinus400BatteryVoltageText},
        {"c", l.UpsIdText},
        {"l", l.LowTransferVoltageText},
        {"u", l.UpTransferVoltageText},
        {"0", l.Const0Text},
        {"4", l.Const4Text},
        {"5", l.Const5Text},
        {"6", l.Const6Text},
        {"#", l.ConstHashText},
        {"$", l.ConstDollarText},
        {"%", l.ConstPercentText},
        {"^", l.ConstCaretText},
        {"^D", l.ConstCtrlDText},
        {"o", l.NominalOutputVoltageText},
        {"E", l.SelfTestIntervalText},
        {"p", l.ShutdownDelayText},
        {"r", l.WakeupDelayText},
        {"q", l.LowBatteryWarningText},
        {"k", l.AlarmDelayText},
        {"e", l.ReturnThresholdText},
        {"s", l.SensitivityText},
        {"F", l.LineFrequencyText},
        {"j", l.RunTimeText},
        {"f", l.BatteryChargeText},
        {"m", l.ManufactureDateText},
        {"x", l.BatteryReplaceDateText},
        {"B", l.BatteryVoltageText},
    };
    for (const auto& [name, text] : texts) out << name << "=[" << text << "] ";
    return out.str();
}

struct Unit {
    std::string Name;
    std::string Preset;
    std::vector<std::pair<std::string, std::string>> Answers;  // kelvane-sim's --answer notation
};

struct Identified {
    bool Ok = false;
    std::string State;
    VirtualClock::Duration Took{};
};

Identified Identify(const Unit& u, LineTiming timing, bool early) {
    auto unit = sim::SimUnit::FromPreset(u.Preset);
    for (const auto& [command, text] : u.Answers) {
        std::string why;
        EXPECT_TRUE(unit->OverrideAnswer(command, text, &why)) << why;
    }
    VirtualClock clock;
    VirtualSleeper sleeper(clock);
    VirtualPort port(*unit, clock, timing);
    UpsLink link(port.Opener(), &sleeper);
    link.EarlyCompletion = early;
    EXPECT_TRUE(link.OpenPort("COM1"));
    Identified result;
    result.Ok = link.CheckSmartMode() && link.Identify();
    result.State = Snapshot(link);
    result.Took = clock.Now();
    return result;
}

struct PresetCase {
    const char* Preset;
    const char* Firmware;
    const char* Sku;
    int LegacyVariant;
    float WattsPerPercent;
    uint32_t Multiplier;
};

TEST(PresetIdentify, FirmwareVariantWattsAndTimeoutsOfEveryPreset) {
    const PresetCase cases[] = {
        {"smart", "72.14.I", "", 0, 9.8f, 22},          {"smart-small", "11.3.I", "", 0, 4.34f, 22},
        {"smart-xl", "70.15.D", "", 0, 5.25f, 22},      {"smart-sc", "735.a1.I", "", 0, 7.0f, 22},
        {"smart-3g", ".12.I", "652", 0, 10.5f, 22},     {"surt", ".9.W", "453", 0, 21.0f, 22},
        {"no-serial", "51.9.I", "", 0, 4.9f, 22},       {"back-pro", "12.1.I", "", 0, 4.55f, 22},
        {"back-pro-1500", "12.1.I", "", 0, 10.5f, 22},  {"second-gen", "8QI", "", 0, 8.75f, 30},
        {"second-gen-legacy1", "6QI", "", 1, 4.2f, 30}, {"second-gen-legacy2", "3QI", "", 2, 2.8f, 30},
        {"monitor-only", "666.4.I", "", 0, 21.0f, 22},
    };
    for (const PresetCase& c : cases) {
        SCOPED_TRACE(c.Preset);
        auto unit = sim::SimUnit::FromPreset(c.Preset);
        VirtualClock clock;
        VirtualSleeper sleeper(clock);
        VirtualPort port(*unit, clock);
        UpsLink link(port.Opener(), &sleeper);
        ASSERT_TRUE(link.OpenPort("COM1"));
        ASSERT_TRUE(link.CheckSmartMode());
        ASSERT_TRUE(link.Identify());
        EXPECT_EQ(link.FirmwareText.View(), c.Firmware);
        EXPECT_EQ(link.SkuCodeText.View(), c.Sku);
        EXPECT_EQ(link.LegacyVariant, c.LegacyVariant);
        EXPECT_FLOAT_EQ(link.WattsPerPercent, c.WattsPerPercent);
        EXPECT_EQ(link.Timeouts.ReadTotalMultiplierMs, c.Multiplier);
        EXPECT_EQ(port.Line()->CurrentTimeouts().ReadTotalMultiplierMs, c.Multiplier);
    }
}

TEST(PresetIdentify, SameUnitWhateverTheLineTiming) {
    const char* hlList = "#uD43253264271280+H12L348$";
    const char* s431List = "#uD43253264271280+s431abcde4$";
    std::vector<Unit> units;
    for (const std::string& preset : sim::SimUnit::PresetNames()) {
        if (preset != "silent" && preset != "not-ups") units.push_back({preset, preset, {}});
    }
    // The paths no preset takes on its own.
    units.push_back({"model name summing to 204", "smart", {{"^A", "ff 1400"}}});
    units.push_back({"line-feed probe", "smart", {{"1", ""}, {"^M", "\\n"}}});
    units.push_back({"H, L and 8 three apart", "smart", {{"^Z", hlList}}});
    units.push_back({"rack-mount SC", "smart", {{"^A", "Smart SC 1500 RM"}}});
    units.push_back({"Stack", "smart", {{"^A", "Smart Stack 450"}}});
    units.push_back({"s431 with 4 nine places on", "smart", {{"^Z", s431List}}});
    units.push_back({"percent NA, Ctrl-D answered", "smart-3g", {{"%", "NA"}, {"^D", "8E"}}});
    units.push_back({"SURT rated below 3000", "surt", {{"^A", "Smart RT 2000 XL"}}});

    struct Timing {
        const char* Name;
        LineTiming Line;
        bool Early;
    };
    const Timing timings[] = {
        {"20 ms latency", {20, 0, true}, true},
        {"80 ms latency", {80, 0, true}, true},
        {"answers at once", {0, 0, false}, true},
        {"time-outs only", {0, 0, true}, false},
        {"time-outs only, 80 ms latency", {80, 0, true}, false},
    };
    for (const Unit& u : units) {
        SCOPED_TRACE(u.Name);
        const Identified reference = Identify(u, {}, true);
        ASSERT_TRUE(reference.Ok);
        for (const Timing& t : timings) {
            SCOPED_TRACE(t.Name);
            const Identified other = Identify(u, t.Line, t.Early);
            EXPECT_TRUE(other.Ok);
            EXPECT_EQ(other.State, reference.State);
            if (!t.Early) {
                EXPECT_GT(other.Took, reference.Took);
            }
        }
    }
}

}  // namespace
}  // namespace kelvane
