// The programming-mode changes of stored settings and identity texts, the unit commands and the two
// exchanges of the EEPROM walk.
#include <string>
#include <string_view>

#include "ups/UpsLink.h"

namespace kelvane {

// --- Setting cycles -----------------------------------------------------------------------------------

std::string UpsLink::CycleSetting(uint8_t command, std::size_t selectLength, std::size_t stepLength,
                                  std::string (UpsLink::*reread)()) {
    Exchange(command, selectLength);
    Exchange('-', stepLength);
    return (this->*reread)();
}

namespace {
// The long dialect acknowledges a cycle with six characters instead of two.
std::size_t CycleAnswerLength(bool longDialect) {
    return longDialect ? 6 : 2;
}
}  // namespace

std::string UpsLink::CycleLowTransferVoltage() {
    return CycleSetting('l', 3, CycleAnswerLength(AprogMode), &UpsLink::ReadLowTransferVoltage);
}
std::string UpsLink::CycleUpTransferVoltage() {
    return CycleSetting('u', 3, CycleAnswerLength(AprogMode), &UpsLink::ReadUpTransferVoltage);
}
std::string UpsLink::CycleSelfTestInterval() {
    return CycleSetting('E', 3, CycleAnswerLength(AprogMode), &UpsLink::ReadSelfTestInterval);
}
std::string UpsLink::CycleShutdownDelay() {
    return CycleSetting('p', 3, CycleAnswerLength(AprogMode), &UpsLink::ReadShutdownDelay);
}
std::string UpsLink::CycleWakeupDelay() {
    return CycleSetting('r', 3, CycleAnswerLength(AprogMode), &UpsLink::ReadWakeupDelay);
}
std::string UpsLink::CycleLowBatteryWarning() {
    return CycleSetting('q', 2, CycleAnswerLength(AprogMode), &UpsLink::ReadLowBatteryWarning);
}
std::string UpsLink::CycleReturnThreshold() {
    return CycleSetting('e', 2, CycleAnswerLength(AprogMode), &UpsLink::ReadReturnThreshold);
}
std::string UpsLink::CycleAlarmDelay() {
    return CycleSetting('k', 1, CycleAnswerLength(AprogMode), &UpsLink::ReadAlarmDelay);
}
std::string UpsLink::CycleSensitivity() {
    return CycleSetting('s', 1, CycleAnswerLength(AprogMode), &UpsLink::ReadSensitivity);
}
std::string UpsLink::CycleNominalOutputVoltage() {
    // The nominal output acknowledges with two characters in either dialect.
    return CycleSetting('o', 3, 2, &UpsLink::ReadNominalOutputVoltage);
}

// --- Identity writes ----------------------------------------------------------------------------------

void UpsLink::WriteText(uint8_t select, std::size_t selectLength, std::size_t width, Padding padding,
                        std::string_view text) {
    // The unit stores each character before it is ready for the next. Ending a read at the answer's line
    // end would send the next character before the plain read rule's time is up; identity writes are
    // rare, so their speed does not matter and the unit's storage does.
    const bool earlyCompletion = EarlyCompletion;
    EarlyCompletion = false;

    text = text.substr(0, width);
    Exchange(select, selectLength);
    Exchange('-', 1);
    for (char c : text) Exchange(static_cast<uint8_t>(c), 2);

    std::size_t spaces = width - text.size();
    // These fields take a closing space even when the text fills them.
    if (padding == Padding::OneSpaceAtLeast && spaces == 0) spaces = 1;
    for (std::size_t i = 0; i < spaces; ++i) Exchange(' ', 2);

    EarlyCompletion = earlyCompletion;
}

std::size_t UpsLink::SerialNumberWidth() const {
    return Family == FamilySmart2ndGen ? kSerialNumberWidth2nd : kSerialNumberWidth;
}

std::string UpsLink::WriteManufactureDate(std::string_view text) {
    WriteText('m', 8, kDateWidth, Padding::OneSpaceAtLeast, text);
    Pause(1000);
    return ReadManufactureDate();
}

std::string UpsLink::WriteBatteryReplaceDate(std::string_view text) {
    WriteText('x', 8, kDateWidth, Padding::OneSpaceAtLeast, text);
    return ReadBatteryReplaceDate();
}

std::string UpsLink::WriteUpsId(std::string_view text) {
    WriteText('c', 8, kUpsIdWidth, Padding::OneSpaceAtLeast, text);
    return ReadUpsId();
}

std::string UpsLink::WriteSerialNumber(std::string_view text) {
    const std::size_t width = SerialNumberWidth();
    WriteText('n', width, width, Padding::ToWidth, text);
    Pause(1000);
    return ReadSerialNumber();
}

std::string UpsLink::WriteSkuCode(std::string_view text) {
    WriteText('b', 8, kSkuCodeWidth, Padding::OneSpaceAtLeast, text);
    Pause(1500);
    ReadFirmware();
    return SkuCodeText.Str();
}

// --- Unit commands ------------------------------------------------------------------------------------

void UpsLink::StartSelfTest() {
    Exchange('W', 3);
}

void UpsLink::ToggleBypass() {
    Exchange('^', 3);
}

void UpsLink::TestLedsAndAlarm() {
    Exchange('A', 2);
}

void UpsLink::ResetToDefaults() {
    Exchange('z', 5);
    // The unit rewrites its settings before it answers for them again.
    Pause(1500);
    ReadLowTransferVoltage();
    ReadUpTransferVoltage();
    ReadNominalOutputVoltage();
    ReadSelfTestInterval();
    ReadShutdownDelay();
    ReadWakeupDelay();
    ReadAlarmDelay();
    ReadReturnThreshold();
    ReadSensitivity();
    ReadLowBatteryWarning();
}

void UpsLink::SendZPair() {
    Exchange('Z', 1);
    Pause(1500);
    Exchange('Z', 1);
}

std::string UpsLink::EepromBegin() {
    return std::string(Exchange('#', 2));
}

std::string UpsLink::EepromNext() {
    return std::string(Exchange('+', 2));
}

}  // namespace kelvane
