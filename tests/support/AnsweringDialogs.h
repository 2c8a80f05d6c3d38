// Dialogs answered by the test: each save dialog takes the next queued answer (a path, or nothing for
// Cancel; Cancel once the queue is empty), and every request and error box is recorded.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "worker/WindowDialogs.h"

namespace kelvane::testing {

class AnsweringDialogs final : public WindowDialogs {
  public:
    void AnswerWith(std::string path) { answers_.emplace_back(std::move(path)); }
    void Cancel() { answers_.emplace_back(std::nullopt); }

    std::optional<std::string> AskSaveFileName(const SaveFileRequest& request) override {
        Requests.push_back(request);
        if (answers_.empty()) return std::nullopt;
        std::optional<std::string> answer = answers_.front();
        answers_.pop_front();
        return answer;
    }
    void ShowError(std::string_view text) override { Errors.emplace_back(text); }

    std::vector<SaveFileRequest> Requests;
    std::vector<std::string> Errors;

  private:
    std::deque<std::optional<std::string>> answers_;
};

}  // namespace kelvane::testing
