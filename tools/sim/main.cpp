// kelvane-sim: a simulated unit on a pseudo-terminal, for trying the program, kelvane-cli or any serial
// terminal without hardware.
#include <signal.h>

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "serial/posix/PtyServer.h"
#include "sim/SimUnit.h"
#include "tools/sim/SimOptions.h"

namespace {

int Refuse(const std::string& why) {
    std::cerr << "kelvane-sim: " << why << "\n";
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    using kelvane::sim::SimUnit;
    using namespace kelvane::simtool;

    SimOptions options;
    std::string why;
    if (!ParseSimOptions(std::vector<std::string>(argv + 1, argv + argc), &options, &why)) {
        return Refuse(why + " (kelvane-sim --help explains the options)");
    }
    if (options.Help) {
        std::cout << SimUsage();
        return 0;
    }
    if (options.List) {
        for (const std::string& name : SimUnit::PresetNames()) std::cout << name << "\n";
        return 0;
    }

    std::unique_ptr<SimUnit> unit = SimUnit::FromPreset(options.Unit);
    if (!unit) return Refuse("unknown unit \"" + options.Unit + "\" (kelvane-sim --list shows the names)");
    if (options.MuteAfter >= 0) unit->SetMuteAfter(options.MuteAfter);
    if (options.JumpAt > 0) unit->SetJumpAt(options.JumpAt);
    for (const auto& [command, text] : options.Answers) {
        if (!unit->OverrideAnswer(command, text, &why)) {
            return Refuse("--answer " + command + "=" + text + ": " + why);
        }
    }

    // The signals are taken by sigwait below, never by a handler: the server's thread inherits the mask,
    // so a signal cannot land in the middle of an answer.
    sigset_t awaited;
    sigemptyset(&awaited);
    for (int signal : {SIGTERM, SIGINT, SIGHUP, SIGUSR1, SIGUSR2}) sigaddset(&awaited, signal);
    pthread_sigmask(SIG_BLOCK, &awaited, nullptr);
    ::signal(SIGPIPE, SIG_IGN);

    kelvane::serial::PtyServerOptions serving;
    serving.Timing = {options.Pace, options.LatencyMs, options.LateMs};
    serving.LinkPath = options.LinkPath;
    auto server = kelvane::serial::PtyServer::Start([&unit](uint8_t byte) { return unit->OnByte(byte); },
                                                    serving, &why);
    if (!server) return Refuse(why);

    std::cout << server->DevicePath() << std::endl;

    for (;;) {
        int received = 0;
        if (sigwait(&awaited, &received) != 0) continue;
        if (received == SIGUSR1) {
            unit->InjectAlert('!');
        } else if (received == SIGUSR2) {
            unit->InjectAlert('$');
        } else {
            break;
        }
    }
    server->Stop();
    return 0;
}
