// Poll cycle time against the wire: RefreshPoll plus the smart-mode check, as the worker runs them, against
// kelvane-sim --pace (answers at the real 2400 baud) on a pseudo-terminal. Each cycle's time is compared
// with the wire time of the bytes it exchanged (10 bits a byte at 2400 baud, the command bytes and the
// answers, one after the other as the half-duplex dialogue carries them). Cycles with early completion and
// with the plain time-out rule alternate on the same connection, so the gain is measured in one run.
//
// kelvane-sim hands each answer byte over when its last bit would have arrived on a real wire, one character
// time after the command byte itself, so the ratio to the wire is the host side's own overhead.
//
//   bench_poll [--cycles N] [--units smart,back-pro,second-gen] [--sim PATH]
//
// kelvane-sim is looked for next to this program's build folder (../tools/kelvane-sim) unless --sim names it.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <numeric>
#include <sstream>
#include <string>
#include <vector>

#include "serial/SerialPorts.h"
#include "ups/UpsLink.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kByteMs = 10.0 * 1000.0 / 2400.0;  // one byte on the wire at 2400 baud 8N1
constexpr double kTarget = 1.10;

struct Sim {
    pid_t Pid = -1;
    std::string Device;
};

// Starts kelvane-sim --pace for the unit and reads the device path it prints first.
Sim StartSim(const std::string& simPath, const std::string& unit) {
    Sim sim;
    int output[2];
    if (::pipe2(output, O_CLOEXEC) != 0) return sim;
    std::vector<std::string> args{simPath, "--unit", unit, "--pace"};
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_adddup2(&files, output[1], 1);
    if (posix_spawn(&sim.Pid, simPath.c_str(), &files, nullptr, argv.data(), environ) != 0) sim.Pid = -1;
    posix_spawn_file_actions_destroy(&files);
    ::close(output[1]);
    pollfd waiting{output[0], POLLIN, 0};
    char byte = 0;
    while (sim.Pid > 0 && ::poll(&waiting, 1, 10000) > 0 && ::read(output[0], &byte, 1) == 1 &&
           byte != '\n') {
        sim.Device += byte;
    }
    ::close(output[0]);
    return sim;
}

void StopSim(const Sim& sim) {
    if (sim.Pid <= 0) return;
    ::kill(sim.Pid, SIGTERM);
    int status = 0;
    ::waitpid(sim.Pid, &status, 0);
}

struct Cycle {
    double Ms = 0;
    uint64_t Sent = 0;
    uint64_t Received = 0;
    bool Online = false;
    double WireMs() const { return static_cast<double>(Sent + Received) * kByteMs; }
    double Ratio() const { return Ms / WireMs(); }
};

