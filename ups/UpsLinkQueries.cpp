// The query operations: one command, one answer stored in its member, and the member's conversions.
#include <string>

#include "ups/AnswerConversions.h"
#include "ups/UpsLink.h"

namespace kelvane {

// --- Measurements ---------------------------------------------------------------------------------------

std::string UpsLink::ReadInputVoltage() {
    InputVoltageText = Exchange('L', 5);
    InputVoltageValue = ToFloat(ParseDecimal(InputVoltageText));
    return InputVoltageText.Str();
}

std::string UpsLink::ReadOutputVoltage() {
    OutputVoltageText = Exchange('O', 5);
    OutputVoltageValue = ToFloat(ParseDecimal(OutputVoltageText));
    return OutputVoltageText.Str();
}

std::string UpsLink::ReadLoad() {
    LoadPercentText = Exchange('P', 5);
    LoadPercentValue = ToFloat(ParseDecimal(LoadPercentText));
    LoadWattsValue = WattsPerPercent * LoadPercentValue;
    LoadWattsText = std::to_string(TruncateTo<long long>(LoadWattsValue));
    return LoadPercentText.Str();
}

std::string UpsLink::ReadBatteryVoltage() {
    BatteryVoltageText = Exchange('B', 5);
    BatteryVoltageValue = ToFloat(ParseDecimal(BatteryVoltageText));
    return BatteryVoltageText.Str();
}

std::string UpsLink::ReadBatteryCharge() {
    BatteryChargeText = Exchange('f', 5);
    BatteryChargeValue = ToFloat(ParseDecimal(BatteryChargeText));
    return BatteryChargeText.Str();
}

std::string UpsLink::ReadRunTime() {
    // The unit answers with leading zeros and a trailing colon ("0123:"); the window shows minutes.
    // A missing answer stays an empty text, as with every other query, rather than reading as 0 minutes.
    RunTimeText = Exchange('j', 4);
    RunTimeMinutes = TruncateTo<uint16_t>(static_cast<double>(ParseInteger(RunTimeText)));
    if (!RunTimeText.Empty()) RunTimeText = std::to_string(RunTimeMinutes);
    return RunTimeText.Str();
}

std::string UpsLink::ReadTemperature() {
    return StoreAnswer('C', 5, TemperatureText);
}
std::string UpsLink::ReadLineFrequency() {
    return StoreAnswer('F', 5, LineFrequencyText);
}
std::string UpsLink::ReadRtPlusBatteryVoltage() {
    return StoreAnswer(0x0A, 8, RtPlusBatteryVoltageText);
}
std::string UpsLink::ReadRtMinusBatteryVoltage() {
    return StoreAnswer(0x0B, 8, RtMinusBatteryVoltageText);
}
std::string UpsLink::ReadRtPlus400BatteryVoltage() {
    return StoreAnswer(0x07, 8, RtPlus400BatteryVoltageText);
}
std::string UpsLink::ReadRtMinus400BatteryVoltage() {
    return StoreAnswer(0x08, 8, RtMinus400BatteryVoltageText);
}

// --- Identity and stored settings -----------------------------------------------------------------------

std::string UpsLink::ReadSerialNumber() {
    return StoreAnswer('n', Family == FamilySmart2ndGen ? 8 : 14, SerialNumberText);
}

std::string UpsLink::ReadManufactureDate() {
    return StoreAnswer('m', 8, ManufactureDateText);
}
std::string UpsLink::ReadBatteryReplaceDate() {
    return StoreAnswer('x', 8, BatteryReplaceDateText);
}
std::string UpsLink::ReadUpsId() {
    return StoreAnswer('c', 8, UpsIdText);
}
std::string UpsLink::ReadNominalBatteryVoltage() {
    return StoreAnswer('g', 3, NominalBatteryVoltageText);
}

std::string UpsLink::ReadBatteryPacks() {
    BatteryPacksText = Exchange('>', 3);
    BatteryPacksValue = TruncateTo<int16_t>(ParseDecimal(BatteryPacksText));
    return BatteryPacksText.Str();
}

std::string UpsLink::ReadNominalOutputVoltage() {
    return StoreAnswer('o', 3, NominalOutputVoltageText);
}
std::string UpsLink::ReadLowTransferVoltage() {
    return StoreAnswer('l', 3, LowTransferVoltageText);
}
std::string UpsLink::ReadUpTransferVoltage() {
    return StoreAnswer('u', 3, UpTransferVoltageText);
}
std::string UpsLink::ReadSelfTestInterval() {
    return StoreAnswer('E', 3, SelfTestIntervalText);
}
std::string UpsLink::ReadShutdownDelay() {
    return StoreAnswer('p', 3, ShutdownDelayText);
}
std::string UpsLink::ReadWakeupDelay() {
    return StoreAnswer('r', 3, WakeupDelayText);
}
std::string UpsLink::ReadLowBatteryWarning() {
    return StoreAnswer('q', 2, LowBatteryWarningText);
}
std::string UpsLink::ReadReturnThreshold() {
    return StoreAnswer('e', 2, ReturnThresholdText);
}

// The two decoded settings look at the first character only and keep their text for anything unknown,
// an empty answer included.
std::string UpsLink::ReadAlarmDelay() {
    const std::string_view answer = Exchange('k', 1);
    switch (answer.empty() ? '\0' : answer[0]) {
        case '0':
            AlarmDelayText = " 5 Seconds";
            break;
        case 'T':
            AlarmDelayText = "30 Seconds";
            break;
        case 'L':
            AlarmDelayText = "Low Battery";
            break;
        case 'N':
            AlarmDelayText = " Disabled";
            break;
        default:
            break;
    }
    return AlarmDelayText.Str();
}

std::string UpsLink::ReadSensitivity() {
    const std::string_view answer = Exchange('s', 1);
    switch (answer.empty() ? '\0' : answer[0]) {
        case 'H':
            SensitivityText = " High ";
            break;
        case 'L':
            SensitivityText = " Low ";
            break;
        case 'M':
            SensitivityText = " Medium";
            break;
        case 'A':
            SensitivityText = " Auto ";
            break;
        default:
            break;
    }
    return SensitivityText.Str();
}

std::string UpsLink::ReadModelCode2nd() {
    return StoreAnswer('H', 2, ModelCode2ndText);
}

// --- Calibration constants ------------------------------------------------------------------------------

std::string UpsLink::ReadConst0() {
    return StoreAnswer('0', 2, Const0Text);
}
std::string UpsLink::ReadConst4() {
    return StoreAnswer('4', 2, Const4Text);
}
std::string UpsLink::ReadConst5() {
    return StoreAnswer('5', 2, Const5Text);
}
std::string UpsLink::ReadConst6() {
    return StoreAnswer('6', 2, Const6Text);
}
std::string UpsLink::ReadConstHash() {
    return StoreAnswer('#', 2, ConstHashText);
}
std::string UpsLink::ReadConstDollar() {
    return StoreAnswer('$', 2, ConstDollarText);
}
std::string UpsLink::ReadConstPercent() {
    return StoreAnswer('%', 2, ConstPercentText);
}
std::string UpsLink::ReadConstCaret() {
    return StoreAnswer('^', 2, ConstCaretText);
}
std::string UpsLink::ReadConstCtrlD() {
    return StoreAnswer(0x04, 2, ConstCtrlDText);
}

// --- Back-PRO settings ----------------------------------------------------------------------------------

std::string UpsLink::ReadFloatVoltage() {
    return StoreAnswer('e', 5, FloatVoltageText);
}
std::string UpsLink::ReadRatio() {
    return StoreAnswer('w', 5, RatioText);
}
std::string UpsLink::ReadBbdVoltage() {
    return StoreAnswer('2', 5, BbdVoltageText);
}
std::string UpsLink::ReadEutVoltage() {
    return StoreAnswer('v', 5, EutVoltageText);
}
std::string UpsLink::ReadDcOffset() {
    return StoreAnswer('d', 5, DcOffsetText);
}
std::string UpsLink::ReadCapacitorLoad() {
    return StoreAnswer('c', 5, CapacitorLoadText);
}

// --- Status registers -----------------------------------------------------------------------------------

// A register keeps its byte when the answer is not two hexadecimal digits: an empty answer, or "NA" from a
// unit without that register, carries no bits to show.
uint8_t UpsLink::StoreRegister(uint8_t command, uint8_t& member) {
    if (const auto byte = ParseHexByte(Exchange(command, 2))) member = *byte;
    return member;
}

uint8_t UpsLink::ReadStateRegister1() {
    return StoreRegister('~', StateRegister1);
}
uint8_t UpsLink::ReadStateRegister2() {
    return StoreRegister('\'', StateRegister2);
}
uint8_t UpsLink::ReadStateRegister3() {
    return StoreRegister('8', StateRegister3);
}
uint8_t UpsLink::ReadStatusFlags() {
    return StoreRegister('Q', StatusFlags);
}

uint8_t UpsLink::RefreshRegisters() {
    ReadStateRegister1();
    ReadStateRegister2();
    ReadStateRegister3();
    return ReadStatusFlags();
}

}  // namespace kelvane
