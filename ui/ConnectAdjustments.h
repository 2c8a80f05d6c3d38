// What the connect-time automatic adjustments of the Options menu decide, apart from the window that
// runs them (TForm1::SelfTestSwitchOff, HexCodeDetection and BatteryConstantFix).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kelvane {

class UpsLink;

// Status panel 0 when the self-test interval could not be stepped to "OFF": the unit answers nothing, a
// value that is not in a list with "OFF" ("NA"), or never gets there within the step limit. A unit that
// keeps no stored settings is sent nothing and gets no message.
inline constexpr std::string_view SelfTestNotOffMessage = "Self Test interval could not be set to OFF.";

// What the battery constant "0" of a Smart unit is chosen by.
struct BatteryConstantInputs {
    uint16_t Rating = 0;  // VA, the rated power cut to a whole number
    bool StackModel = false;
    bool HlVariant = false;
    bool XlModel = false;
    bool ThirdGen = false;
    bool ScModel = false;
    bool SurtModel = false;
    std::string_view SkuCode;
};

// The value a unit left at no entry of the table keeps.
inline constexpr uint8_t DefaultBatteryConstant = 0xA0;

// The battery constant for a unit of that rating and those flags. Stack units and HL variants have
// short tables of their own; for all others every entry that matches overrides the ones before it.
uint8_t BatteryConstantFor(const BatteryConstantInputs& unit);

// The inputs as the link holds them after identification.
BatteryConstantInputs BatteryConstantInputsOf(const UpsLink& ups);

// The 2nd generation's model code one on, wrapping from FF to 00, as two lower-case digits ("4A" gives
// "4b", "0E" gives "0f"); nothing when code is not two hexadecimal digits ("NA"). A one-digit code would
// never equal the unit's two-digit answer, so the stepping toward it would not end on the target.
std::optional<std::string> NextModelCode2nd(std::string_view code);

}  // namespace kelvane
