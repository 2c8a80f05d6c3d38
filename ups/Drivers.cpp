#include "ups/Drivers.h"

#include <algorithm>
#include <set>

#include "ups/AnswerConversions.h"

namespace kelvane {
namespace {

constexpr uint8_t kCtrlB = 0x02;
constexpr uint8_t kCtrlD = 0x04;

bool StopAsked(const LoopHooks& hooks) {
    return hooks.StopRequested && hooks.StopRequested();
}

void Report(const LoopHooks& hooks, int step, std::string_view value) {
    if (hooks.OnStep) hooks.OnStep(step, value);
}

bool IsHexCode(std::string_view text) {
    return text.size() == 2 && ParseHexByte(text).has_value();
}

bool Identified(const UpsLink& link) {
    return link.Family != FamilyUnidentified;
}

// How one loop steps and what ends it. The loop itself is the same for every value:
//   before each step: a stop request ends it (Stopped), so does the step limit (Limit);
//   the step reports completion: Reached or Missed as `completed` decides, NoAnswer when the value
//     is unusable;
//   otherwise the value is shown, and an unusable value ends it (NoAnswer).
struct Stepper {
    int Limit = 0;
    std::function<bool()> Step;
    std::function<std::string()> Value;
    std::function<bool(std::string_view)> Usable;
    std::function<LoopEnd(std::string_view)> Completed;
};

LoopResult RunSteps(const Stepper& stepper, const LoopHooks& hooks) {
    LoopResult result;
    for (;;) {
        if (StopAsked(hooks)) {
            result.Ended = LoopEnd::Stopped;
            break;
        }
        if (result.Steps >= stepper.Limit) {
            result.Ended = LoopEnd::Limit;
            break;
        }
        ++result.Steps;
        const bool done = stepper.Step();
        result.Value = stepper.Value();
        if (done) {
            result.Ended = stepper.Usable(result.Value) ? stepper.Completed(result.Value) : LoopEnd::NoAnswer;
            break;
        }
        Report(hooks, result.Steps, result.Value);
        if (!stepper.Usable(result.Value)) {
            result.Ended = LoopEnd::NoAnswer;
            break;
        }
    }
    return result;
}

LoopResult RefusedWith(std::string value = {}) {
    LoopResult result;
    result.Ended = LoopEnd::Refused;
    result.Value = std::move(value);
    return result;
}

struct ConstantEntry {
    uint8_t Select;
    bool (UpsLink::*Step)(std::string_view);
    BoundedText<4> UpsLink::*Text;
};

ConstantEntry EntryOf(Constant constant) {
    switch (constant) {
        case Constant::Zero:
            return {'0', &UpsLink::StepConst0Toward, &UpsLink::Const0Text};
        case Constant::Four:
            return {'4', &UpsLink::StepConst4Toward, &UpsLink::Const4Text};
        case Constant::Five:
            return {'5', &UpsLink::StepConst5Toward, &UpsLink::Const5Text};
        case Constant::Six:
            return {'6', &UpsLink::StepConst6Toward, &UpsLink::Const6Text};
        case Constant::Hash:
            return {'#', &UpsLink::StepConstHashToward, &UpsLink::ConstHashText};
        case Constant::Dollar:
            return {'$', &UpsLink::StepConstDollarToward, &UpsLink::ConstDollarText};
        case Constant::Percent:
            return {'%', &UpsLink::StepConstPercentToward, &UpsLink::ConstPercentText};
        case Constant::Caret:
            return {'^', &UpsLink::StepConstCaretToward, &UpsLink::ConstCaretText};
        case Constant::CtrlD:
            return {kCtrlD, &UpsLink::StepConstCtrlDToward, &UpsLink::ConstCtrlDText};
    }
    return {'0', &UpsLink::StepConst0Toward, &UpsLink::Const0Text};
}

struct SettingEntry {
    std::string (UpsLink::*Cycle)();
    std::string_view (*Text)(const UpsLink&);
};

SettingEntry EntryOf(Setting setting) {
    switch (setting) {
        case Setting::LowTransferVoltage:
            return {&UpsLink::CycleLowTransferVoltage,
                    [](const UpsLink& l) -> std::string_view { return l.LowTransferVoltageText; }};
        case Setting::UpTransferVoltage:
            return {&UpsLink::CycleUpTransferVoltage,
                    [](const UpsLink& l) -> std::string_view { return l.UpTransferVoltageText; }};
        case Setting::SelfTestInterval:
            return {&UpsLink::CycleSelfTestInterval,
                    [](const UpsLink& l) -> std::string_view { return l.SelfTestIntervalText; }};
        case Setting::ShutdownDelay:
            return {&UpsLink::CycleShutdownDelay,
                    [](const UpsLink& l) -> std::string_view { return l.ShutdownDelayText; }};
        case Setting::WakeupDelay:
            return {&UpsLink::CycleWakeupDelay,
                    [](const UpsLink& l) -> std::string_view { return l.WakeupDelayText; }};
        case Setting::LowBatteryWarning:
            return {&UpsLink::CycleLowBatteryWarning,
                    [](const UpsLink& l) -> std::string_view { return l.LowBatteryWarningText; }};
        case Setting::ReturnThreshold:
            return {&UpsLink::CycleReturnThreshold,
                    [](const UpsLink& l) -> std::string_view { return l.ReturnThresholdText; }};
        case Setting::AlarmDelay:
            return {&UpsLink::CycleAlarmDelay,
                    [](const UpsLink& l) -> std::string_view { return l.AlarmDelayText; }};
        case Setting::Sensitivity:
            return {&UpsLink::CycleSensitivity,
                    [](const UpsLink& l) -> std::string_view { return l.SensitivityText; }};
        case Setting::NominalOutputVoltage:
            return {&UpsLink::CycleNominalOutputVoltage,
                    [](const UpsLink& l) -> std::string_view { return l.NominalOutputVoltageText; }};
    }
    return EntryOf(Setting::LowTransferVoltage);
}

}  // namespace

std::string_view LoopEndName(LoopEnd end) {
    switch (end) {
        case LoopEnd::Reached:
            return "reached";
        case LoopEnd::Missed:
            return "missed";
        case LoopEnd::NoAnswer:
            return "no-answer";
        case LoopEnd::Stopped:
            return "stopped";
        case LoopEnd::Limit:
            return "limit";
        case LoopEnd::Refused:
            return "refused";
    }
    return "refused";
}

std::optional<std::string> HexTarget(std::string_view typed) {
    if (typed.empty() || typed.size() > 2) return std::nullopt;
    std::string code = typed.size() == 1 ? "0" + std::string(typed) : std::string(typed);
    if (!ParseHexByte(code)) return std::nullopt;
    for (char& c : code) {
        if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
    }
    return code;
}

bool HasStoredSettings(const UpsLink& link) {
    return link.Family == FamilySmart || link.Family == FamilySmartNoSerial ||
           link.Family == FamilySmart2ndGen;
}

bool HasConstant(const UpsLink& link, Constant constant) {
    switch (constant) {
        case Constant::Zero:
        case Constant::Five:
        case Constant::Six:
            return HasStoredSettings(link);
        case Constant::Four:
            // On the 2nd generation "4" is the step character of constant "0".
            return link.Family == FamilySmart;
        case Constant::Hash:
            return link.ScModel;
        case Constant::Dollar:
        case Constant::Percent:
        case Constant::CtrlD:
            return link.ThirdGen;
        case Constant::Caret:
            return link.ThirdGen && !link.SurtModel;
    }
    return false;
}

std::string_view ConstantText(const UpsLink& link, Constant constant) {
    return link.*(EntryOf(constant).Text);
}

LoopResult DriveConstant(UpsLink& link, Constant constant, std::string_view target, const LoopHooks& hooks) {
    const ConstantEntry entry = EntryOf(constant);
    const std::optional<std::string> code = HexTarget(target);
    if (!code || !HasConstant(link, constant)) return RefusedWith((link.*entry.Text).Str());
    if (StopAsked(hooks)) return {LoopEnd::Stopped, 0, (link.*entry.Text).Str()};

    link.Exchange(entry.Select, 2);
    Stepper stepper;
    stepper.Limit = kConstantStepLimit;
    stepper.Step = [&] { return (link.*entry.Step)(*code); };
    stepper.Value = [&] { return (link.*entry.Text).Str(); };
    stepper.Usable = IsHexCode;
    stepper.Completed = [](std::string_view) { return LoopEnd::Reached; };
    return RunSteps(stepper, hooks);
}

LoopResult DriveModelCode(UpsLink& link, std::string_view target, const LoopHooks& hooks) {
    const std::optional<std::string> code = HexTarget(target);
    if (!code || !Identified(link)) return RefusedWith(link.ModelCodeText.Str());
    if (StopAsked(hooks)) return {LoopEnd::Stopped, 0, link.ModelCodeText.Str()};

    link.SteppedDown = false;
    link.SteppedUp = false;
    if (link.ModelCodeViaCtrlB) {
        // The selection answers the code itself: the first step's direction is then taken from the
        // code the unit has, not from whatever was read last.
        link.ModelCodeText = link.Exchange(kCtrlB, 2);
    } else if (link.Family == FamilySmart2ndGen) {
        // The first step's "did not move" check compares with this answer, not with a code read earlier.
        link.ModelCodeText = link.Exchange('H', 2);
    } else {
        // "b" answers the firmware, not the code; without a code read before, the first step would
        // go up whatever the code, and a code above the target would end the loop at once.
        if (!IsHexCode(link.ModelCodeText)) link.ReadModelCode();
        link.Exchange('b', 8);
    }

    Stepper stepper;
    stepper.Limit = kModelCodeStepLimit;
    stepper.Step = [&] { return link.StepModelCodeToward(*code); };
    stepper.Value = [&] { return link.ModelCodeText.Str(); };
    stepper.Usable = IsHexCode;
    stepper.Completed = [&](std::string_view value) {
        return HexTarget(value) == code ? LoopEnd::Reached : LoopEnd::Missed;
    };
    return RunSteps(stepper, hooks);
}

LoopResult DriveModelCode2nd(UpsLink& link, std::string_view target, const LoopHooks& hooks) {
    const std::optional<std::string> code = HexTarget(target);
    if (!code || link.Family != FamilySmart2ndGen) return RefusedWith(link.ModelCode2ndText.Str());

    Stepper stepper;
    stepper.Limit = kModelCodeStepLimit;
    stepper.Step = [&] { return link.StepModelCode2ndToward(*code); };
    stepper.Value = [&] { return link.ModelCode2ndText.Str(); };
    stepper.Usable = IsHexCode;
    stepper.Completed = [](std::string_view) { return LoopEnd::Reached; };
    return RunSteps(stepper, hooks);
}

bool IsDecimalReference(std::string_view text) {
    bool digit = false;
    bool point = false;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            digit = true;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return digit;
}

LoopResult DriveCalibration(UpsLink& link, Calibration calibration, std::string_view reference,
                            const LoopHooks& hooks) {
    Stepper stepper;
    stepper.Limit = kCalibrationStepLimit;
    // A reading the calibration can compare starts with a number.
    stepper.Usable = StartsWithNumber;
    stepper.Completed = [&](std::string_view) {
        return link.CalibrationJumped ? LoopEnd::Missed : LoopEnd::Reached;
    };
    const std::string ref(reference);
    switch (calibration) {
        case Calibration::InputVoltage:
            if (!Identified(link) || !IsDecimalReference(reference)) {
                return RefusedWith(link.InputVoltageText.Str());
            }
            stepper.Step = [&] { return link.CalibrateInputVoltageStep(ref); };
            stepper.Value = [&] { return link.InputVoltageText.Str(); };
            break;
        case Calibration::Load:
            // Without a rating the load in watts always reads 0, and the loop could only drag the unit's
            // load calibration to the step limit.
            if ((link.Family != FamilySmart && link.Family != FamilySmart2ndGen) ||
                !IsDecimalReference(reference) || !(link.WattsPerPercent > 0.0f)) {
                return RefusedWith(link.LoadPercentText.Str());
            }
            stepper.Step = [&] { return link.CalibrateLoadStep(ref); };
            stepper.Value = [&] { return link.LoadPercentText.Str(); };
            break;
        case Calibration::Battery2nd:
            if (link.Family != FamilySmart2ndGen || !IsDecimalReference(reference)) {
                return RefusedWith(link.BatteryVoltageText.Str());
            }
            stepper.Step = [&] { return link.CalibrateBattery2ndStep(ref); };
            stepper.Value = [&] { return link.BatteryVoltageText.Str(); };
            // The unit's answer to the step, not the reading, tells whether it is still there.
            stepper.Usable = [&](std::string_view reading) {
                return !link.BatteryStepReply2ndText.Empty() && StartsWithNumber(reading);
            };
            break;
    }
    if (StopAsked(hooks)) return {LoopEnd::Stopped, 0, stepper.Value()};
    if (calibration != Calibration::Battery2nd) {
        link.SteppedDown = false;
        link.SteppedUp = false;
    }
    return RunSteps(stepper, hooks);
}

std::string CycleSetting(UpsLink& link, Setting setting) {
    return (link.*(EntryOf(setting).Cycle))();
}

std::string_view SettingText(const UpsLink& link, Setting setting) {
    return EntryOf(setting).Text(link);
}

LoopResult CycleUntil(UpsLink& link, Setting setting, std::string_view wanted, const LoopHooks& hooks) {
    const SettingEntry entry = EntryOf(setting);
    LoopResult result;
    result.Value = std::string(entry.Text(link));
    if (!HasStoredSettings(link)) return RefusedWith(result.Value);

    std::set<std::string> seen{result.Value};
    while (result.Value != wanted) {
        if (StopAsked(hooks)) {
            result.Ended = LoopEnd::Stopped;
            return result;
        }
        if (result.Steps >= kCycleSearchLimit) {
            result.Ended = LoopEnd::Limit;
            return result;
        }
        ++result.Steps;
        result.Value = (link.*entry.Cycle)();
        if (result.Value == wanted) break;
        Report(hooks, result.Steps, result.Value);
        if (result.Value.empty()) {
            result.Ended = LoopEnd::NoAnswer;
            return result;
        }
        // Round the whole list without meeting the value: the unit does not offer it.
        if (!seen.insert(result.Value).second) {
            result.Ended = LoopEnd::Missed;
            return result;
        }
    }
    result.Ended = LoopEnd::Reached;
    return result;
}

LoopResult ReadEeprom(UpsLink& link, std::size_t offset, const LoopHooks& hooks) {
    constexpr std::size_t kSize = 256;
    // The unit moves on with every "+" whether or not its answer arrives, so the walk goes on through a
    // missing answer and stays in step; only this many in a row mean the unit has fallen silent.
    constexpr int kSilentAfter = 3;
    if (!Identified(link) || link.ScModel || offset > link.EepromImage.size() - kSize) return RefusedWith();
    if (StopAsked(hooks)) return {LoopEnd::Stopped, 0, {}};

    const uint8_t start = ParseHexByte(link.EepromBegin()).value_or(0);
    uint8_t byte = start;
    auto store = [&](int k) {
        link.EepromImage[offset + (start + static_cast<std::size_t>(k)) % kSize] = byte;
    };

    LoopResult result;
    int missingInARow = 0;
    for (int k = 1; k < static_cast<int>(kSize); ++k) {
        if (StopAsked(hooks)) {
            result.Ended = LoopEnd::Stopped;
            return result;
        }
        const std::string answer = link.EepromNext();
        if (answer.empty()) {
            if (++missingInARow == kSilentAfter) {
                // A silent unit answers no further byte; the walk would have stored the last one throughout.
                for (int rest = k; rest < static_cast<int>(kSize); ++rest) store(rest);
                result.Ended = LoopEnd::NoAnswer;
                return result;
            }
        } else {
            missingInARow = 0;
            ++result.Steps;
            byte = ParseHexByte(answer).value_or(byte);
        }
        store(k);
        Report(hooks, k, answer);
    }
    result.Ended = LoopEnd::Reached;
    return result;
}

}  // namespace kelvane
