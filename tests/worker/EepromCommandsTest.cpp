// The EEPROM page's commands on simulated units: W reads into the chosen buffer and shows its dump, Y
// compares the buffers, X saves a buffer or the comparison, T saves the settings backup.
#include <gtest/gtest.h>

#include <numeric>
#include <sstream>
#include <string>
#include <vector>

#include "sim/Presets.h"
#include "tests/support/ScratchFolder.h"
#include "tests/worker/DispatcherBench.h"
#include "worker/EepromText.h"

namespace kelvane::testing {
namespace {

const std::string kWholeWalk = "#" + std::string(255, '+');

void ShowTab(DispatchBench& b, const std::string& tab, int tag) {
    b.window.ShowingPages = {tab};
    b.window.at("PageControl2").Tag = tag;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::string BufferBytes(const UpsLink& ups, std::size_t offset) {
    const auto* start = reinterpret_cast<const char*>(ups.EepromImage.data() + offset);
    return std::string(start, kEepromSize);
}

// What happened to the progress bar, in order.
std::vector<std::string> BarEntries(const RecordingWindow& window) {
    std::vector<std::string> entries;
    for (const std::string& entry : window.Log) {
        if (entry.find(" ProgressBar1=") != std::string::npos) entries.push_back(entry);
    }
    return entries;
}

std::vector<std::string> WholeWalkOnTheBar() {
    std::vector<std::string> entries = {"barmax ProgressBar1=255", "bar ProgressBar1=0",
                                        "visible ProgressBar1=1"};
    for (int k = 1; k <= 255; ++k) entries.push_back("bar ProgressBar1=" + std::to_string(k));
    entries.push_back("visible ProgressBar1=0");
    return entries;
}

TEST(EepromRead, FillsTheChosenBufferAndShowsItsDumpInTheTabOnShow) {
    struct Case {
        const char* Tab;
        int Tag;
        const char* Box;  // empty: the "Compare" tab shows no dump
    };
    for (const Case& c :
         {Case{"Buffer1", 0, "RichEdit1"}, Case{"Buffer2", 256, "RichEdit2"}, Case{"Compare", 256, ""}}) {
        SCOPED_TRACE(c.Tab);
        DispatchBench b("smart");  // the walk starts at 00
        ShowTab(b, c.Tab, c.Tag);
        const std::size_t offset = static_cast<std::size_t>(c.Tag);
        b.ups.EepromImage[offset] = 0x5A;

        b.Run('W');

        EXPECT_EQ(b.Sent(), kWholeWalk);
        const auto image = b.unit->Eeprom();
        for (std::size_t address = 1; address < kEepromSize; ++address)
            ASSERT_EQ(b.ups.EepromImage[offset + address], image[address]) << address;
        EXPECT_EQ(b.ups.EepromImage[offset], 0x5A);         // the start address is not read
        EXPECT_EQ(b.ups.EepromImage[256 - offset + 1], 0);  // the other buffer is left alone

        ASSERT_GE(b.window.Log.size(), 2u);
        EXPECT_EQ(b.window.Log[1], "enabled PageControl2=0");
        EXPECT_FALSE(b.window.at("PageControl2").Enabled);  // until the drain step enables it
        EXPECT_EQ(BarEntries(b.window), WholeWalkOnTheBar());

        for (const char* box : {"RichEdit1", "RichEdit2", "RichEdit6"}) {
            if (std::string(box) != c.Box) {
                EXPECT_TRUE(b.window.at(box).Rich.empty()) << box;
            }
        }
        if (*c.Box != '\0') {
            const auto buffer =
                std::span<const uint8_t, kEepromSize>(b.ups.EepromImage.data() + offset, kEepromSize);
            std::vector<std::pair<std::string, uint32_t>> dump;
            for (const ColouredText& piece : DumpText(buffer)) dump.emplace_back(piece.Text, piece.Colour);
            EXPECT_EQ(b.window.at(c.Box).Rich, dump);
            EXPECT_EQ(Lines(b.window.RichText(c.Box))[1].substr(0, 9), "0000: 5A ");
        }
    }
}

TEST(EepromRead, TheStartValueIsTheOneAddressLeftAsItWas) {
    for (uint8_t start : {uint8_t{0x00}, uint8_t{0xFF}}) {
        SCOPED_TRACE(static_cast<int>(start));
        DispatchBench b(DispatchBench::Modified(
            "smart", [start](sim::SimUnit::Definition& unit) { unit.Items['#'].Byte = start; }));
        ShowTab(b, "Buffer2", 256);
        b.ups.EepromImage[256 + start] = 0x5A;

        b.Run('W');

        EXPECT_EQ(b.Sent(), kWholeWalk);
        const auto image = b.unit->Eeprom();
        for (std::size_t address = 0; address < kEepromSize; ++address) {
            ASSERT_EQ(b.ups.EepromImage[256 + address], address == start ? 0x5A : image[address]) << address;
        }
        EXPECT_EQ(BarEntries(b.window), WholeWalkOnTheBar());  // 255 whatever the start
    }
}

TEST(EepromRead, RefusedOnAnScUnitWithNothingSentAndTheBufferKept) {
    DispatchBench b("smart-sc");  // "#" is a calibration constant here; "+" would step it
    ShowTab(b, "Buffer1", 0);
    b.ups.EepromImage[7] = 0x5A;

    b.Run('W');

    EXPECT_EQ(b.Sent(), "");
    EXPECT_EQ(b.window.StatusPanels[0], Dispatcher::EepromRefusedMessage);
    EXPECT_EQ(b.ups.EepromImage[7], 0x5A);
    EXPECT_TRUE(b.window.at("RichEdit1").Rich.empty());
    EXPECT_FALSE(b.window.at("ProgressBar1").Visible);
}

TEST(EepromRead, AUnitFallingSilentIsToldAndItsDumpShown) {
    DispatchBench b("smart");
    ShowTab(b, "Buffer1", 0);
    b.unit->SetMuteAfter(101);  // "#" and 100 "+"

    b.Run('W');

    EXPECT_EQ(b.window.StatusPanels[0], Dispatcher::EepromSilentMessage);
    EXPECT_FALSE(b.window.at("RichEdit1").Rich.empty());
    EXPECT_FALSE(b.window.at("ProgressBar1").Visible);
    const uint8_t last = b.ups.EepromImage[100];
    for (std::size_t address = 101; address < kEepromSize; ++address)
        ASSERT_EQ(b.ups.EepromImage[address], last);
}

TEST(EepromCompare, IdenticalReadsThenOneChangedByte) {
    DispatchBench b("smart");  // constant "0" at 0x10 reads 9C
    ShowTab(b, "Buffer1", 0);
    b.Run('W');
    ShowTab(b, "Buffer2", 256);
    b.Run('W');
    ShowTab(b, "Compare", 256);

    b.Run('Y');
    EXPECT_EQ(b.window.RichText("RichEdit6"), "NO Difference found!\r\n");

    b.Ask('0');
    b.Ask('+');  // 9D
    ShowTab(b, "Buffer2", 256);
    b.Run('W');
    ShowTab(b, "Compare", 256);
    b.Run('Y');
    EXPECT_EQ(b.window.RichText("RichEdit6"),
              "Address: 0010\r\n Buffer1 = 9C 10011100\r\n Buffer2 = 9D 10011101\r\n");
    EXPECT_EQ(b.Sent(), kWholeWalk);  // the comparison itself asks the unit nothing
}

// Buffer1 counts up, Buffer2 down, so every address differs.
void FillBuffers(UpsLink& ups) {
    for (std::size_t address = 0; address < kEepromSize; ++address) {
        ups.EepromImage[address] = static_cast<uint8_t>(address);
        ups.EepromImage[256 + address] = static_cast<uint8_t>(255 - address);
    }
}

TEST(EepromSave, WritesWhatTheTabShowsWhateverTheFileType) {
    struct Case {
        const char* Tab;
        int Tag;
        SaveFilter Offered;
    };
    for (const Case& c : {Case{"Buffer1", 0, SaveFilter::Dump}, Case{"Buffer2", 256, SaveFilter::Dump},
                          Case{"Compare", 0, SaveFilter::Text}}) {
        SCOPED_TRACE(c.Tab);
        ScratchFolder folder;
        ASSERT_TRUE(folder.Valid());
        DispatchBench b("smart");
        FillBuffers(b.ups);
        b.Run('Y');
        ShowTab(b, c.Tab, c.Tag);
        // A text file name on a buffer tab, a dump name on "Compare": the tab decides what is written.
        const std::filesystem::path file =
            folder / (c.Offered == SaveFilter::Dump ? "saved.txt" : "saved.bin");
        b.dialogs.AnswerWith(file.string());

        b.Run('X');

        ASSERT_EQ(b.dialogs.Requests.size(), 1u);
        const SaveFileRequest& request = b.dialogs.Requests[0];
        EXPECT_EQ(request.Title, "Save EEPROM as");
        EXPECT_EQ(request.ProposedName, "Smart 1400KV0527310642XB");
        EXPECT_EQ(request.Filter, c.Offered);
        const std::string expected = c.Offered == SaveFilter::Text
                                         ? b.window.RichText("RichEdit6")
                                         : BufferBytes(b.ups, static_cast<std::size_t>(c.Tag));
        EXPECT_EQ(ScratchFolder::Read(file), expected);
        EXPECT_EQ(folder.Names(), std::vector<std::string>{file.filename().string()});
        EXPECT_TRUE(b.dialogs.Errors.empty());
        EXPECT_EQ(b.Sent(), "");
    }
}

TEST(EepromSave, CancelWritesNothingAndALongerFileLeavesNoTrace) {
    ScratchFolder folder;
    ASSERT_TRUE(folder.Valid());
    DispatchBench b("smart");
    FillBuffers(b.ups);
    ShowTab(b, "Buffer1", 0);
    const std::filesystem::path file = folder / "dump.bin";

    b.dialogs.Cancel();
    b.Run('X');
    EXPECT_TRUE(folder.Names().empty());

    ScratchFolder::Write(file, std::string(1000, 'x'));
    b.dialogs.AnswerWith(file.string());
    b.Run('X');
    EXPECT_EQ(ScratchFolder::Read(file), BufferBytes(b.ups, 0));
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"dump.bin"});
}

TEST(EepromSave, AFileThatCannotBeWrittenIsReportedWithPathAndReason) {
    ScratchFolder folder;
    ASSERT_TRUE(folder.Valid());
    DispatchBench b("smart");
    ShowTab(b, "Buffer1", 0);
    ScratchFolder::Write(folder / "plain", "old");
    // A folder that is a plain file: no user, root included, can create anything in it.
    const std::string file = (folder / "plain" / "dump.bin").string();
    b.dialogs.AnswerWith(file);

    b.Run('X');

    EXPECT_EQ(b.dialogs.Errors,
              std::vector<std::string>{"Unable to write file\n" + file + "\nNot a directory"});
    EXPECT_EQ(ScratchFolder::Read(folder / "plain"), "old");
}

TEST(SettingsBackupCommand, WritesTheTwentyFieldsTheLinkHolds) {
    ScratchFolder folder;
    ASSERT_TRUE(folder.Valid());
    DispatchBench b("smart");
    // A path separator in an answer would send the dialog to another folder.
    b.ups.ModelNameText = "Smart/1400\x01";
    const std::filesystem::path file = folder / "settings.kvn";
    b.dialogs.AnswerWith(file.string());

    b.Run('T');

    ASSERT_EQ(b.dialogs.Requests.size(), 1u);
    EXPECT_EQ(b.dialogs.Requests[0].Title, "BackUp UPS Settings as");
    EXPECT_EQ(b.dialogs.Requests[0].ProposedName, "Smart_1400_KV0527310642XB");
    EXPECT_EQ(b.dialogs.Requests[0].Filter, SaveFilter::SettingsBackup);
    const std::string saved = ScratchFolder::Read(file);
    EXPECT_EQ(saved, SettingsBackupText(b.ups));
    const std::vector<std::string> lines = Lines(saved);
    ASSERT_EQ(lines.size(), 21u);
    EXPECT_EQ(lines[4], "KV0527310642XB");
    EXPECT_EQ(lines[8], "9C");    // constant "0"
    EXPECT_EQ(lines[16], "336");  // self-test interval
    EXPECT_EQ(b.Sent(), "");      // nothing is read for it
}

}  // namespace
}  // namespace kelvane::testing
