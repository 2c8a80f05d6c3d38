// The window's save dialog and error box as the worker sees them, so the EEPROM page's file commands run
// in plain tests against an answering fake and in the program against the real dialogs.
//
// Thread-safety: window thread only, like WindowControls; the worker calls them inside HandOver::Run.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kelvane {

// The save dialog's file types, in the order of its filter list (the first is 1).
enum class SaveFilter { Dump = 1, SettingsBackup = 2, Text = 3, AllFiles = 4 };

struct SaveFileRequest {
    std::string Title;
    // Offered as the file name; 8-bit characters.
    std::string ProposedName;
    SaveFilter Filter = SaveFilter::Dump;
};

class WindowDialogs {
  public:
    virtual ~WindowDialogs() = default;

    // Runs the modal save dialog, which asks before an existing file is replaced. The chosen path in the
    // system's 8-bit encoding, or nothing when the user cancelled.
    virtual std::optional<std::string> AskSaveFileName(const SaveFileRequest& request) = 0;
    // A modal box titled "Error" with one OK button; returns once it has been dismissed.
    virtual void ShowError(std::string_view text) = 0;
};

}  // namespace kelvane
