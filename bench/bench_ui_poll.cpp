// The poll cycle with the window's display refresh included, against a simulated unit answering at the
// real 2400 baud on a pseudo-terminal (served in process, paced, no added latency), opened through the
// system's serial backend. For each family it reports:
//   - the cycle time as a ratio to the wire time of the bytes the cycle exchanged (target at most 1.10);
//   - the window thread's time per display refresh (target under 2 ms where the refresh asks the unit
//     nothing; the reduced Smart page asks for the battery voltage, so its refresh holds a wire exchange);
//   - the worker thread's CPU use while polling, in per cent of one core (target under 2 %).
//
//   bench_ui_poll [--cycles N] [--units smart,back-pro,second-gen,no-serial]
#include <sys/resource.h>

#include <QApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "serial/posix/PtyServer.h"
#include "sim/SimUnit.h"
#include "ui/QtWindowControls.h"
#include "ui/TForm1.h"
#include "ups/UpsLink.h"
#include "worker/PollWorker.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr double kByteMs = 10.0 * 1000.0 / 2400.0;

class NoPause final : public kelvane::Sleeper {
  public:
    void SleepMs(uint32_t) override {}
};

double ThreadCpuMs() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
}

// The window's own hand-over, timing the work where it runs: on the window thread.
class TimedHandOver final : public kelvane::HandOver {
  public:
    explicit TimedHandOver(kelvane::HandOver& inner) : inner_(inner) {}
    void Run(const std::function<void()>& work) override {
        inner_.Run([&] {
            const Clock::time_point start = Clock::now();
            work();
            WindowMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        });
    }
    std::vector<double> WindowMs;

  private:
    kelvane::HandOver& inner_;
};

// The window as the measured worker sees it; samples the worker's CPU time at every cycle's start.
class MeasuredWindow final : public kelvane::PollWindow {
  public:
    explicit MeasuredWindow(kelvane::TForm1& window) : window_(window) {}
    bool StatusPageShowing() const override {
        const kelvane::UpsLink& ups = *window_.Ups;
        std::lock_guard lock(Mutex);
        CycleStarts.push_back({Clock::now(), ThreadCpuMs(), ups.BytesSent + ups.BytesReceived});
        return false;
    }
    bool UnitIdentified() const override { return true; }
    void StartClick() override { window_.StartClick(); }
    void PollerEnded(kelvane::PollWorker&) override {
        Ended = true;
        QMetaObject::invokeMethod(
            qApp, [] {}, Qt::QueuedConnection);  // wakes the waiting event loop
    }
    std::size_t Cycles() const {
        std::lock_guard lock(Mutex);
        return CycleStarts.size();
    }

    struct Sample {
        Clock::time_point At;
        double CpuMs;
        uint64_t Bytes;  // sent and received so far, the refresh's own exchanges included
    };
    mutable std::mutex Mutex;
    mutable std::vector<Sample> CycleStarts;
    std::atomic<bool> Ended{false};

  private:
    kelvane::TForm1& window_;
};

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

bool Measure(const std::string& preset, unsigned long cycles) {
    auto unit = kelvane::sim::SimUnit::FromPreset(preset);
    std::string why;
    auto server = kelvane::serial::PtyServer::Start([&](uint8_t byte) { return unit->OnByte(byte); },
                                                    {kelvane::serial::ServeTiming{true, 0, 0}, {}}, &why);
    if (!server) {
        std::printf("%-12s could not serve: %s\n", preset.c_str(), why.c_str());
        return false;
    }
    NoPause noPause;
    kelvane::TForm1 window;
    window.Ups->SetSleeper(&noPause);
    window.Pauses = &noPause;
    kelvane::UpsLink& ups = *window.Ups;
    if (!ups.OpenPort(server->DevicePath()) || !ups.CheckSmartMode()) {
        std::printf("%-12s no smart answer\n", preset.c_str());
        return false;
    }
    window.show();
    window.StartClick();

    TimedHandOver handOver(window.WindowHandOver());
    MeasuredWindow view(window);
    kelvane::PollWorker worker(ups, window.Commands, window.Controls(), handOver, view);
    worker.Start();
    // The first cycle is a warm-up; the span runs from the start of the second to the start of the last.
    while (view.Cycles() < cycles + 2) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    worker.Terminate();
    while (!view.Ended) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    worker.Join();

    const auto& starts = view.CycleStarts;  // the worker has been joined
    // The first refresh paints the freshly shown pages; it is the warm-up.
    handOver.WindowMs.erase(handOver.WindowMs.begin());
    const MeasuredWindow::Sample& first = starts[1];
    const MeasuredWindow::Sample& last = starts[starts.size() - 1];
    const double spanMs = std::chrono::duration<double, std::milli>(last.At - first.At).count();
    const double wireMs = static_cast<double>(last.Bytes - first.Bytes) * kByteMs;
    const double cpuMs = last.CpuMs - first.CpuMs;
    const double measured = static_cast<double>(starts.size() - 2);
    server->Stop();

    const double ratio = spanMs / wireMs;
    std::printf(
        "%-12s cycle %6.1f ms  wire %6.1f ms  ratio %.3f %s  refresh median %.3f ms max %.3f ms  "
        "worker CPU %.2f %%\n",
        preset.c_str(), spanMs / measured, wireMs / measured, ratio, ratio <= 1.10 ? "(ok)" : "(over)",
        Median(handOver.WindowMs), *std::max_element(handOver.WindowMs.begin(), handOver.WindowMs.end()),
        100.0 * cpuMs / spanMs);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir scratch;
    qputenv("KELVANE_CONFIG", scratch.filePath("Kelvane.conf").toLocal8Bit());
    QApplication app(argc, argv);

    unsigned long cycles = 20;
    std::vector<std::string> units = {"smart", "back-pro", "second-gen", "no-serial"};
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--cycles") == 0) cycles = std::strtoul(argv[i + 1], nullptr, 10);
        if (std::strcmp(argv[i], "--units") == 0) {
            units.clear();
            std::stringstream list(argv[i + 1]);
            for (std::string unit; std::getline(list, unit, ',');) units.push_back(unit);
        }
    }
    bool all = true;
    for (const std::string& unit : units) all = Measure(unit, cycles) && all;
    return all ? 0 : 1;
}
