// The identity texts written from their fields, and the unit commands: self-test, lamp and alarm test,
// bypass and the return to factory settings.
#include <functional>
#include <string>

#include "ups/UpsLink.h"
#include "worker/DispatchTable.h"
#include "worker/Dispatcher.h"
#include "worker/Tone.h"

namespace kelvane {
namespace {

using dispatch::Find;

struct IdentityWrite {
    char Code;
    const char* Field;
    std::string (UpsLink::*Write)(std::string_view);
};
constexpr IdentityWrite kIdentityWrites[] = {
    {'h', "ManufactureDate", &UpsLink::WriteManufactureDate},
    {'i', "BatteriesReplaseDate", &UpsLink::WriteBatteryReplaceDate},
    {'j', "ID", &UpsLink::WriteUpsId},
    {'k', "SerialNumber", &UpsLink::WriteSerialNumber},
    {'O', "SU36G", &UpsLink::WriteSkuCode},
};

// The ten settings a factory reset re-reads, into the fields that show them.
void ShowResetSettings(UpsLink& ups, const std::function<void(std::string_view, std::string_view)>& show) {
    show("UpTransferVoltage", ups.UpTransferVoltageText);
    show("LowTransferVoltage", ups.LowTransferVoltageText);
    show("OutputVoltageConstant", ups.NominalOutputVoltageText);
    show("SelfTest", ups.SelfTestIntervalText);
    show("ShutDownDelay", ups.ShutdownDelayText);
    show("WakeUpDelay", ups.WakeupDelayText);
    show("Sensitivity", ups.SensitivityText);
    show("AlarmDelay", ups.AlarmDelayText);
    show("Threshold", ups.ReturnThresholdText);
    show("LowBatWarning", ups.LowBatteryWarningText);
}

}  // namespace

bool Dispatcher::WriteIdentity(char code, char) {
    const IdentityWrite* write = Find(kIdentityWrites, code);
    if (!write) return false;
    const std::string text = Text(write->Field);
    const std::string written = (ups_.*write->Write)(text);
    switch (code) {
        case 'O':
            SetText(write->Field, written);
            FlashBriefly(write->Field);
            break;
        case 'j': {
            const std::string id = ups_.ReadUpsId();
            FlashThenShow(write->Field, id);
            break;
        }
        default:
            FlashThenShow(write->Field, written);
            break;
    }
    return true;
}

bool Dispatcher::RunUnitCommand(char code, char) {
    switch (code) {
        case 'N':
            ups_.ResetToDefaults();
            // The tone marks the reset itself; the fields then show the factory values the unit re-read.
            tone_.Beep();
            ShowResetSettings(
                ups_, [this](std::string_view field, std::string_view text) { SetText(field, text); });
            return true;
        case 'P':
            ups_.StartSelfTest();
            return true;
        case 'z':
            ups_.TestLedsAndAlarm();
            return true;
        case '~':
            ups_.ToggleBypass();
            return true;
        default:
            return false;
    }
}

}  // namespace kelvane
