// The texts of the EEPROM page and its files: the hexadecimal dump of a buffer, the byte-by-byte
// comparison of the two buffers, and the settings backup.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kelvane {

class UpsLink;

inline constexpr std::size_t kEepromSize = 256;

// A run of text in one colour (0x00BBGGRR), appended to a rich-text box in order.
struct ColouredText {
    std::string Text;
    uint32_t Colour = 0;
};

// All the pieces' texts joined.
std::string PlainText(const std::vector<ColouredText>& pieces);

// The dump of one 256-byte buffer: a heading line of column numbers, then sixteen rows of an address
// ("0020:") and sixteen bytes (" 00 1A FF ..."), each line ended by "\n".
std::vector<ColouredText> DumpText(std::span<const uint8_t, kEepromSize> buffer);

// Every address where the buffers differ, as three lines:
//   "Address: 001F\r\n Buffer1 = 3F 00111111\r\n Buffer2 = 41 01000001\r\n"
// or "NO Difference found!\r\n" when they are equal.
std::vector<ColouredText> ComparisonText(std::span<const uint8_t, kEepromSize> buffer1,
                                         std::span<const uint8_t, kEepromSize> buffer2);

// The settings backup: twenty identity, constant and setting texts as the link last held them, each
// ended by "\n", then the sum of those bytes (each taken as a signed 8-bit value) as lower-case
// hexadecimal digits of its unsigned 32-bit form, without a line end. Nothing is read from the unit.
std::string SettingsBackupText(const UpsLink& ups);

}  // namespace kelvane
