// The simulated units on offer: one definition per kind of unit the program must tell apart.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sim/SimUnit.h"

namespace kelvane::sim {

// Where the units keep their values in the EEPROM image. The same layout serves every preset, so a
// dump shows a changed constant or setting at the same address whatever the unit.
namespace eeprom {
inline constexpr int kModelCode = 0x00;
inline constexpr int kConst0 = 0x10;
inline constexpr int kConst4 = 0x11;
inline constexpr int kConst5 = 0x12;
inline constexpr int kConst6 = 0x13;
inline constexpr int kConstHash = 0x14;
inline constexpr int kConstDollar = 0x15;
inline constexpr int kConstPercent = 0x16;
inline constexpr int kConstCaret = 0x17;
inline constexpr int kConstCtrlD = 0x18;
inline constexpr int kSettings = 0x20;  // one byte per setting: the index of its present value
inline constexpr int kSerialNumber = 0x30;
inline constexpr int kManufactureDate = 0x40;
inline constexpr int kBatteryReplaceDate = 0x48;
inline constexpr int kUpsId = 0x50;
}  // namespace eeprom

std::vector<std::string> PresetNameList();
std::optional<SimUnit::Definition> PresetDefinition(const std::string& name);

}  // namespace kelvane::sim