Cycle RunCycle(kelvane::UpsLink& link) {
    Cycle cycle;
    const uint64_t sent = link.BytesSent;
    const uint64_t received = link.BytesReceived;
    const Clock::time_point start = Clock::now();
    link.RefreshPoll();
    cycle.Online = link.CheckSmartMode();
    cycle.Ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    cycle.Sent = link.BytesSent - sent;
    cycle.Received = link.BytesReceived - received;
    return cycle;
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

struct Summary {
    double MedianMs = 0, MeanMs = 0, MaxMs = 0, WireMs = 0, MedianRatio = 0, MaxRatio = 0;
    int Over = 0;  // cycles above the target ratio
    int Offline = 0;
};

Summary Summarise(const std::vector<Cycle>& cycles) {
    Summary s;
    std::vector<double> ms, ratios, wire;
    for (const Cycle& c : cycles) {
        ms.push_back(c.Ms);
        ratios.push_back(c.Ratio());
        wire.push_back(c.WireMs());
        if (c.Ratio() > kTarget) ++s.Over;
        if (!c.Online) ++s.Offline;
    }
    if (cycles.empty()) return s;
    s.MedianMs = Median(ms);
    s.MeanMs = std::accumulate(ms.begin(), ms.end(), 0.0) / static_cast<double>(ms.size());
    s.MaxMs = *std::max_element(ms.begin(), ms.end());
    s.WireMs = Median(wire);
    s.MedianRatio = Median(ratios);
    s.MaxRatio = *std::max_element(ratios.begin(), ratios.end());
    return s;
}

void Print(const char* mode, const std::vector<Cycle>& cycles) {
    const Summary s = Summarise(cycles);
    const Cycle& first = cycles.front();
    std::printf("  %-13s %zu cycles, %llu tx + %llu rx bytes a cycle, wire time %.1f ms\n", mode,
                cycles.size(), static_cast<unsigned long long>(first.Sent),
                static_cast<unsigned long long>(first.Received), s.WireMs);
    std::printf(
        "                cycle ms median %.1f mean %.1f max %.1f; ratio to wire median %.3f max %.3f "
        "(cycles over %.2f: %d)%s\n",
        s.MedianMs, s.MeanMs, s.MaxMs, s.MedianRatio, s.MaxRatio, kTarget, s.Over,
        s.Offline ? "; the unit missed a smart-mode check!" : "");
}

std::string DefaultSimPath(const char* argv0) {
    std::error_code error;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) self = std::filesystem::absolute(argv0);
    return (self.parent_path().parent_path() / "tools" / "kelvane-sim").string();
}

}  // namespace

int main(int argc, char** argv) {
    int cycles = 20;
    std::string simPath = DefaultSimPath(argv[0]);
    std::vector<std::string> units{"smart", "back-pro", "second-gen"};
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--cycles" && i + 1 < argc) {
            cycles = std::max(1, std::atoi(argv[++i]));
        } else if (option == "--sim" && i + 1 < argc) {
            simPath = argv[++i];
        } else if (option == "--units" && i + 1 < argc) {
            units.clear();
            std::stringstream list(argv[++i]);
            for (std::string unit; std::getline(list, unit, ',');) units.push_back(unit);
        } else {
            std::fprintf(stderr, "usage: bench_poll [--cycles N] [--units a,b,c] [--sim PATH]\n");
            return 1;
        }
    }
    if (::access(simPath.c_str(), X_OK) != 0) {
        std::fprintf(stderr, "bench_poll: kelvane-sim not found at %s (build it, or give --sim PATH)\n",
                     simPath.c_str());
        return 1;
    }

    std::printf(
        "Poll cycle (RefreshPoll + smart-mode check) against kelvane-sim --pace; wire time = (tx + rx) "
        "x %.3f ms; target ratio <= %.2f with early completion\n",
        kByteMs, kTarget);
    for (const std::string& unit : units) {
        const Sim sim = StartSim(simPath, unit);
        if (sim.Device.empty()) {
            std::fprintf(stderr, "bench_poll: kelvane-sim did not start for %s\n", unit.c_str());
            StopSim(sim);
            return 1;
        }
        kelvane::UpsLink link(kelvane::serial::SystemLineOpener());
        if (!link.OpenPort(sim.Device) || !link.CheckSmartMode() || !link.Identify()) {
            std::fprintf(stderr, "bench_poll: %s did not connect: %s\n", unit.c_str(),
                         link.LastOpenError().c_str());
            StopSim(sim);
            return 1;
        }
        std::vector<Cycle> early, plain;
        for (int i = 0; i < 2 * cycles; ++i) {
            link.EarlyCompletion = i % 2 == 0;
            (link.EarlyCompletion ? early : plain).push_back(RunCycle(link));
        }
        link.SendCloseCommand();
        link.ClosePort();
        StopSim(sim);

        const double gain = Summarise(plain).MedianMs / Summarise(early).MedianMs;
        std::printf("%s\n", unit.c_str());
        Print("early", early);
        Print("timeouts-only", plain);
        std::printf("  gain: timeouts-only / early = %.2f (median cycle)\n", gain);
    }
    return 0;
}
