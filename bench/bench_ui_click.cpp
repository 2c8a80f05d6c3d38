// From the click to the byte on the wire while the worker polls: a step button of the window is clicked at
// random moments of the poll cycle, and a simulated unit answering at the real 2400 baud on a
// pseudo-terminal (served in process, paced) notes when each byte of the command reaches it. The command
// waits at most for the rest of the cycle in progress (the worker drains the queue once a cycle), so the
// target is a latency of never more than one poll cycle, measured to the command's first byte.
//
//   bench_ui_click [--clicks N]
#include <QApplication>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <random>
#include <vector>

#include "serial/posix/PtyServer.h"
#include "sim/SimUnit.h"
#include "ui/QtWindowControls.h"
#include "ui/TForm1.h"
#include "ups/UpsLink.h"
#include "worker/PollWorker.h"

namespace {

using Clock = std::chrono::steady_clock;

class NoPause final : public kelvane::Sleeper {
  public:
    void SleepMs(uint32_t) override {}
};

// Every byte the unit receives, with the moment it arrived.
struct WireLog {
    std::mutex Mutex;
    std::vector<std::pair<uint8_t, Clock::time_point>> Bytes;
};

class Window final : public kelvane::PollWindow {
  public:
    explicit Window(kelvane::TForm1& window) : window_(window) {}
    bool StatusPageShowing() const override {
        std::lock_guard lock(Mutex);
        CycleStarts.push_back(Clock::now());
        return false;
    }
    bool UnitIdentified() const override { return true; }
    void StartClick() override { window_.StartClick(); }
    void PollerEnded(kelvane::PollWorker&) override {
        Ended = true;
        QMetaObject::invokeMethod(
            qApp, [] {}, Qt::QueuedConnection);
    }
    mutable std::mutex Mutex;
    mutable std::vector<Clock::time_point> CycleStarts;
    std::atomic<bool> Ended{false};

  private:
    kelvane::TForm1& window_;
};

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir scratch;
    qputenv("KELVANE_CONFIG", scratch.filePath("Kelvane.conf").toLocal8Bit());
    QApplication app(argc, argv);
    int clicks = 30;
    for (int i = 1; i + 1 < argc; i += 2)
        if (std::strcmp(argv[i], "--clicks") == 0) clicks = std::atoi(argv[i + 1]);

    auto unit = kelvane::sim::SimUnit::FromPreset("smart");
    WireLog wire;
    std::string why;
    auto server = kelvane::serial::PtyServer::Start(
        [&](uint8_t byte) {
            {
                std::lock_guard lock(wire.Mutex);
                wire.Bytes.emplace_back(byte, Clock::now());
            }
            return unit->OnByte(byte);
        },
        {kelvane::serial::ServeTiming{true, 0, 0}, {}}, &why);
    if (!server) {
        std::printf("could not serve: %s\n", why.c_str());
        return 1;
    }
    NoPause noPause;
    kelvane::TForm1 window;
    window.Ups->SetSleeper(&noPause);
    window.Pauses = &noPause;
    if (!window.Ups->OpenPort(server->DevicePath()) || !window.Ups->CheckSmartMode()) {
        std::printf("no smart answer\n");
        return 1;
    }
    window.show();
    window.StartClick();
    auto* loadPlus = window.findChild<QPushButton*>(QStringLiteral("LoadPlus"));

    Window view(window);
    kelvane::PollWorker worker(*window.Ups, window.Commands, window.Controls(), window.WindowHandOver(), view,
                               window.Dispatch);
    worker.Start();

    // Clicks at random moments, each well after the previous command has run.
    std::mt19937 random(2400);
    std::uniform_int_distribution<int> gap(350, 900);
    std::vector<Clock::time_point> clickedAt;
    int left = clicks;
    std::function<void()> next = [&] {
        if (left-- == 0) return;
        QTimer::singleShot(gap(random), &app, [&] {
            clickedAt.push_back(Clock::now());
            loadPlus->click();
            next();
        });
    };
    next();
    while (static_cast<int>(clickedAt.size()) < clicks || !window.Commands.isEmpty())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    // Let the last command reach the wire.
    const Clock::time_point settle = Clock::now() + std::chrono::seconds(1);
    while (Clock::now() < settle) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    worker.Terminate();
    while (!view.Ended) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    worker.Join();
    server->Stop();

    // The load step is "P" then "+": the poll never sends "+", so each "+" and the "P" before it mark one
    // command on the wire, in click order.
    std::vector<double> toFirstByte, toStepByte;
    std::size_t click = 0;
    for (std::size_t i = 1; i < wire.Bytes.size() && click < clickedAt.size(); ++i) {
        if (wire.Bytes[i].first != '+' || wire.Bytes[i - 1].first != 'P') continue;
        toFirstByte.push_back(Ms(wire.Bytes[i - 1].second - clickedAt[click]));
        toStepByte.push_back(Ms(wire.Bytes[i].second - clickedAt[click]));
        ++click;
    }
    // The plain poll cycle: cycles that carried no command (no "+" reached the unit during them).
    std::vector<double> cycles;
    for (std::size_t i = 2; i < view.CycleStarts.size(); ++i) {
        const Clock::time_point begin = view.CycleStarts[i - 1], end = view.CycleStarts[i];
        const bool carried = std::any_of(wire.Bytes.begin(), wire.Bytes.end(), [&](const auto& b) {
            return b.first == '+' && b.second >= begin && b.second < end;
        });
        if (!carried) cycles.push_back(Ms(end - begin));
    }
    const double cycle = Median(cycles);
    const double worst = toFirstByte.empty() ? 0 : *std::max_element(toFirstByte.begin(), toFirstByte.end());
    std::printf("Click to wire on a smart unit, %zu of %d clicks matched; poll cycle median %.1f ms\n",
                toFirstByte.size(), clicks, cycle);
    std::printf("  to the command's first byte: median %.1f ms, worst %.1f ms (%.2f poll cycles) %s\n",
                Median(toFirstByte), worst, worst / cycle, worst <= cycle ? "(ok)" : "(over)");
    std::printf("  to its step byte:            median %.1f ms, worst %.1f ms\n", Median(toStepByte),
                toStepByte.empty() ? 0 : *std::max_element(toStepByte.begin(), toStepByte.end()));
    return toFirstByte.size() == static_cast<std::size_t>(clicks) ? 0 : 1;
}
