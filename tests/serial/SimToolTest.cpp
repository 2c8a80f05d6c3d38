#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "serial/posix/PosixSerialLine.h"
#include "sim/SimUnit.h"
#include "tests/serial/PtyPeer.h"

extern char** environ;

namespace kelvane::serial {
namespace {

using ::testing::HasSubstr;
using testing::ScratchDir;

struct ToolRun {
    int Status = -1;
    std::string Out;
    std::string Err;
};

std::string Slurp(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Starts kelvane-sim with its output in files of the scratch directory; returns the child's id.
// Standard output goes to the given pipe when there is one.
pid_t Spawn(const std::vector<std::string>& args, const ScratchDir& scratch, int outputPipe = -1) {
    std::vector<std::string> argv{KELVANE_SIM_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> pointers;
    for (auto& arg : argv) pointers.push_back(arg.data());
    pointers.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
    if (outputPipe >= 0) {
        posix_spawn_file_actions_adddup2(&files, outputPipe, 1);
    } else {
        posix_spawn_file_actions_addopen(&files, 1, (scratch.Path() / "out").c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
    }
    posix_spawn_file_actions_addopen(&files, 2, (scratch.Path() / "err").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t child = -1;
    if (posix_spawn(&child, argv[0].c_str(), &files, nullptr, pointers.data(), environ) != 0) child = -1;
    posix_spawn_file_actions_destroy(&files);
    return child;
}

ToolRun Finish(pid_t child, const ScratchDir& scratch) {
    ToolRun run;
    int status = 0;
    if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status))
        run.Status = WEXITSTATUS(status);
    run.Out = Slurp(scratch.Path() / "out");
    run.Err = Slurp(scratch.Path() / "err");
    return run;
}

ToolRun RunTool(const std::vector<std::string>& args) {
    ScratchDir scratch;
    return Finish(Spawn(args, scratch), scratch);
}

TEST(SimTool, ListsThePresetsOneALine) {
    ToolRun run = RunTool({"--list"});
    EXPECT_EQ(run.Status, 0);
    std::string expected;
    for (const auto& name : sim::SimUnit::PresetNames()) expected += name + "\n";
    EXPECT_FALSE(expected.empty());
    EXPECT_EQ(run.Out, expected);
}

TEST(SimTool, HelpDocumentsEveryOptionAndSignal) {
    ToolRun run = RunTool({"--help"});
    EXPECT_EQ(run.Status, 0);
    for (const char* topic : {"--unit", "--list", "--pace", "--latency-ms", "--late-ms", "--mute-after",
                              "--answer CMD=TEXT", "--link", "SIGUSR1", "SIGUSR2", "SIGTERM"}) {
        EXPECT_THAT(run.Out, HasSubstr(topic));
    }
}

TEST(SimTool, BadCommandLinesEndWithAMessageAndStatus1) {
    const std::string unit =
        sim::SimUnit::PresetNames().empty() ? "smart" : sim::SimUnit::PresetNames().front();
    struct Case {
        std::vector<std::string> Args;
        std::string Reason;
    };
    for (const Case& c : std::vector<Case>{
             {{}, "--unit NAME is needed"},
             {{"--unit"}, "--unit needs a value"},
             {{"--unit", "no-such-unit"}, "unknown unit \"no-such-unit\""},
             {{"--unit", unit, "--unit", unit}, "given twice"},
             {{"--unit", unit, "--latency-ms"}, "--latency-ms needs a value"},
             {{"--unit", unit, "--latency-ms", "soon"}, "not a number of milliseconds"},
             {{"--unit", unit, "--late-ms=-5"}, "not a number of milliseconds"},
             {{"--unit", unit, "--late-ms", "3600001"}, "not a number of milliseconds"},
             {{"--unit", unit, "--mute-after", "2x"}, "not a count"},
             {{"--unit", unit, "--pace=yes"}, "takes no value"},
             {{"--unit", unit, "--answer", "Y"}, "not CMD=TEXT"},
             {{"--unit", unit, "--answer", "YZ=SM"}, "--answer YZ=SM: "},
             {{"--unit", unit, "--answer", "Y=\\xZZ"}, "--answer Y=\\xZZ: "},
             {{"--unit", unit, "--speed", "9600"}, "unknown option --speed"},
             {{"--unit", unit, "COM1"}, "unexpected argument \"COM1\""},
         }) {
        std::string shown = ::testing::PrintToString(c.Args);
        ToolRun run = RunTool(c.Args);
        EXPECT_EQ(run.Status, 1) << shown;
        EXPECT_THAT(run.Err, HasSubstr(c.Reason)) << shown;
        EXPECT_EQ(run.Out, "") << shown;
    }
}

TEST(SimTool, ServesWithAlertsOnSignalsUntilTerminatedAndRemovesItsLink) {
    ScratchDir scratch;
    const auto link = scratch.Path() / "ttyUPS";
    int output[2];
    ASSERT_EQ(::pipe2(output, O_CLOEXEC), 0);
    pid_t child =
        Spawn({"--unit", sim::SimUnit::PresetNames().front(), "--link", link.string()}, scratch, output[1]);
    ::close(output[1]);
    ASSERT_GT(child, 0);

    // The device path comes as the first line, once the link is in place.
    std::string firstLine;
    pollfd waiting{output[0], POLLIN, 0};
    char byte = 0;
    while (::poll(&waiting, 1, 30000) > 0 && ::read(output[0], &byte, 1) == 1 && byte != '\n')
        firstLine += byte;
    ::close(output[0]);

    ASSERT_FALSE(firstLine.empty()) << Slurp(scratch.Path() / "err");
    EXPECT_EQ(std::filesystem::read_symlink(link).string(), firstLine);
    std::string why;
    auto line = PosixSerialLine::Open(firstLine, &why);
    ASSERT_NE(line, nullptr) << why;
    line->SetTimeouts({0, 0, 30000});

    // The signal is taken in its own time, so ask until an answer carries the alert; it carries it once.
    auto ask = [&] {
        uint8_t answer[16];
        line->WriteByte('Y');
        ReadResult result = line->Read(answer, sizeof answer, true, false);
        return std::string(answer, answer + result.Count);
    };
    EXPECT_EQ(ask(), "SM\r\n");
    for (auto [signal, alerted] : {std::pair{SIGUSR1, "!SM\r\n"}, std::pair{SIGUSR2, "$SM\r\n"}}) {
        ASSERT_EQ(::kill(child, signal), 0);
        std::string answer = ask();
        for (int asked = 1; asked < 1000 && answer == "SM\r\n"; ++asked) answer = ask();
        EXPECT_EQ(answer, alerted);
        EXPECT_EQ(ask(), "SM\r\n");
    }

    ASSERT_EQ(::kill(child, SIGTERM), 0);
    ToolRun run = Finish(child, scratch);
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Err, "");
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
}

}  // namespace
}  // namespace kelvane::serial
