// The built kelvane-cli and kelvane-sim as child processes, for the end-to-end tests: kelvane-sim serving
// one unit on a pseudo-terminal until the fixture goes, kelvane-cli running in the background until its
// result is asked for. Every wait has a limit, so a hanging child cannot hang the suite.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/ScratchFolder.h"

extern char** environ;

namespace kelvane::cli::testing {

// No run comes near this; it only keeps a hanging child from hanging the suite.
inline constexpr int kHangLimitMs = 60000;

// Starts a program with standard input from /dev/null, standard output to outputFd and standard error to
// errPath; the child's id, or -1.
inline pid_t Spawn(const std::vector<std::string>& argv, int outputFd, const std::filesystem::path& errPath) {
    std::vector<std::string> args = argv;
    std::vector<char*> pointers;
    for (auto& arg : args) pointers.push_back(arg.data());
    pointers.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&files, outputFd, 1);
    posix_spawn_file_actions_addopen(&files, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t child = -1;
    if (posix_spawn(&child, args[0].c_str(), &files, nullptr, pointers.data(), environ) != 0) child = -1;
    posix_spawn_file_actions_destroy(&files);
    return child;
}

// Waits for the child's exit status; kills it and gives -1 when it outlives the limit.
inline int WaitForExit(pid_t child, int limitMs = kHangLimitMs) {
    if (child <= 0) return -1;
    const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, child, 0));
    if (pidfd >= 0) {
        pollfd waiting{pidfd, POLLIN, 0};
        const int ready = ::poll(&waiting, 1, limitMs);
        ::close(pidfd);
        if (ready == 0) ::kill(child, SIGKILL);
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

// kelvane-sim serving one unit; stopped when this goes. It answers 20 ms late on top of its character
// time, so that a client delayed by a busy machine between its write and its purge still gets the answer.
class SimProcess {
  public:
    explicit SimProcess(std::vector<std::string> options) {
        std::vector<std::string> argv{KELVANE_SIM_PATH, "--latency-ms", "20"};
        argv.insert(argv.end(), options.begin(), options.end());
        int output[2];
        if (::pipe2(output, O_CLOEXEC) != 0) return;
        pid_ = Spawn(argv, output[1], scratch_.Path() / "sim-err");
        ::close(output[1]);
        // The device path is the first line.
        pollfd waiting{output[0], POLLIN, 0};
        char byte = 0;
        while (::poll(&waiting, 1, kHangLimitMs) > 0 && ::read(output[0], &byte, 1) == 1 && byte != '\n') {
            device_ += byte;
        }
        ::close(output[0]);
    }
    ~SimProcess() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            WaitForExit(pid_);
        }
    }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    const std::string& Device() const { return device_; }
    std::string Errors() const { return kelvane::testing::ScratchFolder::Read(scratch_.Path() / "sim-err"); }

  private:
    kelvane::testing::ScratchFolder scratch_;
    pid_t pid_ = -1;
    std::string device_;
};

struct CliRun {
    int Status = -1;
    std::string Out;
    std::string Err;
};

// kelvane-cli running in the background until Finish().
class CliProcess {
  public:
    explicit CliProcess(const std::vector<std::string>& args) {
        std::vector<std::string> argv{KELVANE_CLI_PATH};
        argv.insert(argv.end(), args.begin(), args.end());
        const int out =
            ::open((scratch_.Path() / "out").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        pid_ = Spawn(argv, out, scratch_.Path() / "err");
        ::close(out);
    }

    CliRun Finish() {
        CliRun run;
        run.Status = WaitForExit(pid_);
        run.Out = kelvane::testing::ScratchFolder::Read(scratch_.Path() / "out");
        run.Err = kelvane::testing::ScratchFolder::Read(scratch_.Path() / "err");
        return run;
    }

  private:
    kelvane::testing::ScratchFolder scratch_;
    pid_t pid_ = -1;
};

}  // namespace kelvane::cli::testing
