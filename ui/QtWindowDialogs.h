// The real save dialog and error box behind the worker's WindowDialogs, set up from the window's
// SaveDialog1 settings (filter list, default extension, overwrite question).
//
// Thread-safety: window thread only.
#pragma once

#include "worker/WindowDialogs.h"

namespace kelvane {

class TForm1;

class QtWindowDialogs final : public WindowDialogs {
  public:
    explicit QtWindowDialogs(TForm1& window) : window_(window) {}

    // The dialog is named "SaveDialog1"; its default extension follows the file type chosen.
    std::optional<std::string> AskSaveFileName(const SaveFileRequest& request) override;
    void ShowError(std::string_view text) override;

  private:
    TForm1& window_;
};

// Whatever dialogs the window holds in FileDialogs when they are used; tests swap them after the window
// is built, as they swap its tone.
class WindowFileDialogs final : public WindowDialogs {
  public:
    explicit WindowFileDialogs(TForm1& window) : window_(window) {}

    std::optional<std::string> AskSaveFileName(const SaveFileRequest& request) override;
    void ShowError(std::string_view text) override;

  private:
    TForm1& window_;
};

}  // namespace kelvane
