// The connect-time automatic adjustments of the Options menu, made by the set-up routine StartClick:
// the self-test switch-off, the model hex-code detection and the battery-constant fix.
#include "ui/ConnectAdjustments.h"

#include <cstdio>

#include "ui/QtWindowControls.h"
#include "ui/StatusBar.h"
#include "ui/TForm1.h"
#include "ups/AnswerConversions.h"
#include "ups/Drivers.h"
#include "ups/UpsLink.h"

namespace kelvane {

namespace {

using Condition = bool (*)(const BatteryConstantInputs&);

struct BatteryConstantEntry {
    uint16_t Rating;
    Condition Holds;
    uint8_t Value;
};

constexpr bool Always(const BatteryConstantInputs&) {
    return true;
}

constexpr BatteryConstantEntry kStackEntries[] = {{450, Always, 0x99}, {250, Always, 0xB2}};

constexpr BatteryConstantEntry kHlEntries[] = {
    {700, Always, 0x92}, {1000, Always, 0xC7}, {1400, Always, 0xA3}};

// In this order: where several entries match, the last one counts (a 1000 VA unit with ThirdGen and
// XlModel takes 0x7F, not 0xBC; with SurtModel as well, 0xA8).
constexpr BatteryConstantEntry kOtherEntries[] = {
    {450, Always, 0x96},
    {700, Always, 0x96},
    {1400, Always, 0x9A},
    {1000, [](const BatteryConstantInputs& u) { return u.XlModel; }, 0x9A},
    {750, [](const BatteryConstantInputs& u) { return u.ThirdGen && u.XlModel; }, 0x86},
    {750, [](const BatteryConstantInputs& u) { return !(u.ThirdGen && u.XlModel); }, 0x82},
    {1500, [](const BatteryConstantInputs& u) { return u.ScModel; }, 0x8F},
    {1500, [](const BatteryConstantInputs& u) { return !u.ScModel; }, 0xA1},
    {1000, [](const BatteryConstantInputs& u) { return u.ScModel; }, 0x94},
    {1000, [](const BatteryConstantInputs& u) { return u.ThirdGen; }, 0xBC},
    {1000, [](const BatteryConstantInputs& u) { return u.XlModel && u.ThirdGen; }, 0x7F},
    {1000, [](const BatteryConstantInputs& u) { return u.SurtModel; }, 0xA8},
    {2000, [](const BatteryConstantInputs& u) { return u.SurtModel && u.XlModel; }, 0x75},
    {2000, [](const BatteryConstantInputs& u) { return u.SurtModel && !u.XlModel; }, 0xA0},
    {3000, [](const BatteryConstantInputs& u) { return u.SurtModel; }, 0xCC},
    {3000, [](const BatteryConstantInputs& u) { return !u.SurtModel && u.ThirdGen; }, 0x70},
    {3000, [](const BatteryConstantInputs& u) { return !u.SurtModel && !u.ThirdGen; }, 0xA0},
    {5000, [](const BatteryConstantInputs& u) { return u.SurtModel && u.XlModel; }, 0x86},
    {5000, [](const BatteryConstantInputs& u) { return !u.SurtModel; }, 0x91},
    {6000, [](const BatteryConstantInputs& u) { return u.SurtModel && u.XlModel; }, 0x7E},
    {7500, [](const BatteryConstantInputs& u) { return u.SurtModel && u.XlModel; }, 0x95},
    {10000, [](const BatteryConstantInputs& u) { return u.SurtModel && u.XlModel; }, 0xAB},
    {2200, [](const BatteryConstantInputs& u) { return u.ThirdGen && u.SkuCode == "665"; }, 0x81},
    {2200, [](const BatteryConstantInputs& u) { return u.ThirdGen && u.SkuCode == "654"; }, 0xB3},
    {2200, [](const BatteryConstantInputs& u) { return !u.ThirdGen; }, 0xAF},
    {620, [](const BatteryConstantInputs& u) { return u.ScModel; }, 0x99},
    {620, [](const BatteryConstantInputs& u) { return !u.ScModel; }, 0x8A},
    {280, Always, 0x8C},
    {420, Always, 0x8C},
    {650, Always, 0x91},
};

template <std::size_t N>
uint8_t LastMatch(const BatteryConstantEntry (&entries)[N], const BatteryConstantInputs& unit) {
    uint8_t value = DefaultBatteryConstant;
    for (const BatteryConstantEntry& entry : entries) {
        if (entry.Rating == unit.Rating && entry.Holds(unit)) value = entry.Value;
    }
    return value;
}

std::string HexDigits(uint8_t value) {
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02x", static_cast<unsigned>(value));
    return digits;
}

}  // namespace

uint8_t BatteryConstantFor(const BatteryConstantInputs& unit) {
    if (unit.StackModel) return LastMatch(kStackEntries, unit);
    if (unit.HlVariant) return LastMatch(kHlEntries, unit);
    return LastMatch(kOtherEntries, unit);
}

BatteryConstantInputs BatteryConstantInputsOf(const UpsLink& ups) {
    BatteryConstantInputs inputs;
    inputs.Rating = TruncateTo<uint16_t>(ups.RatedPower);
    inputs.StackModel = ups.StackModel;
    inputs.HlVariant = ups.HlVariant;
    inputs.XlModel = ups.XlModel;
    inputs.ThirdGen = ups.ThirdGen;
    inputs.ScModel = ups.ScModel;
    inputs.SurtModel = ups.SurtModel;
    inputs.SkuCode = ups.SkuCodeText;
    return inputs;
}

std::optional<std::string> NextModelCode2nd(std::string_view code) {
    if (code.size() != 2) return std::nullopt;
    const std::optional<uint8_t> present = ParseHexByte(code);
    if (!present) return std::nullopt;
    return HexDigits(static_cast<uint8_t>(*present + 1));
}

// --- The window's hooks, in the order StartClick runs them --------------------------------------------

void TForm1::SelfTestSwitchOff(bool& intervalChanged) {
    intervalChanged = false;
    if (!SelfTestON1->isChecked() || Ups->Family == FamilyBackPro) return;

    // Bounded: the cycle ends on "OFF", on silence, when a value comes round again (a unit whose list
    // has no "OFF", or that answers "NA") and after a fixed number of steps.
    const LoopResult cycled = CycleUntil(*Ups, Setting::SelfTestInterval, "OFF");
    intervalChanged = cycled.Steps > 0;
    // A refusal sent nothing (a unit without stored settings, such as one not identified): there is no
    // interval to switch off, and saying it failed would send the technician looking for a fault.
    const bool failed = cycled.Ended == LoopEnd::NoAnswer || cycled.Ended == LoopEnd::Missed ||
                        cycled.Ended == LoopEnd::Limit;
    if (failed) {
        StatusBar1->SetPanelText(0, QtWindowControls::FromUnit(SelfTestNotOffMessage));
        StatusBar1->repaint();
    }

    // The 2nd generation keeps a changed setting only after the "Z" pair, which also restarts its
    // controller out of the programming mode: the whole set-up runs again. Once per connection, so a
    // unit that forgets the setting again cannot keep the set-up going round.
    if (intervalChanged && Ups->Family == FamilySmart2ndGen && !InnerSetUpRunning) {
        Ups->SendZPair();
        QueuedModelCode.clear();
        InnerSetUpRunning = true;
        StartClick();
        InnerSetUpRunning = false;
    }
}

void TForm1::HexCodeDetection(bool intervalChanged) {
    if (!HexCodeON->isChecked() || Ups->Family == FamilyUnidentified) return;
    if (Ups->Family != FamilySmart2ndGen) {
        Ups->ReadModelCode();
        ControlsByName->SetText("ModelConst", Ups->ModelCodeText);
        return;
    }
    if (intervalChanged) {
        // The inner set-up has done this. Since then this run's family set-up has put the code the unit
        // answered into the field, and the queued change would read that as its target: the field
        // shows the new code again.
        if (!QueuedModelCode.empty()) ControlsByName->SetText("ModelConst", QueuedModelCode);
        return;
    }
    if (Ups->LegacyVariant != 2) return;

    Ups->ReadModelCode();
    const std::optional<std::string> next = NextModelCode2nd(Ups->ModelCode2ndText);
    // No code to step toward: the field and the queue stay as they are.
    if (!next) return;
    std::snprintf(ConstBuffer.data(), ConstBuffer.size(), "%s", next->c_str());
    ControlsByName->SetText("ModelConst", ConstBuffer.data());
    Commands.push('t', '-');
    QueuedModelCode = *next;
}

void TForm1::BatteryConstantFix() {
    const std::string value = HexDigits(BatteryConstantFor(BatteryConstantInputsOf(*Ups)));
    std::snprintf(ConstBuffer.data(), ConstBuffer.size(), "%s", value.c_str());
    ControlsByName->SetText("Const0", ConstBuffer.data());
    Commands.push('l', '-');
}

}  // namespace kelvane
