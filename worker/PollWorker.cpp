#include "worker/PollWorker.h"

#include "ups/UpsLink.h"
#include "worker/DisplayRefresh.h"
#include "worker/LinkLost.h"

namespace kelvane {

PollWorker::PollWorker(UpsLink& ups, Queue& commands, WindowControls& controls, HandOver& handOver,
                       PollWindow& window, CommandDispatch dispatch)
    : ups_(ups),
      commands_(commands),
      controls_(controls),
      handOver_(handOver),
      window_(window),
      dispatch_(std::move(dispatch)) {}

PollWorker::~PollWorker() {
    Terminate();
    Join();
}

void PollWorker::Start() {
    thread_ = std::thread([this] {
        Execute();
        window_.PollerEnded(*this);
    });
}

void PollWorker::Terminate() {
    stopRequested_.store(true);
}

void PollWorker::Join() {
    if (thread_.joinable()) thread_.join();
}

void PollWorker::Execute() {
    if (Terminated()) {
        ending_.store(Ending::ByRequest);
        return;
    }
    for (;;) {
        const ReadOut readOut = window_.StatusPageShowing() ? ReadOut::StatusRegisters : ReadOut::PollList;
        if (readOut == ReadOut::StatusRegisters) {
            ups_.RefreshRegisters();
        } else {
            ups_.RefreshPoll();
        }
        // Commands given before the unit was identified were aimed at a window not yet set up for it.
        if (!window_.UnitIdentified()) commands_.clear();
        DrainQueue();

        handOver_.Run([this, readOut] { RefreshDisplay(ups_, controls_, window_, readOut); });

        if (!ups_.CheckSmartMode()) {
            // Marked before the window hears of it: once the port chooser is usable again, a new
            // connection may begin while this body is still on its way out.
            ending_.store(Ending::ByLinkLoss);
            handOver_.Run([this] { ShowLinkLost(controls_, commands_); });
            return;
        }
        cycles_.fetch_add(1);
        if (Terminated()) {
            ending_.store(Ending::ByRequest);
            return;
        }
    }
}

void PollWorker::DrainQueue() {
    while (!commands_.isEmpty() && !Terminated()) {
        const std::optional<Command> entry = commands_.front();
        if (!entry) break;
        if (dispatch_) dispatch_(entry->Code, entry->Argument);
        // An EEPROM read disables the buffer selector while it runs; whatever ran, it is usable again.
        handOver_.Run([this] { controls_.SetEnabled("PageControl2", true); });
        commands_.pop();
    }
}

}  // namespace kelvane
