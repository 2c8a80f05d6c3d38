#include "worker/EepromText.h"

#include <cstdio>
#include <string_view>

#include "ups/UpsLink.h"
#include "worker/WindowControls.h"

namespace kelvane {
namespace {

std::string HexByte(uint8_t byte) {
    char text[3];
    std::snprintf(text, sizeof text, "%02X", static_cast<unsigned>(byte));
    return text;
}

std::string HexAddress(std::size_t address) {
    char text[5];
    std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(address));
    return text;
}

std::string Bits(uint8_t byte) {
    std::string bits(8, '0');
    for (int bit = 0; bit < 8; ++bit) {
        if ((byte >> (7 - bit)) & 1) bits[static_cast<std::size_t>(bit)] = '1';
    }
    return bits;
}

// Adjacent pieces of one colour are one piece: the box shows the same, with fewer insertions.
void Append(std::vector<ColouredText>& pieces, std::string text, uint32_t colour) {
    if (!pieces.empty() && pieces.back().Colour == colour) {
        pieces.back().Text += text;
    } else {
        pieces.push_back({std::move(text), colour});
    }
}

}  // namespace

std::string PlainText(const std::vector<ColouredText>& pieces) {
    std::string text;
    for (const ColouredText& piece : pieces) text += piece.Text;
    return text;
}

std::vector<ColouredText> DumpText(std::span<const uint8_t, kEepromSize> buffer) {
    std::vector<ColouredText> pieces;
    Append(pieces, "      00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F\n", Colour::Heading);
    for (std::size_t row = 0; row < kEepromSize; row += 16) {
        Append(pieces, HexAddress(row) + ":", Colour::Heading);
        std::string bytes;
        for (std::size_t column = 0; column < 16; ++column) bytes += " " + HexByte(buffer[row + column]);
        Append(pieces, bytes + "\n", Colour::Data);
    }
    return pieces;
}

std::vector<ColouredText> ComparisonText(std::span<const uint8_t, kEepromSize> buffer1,
                                         std::span<const uint8_t, kEepromSize> buffer2) {
    std::vector<ColouredText> pieces;
    for (std::size_t address = 0; address < kEepromSize; ++address) {
        const uint8_t first = buffer1[address];
        const uint8_t second = buffer2[address];
        if (first == second) continue;
        Append(pieces, "Address: " + HexAddress(address), Colour::Heading);
        Append(pieces,
               "\r\n Buffer1 = " + HexByte(first) + " " + Bits(first) + "\r\n Buffer2 = " + HexByte(second) +
                   " " + Bits(second) + "\r\n",
               Colour::Data);
    }
    if (pieces.empty()) Append(pieces, "NO Difference found!\r\n", Colour::Data);
    return pieces;
}

std::string SettingsBackupText(const UpsLink& ups) {
    const std::string_view fields[] = {
        ups.ModelCodeText,
        ups.ManufactureDateText,
        ups.BatteryReplaceDateText,
        ups.UpsIdText,
        ups.SerialNumberText,
        ups.Const4Text,
        ups.Const5Text,
        ups.Const6Text,
        ups.Const0Text,
        ups.BatteryPacksText,
        ups.UpTransferVoltageText,
        ups.LowTransferVoltageText,
        ups.NominalOutputVoltageText,
        ups.LowBatteryWarningText,
        ups.ShutdownDelayText,
        ups.WakeupDelayText,
        ups.SelfTestIntervalText,
        ups.ReturnThresholdText,
        ups.SensitivityText,
        ups.AlarmDelayText,
    };
    std::string text;
    for (std::string_view field : fields) {
        text += field;
        text += '\n';
    }
    int32_t sum = 0;
    for (char c : text) sum += static_cast<int8_t>(c);
    char digits[12];
    std::snprintf(digits, sizeof digits, "%x", static_cast<unsigned>(static_cast<uint32_t>(sum)));
    return text + digits;
}

}  // namespace kelvane
