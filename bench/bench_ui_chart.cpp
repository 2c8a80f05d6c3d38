// Cost of one sample on a 300 x 150 strip chart (scroll, grid column, trace piece), against the time one
// byte takes on the wire at 2400 baud. A poll cycle exchanges many bytes and feeds each chart once.
#include <QApplication>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "controls/Performancegraph.h"

namespace {

std::atomic<long> allocations{0};

}  // namespace

void* operator new(std::size_t size) {
    ++allocations;
    if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
    throw std::bad_alloc();
}
void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}

namespace {

struct Figures {
    double nanosecondsPerSample;
    double allocationsPerSample;
};

Figures measure(kelvane::KPerformanceGraph& chart, int samples) {
    for (int i = 0; i < 1000; ++i) chart.UpdateData(i % 150);  // warm up
    QApplication::processEvents();
    const long allocationsBefore = allocations.load();
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < samples; ++i) chart.UpdateData((i * 7) % 180);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    const long allocated = allocations.load() - allocationsBefore;
    return {double(std::chrono::duration_cast<std::chrono::nanoseconds>(elapsed).count()) / samples,
            double(allocated) / samples};
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    constexpr int kSamples = 20000;
    constexpr double kByteOnTheWireNs = 10.0 / 2400.0 * 1e9;  // start, 8 data and stop bit

    kelvane::KPerformanceGraph hidden;
    hidden.SetWidth(300);
    hidden.SetHeight(150);
    const Figures drawing = measure(hidden, kSamples);

    kelvane::KPerformanceGraph shown;
    shown.SetWidth(300);
    shown.SetHeight(150);
    shown.show();
    const Figures withRepaintRequest = measure(shown, kSamples);
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 1000; ++i) shown.DrawGrid();
    const double gridNs =
        double(std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start)
                   .count()) /
        1000.0;

    std::printf("strip chart 300 x 150, %d samples\n", kSamples);
    std::printf("  UpdateData, hidden chart:        %8.0f ns/sample  %.2f allocations/sample\n",
                drawing.nanosecondsPerSample, drawing.allocationsPerSample);
    std::printf("  UpdateData, shown chart:         %8.0f ns/sample  %.2f allocations/sample\n",
                withRepaintRequest.nanosecondsPerSample, withRepaintRequest.allocationsPerSample);
    std::printf("  DrawGrid:                        %8.0f ns\n", gridNs);
    std::printf("  one byte at 2400 baud:           %8.0f ns  (%.0f samples fit in one byte time)\n",
                kByteOnTheWireNs, kByteOnTheWireNs / withRepaintRequest.nanosecondsPerSample);
    return 0;
}
