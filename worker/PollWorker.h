// The worker thread of one connection: it reads the unit, carries out the queued user commands, hands the
// fresh values to the window and checks that the unit still answers, over and over, until it is asked to
// stop or the unit stops answering.
//
// Lifecycle: the window constructs the worker, keeps it, and calls Start(). When the body has ended the
// worker calls PollWindow::PollerEnded from its own thread; the window posts that to its own thread, joins
// the worker there and deletes it. Nothing of the worker is touched after PollerEnded returns except
// Join() and the destructor.
//
// Threads: Start, Terminate and Join may be called from any thread. The body talks to the unit and the
// queue on the worker thread; every control it changes goes through the hand-over.
#pragma once

#include <atomic>
#include <functional>
#include <thread>

#include "worker/Queue.h"
#include "worker/WindowControls.h"

namespace kelvane {

class UpsLink;
class PollWorker;

// What the worker needs to know of the window beyond its controls.
class PollWindow {
  public:
    virtual ~PollWindow() = default;
    // Whether the "Status" page is the page shown; safe to call from any thread. Asked once at the start
    // of each cycle, which then reads and shows the registers or the readings accordingly.
    virtual bool StatusPageShowing() const = 0;
    // Whether a unit has been identified on this window; safe to call from any thread.
    virtual bool UnitIdentified() const = 0;
    // The window's set-up routine; runs on the window thread, inside the display refresh.
    virtual void StartClick() = 0;
    // The body has ended. Called on the worker thread as its last act; must only post, never wait.
    virtual void PollerEnded(PollWorker& worker) = 0;
};

// Carries out one queued command (its code and argument byte) on the worker thread.
using CommandDispatch = std::function<void(char code, char argument)>;

class PollWorker {
  public:
    enum class Ending { Running, ByRequest, ByLinkLoss };

    // A null dispatch pops every queued code without effect.
    PollWorker(UpsLink& ups, Queue& commands, WindowControls& controls, HandOver& handOver,
               PollWindow& window, CommandDispatch dispatch = {});
    // Asks the body to stop and joins the thread if it is still there.
    ~PollWorker();
    PollWorker(const PollWorker&) = delete;
    PollWorker& operator=(const PollWorker&) = delete;

    // Starts the thread running Execute, then PollerEnded. Call once.
    void Start();
    // The stop request: seen before every cycle and before every queued command; a command or read-out
    // that has begun is never interrupted.
    void Terminate();
    bool Terminated() const { return stopRequested_.load(); }
    // Waits for the thread to end; does nothing when it was never started or is already joined. Never
    // call it from the window thread while the body may still wait for a hand-over.
    void Join();

    // The thread body. Public so a test can run it on its own thread.
    void Execute();

    // Why the body ended; Running while it runs or before it started.
    Ending HowEnded() const { return ending_.load(); }
    // Completed cycles (read-out to link check); the benchmark divides by it.
    unsigned long Cycles() const { return cycles_.load(); }

  private:
    void DrainQueue();

    UpsLink& ups_;
    Queue& commands_;
    WindowControls& controls_;
    HandOver& handOver_;
    PollWindow& window_;
    CommandDispatch dispatch_;
    std::atomic<bool> stopRequested_{false};
    std::atomic<Ending> ending_{Ending::Running};
    std::atomic<unsigned long> cycles_{0};
    std::thread thread_;
};

}  // namespace kelvane
