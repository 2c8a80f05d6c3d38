// The worker's hand-over to the window thread: the work is posted to the window thread and the worker
// waits until it has run there. Called on the window thread itself, the work runs at once.
//
// Before every piece of work the window's copies of the unit's values are refreshed (the worker is
// waiting then, so the link is still). Close() lets every waiting worker go without running its work, so
// a window that is being destroyed can join its workers.
#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

#include "worker/WindowControls.h"

class QObject;

namespace kelvane {

class QtHandOver final : public HandOver {
  public:
    // Create on the window thread.
    explicit QtHandOver(std::function<void()> beforeEach);
    ~QtHandOver() override;

    void Run(const std::function<void()>& work) override;

    // Window thread only. Releases the waiting workers; later hand-overs return without running.
    void Close();

  private:
    struct Call;

    std::unique_ptr<QObject> windowThread_;  // queued calls die with it
    std::function<void()> beforeEach_;
    std::mutex mutex_;
    std::condition_variable finished_;
    bool closed_ = false;
};

}  // namespace kelvane
