// The EEPROM page: the unit's EEPROM read into one of two buffers and shown as a dump, the comparison
// of the buffers, and the files: a buffer, the comparison, or the settings backup.
#include <span>
#include <string>
#include <vector>

#include "files/FileWriter.h"
#include "ups/Drivers.h"
#include "ups/UpsLink.h"
#include "worker/Dispatcher.h"
#include "worker/EepromText.h"
#include "worker/WindowControls.h"

namespace kelvane {
namespace {

constexpr std::string_view kBufferTabs = "PageControl2";
constexpr std::string_view kProgressBar = "ProgressBar1";
constexpr int kLastReadStep = 255;
// The tag of the buffer tabs holds the offset of the chosen buffer in the link's EEPROM image.
constexpr int kBuffer2Offset = 256;

std::size_t OffsetOf(int tag) {
    return tag == kBuffer2Offset ? static_cast<std::size_t>(kBuffer2Offset) : 0;
}

std::span<const uint8_t, kEepromSize> BufferAt(const UpsLink& ups, std::size_t offset) {
    return std::span<const uint8_t, kEepromSize>(ups.EepromImage.data() + offset, kEepromSize);
}

// The name the save dialog offers, from the unit's answers. A path separator or a control character
// in them would offer another folder or a name the technician cannot see.
std::string ProposedName(const UpsLink& ups) {
    std::string name = ups.ModelNameText.Str() + ups.SerialNumberText.Str();
    for (char& c : name) {
        if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20) c = '_';
    }
    return name;
}

void ShowPieces(WindowControls& controls, std::string_view box, const std::vector<ColouredText>& pieces) {
    controls.ClearText(box);
    for (const ColouredText& piece : pieces) controls.AppendText(box, piece.Text, piece.Colour);
}

}  // namespace

bool Dispatcher::EepromAndFiles(char code, char) {
    switch (code) {
        case 'W':
            ReadEepromIntoBuffer();
            return true;
        case 'X':
            SaveBufferOrComparison();
            return true;
        case 'Y':
            CompareBuffers();
            return true;
        case 'T':
            SaveSettingsBackup();
            return true;
        default:
            return false;
    }
}

void Dispatcher::ReadEepromIntoBuffer() {
    int tag = 0;
    // The tabs stay disabled until the drain step enables them after the command, so the buffer chosen
    // here is the one the read fills and the dump shows.
    handOver_.Run([&] {
        controls_.SetEnabled(kBufferTabs, false);
        tag = controls_.Tag(kBufferTabs);
    });
    handOver_.Run([&] {
        controls_.SetBarMaximum(kProgressBar, kLastReadStep);
        controls_.SetBar(kProgressBar, 0);
        controls_.SetVisible(kProgressBar, true);
    });
    const std::size_t offset = OffsetOf(tag);
    const LoopResult read =
        ReadEeprom(ups_, offset, Hooks([this](int step, std::string_view) { SetBar(kProgressBar, step); }));
    handOver_.Run([&] { controls_.SetVisible(kProgressBar, false); });

    std::string_view notice;
    switch (read.Ended) {
        case LoopEnd::Refused:
            // Nothing was sent and the buffer is as it was.
            notice = EepromRefusedMessage;
            break;
        case LoopEnd::Stopped:
            return;
        case LoopEnd::NoAnswer:
            notice = EepromSilentMessage;
            break;
        default:
            break;
    }
    if (!notice.empty()) {
        handOver_.Run([&] {
            controls_.SetStatusText(0, notice);
            controls_.Repaint("StatusBar1");
        });
    }
    if (read.Ended != LoopEnd::Refused) ShowDumpOfSelectedBuffer(offset);
}

void Dispatcher::ShowDumpOfSelectedBuffer(std::size_t offset) {
    const std::vector<ColouredText> dump = DumpText(BufferAt(ups_, offset));
    handOver_.Run([&] {
        // The box of the tab on show; the "Compare" tab shows no dump.
        if (controls_.IsPageShowing("Buffer1")) {
            ShowPieces(controls_, "RichEdit1", dump);
        } else if (controls_.IsPageShowing("Buffer2")) {
            ShowPieces(controls_, "RichEdit2", dump);
        }
    });
}

void Dispatcher::CompareBuffers() {
    const std::vector<ColouredText> comparison =
        ComparisonText(BufferAt(ups_, 0), BufferAt(ups_, static_cast<std::size_t>(kBuffer2Offset)));
    comparison_ = PlainText(comparison);
    handOver_.Run([&] { ShowPieces(controls_, "RichEdit6", comparison); });
}

void Dispatcher::SaveBufferOrComparison() {
    handOver_.Run([&] {
        const bool comparing = controls_.IsPageShowing("Compare");
        const SaveFileRequest request{"Save EEPROM as", ProposedName(ups_),
                                      comparing ? SaveFilter::Text : SaveFilter::Dump};
        // What is written follows the tab, whatever file type the technician picks.
        if (comparing) {
            SaveThroughDialog(request, comparison_);
        } else {
            const auto buffer = BufferAt(ups_, OffsetOf(controls_.Tag(kBufferTabs)));
            SaveThroughDialog(request, std::string(buffer.begin(), buffer.end()));
        }
    });
}

void Dispatcher::SaveSettingsBackup() {
    handOver_.Run([&] {
        SaveThroughDialog({"BackUp UPS Settings as", ProposedName(ups_), SaveFilter::SettingsBackup},
                          SettingsBackupText(ups_));
    });
}

void Dispatcher::SaveThroughDialog(const SaveFileRequest& request, std::string_view bytes) {
    const std::optional<std::string> path = dialogs_.AskSaveFileName(request);
    if (!path || path->empty()) return;
    const FileWriteResult written = WriteFileWhole(*path, bytes);
    if (!written.Written) {
        dialogs_.ShowError(std::string(WriteFailedMessage) + "\n" + *path + "\n" + written.Reason);
    }
}

}  // namespace kelvane
