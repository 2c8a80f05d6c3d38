// kelvane-cli without its main(): the whole tool as a function of its arguments, its output streams and
// the environment it runs in, so the tests can drive it in process on virtual time.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "ups/SerialLine.h"
#include "ups/Sleeper.h"

namespace kelvane::cli {

struct CliEnvironment {
    LineOpener Opener;              // opens the port named by --port
    Sleeper* Pauses = nullptr;      // the protocol's pauses; null: real sleep
    std::function<double()> NowMs;  // for the cycle times; empty: the steady clock
};

// Runs one command line (the arguments after the program name); returns the exit status.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           const CliEnvironment& environment);

// The text of --help.
std::string CliUsage();

}  // namespace kelvane::cli
