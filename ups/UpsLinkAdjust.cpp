// The programming-mode changes of calibration values: one-step adjustments, stepping a constant or the
// model code toward a typed value, and the closed-loop calibration steps.
#include <string>
#include <string_view>

#include "ups/AnswerConversions.h"
#include "ups/UpsLink.h"

namespace kelvane {
namespace {

constexpr uint8_t kCtrlB = 0x02;

bool IsStep(char step) {
    return step == '+' || step == '-';
}

// The unit answers hexadecimal in upper case; the technician may type either.
std::string Upper(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}

// "Not greater than" in the byte order strcmp uses.
bool NotGreater(std::string_view stored, std::string_view target) {
    return Upper(stored).compare(Upper(target)) <= 0;
}

bool SameCode(std::string_view a, std::string_view b) {
    return Upper(a) == Upper(b);
}

}  // namespace

// --- One-step adjustments -----------------------------------------------------------------------------

std::string UpsLink::AdjustReading(uint8_t select, char step, std::size_t stepLength,
                                   std::string (UpsLink::*reread)()) {
    Exchange(select, 5);
    Exchange(static_cast<uint8_t>(step), stepLength);
    return (this->*reread)();
}

std::string UpsLink::AdjustInputVoltage(char step) {
    if (!IsStep(step)) return InputVoltageText.Str();
    return AdjustReading('L', step, 5, &UpsLink::ReadInputVoltage);
}

std::string UpsLink::AdjustLoad(char step) {
    if (!IsStep(step)) return LoadPercentText.Str();
    return AdjustReading('P', step, 5, &UpsLink::ReadLoad);
}

std::string UpsLink::AdjustBatteryVoltage(char step) {
    if (!IsStep(step)) return BatteryVoltageText.Str();
    if (Family == FamilySmart2ndGen) {
        StepBattery2nd();
        return ReadBatteryVoltage();
    }
    return AdjustReading('B', step, 2, &UpsLink::ReadBatteryVoltage);
}

std::string UpsLink::AdjustBatteryPacks(char step) {
    if (!IsStep(step)) return BatteryPacksText.Str();
    Exchange('>', 3);
    Exchange(static_cast<uint8_t>(step), AprogMode ? 6 : 3);
    return ReadBatteryPacks();
}

std::string UpsLink::AdjustRtBattery(uint8_t select, char step, BoundedText<4>& stepReply,
                                     std::string (UpsLink::*reread)()) {
    Exchange(select, 8);
    stepReply = Exchange(static_cast<uint8_t>(step), 2);
    return (this->*reread)();
}

std::string UpsLink::AdjustRtPlusBattery(char step) {
    if (!IsStep(step)) return RtPlusBatteryVoltageText.Str();
    return AdjustRtBattery(0x0A, step, RtPlusStepReplyText, &UpsLink::ReadRtPlusBatteryVoltage);
}
std::string UpsLink::AdjustRtMinusBattery(char step) {
    if (!IsStep(step)) return RtMinusBatteryVoltageText.Str();
    return AdjustRtBattery(0x0B, step, RtMinusStepReplyText, &UpsLink::ReadRtMinusBatteryVoltage);
}
std::string UpsLink::AdjustRtPlus400Battery(char step) {
    if (!IsStep(step)) return RtPlus400BatteryVoltageText.Str();
    return AdjustRtBattery(0x07, step, RtPlus400StepReplyText, &UpsLink::ReadRtPlus400BatteryVoltage);
}
std::string UpsLink::AdjustRtMinus400Battery(char step) {
    if (!IsStep(step)) return RtMinus400BatteryVoltageText.Str();
    return AdjustRtBattery(0x08, step, RtMinus400StepReplyText, &UpsLink::ReadRtMinus400BatteryVoltage);
}

std::string UpsLink::AdjustFloatVoltage(char step) {
    if (!IsStep(step)) return FloatVoltageText.Str();
    return AdjustReading('e', step, 2, &UpsLink::ReadFloatVoltage);
}
std::string UpsLink::AdjustRatio(char step) {
    if (!IsStep(step)) return RatioText.Str();
    return AdjustReading('w', step, 2, &UpsLink::ReadRatio);
}
std::string UpsLink::AdjustBbdVoltage(char step) {
    if (!IsStep(step)) return BbdVoltageText.Str();
    return AdjustReading('2', step, 2, &UpsLink::ReadBbdVoltage);
}
std::string UpsLink::AdjustEutVoltage(char step) {
    if (!IsStep(step)) return EutVoltageText.Str();
    return AdjustReading('v', step, 2, &UpsLink::ReadEutVoltage);
}
std::string UpsLink::AdjustDcOffset(char step) {
    if (!IsStep(step)) return DcOffsetText.Str();
    return AdjustReading('d', step, 2, &UpsLink::ReadDcOffset);
}
std::string UpsLink::AdjustCapacitorLoad(char step) {
    if (!IsStep(step)) return CapacitorLoadText.Str();
    return AdjustReading('c', step, 2, &UpsLink::ReadCapacitorLoad);
}

std::string UpsLink::StepInputVoltage2nd() {
    Exchange('a', 2);
    return ReadInputVoltage();
}

std::string UpsLink::StepLoad2nd() {
    Exchange('b', 2);
    return ReadLoad();
}

std::string UpsLink::StepBattery2nd() {
    BatteryStepReply2ndText = Exchange('d', 2);
    return BatteryStepReply2ndText.Str();
}

std::string UpsLink::AdjustModel(char step) {
    if (!IsStep(step)) return ModelNameText.Str();
    if (ModelCodeViaCtrlB) {
        Exchange(kCtrlB, 2);
        ModelCodeText = Exchange(static_cast<uint8_t>(step), 2);
    } else {
        Exchange('b', 8);
        ModelCodeText = Exchange(static_cast<uint8_t>(step), 4);
    }
    FirmwareText = Exchange('b', 8);
    return ReadModel();
}

// --- Constants and model code -------------------------------------------------------------------------

bool UpsLink::StepConstToward(uint8_t fixedStep2nd, BoundedText<4>& member, std::string_view target) {
    uint8_t step = NotGreater(member, target) ? '+' : '-';
    // The 2nd generation steps these constants with a character of their own, always the same way.
    if (Family == FamilySmart2ndGen && fixedStep2nd != 0) step = fixedStep2nd;
    member = Exchange(step, 2);
    return SameCode(member, target);
}

bool UpsLink::StepConst0Toward(std::string_view target) {
    return StepConstToward('4', Const0Text, target);
}
bool UpsLink::StepConst4Toward(std::string_view target) {
    return StepConstToward(0, Const4Text, target);
}
bool UpsLink::StepConst5Toward(std::string_view target) {
    return StepConstToward('2', Const5Text, target);
}
bool UpsLink::StepConst6Toward(std::string_view target) {
    return StepConstToward('3', Const6Text, target);
}
bool UpsLink::StepConstCtrlDToward(std::string_view target) {
    return StepConstToward(0, ConstCtrlDText, target);
}
bool UpsLink::StepConstHashToward(std::string_view target) {
    return StepConstToward(0, ConstHashText, target);
}
bool UpsLink::StepConstDollarToward(std::string_view target) {
    return StepConstToward(0, ConstDollarText, target);
}
bool UpsLink::StepConstPercentToward(std::string_view target) {
    return StepConstToward(0, ConstPercentText, target);
}
bool UpsLink::StepConstCaretToward(std::string_view target) {
    return StepConstToward(0, ConstCaretText, target);
}

std::string UpsLink::ReadModelCode() {
    if (ModelCodeViaCtrlB) {
        Exchange(kCtrlB, 2);
    } else if (Family == FamilySmart2ndGen) {
        ReadModelCode2nd();
    } else {
        // The code has no query of its own here: one step up and one back down, and the answer to the
        // step down is the code as it was.
        Exchange('b', 8);
        Exchange('+', 2);
        if (Family == FamilyBackPro) Exchange('b', 8);
        Exchange('-', 2);
    }
    ModelCodeText = ReplyText();
    return ModelCodeText.Str();
}

bool UpsLink::StepModelCodeToward(std::string_view target) {
    PreviousModelCodeText = ModelCodeText;
    // The firmware revision this answers is read whole, as ReadModelCode reads it: taken as two
    // characters, the rest of a longer revision would arrive in front of the code the step answers.
    if (Family == FamilyBackPro) Exchange('b', 8);

    bool done = false;
    if (Family == FamilySmart2ndGen) {
        ModelCodeText = Exchange('H', 2);
    } else if (NotGreater(ModelCodeText, target)) {
        // A step up after steps down means the code has passed the target: this step ends the loop.
        if (SteppedDown) {
            done = true;
        } else {
            SteppedUp = true;
        }
        ModelCodeText = Exchange('+', 2);
    } else {
        if (SteppedUp) {
            done = true;
        } else {
            SteppedDown = true;
        }
        ModelCodeText = Exchange('-', 2);
    }
    return done || SameCode(ModelCodeText, target) || ModelCodeText == PreviousModelCodeText.View();
}

bool UpsLink::StepModelCode2ndToward(std::string_view target) {
    ModelCode2ndText = Exchange('H', 2);
    return SameCode(ModelCode2ndText, target);
}

// --- Calibration steps --------------------------------------------------------------------------------

// Readings are single precision; every difference is taken in double precision against exact limits.
bool UpsLink::CalibrateStep(std::string_view reference, float& reading, double window2nd,
                            std::string (UpsLink::*adjust)(char), std::string (UpsLink::*step2nd)()) {
    const double target = ParseDecimal(reference);
    PreviousValue = reading;
    CalibrationJumped = false;

    bool done = false;
    if (Family == FamilySmart2ndGen) {
        (this->*step2nd)();
        const double above = static_cast<double>(reading) - target;
        done = above > 0.0 && above < window2nd;
    } else if (static_cast<double>(reading) > target) {
        // The first step back toward the reference after crossing it ends the calibration.
        if (SteppedUp) {
            done = true;
        } else {
            SteppedDown = true;
        }
        (this->*adjust)('-');
    } else {
        if (SteppedDown) {
            done = true;
        } else {
            SteppedUp = true;
        }
        (this->*adjust)('+');
    }

    const double moved = static_cast<double>(reading) - static_cast<double>(PreviousValue);
    if (moved > 30.0 && static_cast<double>(reading) < target) {
        done = true;
        CalibrationJumped = true;
    }
    if (moved < -30.0) {
        (this->*adjust)('-');
        done = true;
        CalibrationJumped = true;
    }
    return done;
}

bool UpsLink::CalibrateInputVoltageStep(std::string_view reference) {
    return CalibrateStep(reference, InputVoltageValue, 3.0, &UpsLink::AdjustInputVoltage,
                         &UpsLink::StepInputVoltage2nd);
}

bool UpsLink::CalibrateLoadStep(std::string_view reference) {
    return CalibrateStep(reference, LoadWattsValue, 10.0, &UpsLink::AdjustLoad, &UpsLink::StepLoad2nd);
}

bool UpsLink::CalibrateBattery2ndStep(std::string_view reference) {
    const double target = ParseDecimal(reference);
    PreviousValue = BatteryVoltageValue;
    CalibrationJumped = false;
    StepBattery2nd();
    ReadBatteryVoltage();
    const double above = static_cast<double>(BatteryVoltageValue) - target;
    const double moved = static_cast<double>(BatteryVoltageValue) - static_cast<double>(PreviousValue);
    if (moved > 5.0 && static_cast<double>(BatteryVoltageValue) < target) {
        CalibrationJumped = true;
        return true;
    }
    return above > 0.0 && above < 0.3;
}

}  // namespace kelvane
