// kelvane-cli: identify and poll a unit on a serial port without the window.
#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "serial/SerialPorts.h"

int main(int argc, char** argv) {
    // A reader of the output that goes away (| head) must not end the tool before the unit got its "R".
    std::signal(SIGPIPE, SIG_IGN);
    kelvane::cli::CliEnvironment environment;
    environment.Opener = kelvane::serial::SystemLineOpener();
    return kelvane::cli::RunCli(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr,
                                environment);
}
