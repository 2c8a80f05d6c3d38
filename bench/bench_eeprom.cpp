// The EEPROM read ("#" and 255 "+") against kelvane-sim pacing its answers at 2400 baud: the time the
// walk takes set against the wire time of the bytes it exchanged (target: at most 1.10). The simulated
// unit delivers each byte when its last bit would arrive on a real wire, command byte included, so the
// ratio shows what the host adds per exchange.
//
//   bench_eeprom [--sim PATH] [--runs N] [--unit NAME]
//
// PATH defaults to the kelvane-sim of the same build (../tools/kelvane-sim beside this program).
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
#include <string>
#include <vector>

#include "serial/SerialPorts.h"
#include "sim/SimUnit.h"
#include "ups/Drivers.h"
#include "ups/UpsLink.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// One character on the wire at 2400 baud, 8N1: ten bits.
constexpr double kCharacterMs = 10.0 * 1000.0 / 2400.0;

// kelvane-sim serving one unit until this goes.
class Simulator {
  public:
    Simulator(const std::string& program, const std::string& unit) {
        std::vector<std::string> args{program, "--unit", unit, "--pace"};
        std::vector<char*> argv;
        for (auto& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        int output[2];
        if (::pipe2(output, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        posix_spawn_file_actions_adddup2(&files, output[1], 1);
        if (posix_spawn(&pid_, program.c_str(), &files, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&files);
        ::close(output[1]);
        pollfd waiting{output[0], POLLIN, 0};
        char byte = 0;
        while (::poll(&waiting, 1, 10000) > 0 && ::read(output[0], &byte, 1) == 1 && byte != '\n') {
            device_ += byte;
        }
        ::close(output[0]);
    }
    ~Simulator() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            int status = 0;
            ::waitpid(pid_, &status, 0);
        }
    }
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;
    const std::string& Device() const { return device_; }

  private:
    pid_t pid_ = -1;
    std::string device_;
};

std::string DefaultSimulator() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return "kelvane-sim";
    return (self.parent_path().parent_path() / "tools" / "kelvane-sim").string();
}

int Fail(const std::string& why) {
    std::fprintf(stderr, "bench_eeprom: %s\n", why.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::string simulator = DefaultSimulator();
    std::string unitName = "smart";
    int runs = 5;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--sim") {
            simulator = argv[i + 1];
        } else if (option == "--runs") {
            runs = std::max(1, std::atoi(argv[i + 1]));
        } else if (option == "--unit") {
            unitName = argv[i + 1];
        } else {
            return Fail("unknown option " + option);
        }
    }

    Simulator sim(simulator, unitName);
    if (sim.Device().empty()) return Fail("kelvane-sim did not start: " + simulator);

    kelvane::UpsLink link(kelvane::serial::SystemLineOpener());
    if (!link.OpenPort(sim.Device()))
        return Fail("cannot open " + sim.Device() + ": " + link.LastOpenError());
    if (!link.CheckSmartMode() || !link.Identify()) return Fail("the simulated unit was not identified");

    const auto expected = kelvane::sim::SimUnit::FromPreset(unitName)->Eeprom();
    std::printf("EEPROM read of 256 bytes against kelvane-sim --unit %s --pace (%s)\n", unitName.c_str(),
                sim.Device().c_str());
    std::printf("%4s %10s %10s %8s %8s %7s %s\n", "run", "time_ms", "wire_ms", "bytes_tx", "bytes_rx",
                "ratio", "image");
    std::vector<double> ratios;
    for (int run = 1; run <= runs; ++run) {
        link.EepromImage.fill(0);
        const uint64_t sentBefore = link.BytesSent;
        const uint64_t receivedBefore = link.BytesReceived;
        const Clock::time_point start = Clock::now();
        const kelvane::LoopResult result = kelvane::ReadEeprom(link, 0);
        const double timeMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        const uint64_t sent = link.BytesSent - sentBefore;
        const uint64_t received = link.BytesReceived - receivedBefore;
        const double wireMs = static_cast<double>(sent + received) * kCharacterMs;

        // The walk starts at address 0 and leaves the byte there alone.
        bool matches = result.Ended == kelvane::LoopEnd::Reached;
        for (std::size_t address = 1; address < 256 && matches; ++address) {
            matches = link.EepromImage[address] == expected[address];
        }
        // A walk the unit's answers did not complete (on a busy machine an answer can start before the
        // purge that follows the command) says nothing about the pace; it is shown and not counted.
        if (matches) ratios.push_back(timeMs / wireMs);
        const std::string image =
            matches ? "matches" : "incomplete (" + std::string(kelvane::LoopEndName(result.Ended)) + ")";
        std::printf("%4d %10.1f %10.1f %8llu %8llu %7.3f %s\n", run, timeMs, wireMs,
                    static_cast<unsigned long long>(sent), static_cast<unsigned long long>(received),
                    timeMs / wireMs, image.c_str());
    }
    link.SendCloseCommand();
    link.ClosePort();

    if (ratios.empty()) return Fail("no walk completed");
    std::sort(ratios.begin(), ratios.end());
    const double median = ratios[ratios.size() / 2];
    std::printf("complete walks: %zu of %d\n", ratios.size(), runs);
    std::printf(
        "ratio to the wire time of the bytes exchanged: best %.3f, median %.3f, worst %.3f "
        "(target at most 1.10)\n",
        ratios.front(), median, ratios.back());
    return median <= 1.10 ? 0 : 2;
}
