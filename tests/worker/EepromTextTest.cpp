// The EEPROM page's texts: dump, comparison and settings backup, byte for byte.
#include <gtest/gtest.h>

#include <array>
#include <numeric>
#include <sstream>
#include <string>
#include <vector>

#include "ups/UpsLink.h"
#include "worker/EepromText.h"
#include "worker/WindowControls.h"

namespace kelvane::testing {
namespace {

using Buffer = std::array<uint8_t, kEepromSize>;

Buffer Ascending() {
    Buffer buffer{};
    std::iota(buffer.begin(), buffer.end(), uint8_t{0});
    return buffer;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(EepromDump, HeadingAndSixteenRowsOfSixteenBytes) {
    const std::vector<ColouredText> dump = DumpText(Ascending());
    const std::string text = PlainText(dump);
    ASSERT_EQ(text.back(), '\n');
    const std::vector<std::string> lines = Lines(text);
    ASSERT_EQ(lines.size(), 17u);
    EXPECT_EQ(lines[0], "      00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F");
    EXPECT_EQ(lines[1], "0000: 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F");
    EXPECT_EQ(lines[3], "0020: 20 21 22 23 24 25 26 27 28 29 2A 2B 2C 2D 2E 2F");
    EXPECT_EQ(lines[16], "00F0: F0 F1 F2 F3 F4 F5 F6 F7 F8 F9 FA FB FC FD FE FF");
    for (const std::string& line : lines) EXPECT_EQ(line.size(), 53u) << line;
}

TEST(EepromDump, AddressesInTheHeadingColourBytesInTheDataColour) {
    const std::vector<ColouredText> dump = DumpText(Ascending());
    ASSERT_EQ(dump.size(),
              32u);  // the heading joined to the first address, then bytes and addresses by turns
    EXPECT_EQ(dump[0].Text, "      00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F\n0000:");
    for (std::size_t piece = 0; piece < dump.size(); ++piece) {
        const bool address = piece % 2 == 0;
        EXPECT_EQ(dump[piece].Colour, address ? Colour::Heading : Colour::Data) << piece;
        if (piece > 0) {
            EXPECT_EQ(dump[piece].Text.size(), address ? 5u : 49u) << piece;
        }
    }
}

TEST(EepromComparison, EqualBuffersGiveOneLine) {
    const Buffer same = Ascending();
    const std::vector<ColouredText> comparison = ComparisonText(same, same);
    ASSERT_EQ(comparison.size(), 1u);
    EXPECT_EQ(comparison[0].Text, "NO Difference found!\r\n");
    EXPECT_EQ(comparison[0].Colour, Colour::Data);
}

TEST(EepromComparison, EveryDifferenceInAddressOrderWithItsBits) {
    Buffer first = Ascending();
    Buffer second = first;
    first[0x1F] = 0x3F;
    second[0x1F] = 0x41;
    first[0xFF] = 0x00;
    second[0xFF] = 0x80;
    const std::vector<ColouredText> comparison = ComparisonText(first, second);
    EXPECT_EQ(PlainText(comparison),
              "Address: 001F\r\n Buffer1 = 3F 00111111\r\n Buffer2 = 41 01000001\r\n"
              "Address: 00FF\r\n Buffer1 = 00 00000000\r\n Buffer2 = 80 10000000\r\n");
    ASSERT_EQ(comparison.size(), 4u);
    EXPECT_EQ(comparison[0].Text, "Address: 001F");
    EXPECT_EQ(comparison[0].Colour, Colour::Heading);
    EXPECT_EQ(comparison[1].Colour, Colour::Data);
}

TEST(SettingsBackup, EveryFieldEmptyGivesTwentyLineFeedsAndC8) {
    const UpsLink nothingRead;
    EXPECT_EQ(SettingsBackupText(nothingRead), std::string(20, '\n') + "c8");
}

TEST(SettingsBackup, TwentyFieldsInOrderThenTheirByteSum) {
    UpsLink ups;
    ups.ModelCodeText = "a";
    ups.ManufactureDateText = "b";
    ups.BatteryReplaceDateText = "c";
    ups.UpsIdText = "d";
    ups.SerialNumberText = "e";
    ups.Const4Text = "f";
    ups.Const5Text = "g";
    ups.Const6Text = "h";
    ups.Const0Text = "i";
    ups.BatteryPacksText = "j";
    ups.UpTransferVoltageText = "k";
    ups.LowTransferVoltageText = "l";
    ups.NominalOutputVoltageText = "m";
    ups.LowBatteryWarningText = "n";
    ups.ShutdownDelayText = "o";
    ups.WakeupDelayText = "p";
    ups.SelfTestIntervalText = "q";
    ups.ReturnThresholdText = "r";
    ups.SensitivityText = "s";
    ups.AlarmDelayText = "t";
    // 'a' to 't' add up to 2130, the line feeds to 200: 2330 is 0x91a.
    EXPECT_EQ(SettingsBackupText(ups), "a\nb\nc\nd\ne\nf\ng\nh\ni\nj\nk\nl\nm\nn\no\np\nq\nr\ns\nt\n91a");
}

TEST(SettingsBackup, BytesAboveSevenBitsCountNegative) {
    UpsLink ups;
    ups.SerialNumberText = std::string(10, '\x80');  // 10 x -128 + 200 = -1080
    const std::string text = SettingsBackupText(ups);
    EXPECT_EQ(text.substr(text.rfind('\n') + 1), "fffffbc8");
}

}  // namespace
}  // namespace kelvane::testing
