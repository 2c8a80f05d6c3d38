// The one-step commands: adjustments shown at once, adjustments left to the next display refresh, and
// stored settings moved to their next value.
#include <string>

#include "ups/UpsLink.h"
#include "worker/DispatchTable.h"
#include "worker/Dispatcher.h"
#include "worker/Tone.h"

namespace kelvane {
namespace {

using dispatch::Find;

using Adjust = std::string (UpsLink::*)(char);
using CycleOperation = std::string (UpsLink::*)();

// A load step and the four controls of its page. The 2nd generation steps one way only and beeps,
// because its single button gives no other sign that the step was taken.
struct LoadStep {
    char Code;
    Adjust Step;  // null: the 2nd generation's one-way step
    const char* Percent;
    const char* Watts;
    const char* Bar;
};
constexpr LoadStep kLoadSteps[] = {
    {'2', &UpsLink::AdjustLoad, "LoadPercent", "LoadW", "LoadBar"},
    {'f', &UpsLink::AdjustLoad, "LoadPercentBackPro", "LoadWBackPro", "LoadBackProBar"},
    {'6', nullptr, "LoadPercent2nd", "LoadW2nd", "Load2ndBar"},
};

// An input-voltage step; the output follows the input on these units, so it is read again as well.
struct InputStep {
    char Code;
    Adjust Step;  // null: the 2nd generation's one-way step
    const char* Input;
    const char* InputBar;
    const char* Output;
    const char* OutputBar;
};
constexpr InputStep kInputSteps[] = {
    {'3', &UpsLink::AdjustInputVoltage, "InputVoltage", "InputVoltageBar", "OutputVoltage",
     "OutputVoltageBar"},
    {'g', &UpsLink::AdjustInputVoltage, "InputVoltageBackPro", "InputVoltageBackProBar",
     "OutputVoltageBackPro", "OutputVoltageBackProBar"},
    {'7', nullptr, "InputVoltage2nd", "InputVoltage2ndBar", "OutputVoltage2nd", "OutputVoltage2ndBar"},
};

// A battery-charger step of the online models; the unit's raw answer to the step is shown beside it.
struct ChargerStep {
    char Code;
    Adjust Step;
    BoundedText<4> UpsLink::*Reply;
    const char* Field;
    const char* ReplyLabel;
};
constexpr ChargerStep kChargerSteps[] = {
    {'#', &UpsLink::AdjustRtPlusBattery, &UpsLink::RtPlusStepReplyText, "RTplusBatVoltage", "Label19"},
    {'$', &UpsLink::AdjustRtMinusBattery, &UpsLink::RtMinusStepReplyText, "RTminusBatVoltage", "Label20"},
    {'%', &UpsLink::AdjustRtPlus400Battery, &UpsLink::RtPlus400StepReplyText, "RTplus400BatVoltage",
     "Label21"},
    {'^', &UpsLink::AdjustRtMinus400Battery, &UpsLink::RtMinus400StepReplyText, "RTminus400BatVoltage",
     "Label22"},
};

struct PlainStep {
    char Code;
    Adjust Step;
    const char* Field;  // null: the next display refresh shows the value
};
constexpr PlainStep kPlainSteps[] = {
    {'4', &UpsLink::AdjustBatteryVoltage, "BatteryVoltageSmart"},
    {'5', &UpsLink::AdjustBatteryPacks, "BatteryPacks"},
    {'A', &UpsLink::AdjustRatio, nullptr},
    {'B', &UpsLink::AdjustBbdVoltage, nullptr},
    {'C', &UpsLink::AdjustEutVoltage, nullptr},
    {'D', &UpsLink::AdjustBatteryVoltage, nullptr},
    {'E', &UpsLink::AdjustFloatVoltage, nullptr},
    {'F', &UpsLink::AdjustDcOffset, nullptr},
    {'G', &UpsLink::AdjustCapacitorLoad, nullptr},
};

struct SettingCycle {
    char Code;
    CycleOperation Cycle;
    const char* Field;
};
constexpr SettingCycle kSettingCycles[] = {
    {'8', &UpsLink::CycleUpTransferVoltage, "UpTransferVoltage"},
    {'9', &UpsLink::CycleLowTransferVoltage, "LowTransferVoltage"},
    {'a', &UpsLink::CycleNominalOutputVoltage, "OutputVoltageConstant"},
    {'b', &UpsLink::CycleUpTransferVoltage, "UpVoltage2nd"},
    {'c', &UpsLink::CycleLowTransferVoltage, "LowVoltage2nd"},
    {'d', &UpsLink::CycleNominalOutputVoltage, "OutputVoltageConstant2nd"},
    {'M', &UpsLink::CycleReturnThreshold, "Threshold"},
    {'S', &UpsLink::CycleLowBatteryWarning, "LowBatWarning"},
    {'u', &UpsLink::CycleShutdownDelay, "ShutDownDelay"},
    {'v', &UpsLink::CycleWakeupDelay, "WakeUpDelay"},
    {'w', &UpsLink::CycleSelfTestInterval, "SelfTest"},
    {'x', &UpsLink::CycleSensitivity, "Sensitivity"},
    {'y', &UpsLink::CycleAlarmDelay, "AlarmDelay"},
};

}  // namespace

bool Dispatcher::StepWithDisplay(char code, char argument) {
    if (const LoadStep* load = Find(kLoadSteps, code)) {
        const std::string percent = load->Step ? (ups_.*load->Step)(argument) : ups_.StepLoad2nd();
        SetText(load->Percent, percent);
        ColourLoad(load->Percent, load->Watts);
        SetText(load->Watts, ups_.LoadWattsText);
        SetBar(load->Bar, ups_.LoadPercentValue);
        Repaint(load->Bar);
        if (!load->Step) tone_.Beep();
        return true;
    }
    if (const InputStep* input = Find(kInputSteps, code)) {
        const std::string voltage = input->Step ? (ups_.*input->Step)(argument) : ups_.StepInputVoltage2nd();
        SetText(input->Input, voltage);
        SetBar(input->InputBar, ups_.InputVoltageValue);
        const std::string output = ups_.ReadOutputVoltage();
        SetText(input->Output, output);
        SetBar(input->OutputBar, ups_.OutputVoltageValue);
        if (!input->Step) tone_.Beep();
        return true;
    }
    if (const ChargerStep* charger = Find(kChargerSteps, code)) {
        const std::string voltage = (ups_.*charger->Step)(argument);
        SetText(charger->Field, voltage);
        SetText(charger->ReplyLabel, ups_.*charger->Reply);
        return true;
    }
    if (code == 'R') {
        // The 2nd generation's battery step goes one way only, whatever the argument.
        const std::string voltage = ups_.AdjustBatteryVoltage(argument);
        SetText("BatteryVoltage2nd", voltage);
        FlashConfirmed("BatteryVoltage2nd");
        return true;
    }
    const PlainStep* plain = Find(kPlainSteps, code);
    if (!plain || !plain->Field) return false;
    const std::string value = (ups_.*plain->Step)(argument);
    SetText(plain->Field, value);
    return true;
}

bool Dispatcher::StepWithoutDisplay(char code, char argument) {
    const PlainStep* plain = Find(kPlainSteps, code);
    if (!plain || plain->Field) return false;
    (ups_.*plain->Step)(argument);
    return true;
}

bool Dispatcher::CycleStoredSetting(char code, char) {
    const SettingCycle* setting = Find(kSettingCycles, code);
    if (!setting) return false;
    const std::string value = (ups_.*setting->Cycle)();
    SetText(setting->Field, value);
    return true;
}

}  // namespace kelvane
