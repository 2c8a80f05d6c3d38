// The commands that drive a value to what the technician typed: calibration constants, the model code and
// the closed-loop calibrations against a reference instrument; and the model code's one-step change.
#include <string>

#include "ups/AnswerConversions.h"
#include "ups/Drivers.h"
#include "ups/UpsLink.h"
#include "worker/DispatchTable.h"
#include "worker/Dispatcher.h"

namespace kelvane {
namespace {

using dispatch::Find;

// Each constant has one entry field that is also its display.
struct ConstantCommand {
    char Code;
    Constant Which;
    const char* Field;
};
constexpr ConstantCommand kConstants[] = {
    {'!', Constant::CtrlD, "ConstCTRLD"}, {'@', Constant::Hash, "Const_3"},
    {'U', Constant::Dollar, "Const_4"},   {'Z', Constant::Percent, "Const_5"},
    {'V', Constant::Caret, "Const_6"},    {'l', Constant::Zero, "Const0"},
    {'m', Constant::Four, "Const4"},      {'n', Constant::Five, "Const5"},
    {'o', Constant::Six, "Const6"},       {'p', Constant::Zero, "Const02nd"},
    {'q', Constant::Five, "Const52nd"},   {'r', Constant::Six, "Const62nd"},
};

enum class Reading { Load, InputVoltage, Battery };

struct CalibrationCommand {
    char Code;
    Calibration Which;
    Reading Shows;
    const char* Field;  // the reading (for the load: its per-cent field)
    const char* Bar;    // null: the reading has none
    const char* Watts;  // the load only: the watts field, which also flashes
    const char* Entry;  // where the technician typed the reference
};
constexpr CalibrationCommand kCalibrations[] = {
    {'H', Calibration::Load, Reading::Load, "LoadPercent", "LoadBar", "LoadW", "LoadSmartConst"},
    {'I', Calibration::Load, Reading::Load, "LoadPercent2nd", "Load2ndBar", "LoadW2nd", "LoadSmart2nd"},
    {'J', Calibration::InputVoltage, Reading::InputVoltage, "InputVoltage", "InputVoltageBar", nullptr,
     "InputVoltageConstantSmart"},
    {'K', Calibration::InputVoltage, Reading::InputVoltage, "InputVoltage2nd", "InputVoltage2ndBar", nullptr,
     "InputVoltageConstantSmart2nd"},
    {'L', Calibration::InputVoltage, Reading::InputVoltage, "InputVoltageBackPro", "InputVoltageBackProBar",
     nullptr, "InputVoltageConstantBP"},
    {'s', Calibration::Battery2nd, Reading::Battery, "BatteryVoltage2nd", nullptr, nullptr, "BatSmart2nd"},
};

}  // namespace

bool Dispatcher::SetConstant(char code, char) {
    const ConstantCommand* constant = Find(kConstants, code);
    if (!constant && code != 't') return false;
    const std::string_view field = constant ? constant->Field : "ModelConst";
    const std::string_view target = ReadTarget(field);
    const LoopHooks hooks = Hooks([&](int, std::string_view value) { SetText(field, value); });

    LoopResult result;
    std::string shown;
    if (constant) {
        result = DriveConstant(ups_, constant->Which, target, hooks);
        shown = std::string(ConstantText(ups_, constant->Which));
    } else {
        result = DriveModelCode2nd(ups_, target, hooks);
        shown = ups_.ModelCode2ndText.Str();
    }
    const Ending ending = EndingOf(result.Ended);
    if (ending == Ending::Stopped) return true;
    SetText(field, shown);
    FlashEnding(ending, field);
    return true;
}

bool Dispatcher::CalibrateReading(char code, char) {
    const CalibrationCommand* command = Find(kCalibrations, code);
    if (!command) return false;
    const CalibrationCommand& c = *command;
    const std::string_view reference = ReadTarget(c.Entry);

    const auto showLoad = [&] {
        SetText(c.Field, ups_.LoadPercentText);
        SetBar(c.Bar, ups_.LoadPercentValue);
        SetText(c.Watts, std::to_string(TruncateTo<int>(ups_.LoadWattsValue)));
    };
    const auto showStep = [&](int, std::string_view) {
        switch (c.Shows) {
            case Reading::Load:
                showLoad();
                break;
            case Reading::InputVoltage:
                SetText(c.Field, ups_.InputVoltageText);
                SetBar(c.Bar, ups_.InputVoltageValue);
                break;
            case Reading::Battery: {
                const std::string voltage = ups_.ReadBatteryVoltage();
                SetText(c.Field, voltage);
                break;
            }
        }
    };

    // A reference that is not a number is refused by the driver before anything is sent.
    const LoopResult result = DriveCalibration(ups_, c.Which, reference, Hooks(showStep));
    const Ending ending = EndingOf(result.Ended);
    if (ending == Ending::Stopped) return true;

    switch (c.Shows) {
        case Reading::Load:
            showLoad();
            break;
        case Reading::InputVoltage:
            SetText(c.Field, ups_.InputVoltageText);
            break;
        case Reading::Battery:
            SetText(c.Field, ups_.BatteryVoltageText);
            break;
    }
    FlashEnding(ending, c.Watts ? c.Watts : c.Field);
    SetText(c.Entry, "");
    return true;
}

bool Dispatcher::ChangeModel(char code, char argument) {
    if (code == 'Q') {
        SetModelCode();
        return true;
    }
    if (code != '1') return false;
    const std::string model = ups_.AdjustModel(argument);
    SetText("Model", model);
    if (ups_.ThirdGen) {
        ShowFirmwareOfThirdGen();
    } else {
        SetText("Firmware", ups_.FirmwareText);
    }
    SetText("ModelConst", ups_.ModelCodeText);
    const std::string batteries = ups_.ReadNominalBatteryVoltage();
    SetText("BatSysVolt", batteries);
    if (ups_.Family != FamilyBackPro) ShowTransferAndOutput();
    return true;
}

void Dispatcher::SetModelCode() {
    const std::string_view target = ReadTarget("ModelConst");
    const LoopResult result = DriveModelCode(
        ups_, target, Hooks([this](int, std::string_view value) { SetText("ModelConst", value); }));
    const Ending ending = EndingOf(result.Ended);
    if (ending == Ending::Stopped) return;
    if (ending == Ending::Refused) {
        // Nothing was sent, so nothing changed on the unit that would be worth reading again.
        SetText("ModelConst", ups_.ModelCodeText);
        FlashEnding(ending, "ModelConst");
        return;
    }

    if (ups_.ThirdGen) ShowFirmwareOfThirdGen();
    const std::string model = ups_.ReadModel();
    SetText("Model", model);
    SetText("Firmware", "");
    const std::string firmware = ups_.ReadFirmware();
    SetText("Firmware", firmware);
    SetText("ModelConst", ups_.ModelCodeText);
    const std::string batteries = ups_.ReadNominalBatteryVoltage();
    SetText("BatSysVolt", batteries);
    FlashEnding(ending, "ModelConst");
    if (ups_.Family != FamilyBackPro) ShowTransferAndOutput();
}

// Third-generation units show the SKU code in its own field and the rest of the firmware in its caption.
void Dispatcher::ShowFirmwareOfThirdGen() {
    const std::string firmware = ups_.ReadFirmware();
    SetText("SU36GLabel", firmware);
    SetText("SU36G", ups_.SkuCodeText);
}

// A new model code brings the model's own transfer points and nominal output with it.
void Dispatcher::ShowTransferAndOutput() {
    const std::string up = ups_.ReadUpTransferVoltage();
    SetText("UpTransferVoltage", up);
    const std::string low = ups_.ReadLowTransferVoltage();
    SetText("LowTransferVoltage", low);
    const std::string output = ups_.ReadNominalOutputVoltage();
    SetText("OutputVoltageConstant", output);
}

}  // namespace kelvane
