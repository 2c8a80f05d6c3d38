// What every command of kelvane-cli shares: the link set up from the command line, connecting to the unit
// as the window does (open, smart-mode check, identification), and ending the connection.
#pragma once

#include <functional>
#include <iosfwd>

#include "cli/CommandLine.h"
#include "ups/UpsLink.h"

namespace kelvane::cli {

struct Session {
    UpsLink& Link;
    const CommandLine& Line;
    std::ostream& Out;
    std::ostream& Err;
    std::function<double()> NowMs;

    // Opens the port, checks smart mode, identifies the unit and checks that it still answers. Returns
    // kExitSuccess, or the status to end with after the reason has gone to Err; the port is closed then.
    int Connect();

    // Sends the closing command "R" as the last thing the unit receives, then closes the port.
    int Finish();

    // Reports a unit that stopped answering (or a device that went away), closes the port without the
    // closing command, and gives the status for it.
    int LinkLost(const std::string& where);
};

}  // namespace kelvane::cli
